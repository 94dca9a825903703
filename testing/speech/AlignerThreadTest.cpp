// The aligner decodes the free run of phones on a thread of its own beside
// the grammar's search, window by window. Under ThreadSanitizer (espeak-ng
// cannot be started from its programs), a made-up recording long enough for
// several windows is aligned twice, as a sentence and as parts, and answers
// the same each time.
#include "speech/SphinxAligner.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace zarelo;
using namespace zarelo::speech;

namespace {

// Vowel-like bursts of a few harmonics, 0.3 s each, with pauses between.
std::vector<int16_t> burstsAndPauses(double seconds)
{
    constexpr int rate = 16000;
    std::vector<int16_t> samples(size_t(seconds * rate));
    for (size_t i = 0; i < samples.size(); ++i) {
        const double t = double(i) / rate;
        if (std::fmod(t, 0.8) > 0.3)
            continue;
        double s = 0;
        for (int h = 1; h <= 8; ++h)
            s += std::sin(2 * std::numbers::pi * 140 * h * t) / h;
        samples[i] = int16_t(4000 * s);
    }
    return samples;
}

} // namespace

TEST(AlignerThreads, PhonesAreDecodedBesideTheSearch)
{
    SpeechModel model = SpeechModel::Installed({});
    SphinxAligner aligner(model, LoadLexicon(model));
    const std::vector<int16_t> samples = burstsAndPauses(100);
    const PcmView recording{samples, 16000, 1};
    const QString text = QStringLiteral("ah oh ah oh ah oh ah oh ah oh");

    const auto once = aligner.Align(text, recording);
    const auto again = aligner.Align(text, recording);
    ASSERT_EQ(once.size(), again.size());
    for (size_t i = 0; i < once.size(); ++i) {
        EXPECT_EQ(once[i].Found, again[i].Found) << i;
        EXPECT_EQ(once[i].StartMs, again[i].StartMs) << i;
        EXPECT_DOUBLE_EQ(once[i].Confidence, again[i].Confidence) << i;
    }

    const QStringList parts(40, QStringLiteral("ah oh"));
    const auto first = aligner.AlignParts(parts, recording);
    const auto second = aligner.AlignParts(parts, recording);
    ASSERT_EQ(first.size(), second.size());
    for (size_t p = 0; p < first.size(); ++p)
        for (size_t w = 0; w < first[p].size(); ++w) {
            EXPECT_EQ(first[p][w].Found, second[p][w].Found) << p;
            EXPECT_EQ(first[p][w].EndMs, second[p][w].EndMs) << p;
        }
}
