#include "bookmaker/Voice.h"

#include "base/BookError.h"

#include <QProcess>
#include <cstdlib>
#include <memory>

namespace zarelo::bookmaker {

namespace {

constexpr int kParallel = 4;
constexpr int kLeadIn = 30;   // hundredths
constexpr int kPause = 60;    // hundredths
constexpr int kTrailing = 50; // hundredths

std::unique_ptr<QProcess> startSpeaking(const QString& text, const SpeechOptions& options)
{
    auto process = std::make_unique<QProcess>();
    process->setProgram(options.Program);
    // "--" keeps a text that starts with '-' from being read as an option.
    process->setArguments({QStringLiteral("-v"), options.Voice, QStringLiteral("-s"),
                           QString::number(options.WordsPerMinute), QStringLiteral("--stdout"),
                           QStringLiteral("--"), text});
    process->start(QIODevice::ReadOnly);
    return process;
}

MonoSound finishSpeaking(QProcess& process, const QString& text)
{
    if (!process.waitForStarted(10000))
        throw BookError(
            QStringLiteral("cannot run %1: %2").arg(process.program(), process.errorString()));
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        throw BookError(QStringLiteral("%1 failed on “%2”: %3")
                            .arg(process.program(), text,
                                 QString::fromLocal8Bit(process.readAllStandardError())));
    MonoSound sound = ReadWav(process.readAllStandardOutput(), process.program());
    TrimSilence(sound);
    if (sound.Samples.empty())
        throw BookError(QStringLiteral("%1 gave no sound for “%2”").arg(process.program(), text));
    return sound;
}

} // namespace

std::vector<MonoSound> SpeakAll(const QStringList& texts, const SpeechOptions& options)
{
    std::vector<MonoSound> sounds(texts.size());
    std::vector<std::unique_ptr<QProcess>> running(texts.size());
    qsizetype next = 0;
    for (qsizetype done = 0; done < texts.size(); ++done) {
        while (next < texts.size() && next < done + kParallel) {
            running[next] = startSpeaking(texts[next], options);
            ++next;
        }
        try {
            sounds[done] = finishSpeaking(*running[done], texts[done]);
        } catch (...) {
            for (auto& process : running) {
                if (process) {
                    process->kill();
                    process->waitForFinished(1000);
                }
            }
            throw;
        }
        running[done].reset();
    }
    return sounds;
}

void TrimSilence(MonoSound& sound)
{
    auto& s = sound.Samples;
    qsizetype first = 0, last = static_cast<qsizetype>(s.size()) - 1;
    while (first <= last && std::abs(s[first]) < 256)
        ++first;
    while (last >= first && std::abs(s[last]) < 256)
        --last;
    if (first > last) {
        s.clear();
        return;
    }
    const qsizetype begin = std::max<qsizetype>(0, first - sound.SampleRate / 50);
    const qsizetype end = std::min<qsizetype>(static_cast<qsizetype>(s.size()),
                                              last + 1 + sound.SampleRate * 6 / 100);
    s = std::vector<int16_t>(s.begin() + begin, s.begin() + end);
}

JoinedVoice JoinClips(const std::vector<MonoSound>& clips)
{
    JoinedVoice joined;
    const int rate = clips.empty() ? 22050 : clips.front().SampleRate;
    joined.Sound.SampleRate = rate;
    auto& out = joined.Sound.Samples;
    int cursor = kLeadIn;
    for (const MonoSound& clip : clips) {
        if (clip.SampleRate != rate)
            throw BookError(QStringLiteral("the clips of one voice differ in sample rate"));
        const int64_t startSample = (int64_t(cursor) * rate + 99) / 100;
        out.resize(startSample, 0);
        out.insert(out.end(), clip.Samples.begin(), clip.Samples.end());
        const int64_t endSample = static_cast<int64_t>(out.size());
        const int end = static_cast<int>((endSample * 100 + rate - 1) / rate);
        joined.Times.push_back({cursor, end});
        cursor = end + kPause;
    }
    const int total = cursor - kPause + kTrailing;
    out.resize((int64_t(total) * rate + 99) / 100, 0);
    return joined;
}

QString SentenceTimeText(int hundredths)
{
    return QStringLiteral("%1:%2:%3")
        .arg(hundredths / 6000)
        .arg(hundredths / 100 % 60, 2, 10, QLatin1Char('0'))
        .arg(hundredths % 100, 2, 10, QLatin1Char('0'));
}

QString LessonTimeText(int tenths)
{
    return QStringLiteral("%1:%2:%3")
        .arg(tenths / 600)
        .arg(tenths / 10 % 60, 2, 10, QLatin1Char('0'))
        .arg(tenths % 10);
}

} // namespace zarelo::bookmaker
