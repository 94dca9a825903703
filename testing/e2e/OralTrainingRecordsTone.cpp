// Oral training in the real program, over a copy of the sample library, with
// SDL's disk driver recording from a file that holds a known tone: the
// recording file holds that tone sample for sample, and playing the
// recording back puts the tone on the output.

#include "ProgramRun.h"
#include "oral/gui/uFollowRead.h"
#include "shell/gui/AppContext.h"
#include "shell/gui/uFrmMain.h"
#include "support/ModalAnswer.h"
#include "support/ScriptedMessages.h"

#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <cmath>
#include <numbers>

using namespace zarelo;
using namespace zarelo::e2e;

namespace {

const QString Publisher = QStringLiteral("晨光教育出版社");
const QString Book = QStringLiteral("小学英语三年级上册");
constexpr int kRate = 44100;
constexpr int kToneFrames = kRate; // one second

// Stereo frames of a 440 Hz tone, the right channel a little quieter so that
// a swapped pair of channels shows.
std::vector<int16_t> ToneFrames()
{
    std::vector<int16_t> out(size_t(kToneFrames) * 2);
    for (int i = 0; i < kToneFrames; ++i) {
        const double s = std::sin(2 * std::numbers::pi * 440 * i / kRate);
        out[size_t(i) * 2] = int16_t(std::lround(10000 * s));
        out[size_t(i) * 2 + 1] = int16_t(std::lround(7000 * s));
    }
    return out;
}

} // namespace

class OralTrainingRecordsTone : public QObject {
    Q_OBJECT
private slots:
    void recordingHoldsTheToneAndPlaysItBack();
};

void OralTrainingRecordsTone::recordingHoldsTheToneAndPlaysItBack()
{
    QTemporaryDir root;
    const RunFolders folders(root.path());
    const QString& played = folders.Played;
    const QString input = root.path() + QStringLiteral("/microphone.raw");
    CopyProgramParts(folders, Publisher);
    RememberBook(folders.SettingsPath, Publisher, Book, 1);
    const std::vector<int16_t> tone = ToneFrames();
    {
        QFile file(input);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(reinterpret_cast<const char*>(tone.data()), qint64(tone.size() * 2));
    }
    // Real-time pacing: the recording grows as a microphone's would.
    qputenv("SDL_AUDIODRIVER", "disk");
    qputenv("SDL_DISKAUDIOFILE", played.toLocal8Bit());
    qputenv("SDL_DISKAUDIOFILEIN", input.toLocal8Bit());

    bool recorded = false, playedBack = false;
    {
        fakes::ScriptedMessages* messages = nullptr;
        AppContext app(ProgramSeams(folders, messages));
        fakes::ScriptedMessages& shown = *messages;
        TfrmMain window(app);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        fakes::AnswerNextModal([&](QWidget* modal) {
            auto* follow = qobject_cast<TfrmFollow*>(modal);
            if (!follow)
                return;
            OralRecorder& recorder = follow->Recorder();
            QTest::mouseClick(follow->bRecord, Qt::LeftButton);
            // A little more than the tone: silence follows it.
            const size_t wanted = 44 + size_t(kToneFrames) * 4 * 5 / 4;
            recorded = QTest::qWaitFor([&] { return recorder.Buffer.size() >= wanted; }, 10000);
            QTest::mouseClick(follow->bRecord, Qt::LeftButton);
            QTest::mouseClick(follow->bPlay, Qt::LeftButton);
            playedBack = QTest::qWaitFor(
                [&] {
                    return app.Audio.BASS_ChannelIsActive(recorder.OwnVoiceStream) ==
                           BASS_ACTIVE_STOPPED;
                },
                10000);
            follow->close();
        });
        QTest::mouseClick(window.sbtFollow, Qt::LeftButton);
        QVERIFY(recorded);
        QVERIFY(playedBack);
        QVERIFY2(shown.shown.isEmpty(), qPrintable(shown.texts().join(u'|')));
        window.close();
    } // the engine closes the device: the output file is complete

    // The file: the header, the tone from its first sample, then silence.
    QFile file(folders.ProgramFolder + QStringLiteral("/zarelotmp.wav"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.size() > 44 + kToneFrames * 4);
    QCOMPARE(bytes.left(4), QByteArray("RIFF"));
    const auto* samples = reinterpret_cast<const int16_t*>(bytes.constData() + 44);
    const size_t count = size_t(bytes.size() - 44) / 2;
    for (size_t i = 0; i < tone.size(); ++i)
        if (samples[i] != tone[i])
            QFAIL(qPrintable(QStringLiteral("recorded sample %1 is %2, the tone's %3")
                                 .arg(i)
                                 .arg(samples[i])
                                 .arg(tone[i])));
    for (size_t i = tone.size(); i < count; ++i)
        QVERIFY2(samples[i] == 0, "sound after the tone");

    // The output: the tone played back whole. FindPiece gives where its
    // first sample above a quarter of its peak was heard.
    const std::vector<int16_t> output = ReadSamples(played);
    const long loud = FindPiece(output, tone, 0);
    QVERIFY2(loud >= 0, "the recording was not heard");
    long lead = 0;
    while (std::abs(tone[size_t(lead) * 2]) <= 10000 / 4)
        ++lead;
    const size_t at = size_t(loud - lead) * 2;
    QVERIFY(at + tone.size() <= output.size());
    for (size_t i = 0; i < tone.size(); ++i)
        QCOMPARE(output[at + i], tone[i]);
}

QTEST_MAIN(OralTrainingRecordsTone)
#include "OralTrainingRecordsTone.moc"
