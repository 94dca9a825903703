#pragma once
// Readings with known word boundaries for the aligner's tests and benchmark:
// espeak-ng speaks each word alone, the silence around it is cut, and the
// words are joined with given pauses, so each word's start and end in the
// result are known to the sample.

#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

namespace zarelo::fakes {

struct SpokenWord {
    QString Word;
    int64_t StartMs = 0;
    int64_t EndMs = 0;
};

struct SpokenText {
    int Rate = 0;                 // espeak-ng's rate, 22050
    std::vector<int16_t> Samples; // mono
    std::vector<SpokenWord> Words;
};

// `words` spoken by espeak-ng voice `voice`, each followed by the pause of
// `pausesMs` at its index (the last pause repeats), with `leadMs` of silence
// first. Throws BookError when espeak-ng cannot be run.
SpokenText SpeakWords(const QStringList& words, const std::vector<int>& pausesMs,
                      const QString& voice = QStringLiteral("en-us"), int leadMs = 300);

} // namespace zarelo::fakes
