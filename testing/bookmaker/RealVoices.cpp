#include "RealVoices.h"

#include "base/BookError.h"
#include "bookmaker/Wav.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <map>
#include <random>
#include <samplerate.h>
#include <set>
#include <stdexcept>

namespace zarelo::makertest {

namespace {

using bookmaker::MonoSound;

constexpr int kFileRate = 8000;    // the prompts' and the music's rate
constexpr int kRate = 16000;       // the tracks'
constexpr double kLead = 0.5;      // seconds of room tone before the first sound
constexpr double kTrail = 0.6;     // and after the last
constexpr double kEvenPause = 1.0; // seconds from one entry's speech to the next one's
constexpr double kRoomTone = -60;  // dB below the speech's RMS, in every track
constexpr double kMusicLevel = -6; // dB below the speech's RMS
constexpr double kMusicSeconds = 3.0;
// Seconds between the prompts of one entry, taken in turn over the book so
// that an entry has the same gaps in every track.
constexpr double kInnerGaps[] = {0.06, 0.09, 0.04, 0.12, 0.03, 0.08, 0.05, 0.10, 0.07, 0.11};

// The instruction spoken before the entries: a prompt not in the book.
constexpr const char* kInstruction = "one-moment-please";
constexpr const char* kMusic = "macroform-cold_day.wav";
constexpr double kMusicFrom = 20.0; // seconds into the music file

// The entries of the uneven track and of the tracks with a piece left out,
// doubled or spoken close: by index into the book.
constexpr int kLongInnerPause = 3; // "Tomorrow at nine o'clock.": 0.5 s after "tomorrow"
constexpr double kLongInnerSeconds = 0.5;
constexpr double kUnevenPauses[] = {0.6, 1.4, 0.35, 2.0, 0.8, 0.4, 1.1, 0.5, 1.7, 0.35, 0.9};
constexpr int kCloseSecond = 7; // spoken 0.05 s after the entry before it
constexpr double kCloseSeconds = 0.05;
constexpr int kLeftOut = 5;
constexpr int kReadTwice = 2;

[[noreturn]] void missing(const QString& what, const char* package)
{
    throw std::runtime_error(
        QStringLiteral("%1 is missing: install the Debian package %2 (scripts/install-deps)")
            .arg(what, QLatin1String(package))
            .toStdString());
}

MonoSound readWav(const QString& path, const char* package)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        missing(path, package);
    MonoSound sound;
    try {
        sound = bookmaker::ReadWav(file.readAll(), path);
    } catch (const BookError& e) {
        throw std::runtime_error(e.message().toStdString());
    }
    if (sound.SampleRate != kFileRate)
        throw std::runtime_error(QStringLiteral("%1: %2 Hz, not %3 Hz")
                                     .arg(path)
                                     .arg(sound.SampleRate)
                                     .arg(kFileRate)
                                     .toStdString());
    return sound;
}

// The sound at the tracks' rate, -1..1.
std::vector<float> resampled(const MonoSound& sound)
{
    std::vector<float> in(sound.Samples.size());
    for (size_t i = 0; i < in.size(); ++i)
        in[i] = float(sound.Samples[i]) / 32768.0f;
    const double ratio = double(kRate) / kFileRate;
    std::vector<float> out(size_t(std::ceil(double(in.size()) * ratio)) + 1);
    SRC_DATA data{};
    data.data_in = in.data();
    data.input_frames = long(in.size());
    data.data_out = out.data();
    data.output_frames = long(out.size());
    data.src_ratio = ratio;
    if (const int error = src_simple(&data, SRC_SINC_BEST_QUALITY, 1))
        throw std::runtime_error(std::string("resampling: ") + src_strerror(error));
    out.resize(size_t(data.output_frames_gen));
    return out;
}

// The samples of a prompt of the voice at the tracks' rate, -1..1; read once.
const std::vector<float>& samplesOf(const QString& name)
{
    static std::map<QString, std::vector<float>> loaded;
    auto found = loaded.find(name);
    if (found == loaded.end())
        found =
            loaded
                .emplace(name,
                         resampled(readWav(QStringLiteral("%1/%2.wav").arg(kRealVoiceFolder, name),
                                           "asterisk-core-sounds-en-wav")))
                .first;
    return found->second;
}

float peakOf(const std::vector<float>& samples)
{
    float peak = 0;
    for (float v : samples)
        peak = std::max(peak, std::abs(v));
    return peak;
}

// The level of the voice: the median of the peaks of the book's prompts. One
// level for the whole voice, as a listener at one volume hears it: the soft
// end of a loud word is speech as much as that of a soft word.
float voiceLevel()
{
    static const float level = [] {
        std::set<QString> names;
        for (const RealEntry& e : RealBookEntries())
            names.insert(e.Prompts.begin(), e.Prompts.end());
        std::vector<float> peaks;
        for (const QString& name : names)
            peaks.push_back(peakOf(samplesOf(name)));
        std::sort(peaks.begin(), peaks.end());
        return peaks[peaks.size() / 2];
    }();
    return level;
}

// A prompt and the span of its speech in its samples: the first to one past
// the last sample that reaches 40 dB below the voice's level.
struct Prompt {
    const std::vector<float>* Samples = nullptr;
    int64_t First = 0, End = 0;
};

Prompt prompt(const QString& name)
{
    Prompt p;
    p.Samples = &samplesOf(name);
    const float threshold = voiceLevel() * 0.01f;
    const auto loud = [&](float v) { return std::abs(v) >= threshold; };
    p.First = std::find_if(p.Samples->begin(), p.Samples->end(), loud) - p.Samples->begin();
    p.End = p.Samples->rend() - std::find_if(p.Samples->rbegin(), p.Samples->rend(), loud);
    if (p.First >= p.End)
        throw std::runtime_error(name.toStdString() + ": a prompt without speech");
    return p;
}

int64_t frames(double seconds)
{
    return std::llround(seconds * kRate);
}

// Pink noise of unit RMS (Paul Kellet's three-pole filter over uniform white
// noise from a fixed seed).
std::vector<float> pinkNoise(size_t count, uint32_t seed)
{
    std::mt19937 random(seed);
    std::vector<float> out(count);
    double b0 = 0, b1 = 0, b2 = 0, power = 0;
    for (float& v : out) {
        const double white = double(random()) / 2147483648.0 - 1.0;
        b0 = 0.99765 * b0 + white * 0.0990460;
        b1 = 0.96300 * b1 + white * 0.2965164;
        b2 = 0.57000 * b2 + white * 1.0526913;
        v = float(b0 + b1 + b2 + white * 0.1848);
        power += double(v) * v;
    }
    const double rms = std::sqrt(power / double(std::max<size_t>(1, count)));
    for (float& v : out)
        v = float(v / rms);
    return out;
}

double decibels(double db)
{
    return std::pow(10.0, db / 20.0);
}

// A track being recorded: speech laid down piece after piece, the pause
// before each measured from the end of the speech before it to the start of
// the next speech.
class Recording {
public:
    // Speaks the prompts with the given gaps between them, `pause` seconds
    // after the last sound so far; returns the span of the speech.
    SpeechSpan speak(const QStringList& prompts, const std::vector<double>& gaps, double pause)
    {
        SpeechSpan span;
        int64_t at = next(pause);
        for (qsizetype k = 0; k < prompts.size(); ++k) {
            const Prompt p = prompt(prompts[k]);
            if (k > 0)
                at += frames(gaps[size_t(k - 1)]);
            else
                span.Begin = at;
            add(*p.Samples, at - p.First, 1.0f);
            at += p.End - p.First;
        }
        span.End = at;
        end_ = at;
        return span;
    }

    // Leaves room for `seconds` of music `pause` seconds after the last sound;
    // the music is laid in by finish(), at its level against the speech.
    void music(double seconds, double pause)
    {
        const int64_t at = next(pause);
        music_.push_back({at, at + frames(seconds)});
        end_ = at + frames(seconds);
    }

    // The samples: the speech, the music, room tone and `hissDb` (dB against
    // the speech's RMS over `speech`; 0: none) of pink noise.
    std::vector<int16_t> finish(const std::vector<SpeechSpan>& speech, double hissDb)
    {
        mix_.resize(size_t(std::max<int64_t>(int64_t(mix_.size()), end_ + frames(kTrail))), 0.0f);
        double power = 0;
        int64_t count = 0;
        for (const SpeechSpan& s : speech)
            for (int64_t i = s.Begin; i < s.End; ++i, ++count)
                power += double(mix_[size_t(i)]) * mix_[size_t(i)];
        const double rms = std::sqrt(power / double(std::max<int64_t>(1, count)));

        if (!music_.empty()) {
            MonoSound file = readWav(QStringLiteral("%1/%2").arg(kRealMusicFolder, kMusic),
                                     "asterisk-moh-opsound-wav");
            // Only the part played is resampled.
            const auto played = std::llround(kMusicFrom * kFileRate);
            const auto playedEnd = std::llround((kMusicFrom + kMusicSeconds + 0.1) * kFileRate);
            if (playedEnd > int64_t(file.Samples.size()))
                throw std::runtime_error("the music file is shorter than expected");
            file.Samples = std::vector<int16_t>(file.Samples.begin() + played,
                                                file.Samples.begin() + playedEnd);
            const std::vector<float> tune = resampled(file);
            for (const SpeechSpan& m : music_) {
                const int64_t length = m.End - m.Begin;
                if (length > int64_t(tune.size()))
                    throw std::runtime_error("more music asked for than was resampled");
                std::vector<float> piece(tune.begin(), tune.begin() + length);
                double tunePower = 0;
                for (float v : piece)
                    tunePower += double(v) * v;
                const double gain =
                    rms * decibels(kMusicLevel) / std::sqrt(tunePower / double(length));
                // 0.2 s fades, as music is faded under a voice.
                const int64_t fade = frames(0.2);
                for (int64_t i = 0; i < length; ++i) {
                    const double edge =
                        std::min({1.0, double(i) / fade, double(length - 1 - i) / fade});
                    piece[size_t(i)] = float(piece[size_t(i)] * gain * edge);
                }
                add(piece, m.Begin, 1.0f);
            }
        }
        add(pinkNoise(mix_.size(), 1), 0, float(rms * decibels(kRoomTone)));
        if (hissDb != 0)
            add(pinkNoise(mix_.size(), 2), 0, float(rms * decibels(hissDb)));

        std::vector<int16_t> out(mix_.size());
        for (size_t i = 0; i < mix_.size(); ++i)
            out[i] = int16_t(std::clamp<long>(std::lround(mix_[i] * 32768.0f), -32768, 32767));
        return out;
    }

private:
    int64_t next(double pause) const { return end_ == 0 ? frames(kLead) : end_ + frames(pause); }

    void add(const std::vector<float>& samples, int64_t at, float gain)
    {
        if (at < 0)
            throw std::runtime_error("a prompt starts before the track");
        if (mix_.size() < size_t(at) + samples.size())
            mix_.resize(size_t(at) + samples.size(), 0.0f);
        for (size_t i = 0; i < samples.size(); ++i)
            mix_[size_t(at) + i] += gain * samples[i];
    }

    std::vector<float> mix_;
    std::vector<SpeechSpan> music_;
    int64_t end_ = 0;
};

// The gaps between the prompts of each entry.
std::vector<std::vector<double>> innerGaps()
{
    std::vector<std::vector<double>> gaps;
    size_t turn = 0;
    for (const RealEntry& e : RealBookEntries()) {
        gaps.emplace_back();
        for (qsizetype k = 1; k < e.Prompts.size(); ++k)
            gaps.back().push_back(kInnerGaps[turn++ % std::size(kInnerGaps)]);
    }
    return gaps;
}

QByteArray mp3Of(const std::vector<int16_t>& samples)
{
    const QString lame = QStandardPaths::findExecutable("lame");
    if (lame.isEmpty())
        missing("lame (the MP3 encoder)", "lame");
    QTemporaryDir dir;
    if (!dir.isValid())
        throw std::runtime_error("no temporary folder for the MP3");
    QFile wav(dir.filePath("track.wav"));
    if (!wav.open(QIODevice::WriteOnly) || wav.write(bookmaker::WriteWav({kRate, samples})) < 0)
        throw std::runtime_error("cannot write the WAV for lame");
    wav.close();
    QProcess process;
    process.start(lame, {"--quiet", "-b", "64", wav.fileName(), dir.filePath("track.mp3")});
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        throw std::runtime_error("lame failed: " + process.readAllStandardError().toStdString());
    QFile mp3(dir.filePath("track.mp3"));
    if (!mp3.open(QIODevice::ReadOnly))
        throw std::runtime_error("lame wrote no MP3");
    return mp3.readAll();
}

QString seconds(int64_t frame)
{
    return QString::number(double(frame) / kRate, 'f', 3);
}

} // namespace

const std::vector<RealEntry>& RealBookEntries()
{
    static const std::vector<RealEntry> entries = {
        {"sent",
         "Monday, January twenty.",
         "一月二十日，星期一。",
         {"digits/day-1", "digits/mon-0", "digits/20"}},
        {"sent", "Alpha, bravo.", "阿尔法，布拉沃。", {"phonetic/a_p", "phonetic/b_p"}},
        {"word", "seven", "七", {"digits/7"}},
        {"sent",
         "Tomorrow at nine o'clock.",
         "明天九点。",
         {"digits/tomorrow", "digits/at", "digits/9", "digits/oclock"}},
        {"word", "Charlie", "查理", {"phonetic/c_p"}},
        {"word", "Saturday", "星期六", {"digits/day-6"}},
        {"sent", "Three hundred.", "三百。", {"digits/3", "digits/hundred"}},
        {"word", "today", "今天", {"digits/today"}},
        {"sent", "Fifteen thousand.", "一万五千。", {"digits/15", "digits/thousand"}},
        {"sent", "Yesterday at five.", "昨天五点。", {"digits/yesterday", "digits/at", "digits/5"}},
        {"sent",
         "Whiskey, x-ray, yankee, zulu.",
         "威士忌，X 光，扬基，祖鲁。",
         {"phonetic/w_p", "phonetic/x_p", "phonetic/y_p", "phonetic/z_p"}},
        {"word", "December", "十二月", {"digits/mon-11"}},
    };
    return entries;
}

std::vector<TrackCase> AllTrackCases()
{
    return {TrackCase::EvenPauses,    TrackCase::UnevenPauses,
            TrackCase::Hiss40,        TrackCase::Hiss30,
            TrackCase::Mp3,           TrackCase::TwoClose,
            TrackCase::EntryLeftOut,  TrackCase::InstructionAndMusic,
            TrackCase::EntryReadTwice};
}

QString TrackCaseName(TrackCase c)
{
    switch (c) {
    case TrackCase::EvenPauses:
        return "even pauses";
    case TrackCase::UnevenPauses:
        return "uneven pauses";
    case TrackCase::Hiss40:
        return "hiss 40 dB below the speech";
    case TrackCase::Hiss30:
        return "hiss 30 dB below the speech";
    case TrackCase::Mp3:
        return "MP3 at 64 kbit/s";
    case TrackCase::TwoClose:
        return "two entries 0.05 s apart";
    case TrackCase::EntryLeftOut:
        return "an entry left out";
    case TrackCase::InstructionAndMusic:
        return "an instruction and music";
    case TrackCase::EntryReadTwice:
        return "an entry read twice";
    }
    return {};
}

RealTrack MakeRealTrack(TrackCase c)
{
    const std::vector<RealEntry>& entries = RealBookEntries();
    const std::vector<std::vector<double>> gaps = innerGaps();
    RealTrack track;
    track.Case = c;
    track.Rate = kRate;
    track.Truth.resize(entries.size());
    Recording recording;
    std::vector<SpeechSpan> speech;
    const auto say = [&](size_t e, double pause, std::vector<double> inner) {
        const SpeechSpan span = recording.speak(entries[e].Prompts, inner, pause);
        track.Truth[e].push_back(span);
        speech.push_back(span);
    };
    for (size_t e = 0; e < entries.size(); ++e) {
        double pause = kEvenPause;
        std::vector<double> inner = gaps[e];
        switch (c) {
        case TrackCase::UnevenPauses:
            pause = e > 0 ? kUnevenPauses[e - 1] : 0;
            if (e == kLongInnerPause)
                inner[0] = kLongInnerSeconds;
            break;
        case TrackCase::TwoClose:
            if (e == kCloseSecond)
                pause = kCloseSeconds;
            break;
        case TrackCase::EntryLeftOut:
            if (e == kLeftOut)
                continue;
            break;
        case TrackCase::InstructionAndMusic:
            if (e == 0) {
                recording.music(kMusicSeconds, 0);
                recording.speak({kInstruction}, {}, kEvenPause);
            } else if (e == entries.size() / 2) {
                recording.music(kMusicSeconds, kEvenPause);
            }
            break;
        default:
            break;
        }
        say(e, pause, inner);
        if (c == TrackCase::EntryReadTwice && e == kReadTwice)
            say(e, kEvenPause, inner);
    }
    const double hiss = c == TrackCase::Hiss40 ? -40 : c == TrackCase::Hiss30 ? -30 : 0;
    track.Samples = recording.finish(speech, hiss);
    if (c == TrackCase::Mp3) {
        track.FileName = "track.mp3";
        track.Bytes = mp3Of(track.Samples);
    } else {
        track.FileName = "track.wav";
        track.Bytes = bookmaker::WriteWav({kRate, track.Samples});
    }
    return track;
}

QString WriteRealBook(const RealTrack& track, const QString& folder)
{
    const auto write = [&](const QString& name, const QByteArray& bytes) {
        QFile file(QDir(folder).filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            throw std::runtime_error("cannot write " + file.fileName().toStdString());
        return file.fileName();
    };
    write(track.FileName, track.Bytes);
    QString source = QStringLiteral("publisher 真声出版社\nbook Real voice\nlayout image\n"
                                    "heading Unit 1 | Days and numbers\n"
                                    "heading Lesson 1 | Listen and say\n"
                                    "voice V from %1\n")
                         .arg(track.FileName);
    const std::vector<RealEntry>& entries = RealBookEntries();
    for (size_t e = 0; e < entries.size(); ++e) {
        if (e % 6 == 0) // six entries to a page
            source += QStringLiteral("page %1\n").arg(e / 6 + 1);
        source += QStringLiteral("%1 %2 | %3\n")
                      .arg(entries[e].Kind, entries[e].English, entries[e].Chinese);
    }
    return write("book.txt", source.toUtf8());
}

std::vector<Verdict> JudgeImport(const RealTrack& track, const ImportOutcome& outcome)
{
    const int64_t lead = std::llround(0.040 * track.Rate);
    const int64_t tail = std::llround(0.070 * track.Rate);
    std::vector<Verdict> verdicts;
    for (size_t e = 0; e < track.Truth.size(); ++e) {
        if (e >= outcome.Ranges.size()) {
            verdicts.push_back(Verdict::Wrong); // the import said nothing of it
            continue;
        }
        const std::optional<ClipTime>& range = outcome.Ranges[e];
        if (!range) {
            verdicts.push_back(Verdict::Reported);
            continue;
        }
        const int64_t begin = int64_t(range->Start) * track.Rate / 100;
        const int64_t end = int64_t(range->End) * track.Rate / 100;
        const bool right =
            std::any_of(track.Truth[e].begin(), track.Truth[e].end(), [&](const SpeechSpan& s) {
                return begin >= s.Begin - lead && begin <= s.Begin && end >= s.End &&
                       end <= s.End + tail;
            });
        verdicts.push_back(right ? Verdict::Right : Verdict::Wrong);
    }
    return verdicts;
}

QString DescribeImport(const RealTrack& track, const ImportOutcome& outcome,
                       const std::vector<Verdict>& verdicts)
{
    const auto share = [&](Verdict v) {
        const auto n = std::count(verdicts.begin(), verdicts.end(), v);
        return QStringLiteral("%1% (%2)")
            .arg(verdicts.empty() ? 0 : 100 * n / qsizetype(verdicts.size()))
            .arg(n);
    };
    QString text = QStringLiteral("%1: %2 entries: right %3, reported %4, wrong %5\n")
                       .arg(TrackCaseName(track.Case))
                       .arg(verdicts.size())
                       .arg(share(Verdict::Right), share(Verdict::Reported), share(Verdict::Wrong));
    const std::vector<RealEntry>& entries = RealBookEntries();
    for (size_t e = 0; e < verdicts.size(); ++e) {
        if (verdicts[e] != Verdict::Wrong)
            continue;
        QString range = QStringLiteral("no range");
        if (e < outcome.Ranges.size() && outcome.Ranges[e])
            range = QStringLiteral("%1-%2 s")
                        .arg(outcome.Ranges[e]->Start / 100.0, 0, 'f', 2)
                        .arg(outcome.Ranges[e]->End / 100.0, 0, 'f', 2);
        QStringList truth;
        for (const SpeechSpan& s : track.Truth[e])
            truth << seconds(s.Begin) + u'-' + seconds(s.End) + " s";
        text +=
            QStringLiteral("  wrong %1 “%2”: %3, speech %4\n")
                .arg(e)
                .arg(entries[e].English, range,
                     truth.isEmpty() ? QStringLiteral("not in the recording") : truth.join(" or "));
    }
    if (!outcome.Message.isEmpty())
        text += QStringLiteral("  the import said: %1\n").arg(outcome.Message);
    return text;
}

} // namespace zarelo::makertest
