#pragma once
// Reading a made book back through the program's own readers, and the checks
// every made book must pass.

#include "base/uPublicVarDefine.h"
#include "book/BookContent.h"
#include "book/PageImage.h"

#include <QString>
#include <cstdint>
#include <vector>

namespace zarelo::makertest {

// A voice file decoded with libsndfile from its unpacked bytes.
struct DecodedVoice {
    int SampleRate = 0;
    int Channels = 0;
    std::vector<int16_t> Samples; // frames x channels
    double seconds() const
    {
        return SampleRate ? double(Samples.size()) / Channels / SampleRate : 0;
    }
};

// Decodes WAV bytes; fails the running test (and returns an empty voice)
// when libsndfile cannot.
DecodedVoice DecodeWav(const QByteArray& bytes);

// Loads the tables of programFolder/publisher/book with LoadBookContent;
// fails the running test when the load does not succeed.
OpenBook LoadBook(const QString& programFolder, const QString& publisher, const QString& book,
                  const QString& tempFolder);

// The rectangles of entry `row` that exist (1 to 3).
struct Rect {
    int Left, Top, Right, Bottom;
};
std::vector<Rect> BoxesOf(const SentenceTable& table, int row);

// Checks every entry of the open book: its boxes lie inside its page image
// and hold something drawn (a strong contrast inside each rectangle), its
// time range is increasing, inside its voice file and holds sound, and the
// audio between two entries of one voice is silent.
void CheckEntriesAgainstFiles(const OpenBook& book, const QString& bookFolder);

} // namespace zarelo::makertest
