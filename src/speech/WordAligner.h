#pragma once
// Where each word of a known text lies in a recording.
//
// The text is split into words as the book shows them (letters, digits and
// apostrophes; other characters separate words). Each word of the text comes
// back in order, found with its start and end in the recording, or not found
// when the recording does not hold it: a word is never squeezed into the
// sound of its neighbours.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <span>
#include <vector>

namespace zarelo::speech {

// Interleaved 16-bit samples at any rate, mono or stereo.
struct PcmView {
    std::span<const int16_t> Samples;
    int Rate = 16000;
    int Channels = 1;
};

struct WordTiming {
    QString Word; // as written in the text
    bool Found = false;
    int64_t StartMs = 0; // from the start of the recording; 0 when not found
    int64_t EndMs = 0;
    double Confidence = 0; // 0..1; 0 when not found
};

class WordAligner {
public:
    virtual ~WordAligner() = default;
    // One entry per word of `text`, in the text's order. Thread-safe for
    // distinct aligner objects; one object serves one call at a time.
    virtual std::vector<WordTiming> Align(const QString& text, const PcmView& recording) = 0;
    // The words of texts read one after another as separate parts (the
    // entries of a book's track): one list per part, in order. Each part is
    // read whole or left out as a whole; anything may lie between two parts
    // (a title, an instruction, music, a part read twice).
    virtual std::vector<std::vector<WordTiming>> AlignParts(const QStringList& parts,
                                                            const PcmView& recording) = 0;
    // How words of the texts to come are said, in the CMU dictionary format
    // (a book's own pronunciations: the names of its characters), winning over
    // the aligner's dictionaries; replaces what was given before. Lines that
    // do not read are left out (a book's check reports them).
    virtual void UsePronunciations(const QByteArray& dictionary) = 0;
};

} // namespace zarelo::speech
