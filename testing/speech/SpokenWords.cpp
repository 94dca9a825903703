#include "SpokenWords.h"

#include "audio/SoundFile.h"
#include "base/BookError.h"

#include <QProcess>
#include <algorithm>
#include <cmath>

namespace zarelo::fakes {

namespace {

// Below this the samples count as the silence around a word (-40 dB).
constexpr float kSilence = 0.01f;

std::vector<float> speakOne(const QString& word, const QString& voice, int* rate)
{
    QProcess espeak;
    espeak.start(
        QStringLiteral("espeak-ng"),
        {QStringLiteral("-v"), voice, QStringLiteral("--stdout"), QStringLiteral("--"), word});
    if (!espeak.waitForFinished(30000) || espeak.exitCode() != 0)
        throw BookError(
            QStringLiteral("espeak-ng could not speak “%1”: %2").arg(word, espeak.errorString()));
    const QByteArray wav = espeak.readAllStandardOutput();
    auto decoded = DecodeRecording(wav);
    if (!decoded)
        throw BookError(QStringLiteral("espeak-ng gave no sound for “%1”").arg(word));
    *rate = decoded->Rate;
    auto& f = decoded->Frames;
    auto loud = [](float v) { return std::abs(v) >= kSilence; };
    const auto first = std::find_if(f.begin(), f.end(), loud);
    const auto last = std::find_if(f.rbegin(), f.rend(), loud).base();
    if (first >= last)
        throw BookError(QStringLiteral("espeak-ng gave silence for “%1”").arg(word));
    return {first, last};
}

} // namespace

SpokenText SpeakWords(const QStringList& words, const std::vector<int>& pausesMs,
                      const QString& voice, int leadMs)
{
    SpokenText text;
    std::vector<float> all;
    auto silence = [&](int ms) { all.resize(all.size() + size_t(text.Rate) * ms / 1000, 0.0f); };
    for (qsizetype i = 0; i < words.size(); ++i) {
        int rate = 0;
        const std::vector<float> sound = speakOne(words[i], voice, &rate);
        if (text.Rate == 0) {
            text.Rate = rate;
            silence(leadMs);
        }
        SpokenWord word{words[i], int64_t(all.size()) * 1000 / text.Rate, 0};
        all.insert(all.end(), sound.begin(), sound.end());
        word.EndMs = int64_t(all.size()) * 1000 / text.Rate;
        text.Words.push_back(word);
        silence(pausesMs.empty() ? 0 : pausesMs[std::min<size_t>(i, pausesMs.size() - 1)]);
    }
    text.Samples.resize(all.size());
    for (size_t i = 0; i < all.size(); ++i)
        text.Samples[i] =
            static_cast<int16_t>(std::lround(std::clamp(all[i], -1.0f, 0.99997f) * 32768));
    return text;
}

} // namespace zarelo::fakes
