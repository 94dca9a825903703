#pragma once
// Decoding a whole recording at once, for code that analyses it (the book
// maker finds the pauses of a book's recording; the oral training finds the
// words of a sentence off the user-interface thread). Playing never does
// this: it decodes voices on the fly through the engine.

#include <QByteArrayView>
#include <cstdint>
#include <optional>
#include <vector>

namespace zarelo {

struct MonoRecording {
    int Rate = 0;              // frames per second
    std::vector<float> Frames; // channels averaged, -1..1
};

// Decodes WAV, OGG, FLAC or MP3 bytes with the engine's own decoders, so that
// frame positions are the ones the engine plays (MP3 gapless). nullopt when
// the bytes are not audio they can decode.
std::optional<MonoRecording> DecodeRecording(QByteArrayView bytes);

} // namespace zarelo
