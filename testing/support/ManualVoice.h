#pragma once
// The audio engine over the manual device and the one voice player over it,
// with a test book loaded as the program loads a book (its first voice
// opened). The window and controller tests of reading, the quiz and the oral
// training start from it.

#include "audio/AudioEngine.h"
#include "audio/ManualAudioDevice.h"
#include "audio/VoicePlayer.h"
#include "book/BookLoader.h"

#include <memory>

namespace zarelo::fakes {

// Opens the engine on a new manual device at `rate` Hz into `engine`
// (`device` keeps the device, owned by the engine), makes `player` and loads
// book "Book" of publisher "Pub" of `paths` into `book`. False when the book
// does not load. The caller declares `player` after `engine`, so that the
// player goes first.
inline bool OpenManualVoice(const ProgramPaths& paths, OpenBook& book, UserMessages& messages,
                            ManualAudioDevice*& device, std::unique_ptr<AudioEngine>& engine,
                            std::unique_ptr<VoicePlayer>& player, int rate = 44100)
{
    auto manual = std::make_unique<ManualAudioDevice>();
    device = manual.get();
    engine = std::make_unique<AudioEngine>(std::move(manual));
    engine->BASS_Init(-1, rate, 0, nullptr, nullptr);
    engine->BASS_Start();
    player = std::make_unique<VoicePlayer>(*engine, book, paths, messages);
    book.CurrentPublisher = "Pub";
    book.CurrentBook = "Book";
    VoicePlayer& voice = *player;
    return LoadBookContent(paths, book, messages, nullptr, {},
                           [&voice, &book] { voice.OpenVoiceFile(book.CurrentBook); });
}

} // namespace zarelo::fakes
