#pragma once
// What the whole-program tests share: a copy of part of the real program
// folder, the raw samples SDL's disk driver wrote, and the audio the engine
// plays of a sound file, rendered by a second engine over the manual device
// (same decoder, same resampler), so that output can be checked sample for
// sample, and the search for such a rendered piece in a recording.

#include "audio/AudioEngine.h"
#include "audio/ManualAudioDevice.h"
#include "audio/SdlAudioDevice.h"
#include "base/SettingsKey.h"
#include "reading/gui/PageImageWidget.h"
#include "reading/gui/uOrvane.h"
#include "shell/gui/AppContext.h"
#include "support/ScriptedMessages.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <vector>

namespace zarelo::e2e {

// The places of one whole-program run inside `root`: the program folder,
// the settings file in a home of its own and the file SDL's disk driver
// plays into.
struct RunFolders {
    explicit RunFolders(const QString& root)
        : ProgramFolder(root + QStringLiteral("/program")),
          SettingsPath(root + QStringLiteral("/config/ZareloEnglish/ZareloEnglish.ini")),
          Played(root + QStringLiteral("/played.raw"))
    {
    }
    QString ProgramFolder;
    QString SettingsPath;
    QString Played;
};

// The real program's seams over `folders`: the SDL device (the driver the
// environment names), the system tick, and messages recorded into `shown`,
// which lives as long as the run's AppContext.
inline AppSeams ProgramSeams(const RunFolders& folders, fakes::ScriptedMessages*& shown)
{
    AppSeams seams;
    seams.ProgramFolder = folders.ProgramFolder;
    seams.ProgramFile = folders.ProgramFolder + QStringLiteral("/zarelo");
    seams.SettingsPath = folders.SettingsPath;
    auto messages = std::make_unique<fakes::ScriptedMessages>();
    shown = messages.get();
    seams.Messages = std::move(messages);
    seams.Ticks = std::make_unique<SystemTicks>();
    seams.Device = MakeSdlAudioDevice();
    return seams;
}

// Writes the settings a run that left `book` of `publisher` open at `page`
// would have left behind.
inline void RememberBook(const QString& settingsPath, const QString& publisher, const QString& book,
                         int page)
{
    SettingsKey key(settingsPath);
    key.writeString(QStringLiteral("bookname"), book);
    key.writeString(QStringLiteral("publicname"), publisher);
    key.writeString(QStringLiteral("LastPage"), QString::number(page));
    key.writeString(QStringLiteral("LastVoiceName"), QString());
}

// Copies every file below `from` to the same place below `to`.
inline void CopyFolder(const QString& from, const QString& to)
{
    QDirIterator it(from, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString target = to + source.mid(from.size());
        QDir().mkpath(QFileInfo(target).absolutePath());
        QVERIFY(QFile::copy(source, target));
    }
}

// Copies the publisher folder `publisher` of the build's program folder
// (ZARELO_PROGRAM_DIR), its speech data (the aligner's hand dictionary) and
// its program-folder files `files` into the run's program folder.
inline void CopyProgramParts(const RunFolders& folders, const QString& publisher,
                             std::initializer_list<const char*> files = {})
{
    const QString built = qEnvironmentVariable("ZARELO_PROGRAM_DIR");
    CopyFolder(built + u'/' + publisher, folders.ProgramFolder + u'/' + publisher);
    CopyFolder(built + QStringLiteral("/speech"),
               folders.ProgramFolder + QStringLiteral("/speech"));
    for (const char* name : files)
        QVERIFY(QFile::copy(built + u'/' + QLatin1String(name),
                            folders.ProgramFolder + u'/' + QLatin1String(name)));
}

// The interleaved 16-bit samples of a raw S16LE file; empty when unreadable.
inline std::vector<int16_t> ReadSamples(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    std::vector<int16_t> samples(static_cast<size_t>(bytes.size()) / 2);
    std::memcpy(samples.data(), bytes.constData(), samples.size() * 2);
    return samples;
}

// What the engine plays of `sound` (a whole sound file) at the device's
// 44100 Hz stereo: from `start` tenths of a second for `length` tenths, or to
// its end when `length` is below 0. Stop, play, jump, as the voice player
// does, rendered in the device's blocks of 1024 frames.
inline std::vector<int16_t> RenderSound(const QByteArray& sound, double start, double length)
{
    auto device = std::make_unique<ManualAudioDevice>();
    ManualAudioDevice& manual = *device;
    AudioEngine engine(std::move(device));
    engine.BASS_Init(-1, 44100, 0, nullptr, nullptr);
    engine.BASS_Start();
    const HSTREAM stream =
        engine.BASS_StreamCreateFile(true, sound.constData(), 0, sound.size(), 0);
    if (length < 0)
        length =
            engine.BASS_ChannelBytes2Seconds(stream, engine.BASS_ChannelGetLength(stream, 0)) * 10 -
            start;
    engine.BASS_ChannelStop(stream);
    engine.BASS_ChannelPlay(stream, false);
    engine.BASS_ChannelSetPosition(stream, engine.BASS_ChannelSeconds2Bytes(stream, start / 10), 0);
    const int frames = static_cast<int>(std::floor(length / 10 * 44100));
    std::vector<int16_t> out;
    while (static_cast<int>(out.size() / 2) < frames) {
        const std::vector<int16_t> block = manual.render(1024);
        out.insert(out.end(), block.begin(), block.end());
    }
    out.resize(static_cast<size_t>(frames) * 2);
    engine.BASS_StreamFree(stream);
    return out;
}

// Where in the stereo `recording`, from frame `from` on, the loud part of the
// stereo `piece` begins: 2048 frames of its channel 0 from its first sample
// above a quarter of its peak, matched within a small tolerance. -1 when the
// piece is not heard there.
inline long FindPiece(const std::vector<int16_t>& recording, const std::vector<int16_t>& piece,
                      long from)
{
    constexpr size_t probeFrames = 2048;
    constexpr int tolerance = 8;
    int peak = 0;
    for (size_t i = 0; i < piece.size(); i += 2)
        peak = std::max(peak, std::abs(int(piece[i])));
    if (peak < 100)
        return -1;
    size_t first = 0;
    while (std::abs(int(piece[first])) <= peak / 4)
        first += 2;
    const size_t probe = std::min(probeFrames, (piece.size() - first) / 2);
    const size_t frames = recording.size() / 2;
    for (size_t at = size_t(std::max(from, 0L)); at + probe <= frames; ++at) {
        size_t k = 0;
        while (k < probe &&
               std::abs(int(recording[2 * (at + k)]) - int(piece[first + 2 * k])) <= tolerance)
            ++k;
        if (k == probe)
            return long(at);
    }
    return -1;
}

// The entry the read-aloud view played on a click.
struct ClickedEntry {
    int Row = -1;
    QByteArray Voice;          // GBK
    double Start = 0, End = 0; // tenths of a second
};

// Clicks the middle of the first box of the first sentence on `page` in the
// read-aloud view `view` (shown at scale 1) and waits until its range has
// played. Fails the running test (and leaves `clicked.Row` -1 or the test
// failed) when there is no such sentence or it does not play.
inline void ClickFirstSentence(TfrmOrvane& view, AppContext& app, int page, ClickedEntry& clicked)
{
    const SentenceTable& t = app.Book.Content.Sentences;
    for (int i = 0; i < t.count() && clicked.Row < 0; ++i)
        if (t.PageName[i] == "Page" + QByteArray::number(page) && t.Kind[i] == "sent" &&
            t.Box1Left[i] >= 0)
            clicked.Row = i;
    QVERIFY(clicked.Row >= 0);
    const int row = clicked.Row;
    clicked.Voice = t.VoiceName[row].toByteArray();
    clicked.Start = t.StartTime[row];
    clicked.End = t.EndTime[row];
    const QPoint inside((t.Box1Left[row] + t.Box1Right[row]) / 2,
                        (t.Box1Top[row] + t.Box1Bottom[row]) / 2);
    QCOMPARE(view.PageScale(), 1.0);
    QTest::mouseClick(view.Image1, Qt::LeftButton, {}, inside);
    QCOMPARE(app.Book.CurrentSentence, row);
    QCOMPARE(app.Voice.PlayState, QStringLiteral("mpPlaying"));
    QTRY_COMPARE_WITH_TIMEOUT(app.Voice.PlayState, QStringLiteral("mpStop"),
                              int((clicked.End - clicked.Start) * 100) + 5000);
}

// The index of the first non-silent frame of interleaved stereo `samples`,
// in samples; samples.size() when all is silent.
inline size_t FirstSound(const std::vector<int16_t>& samples)
{
    for (size_t i = 0; i < samples.size(); ++i)
        if (samples[i] != 0)
            return i & ~size_t{1};
    return samples.size();
}

// Checks that `output` (what the disk driver wrote) is silent until a range
// was played, then holds `expected` (that range as RenderSound renders it)
// sample for sample, and is silent again from a timer tick and two device
// blocks after its end: the recording there is the pause between entries.
// Fails the running test otherwise.
inline void VerifyPlayedExactly(const std::vector<int16_t>& output,
                                const std::vector<int16_t>& expected)
{
    QVERIFY(!expected.empty());
    const size_t lead = FirstSound(expected);
    QVERIFY(lead < expected.size());
    const size_t heard = FirstSound(output);
    QVERIFY2(heard >= lead && heard < output.size(), "nothing was played");
    const size_t offset = heard - lead;
    QVERIFY(offset + expected.size() <= output.size());
    for (size_t i = 0; i < expected.size(); ++i)
        if (output[offset + i] != expected[i])
            QFAIL(qPrintable(QStringLiteral("sample %1 of the entry differs: %2, expected %3")
                                 .arg(i)
                                 .arg(output[offset + i])
                                 .arg(expected[i])));
    const size_t overrun = (2205 + 2 * 1024) * 2;
    for (size_t i = offset + expected.size() + overrun; i < output.size(); ++i)
        QVERIFY2(output[i] == 0, "sound after the entry ended");
}

} // namespace zarelo::e2e
