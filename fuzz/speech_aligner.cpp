// The aligner over any bytes taken as a recording: the first two bytes choose
// the rate, the channels and whether the text is aligned whole or as two
// parts, the rest are the samples. Whatever comes in, the answer has one
// entry per word, in order, with times inside the recording.
#include "speech/SphinxAligner.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

using namespace zarelo::speech;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static SphinxAligner* aligner = [] {
        SpeechModel model;
        model.AcousticModel = QStringLiteral("/usr/share/pocketsphinx/model/en-us/en-us");
        model.Dictionary = QStringLiteral("/usr/share/pocketsphinx/model/en-us/cmudict-en-us.dict");
        return new SphinxAligner(model, LoadLexicon(model));
    }();
    if (size < 2)
        return 0;
    static const int kRates[] = {8000, 11025, 16000, 22050, 44100, 48000, 96000, 1, 0, -8000};
    const int rate = kRates[data[0] % std::size(kRates)];
    const int channels = data[1] % 4;
    // At most three seconds at 16 kHz, so that each run stays short.
    std::vector<int16_t> samples(std::min<size_t>((size - 2) / 2, 48000));
    std::memcpy(samples.data(), data + 2, samples.size() * 2);
    const PcmView recording{samples, rate, channels};
    std::vector<WordTiming> words;
    if (data[1] & 4) {
        for (const auto& part : aligner->AlignParts(
                 {QStringLiteral("Hello, Meimei!"), QStringLiteral("Good morning, Daming.")},
                 recording))
            words.insert(words.end(), part.begin(), part.end());
    } else {
        words = aligner->Align(QStringLiteral("Hello, Meimei! Good morning, Daming."), recording);
    }
    if (words.size() != 5)
        std::abort();
    const int64_t lengthMs =
        rate > 0 && channels > 0 ? int64_t(samples.size() / channels) * 1000 / rate + 20 : 0;
    int64_t previousEnd = 0;
    for (const WordTiming& word : words) {
        if (!word.Found)
            continue;
        if (word.StartMs < previousEnd || word.EndMs <= word.StartMs || word.EndMs > lengthMs ||
            word.Confidence < 0 || word.Confidence > 1)
            std::abort();
        previousEnd = word.EndMs;
    }
    return 0;
}
