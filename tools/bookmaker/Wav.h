#pragma once
// Plain RIFF WAV files of 16-bit PCM mono sound, as espeak-ng writes them and
// as the voice files and cue sounds are stored.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstdint>
#include <vector>

namespace zarelo::bookmaker {

struct MonoSound {
    int SampleRate = 0; // frames per second
    std::vector<int16_t> Samples;
};

// Reads a 16-bit PCM mono WAV. A data chunk whose size field is larger than
// the bytes that follow (espeak-ng writing to a pipe leaves it unset) is
// taken to the end of the bytes. Throws BookError naming `name` otherwise.
MonoSound ReadWav(QByteArrayView bytes, const QString& name);

// A 44-byte header and the samples.
QByteArray WriteWav(const MonoSound& sound);

// Cue sounds of the word test: a soft rising two-note "ding" (Start.wav) and
// a bright four-note arpeggio (Succ.wav), sine tones with short fades, 44.1 kHz.
MonoSound StartCue();
MonoSound SuccessCue();

} // namespace zarelo::bookmaker
