// Oral training's word row in the real program with the real aligner, over
// a copy of the sample library, SDL's disk driver recording a reading of the
// first sentence ("Hello! I'm Tom.") spoken by espeak-ng in another voice
// than the book's: every word of the book's sentence and of the reading is
// found, the reading's words where it has sound, and a word clicked is heard
// first from the book and then from the recording.

#include "ProgramRun.h"
#include "audio/SoundFile.h"
#include "oral/gui/uFollowRead.h"
#include "shell/gui/AppContext.h"
#include "shell/gui/uFrmMain.h"
#include "support/ModalAnswer.h"
#include "support/ScriptedMessages.h"

#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <cmath>

using namespace zarelo;
using namespace zarelo::e2e;

namespace {

const QString Publisher = QStringLiteral("晨光教育出版社");
const QString Book = QStringLiteral("小学英语三年级上册");
constexpr int kRate = 44100;
constexpr double kLead = 0.3; // seconds of silence before the reading

// "Hello! I'm Tom." read by espeak-ng's American voice, as the stereo
// 44100 Hz frames a microphone gives, after kLead seconds of silence. Empty
// when espeak-ng fails.
std::vector<int16_t> Reading()
{
    QProcess speak;
    speak.start(QStringLiteral("espeak-ng"),
                {QStringLiteral("-v"), QStringLiteral("en-us"), QStringLiteral("-s"),
                 QStringLiteral("140"), QStringLiteral("--stdout"),
                 QStringLiteral("Hello! I'm Tom.")});
    if (!speak.waitForFinished(30000) || speak.exitCode() != 0)
        return {};
    const std::optional<MonoRecording> mono = DecodeRecording(speak.readAllStandardOutput());
    if (!mono || mono->Frames.empty())
        return {};
    // Linear interpolation to the device's rate; both channels alike.
    const size_t lead = size_t(kLead * kRate);
    const size_t frames = size_t(double(mono->Frames.size()) * kRate / mono->Rate);
    std::vector<int16_t> out((lead + frames) * 2, 0);
    for (size_t i = 0; i < frames; ++i) {
        const double at = double(i) * mono->Rate / kRate;
        const size_t k = std::min(size_t(at), mono->Frames.size() - 1);
        const size_t next = std::min(k + 1, mono->Frames.size() - 1);
        const double f =
            mono->Frames[k] + (at - double(k)) * (mono->Frames[next] - mono->Frames[k]);
        const auto sample = int16_t(std::lround(std::clamp(f, -1.0, 1.0) * 32767));
        out[(lead + i) * 2] = sample;
        out[(lead + i) * 2 + 1] = sample;
    }
    return out;
}

} // namespace

class OralTrainingPlaysWords : public QObject {
    Q_OBJECT
private slots:
    void aWordIsHeardFromTheBookThenFromTheReading();
};

void OralTrainingPlaysWords::aWordIsHeardFromTheBookThenFromTheReading()
{
    QTemporaryDir root;
    const RunFolders folders(root.path());
    const QString input = root.path() + QStringLiteral("/microphone.raw");
    CopyProgramParts(folders, Publisher);
    RememberBook(folders.SettingsPath, Publisher, Book, 1);
    const std::vector<int16_t> reading = Reading();
    QVERIFY2(!reading.empty(), "espeak-ng gave no reading");
    {
        QFile file(input);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(reinterpret_cast<const char*>(reading.data()), qint64(reading.size() * 2));
    }
    qputenv("SDL_AUDIODRIVER", "disk");
    qputenv("SDL_DISKAUDIOFILE", folders.Played.toLocal8Bit());
    qputenv("SDL_DISKAUDIOFILEIN", input.toLocal8Bit());

    bool done = false;
    QByteArray voice;
    double sentenceStart = 0;
    speech::WordTiming book, own;
    {
        fakes::ScriptedMessages* messages = nullptr;
        // The installed speech model's aligner, as the program has it.
        AppContext app(ProgramSeams(folders, messages));
        fakes::ScriptedMessages& shown = *messages;
        TfrmMain window(app);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        fakes::AnswerNextModal([&](QWidget* modal) {
            auto* follow = qobject_cast<TfrmFollow*>(modal);
            if (!follow)
                return;
            OralController& c = follow->controller();
            // The book's sentence is aligned while the window is on show.
            if (!QTest::qWaitFor([&] { return c.BookWords.size() == 3; }, 60000)) {
                follow->close();
                return;
            }
            OralRecorder& recorder = follow->Recorder();
            QTest::mouseClick(follow->bRecord, Qt::LeftButton);
            const size_t wanted = 44 + reading.size() * 2 + kRate;
            const bool recorded =
                QTest::qWaitFor([&] { return recorder.Buffer.size() >= wanted; }, 20000);
            QTest::mouseClick(follow->bRecord, Qt::LeftButton);
            if (!recorded || !QTest::qWaitFor([&] { return c.OwnWords.size() == 3; }, 60000)) {
                follow->close();
                return;
            }
            voice = app.Voice.VoiceBytes;
            sentenceStart = app.Voice.PlayRangeStart;
            book = c.BookWords[2];
            own = c.OwnWords[2];
            for (int i = 0; i < 3; ++i)
                qInfo("%s: book %s %lld-%lld ms, reading %s %lld-%lld ms", qPrintable(c.Words[i]),
                      c.BookWords[size_t(i)].Found ? "found" : "missing",
                      qlonglong(c.BookWords[size_t(i)].StartMs),
                      qlonglong(c.BookWords[size_t(i)].EndMs),
                      c.OwnWords[size_t(i)].Found ? "found" : "missing",
                      qlonglong(c.OwnWords[size_t(i)].StartMs),
                      qlonglong(c.OwnWords[size_t(i)].EndMs));
            follow->grab().save(QDir::temp().filePath("zarelo-follow-words-e2e.png"));
            QTest::mouseClick(follow->WordButtons[2], Qt::LeftButton);
            done = QTest::qWaitFor([&] { return !follow->Timer1->isActive(); }, 10000);
            follow->close();
        });
        QTest::mouseClick(window.sbtFollow, Qt::LeftButton);
        QVERIFY2(shown.shown.isEmpty(), qPrintable(shown.texts().join(u'|')));
        QVERIFY2(done, "the words were not found or not played");
        window.close();
    } // the engine closes the device: the output file is complete

    // "Tom" in both: the reading's lies in its last third, after the lead.
    QCOMPARE(book.Word, QStringLiteral("Tom"));
    QVERIFY(book.Found && own.Found);
    const double readingMs = double(reading.size() / 2) / kRate * 1000;
    QVERIFY2(own.StartMs > kLead * 1000 + (readingMs - kLead * 1000) / 2 &&
                 own.EndMs <= readingMs + 50,
             qPrintable(QStringLiteral("Tom at %1-%2 ms of %3 ms")
                            .arg(own.StartMs)
                            .arg(own.EndMs)
                            .arg(readingMs)));

    // Heard: the book's "Tom", then the recording's.
    const std::vector<int16_t> output = ReadSamples(folders.Played);
    const std::vector<int16_t> fromBook = RenderSound(voice, sentenceStart + book.StartMs / 100.0,
                                                      (book.EndMs - book.StartMs) / 100.0);
    const long bookAt = FindPiece(output, fromBook, 0);
    QVERIFY2(bookAt >= 0, "the book's word was not heard");
    QFile recording(folders.ProgramFolder + QStringLiteral("/zarelotmp.wav"));
    QVERIFY(recording.open(QIODevice::ReadOnly));
    const std::vector<int16_t> fromReading =
        RenderSound(recording.readAll(), own.StartMs / 100.0, (own.EndMs - own.StartMs) / 100.0);
    const long ownAt = FindPiece(output, fromReading, bookAt);
    QVERIFY2(ownAt > bookAt, "the reading's word was not heard after the book's");
}

QTEST_MAIN(OralTrainingPlaysWords)
#include "OralTrainingPlaysWords.moc"
