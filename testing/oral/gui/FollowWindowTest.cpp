// The oral training window driven by its control names, with a real voice
// player over the manual sound device and a test book in a temporary
// folder. The device records exactly the frames a test feeds it and plays
// exactly the frames a test renders; the window's two timers never fire on
// their own here: each test renders the frames that stand for the time
// passing and then ticks them. The aligner behind the word row is scripted:
// the test writes where each word lies.

#include "audio/AudioDevice.h"
#include "audio/AudioEngine.h"
#include "audio/ManualAudioDevice.h"
#include "audio/VoicePlayer.h"
#include "book/BookLoader.h"
#include "oral/gui/SurfaceBox.h"
#include "oral/gui/uFollowRead.h"
#include "support/ScriptedAligner.h"
#include "support/ScriptedMessages.h"
#include "support/TestBook.h"
#include "support/Wav.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <cmath>
#include <cstring>
#include <memory>
#include <numbers>
#include <thread>

using namespace zarelo;

namespace {

constexpr int kRate = 44100;
constexpr int kNever = 24 * 3600 * 1000;

// Stereo frames of a sine of `hz` with peak `amplitude`.
std::vector<int16_t> Tone(double seconds, double hz, double amplitude)
{
    return fakes::StereoTone(kRate, seconds, hz, amplitude);
}

using fakes::Silent;

// Rows lit in column x of a picture, as [top, bottom); {0, 0} when none.
std::pair<int, int> LitRows(const Surface& s, int x)
{
    int top = -1, bottom = 0;
    for (int y = 0; y < s.Height; ++y)
        if (s.at(x, y) != MakePixel(0, 0, 0)) {
            if (top < 0)
                top = y;
            bottom = y + 1;
        }
    return top < 0 ? std::pair(0, 0) : std::pair(top, bottom);
}

// The tallest line of a loudness picture, in pixels.
int Tallest(const Surface& s)
{
    int most = 0;
    for (int x = 0; x < s.Width; ++x) {
        const auto [top, bottom] = LitRows(s, x);
        most = std::max(most, bottom - top);
    }
    return most;
}

// The manual device with a watch between its capture side and the engine:
// after each block the engine has taken, the recording being watched must
// still start with its header and must not have shrunk. While capture is
// open the buffer is the capture thread's alone and only grows, so between
// two of its blocks that thread may read it; a buffer freed before capture
// ends is seen at the next block as gone, shrunk, or replaced by one
// without the header.
class WatchedDevice final : public AudioDevice, private AudioCallbacks {
public:
    explicit WatchedDevice(std::unique_ptr<ManualAudioDevice> device) : device_(std::move(device))
    {
    }
    ManualAudioDevice& manual() { return *device_; }
    // Watches `buffer` from now on; null stops watching. Call while nothing
    // feeds the device.
    void watch(const RecordingBuffer* buffer)
    {
        watched_ = buffer;
        last_ = buffer ? buffer->size() : 0;
    }
    // Read once the feeding thread has ended.
    bool broken() const { return broken_; }

    bool openPlayback(const DeviceFormat& format, AudioCallbacks& callbacks) override
    {
        return device_->openPlayback(format, callbacks);
    }
    void startPlayback() override { device_->startPlayback(); }
    void closePlayback() override { device_->closePlayback(); }
    int playbackBufferFrames() const override { return device_->playbackBufferFrames(); }
    std::vector<std::string> captureNames() override { return device_->captureNames(); }
    bool openCapture(int input, const DeviceFormat& format, AudioCallbacks& callbacks) override
    {
        engine_ = &callbacks;
        return device_->openCapture(input, format, *this);
    }
    void closeCapture() override { device_->closeCapture(); }

private:
    void renderPlayback(int16_t*, int, int) override {}
    // On the feeding thread, while the device holds capture open.
    void captureArrived(const int16_t* in, int frames, int channels) override
    {
        engine_->captureArrived(in, frames, channels);
        if (!watched_)
            return;
        const size_t size = watched_->size();
        const uint8_t* data = watched_->data();
        if (size < last_ || size < 4 || !data || std::memcmp(data, "RIFF", 4) != 0)
            broken_ = true;
        last_ = size;
    }

    std::unique_ptr<ManualAudioDevice> device_;
    AudioCallbacks* engine_ = nullptr;
    const RecordingBuffer* watched_ = nullptr;
    size_t last_ = 0;
    bool broken_ = false;
};

// A program folder with book Pub/Book, voices "v1" (44100 Hz) and "v2"
// (22050 Hz), its rows:
//   0 word "cat" page 1, 1 sent page 1, 2 sent without text page 2,
//   3 other page 2, 4 sent page 3, 5 sent page 4 in voice v2,
// each row's tone over [row s, row.6 s] of its voice; the window over it.
struct Rig {
    fakes::AlignerScript aligner;
    QTemporaryDir dir;
    ProgramPaths paths;
    OpenBook book;
    fakes::ScriptedMessages messages;
    ManualAudioDevice* device = nullptr;
    WatchedDevice* watched = nullptr;
    std::unique_ptr<AudioEngine> engine;
    std::unique_ptr<VoicePlayer> player;
    QStringList errors;
    std::unique_ptr<TfrmFollow> window;
    bool opened = false;

    explicit Rig(int currentPage = 1, std::vector<std::string> inputs = {"Manual input"},
                 const QString& programFile = {}, bool hasPlayback = true, bool holdAligner = false)
    {
        paths.ProgramFolder = dir.path();
        paths.TempFolder = dir.path();
        paths.SettingsPath = dir.filePath("settings.ini");
        paths.ProgramFile = programFile.isEmpty() ? dir.filePath("zarelo") : programFile;
        fakes::TestBook files;
        const auto entry = [&](int page, const char* kind, const char* english, const char* voice) {
            fakes::TestEntry e;
            e.Page = page;
            e.Kind = kind;
            e.English = english;
            e.Voice = voice;
            files.Entries.push_back(e);
        };
        entry(1, "word", "cat", "v1");
        entry(1, "sent", "Good morning.", "v1");
        entry(2, "sent", "", "v1");
        entry(2, "other", "Sing a song.", "v1");
        entry(3, "sent", "Goodbye.", "v1");
        entry(4, "sent", "See you.", "v2");
        files.Voices = {{"v1", {"v1.wav", kRate}}, {"v2", {"v2.wav", 22050}}};
        files.write(dir.path());

        auto outer = std::make_unique<WatchedDevice>(
            std::make_unique<ManualAudioDevice>(std::move(inputs), hasPlayback));
        watched = outer.get();
        device = &outer->manual();
        engine = std::make_unique<AudioEngine>(std::move(outer));
        engine->BASS_Init(-1, kRate, 0, nullptr, nullptr);
        engine->BASS_Start();
        player = std::make_unique<VoicePlayer>(*engine, book, paths, messages);
        book.CurrentPublisher = "Pub";
        book.CurrentBook = "Book";
        if (!LoadBookContent(paths, book, messages, nullptr, {},
                             [this] { player->OpenVoiceFile(book.CurrentBook); }))
            qFatal("the test book does not load");
        book.CurrentPage = currentPage;

        aligner.hold(holdAligner);
        window = std::make_unique<TfrmFollow>(
            FollowWindowContext{paths, book, *player, *engine, messages,
                                [this](const QString& t) { errors << t; }, aligner.factory()});
        window->PosTimer->setInterval(kNever); // ticked by the test
        window->Timer1->setInterval(kNever);
        opened = window->FormCreate();
        if (opened)
            window->show();
    }

    ~Rig()
    {
        aligner.hold(false);
        window.reset();
        player.reset();
        engine.reset();
    }

    void click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
    // The frames of `seconds` of time, as the device plays them.
    std::vector<int16_t> play(double seconds) { return device->render(int(seconds * kRate)); }
    int rowHeard(const std::vector<int16_t>& frames) const
    {
        return fakes::TestBook::RowHeard(frames, book.Content.Sentences.count());
    }
    QByteArray recordingFile() const
    {
        QFile file(window->RecordingFile());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // Records `samples` between two clicks of bRecord.
    void record(const std::vector<int16_t>& samples)
    {
        click(window->bRecord);
        device->feedCapture(samples);
        click(window->bRecord);
    }
};

} // namespace

class FollowWindowTest : public QObject {
    Q_OBJECT
private slots:
    void opensOnTheFirstSentenceWithItsPictureAndTheInput();
    void recordingIsSavedMeasuredPlayedBackAndReplacedByTheNext();
    void referencePlaysItsRangeAndTheComparisonAddsTheRecordingOnce();
    void nextAndPreviousMoveThroughTheBooksSentences();
    void firstSentenceAtOrAfterTheCurrentPageElseEntryZero();
    void closingWhileRecordingEndsTheRecordingFirst();
    void noRecordingDeviceClosesOnlyTheWindow();
    void failuresSayWhatWentWrongAndKeepTheWindowUsable();
    void aWordClickedPlaysTheBooksThenTheRecordingsAndAMissingOneIsGreyed();
};

void FollowWindowTest::opensOnTheFirstSentenceWithItsPictureAndTheInput()
{
    Rig rig;
    QVERIFY(rig.opened);
    TfrmFollow& w = *rig.window;
    QCOMPARE(w.windowTitle(), QStringLiteral("口语跟读练习"));
    // One row taller than the controls above it, which keep their places.
    QCOMPARE(w.size(), QSize(641, 487));
    QCOMPARE(w.GroupBox3->geometry(), QRect(8, 226, 625, 124));
    QCOMPARE(w.bRecord->geometry(), QRect(8, 396, 96, 30));
    QVERIFY(w.WordRow->geometry().top() >= w.Bevel1->geometry().bottom());
    QVERIFY(w.WordRow->geometry().bottom() < w.height());
    QCOMPARE(rig.book.CurrentSentence, 1);
    QCOMPARE(w.memoSentText->toPlainText(), QStringLiteral("Good morning."));
    QCOMPARE(rig.player->PlayRangeStart, 10.0);
    QCOMPARE(rig.player->PlayRangeEnd, 16.0);
    QVERIFY(w.PosTimer->isActive() && w.Timer1->isActive());

    // The reference: 0.6 s of the row's tone (peak 8000) in 31 level words,
    // drawn from edge to edge, 12 pixels each side of the middle line.
    QCOMPARE(int(w.controller().ReferenceLevels.size()), 31);
    QCOMPARE(w.controller().ReferenceMax, 16000);
    QCOMPARE(w.controller().ReferenceWavePicture.Width, 600);
    QCOMPARE(LitRows(w.controller().ReferenceWavePicture, 300), std::pair(38, 62));
    QVERIFY(LitRows(w.controller().ReferenceWavePicture, 0).second > 0);
    const QImage shown = w.PaintOrgin->grab().toImage();
    QCOMPARE(shown.pixelColor(300, 45), QColor(0, 255, 128));
    QCOMPARE(shown.pixelColor(300, 10), QColor(Qt::black));
    // Until the first recording the pupil's picture is blank white.
    QCOMPARE(w.PaintFrame->grab().toImage().pixelColor(300, 50), QColor(Qt::white));

    // The one input is on and chosen, a microphone at full volume.
    QCOMPARE(w.ComboBox1->count(), 1);
    QCOMPARE(w.ComboBox1->currentText(), QStringLiteral("Manual input"));
    QCOMPARE(w.Label1->text(), QStringLiteral("话筒"));
    QCOMPARE(w.TrackBar1->value(), 100);
    QCOMPARE(w.Label2->text(), QStringLiteral("100"));
    QCOMPARE(w.TrackBar2->value(), 3);
    QVERIFY(!w.bSave->isVisible() && !w.Button1->isVisible() && !w.Label1->isVisible());
    w.grab().save(QDir::temp().filePath("zarelo-follow-window.png"));
    QVERIFY2(rig.messages.shown.isEmpty(), qPrintable(rig.messages.texts().join(u'|')));
}

void FollowWindowTest::recordingIsSavedMeasuredPlayedBackAndReplacedByTheNext()
{
    Rig rig;
    TfrmFollow& w = *rig.window;
    rig.click(w.bRecord);
    QCOMPARE(w.bRecord->text(), QStringLiteral("停止录音"));
    QVERIFY(!w.bPlay->isEnabled() && !w.bSave->isEnabled());
    QVERIFY(w.PosTimer->isActive());

    // Half as loud as the book's voice.
    const std::vector<int16_t> voice = Tone(0.5, 1000, 4000);
    rig.device->feedCapture(voice);
    w.PosTimerTimer();
    QCOMPARE(w.lPos->text(), QStringLiteral("88244"));
    // The live spectrum: a bar of the tone's band stands on the base line.
    QVERIFY(w.PaintFrame->ShowsScreen());
    const QImage spectrum = w.PaintFrame->grab().toImage();
    const int band = int(std::lround(1000.0 / (kRate / 1024.0))) - 5;
    QCOMPARE(spectrum.pixelColor(10 + band * 6 + 2, 89), QColor(Qt::white));
    QCOMPARE(spectrum.pixelColor(10 + band * 6 + 2, 95), QColor(Qt::black));

    rig.click(w.bRecord);
    QCOMPARE(w.bRecord->text(), QStringLiteral("开始录音"));
    QVERIFY(w.bPlay->isEnabled() && w.bSave->isEnabled());
    QVERIFY(!w.PosTimer->isActive());
    QVERIFY(!w.PaintFrame->ShowsScreen());
    const QByteArray file = rig.recordingFile();
    QCOMPARE(file.size(), 44 + int(voice.size()) * 2);
    QCOMPARE(file.mid(44),
             QByteArray(reinterpret_cast<const char*>(voice.data()), qsizetype(voice.size() * 2)));
    QVERIFY(rig.window->RecordingFile().endsWith(QStringLiteral("/zarelotmp.wav")));

    // Measured in 26 level words and drawn as tall as the reference.
    QCOMPARE(int(w.controller().OwnLevels.size()), 26);
    QVERIFY(std::abs(w.controller().OwnMax - 8000) < 10);
    QVERIFY(std::abs(Tallest(w.controller().OwnWavePicture) -
                     Tallest(w.controller().ReferenceWavePicture)) <= 1);
    QVERIFY(Tallest(w.controller().OwnWavePicture) >= 20);

    rig.click(w.bPlay);
    QCOMPARE(rig.play(0.5), voice);
    QVERIFY(Silent(rig.play(0.1)));

    // A second recording discards the first before it starts.
    rig.click(w.bRecord);
    QCOMPARE(w.Recorder().OwnVoiceStream, 0u);
    QCOMPARE(w.Recorder().Buffer.size(), size_t(44));
    const std::vector<int16_t> again = Tone(0.1, 3000, 2000);
    rig.device->feedCapture(again);
    rig.click(w.bRecord);
    QCOMPARE(rig.recordingFile().size(), 44 + int(again.size()) * 2);
    rig.click(w.bPlay);
    QCOMPARE(rig.play(0.1), again);
    QVERIFY2(rig.messages.shown.isEmpty(), qPrintable(rig.messages.texts().join(u'|')));
    QVERIFY2(rig.errors.isEmpty(), qPrintable(rig.errors.join(u'|')));
}

void FollowWindowTest::referencePlaysItsRangeAndTheComparisonAddsTheRecordingOnce()
{
    Rig rig;
    TfrmFollow& w = *rig.window;
    const std::vector<int16_t> voice = Tone(0.2, 2500, 6000);
    rig.record(voice);

    // "播放原音": the sentence's range, stopped at the first tick past its end.
    w.Timer1->stop();
    rig.click(w.btnPlayOrgin);
    QVERIFY(w.Timer1->isActive());
    QCOMPARE(rig.rowHeard(rig.play(0.5)), 1);
    w.Timer1Timer();
    QVERIFY(w.Timer1->isActive());
    rig.play(0.15);
    w.Timer1Timer();
    QVERIFY(!w.Timer1->isActive());
    QCOMPARE(rig.engine->BASS_ChannelIsActive(rig.player->VoiceStream), 0u);
    QVERIFY(Silent(rig.play(0.3)));

    // "声音比对": the range, then at once the recording, once.
    rig.click(w.Button5);
    QVERIFY(w.controller().ComparePending);
    QCOMPARE(rig.rowHeard(rig.play(0.5)), 1);
    w.Timer1Timer();
    QVERIFY(w.controller().ComparePending);
    rig.play(0.15);
    w.Timer1Timer();
    QVERIFY(!w.controller().ComparePending);
    QCOMPARE(rig.play(0.2), voice);
    w.Timer1Timer();
    QVERIFY(Silent(rig.play(0.3)));

    // The pupil's voice stops the reference, and the reference the pupil's.
    rig.click(w.btnPlayOrgin);
    rig.click(w.bPlay);
    QCOMPARE(rig.play(0.2), voice);
    rig.click(w.btnPlayOrgin);
    QCOMPARE(rig.rowHeard(rig.play(0.2)), 1);
}

void FollowWindowTest::nextAndPreviousMoveThroughTheBooksSentences()
{
    Rig rig;
    TfrmFollow& w = *rig.window;
    // Next skips the word, the sentence without text and the other line,
    // and stops the reference first.
    rig.click(w.btnPlayOrgin);
    rig.click(w.Button4);
    QCOMPARE(rig.book.CurrentSentence, 4);
    QCOMPARE(rig.engine->BASS_ChannelIsActive(rig.player->VoiceStream), 0u);
    QCOMPARE(w.memoSentText->toPlainText(), QStringLiteral("Goodbye."));
    QCOMPARE(rig.player->PlayRangeStart, 40.0);
    QCOMPARE(LitRows(w.controller().ReferenceWavePicture, 300), std::pair(38, 62));

    // Into the other voice file: it is loaded and its range measured.
    rig.click(w.Button4);
    QCOMPARE(rig.book.CurrentSentence, 5);
    QCOMPARE(rig.book.CurrentVoiceName, QByteArray("v2"));
    QCOMPARE(rig.book.LoadedVoiceName, QByteArray("v2"));
    QCOMPARE(w.memoSentText->toPlainText(), QStringLiteral("See you."));
    QCOMPARE(LitRows(w.controller().ReferenceWavePicture, 300), std::pair(38, 62));
    rig.click(w.btnPlayOrgin);
    QCOMPARE(rig.rowHeard(rig.play(0.4)), 5);
    rig.click(w.Button4);
    QCOMPARE(rig.book.CurrentSentence, 5); // no sentence after the last

    rig.click(w.Button3);
    QCOMPARE(rig.book.CurrentSentence, 4);
    QCOMPARE(rig.book.CurrentVoiceName, QByteArray("v1"));
    // Previous leaves a playing reference alone.
    rig.click(w.btnPlayOrgin);
    rig.click(w.Button3);
    QCOMPARE(rig.book.CurrentSentence, 1);
    QCOMPARE(rig.engine->BASS_ChannelIsActive(rig.player->VoiceStream), 1u);
    rig.click(w.Button3);
    QCOMPARE(rig.book.CurrentSentence, 1); // the word before it is no sentence
    QVERIFY2(rig.messages.shown.isEmpty(), qPrintable(rig.messages.texts().join(u'|')));
}

void FollowWindowTest::firstSentenceAtOrAfterTheCurrentPageElseEntryZero()
{
    {
        Rig rig(2);
        QCOMPARE(rig.book.CurrentSentence, 4);
        QCOMPARE(rig.rowHeard((rig.click(rig.window->btnPlayOrgin), rig.play(0.4))), 4);
    }
    Rig rig(9);
    QCOMPARE(rig.book.CurrentSentence, 0);
    QCOMPARE(rig.window->memoSentText->toPlainText(), QStringLiteral("cat"));
    QCOMPARE(int(rig.window->controller().ReferenceLevels.size()), 31);
}

void FollowWindowTest::closingWhileRecordingEndsTheRecordingFirst()
{
    Rig rig;
    rig.record(Tone(0.1, 500, 3000));
    rig.click(rig.window->bRecord);
    QVERIFY(rig.device->captureOpen());
    // Capture arrives from a thread of its own, as from a device, in blocks
    // of a second until the thread finds it closed; a frame delivered means
    // capture was open. This thread waits for it by a relaxed count, which
    // orders nothing: only ending capture orders the thread's appends before
    // the buffer is freed. Freed first, the block in progress lands in a
    // buffer that is going or gone: the watch sees it, or the freed memory
    // is written (AddressSanitizer).
    rig.watched->watch(&rig.window->Recorder().Buffer);
    const std::vector<int16_t> second = Tone(1.0, 500, 3000);
    std::atomic<int> feeds{0};
    std::thread capture([&] {
        while (rig.device->feedCapture(second, kRate) > 0)
            feeds.fetch_add(1, std::memory_order_relaxed);
    });
    while (feeds.load(std::memory_order_relaxed) < 1)
        std::this_thread::yield();
    rig.window.reset();
    capture.join();
    rig.watched->watch(nullptr);
    QVERIFY(!rig.watched->broken());
    QVERIFY(!rig.device->captureOpen());
    QCOMPARE(rig.device->feedCapture(Tone(0.1, 500, 3000)), 0);
    // The player goes on with the book's voice.
    rig.player->PlayRange(10, 16);
    QCOMPARE(rig.rowHeard(rig.play(0.4)), 1);
    // And a new window records again.
    rig.window = std::make_unique<TfrmFollow>(
        FollowWindowContext{rig.paths, rig.book, *rig.player, *rig.engine, rig.messages, {}, {}});
    QVERIFY(rig.window->FormCreate());
    const std::vector<int16_t> voice = Tone(0.1, 700, 3000);
    rig.record(voice);
    QCOMPARE(rig.recordingFile().size(), 44 + int(voice.size()) * 2);
}

void FollowWindowTest::noRecordingDeviceClosesOnlyTheWindow()
{
    Rig rig(1, {});
    QVERIFY(!rig.opened);
    QCOMPARE(rig.messages.shown.size(), 1);
    QCOMPARE(rig.messages.shown[0].text, QStringLiteral("Cannot start default recording device!"));
    QCOMPARE(rig.messages.shown[0].caption, QStringLiteral("Error"));
    rig.window.reset();
    rig.player->PlayRange(10, 16);
    QCOMPARE(rig.rowHeard(rig.play(0.4)), 1);
}

void FollowWindowTest::failuresSayWhatWentWrongAndKeepTheWindowUsable()
{
    // An unwritable program folder: the file is named in the report, the
    // recording still plays and is measured from memory.
    {
        Rig rig(1, {"Manual input"}, QStringLiteral("/nonexistent-folder/zarelo"));
        TfrmFollow& w = *rig.window;
        const std::vector<int16_t> voice = Tone(0.2, 800, 4000);
        rig.record(voice);
        QCOMPARE(rig.errors.size(), 1);
        QVERIFY2(rig.errors[0].contains(QStringLiteral("/nonexistent-folder/zarelotmp.wav")),
                 qPrintable(rig.errors[0]));
        QVERIFY(w.bPlay->isEnabled());
        QCOMPARE(int(w.controller().OwnLevels.size()), 11);
        QVERIFY(Tallest(w.controller().OwnWavePicture) >= 20);
        rig.click(w.bPlay);
        QCOMPARE(rig.play(0.2), voice);
    }
    // A microphone but no playback device: the recording cannot be made
    // playable; the file is still written.
    {
        Rig rig(1, {"Manual input"}, {}, false);
        TfrmFollow& w = *rig.window;
        rig.messages.shown.clear(); // the voice player's own complaint
        const std::vector<int16_t> voice = Tone(0.1, 800, 4000);
        rig.record(voice);
        QCOMPARE(rig.messages.texts(),
                 QStringList{QStringLiteral("Error creating stream from recorded data!")});
        QCOMPARE(rig.messages.shown[0].caption, QStringLiteral("Error"));
        QCOMPARE(w.bRecord->text(), QStringLiteral("开始录音"));
        QVERIFY(!w.bPlay->isEnabled() && !w.bSave->isEnabled());
        QCOMPARE(rig.recordingFile().size(), 44 + int(voice.size()) * 2);
        QVERIFY(w.controller().OwnLevels.empty()); // nothing to measure without the stream
    }
    Rig rig;
    TfrmFollow& w = *rig.window;
    // The input's volume applies to what is recorded.
    w.TrackBar1->setValue(50);
    QCOMPARE(w.Label2->text(), QStringLiteral("50"));
    float volume = 0;
    rig.engine->BASS_RecordGetInput(0, &volume);
    QCOMPARE(volume, 0.5f);
    rig.record(Tone(0.1, 600, 8000));
    QVERIFY(std::abs(w.controller().OwnMax - 8000) < 20);

    // No input chosen: nothing records, the position timer runs.
    w.ComboBox1->setCurrentIndex(-1);
    rig.click(w.bRecord);
    QCOMPARE(w.bRecord->text(), QStringLiteral("开始录音"));
    QVERIFY(!w.Recorder().IsRecording());
    QVERIFY(w.PosTimer->isActive());
    w.ComboBox1->setCurrentIndex(0);
    w.PosTimer->stop();

    // An empty recording is a file of no samples that plays nothing.
    rig.click(w.bRecord);
    rig.click(w.bRecord);
    QCOMPARE(rig.recordingFile().size(), 44);
    rig.click(w.bPlay);
    QVERIFY(Silent(rig.play(0.1)));
    QVERIFY(rig.messages.shown.isEmpty());

    // The recording device gone: the start fails, the buffer is emptied.
    rig.engine->BASS_RecordFree();
    rig.click(w.bRecord);
    QCOMPARE(rig.messages.texts(), QStringList{QStringLiteral("Couldn't start recording!")});
    QCOMPARE(rig.messages.shown[0].caption, QStringLiteral("Error"));
    QCOMPARE(w.bRecord->text(), QStringLiteral("开始录音"));
    QVERIFY(w.Recorder().Buffer.empty());
    w.PosTimerTimer(); // nothing to show
    QVERIFY(rig.errors.isEmpty());
}

// Pixels of `image` inside a margin of 4 that are nearly black: the text
// of a plain button, none on a greyed one.
int DarkPixels(const QImage& image)
{
    int dark = 0;
    for (int y = 4; y < image.height() - 4; ++y)
        for (int x = 4; x < image.width() - 4; ++x)
            if (qGray(image.pixel(x, y)) < 60)
                ++dark;
    return dark;
}

void FollowWindowTest::aWordClickedPlaysTheBooksThenTheRecordingsAndAMissingOneIsGreyed()
{
    // Held until the answers are written: the first call comes at once.
    Rig rig(1, {"Manual input"}, {}, true, true);
    TfrmFollow& w = *rig.window;
    rig.aligner.answer({fakes::FoundAt("Good", 0, 250), fakes::FoundAt("morning", 300, 600)});
    rig.aligner.answer({fakes::FoundAt("Good", 0, 200), fakes::NotFound("morning")});
    rig.aligner.hold(false);
    QTRY_COMPARE(int(w.WordButtons.size()), 2);
    QCOMPARE(w.WordButtons[0]->text(), QStringLiteral("Good"));
    QCOMPARE(w.WordButtons[1]->text(), QStringLiteral("morning"));
    QCOMPARE(w.WordButtons[1]->objectName(), QStringLiteral("WordButton1"));

    // A known reading: "Good" as a tone, a pause, then a sound the aligner
    // does not take for "morning".
    std::vector<int16_t> reading = Tone(0.2, 1000, 6000);
    reading.resize(reading.size() + size_t(0.1 * kRate) * 2);
    const std::vector<int16_t> other = Tone(0.2, 2000, 6000);
    reading.insert(reading.end(), other.begin(), other.end());
    reading.resize(reading.size() + size_t(0.1 * kRate) * 2);
    rig.record(reading);
    QTRY_VERIFY(!w.WordButtons[1]->toolTip().isEmpty());
    QCOMPARE(w.WordButtons[1]->toolTip(), QStringLiteral("没有录到这个词"));
    QCOMPARE(w.WordButtons[0]->toolTip(), QString());
    QVERIFY(w.WordButtons[1]->isEnabled());
    QVERIFY(DarkPixels(w.WordButtons[0]->grab().toImage()) > 0);
    QCOMPARE(DarkPixels(w.WordButtons[1]->grab().toImage()), 0);

    // "Good": the book's 0..250 ms of the sentence, then the pupil's 0..200 ms.
    w.Timer1->stop();
    rig.click(w.WordButtons[0]);
    QVERIFY(w.Timer1->isActive());
    QCOMPARE(rig.rowHeard(rig.play(0.26)), 1);
    w.Timer1Timer();
    QCOMPARE(rig.play(0.2), std::vector<int16_t>(reading.begin(), reading.begin() + 2 * 8820));
    rig.play(0.02);
    w.Timer1Timer();
    QVERIFY(!w.Timer1->isActive());
    QVERIFY(Silent(rig.play(0.2)));
    // Marked on both pictures: a band over the book's 0..250 ms (of 0..600)
    // and over the pupil's 0..200 ms (of the 0..500 ms drawn).
    const QColor band(96, 96, 0);
    const QImage reference = w.PaintOrgin->grab().toImage();
    QCOMPARE(reference.pixelColor(100, 10), band);
    QCOMPARE(reference.pixelColor(245, 10), band);
    QCOMPARE(reference.pixelColor(260, 10), QColor(Qt::black));
    const QImage own = w.PaintFrame->grab().toImage();
    QCOMPARE(own.pixelColor(100, 5), band);
    QCOMPARE(own.pixelColor(235, 5), band);
    QCOMPARE(own.pixelColor(250, 5), QColor(Qt::black));
    w.grab().save(QDir::temp().filePath("zarelo-follow-words.png"));

    // "morning", greyed: the book's word alone; the mark leaves the pupil's picture.
    rig.click(w.WordButtons[1]);
    QCOMPARE(rig.rowHeard(rig.play(0.31)), 1);
    w.Timer1Timer();
    QVERIFY(!w.Timer1->isActive());
    QVERIFY(Silent(rig.play(0.3)));
    QCOMPARE(w.PaintOrgin->grab().toImage().pixelColor(400, 10), band);
    QCOMPARE(w.PaintOrgin->grab().toImage().pixelColor(100, 10), QColor(Qt::black));
    QCOMPARE(w.PaintFrame->grab().toImage().pixelColor(100, 5), QColor(Qt::black));

    // The next sentence empties the row until its own words are found.
    rig.click(w.Button4);
    QVERIFY(w.WordButtons.empty());
    QTRY_COMPARE(int(w.WordButtons.size()), 1);
    QCOMPARE(w.WordButtons[0]->text(), QStringLiteral("Goodbye"));
    QVERIFY2(rig.messages.shown.isEmpty(), qPrintable(rig.messages.texts().join(u'|')));
    QVERIFY2(rig.errors.isEmpty(), qPrintable(rig.errors.join(u'|')));
}

QTEST_MAIN(FollowWindowTest)
#include "FollowWindowTest.moc"
