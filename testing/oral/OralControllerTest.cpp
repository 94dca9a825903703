// The oral training controller over a fake window, with the real engine and
// voice player on the manual sound device and a test book in a temporary
// folder: what is heard in which order, the sentences offered, a
// recording whose capture ends without the pupil's click, and the word row
// over a scripted aligner on the controller's aligning thread.

#include "oral/OralController.h"
#include "base/uPublicVarDefine.h"
#include "oral/VoiceWave.h"
#include "support/ManualVoice.h"
#include "support/ScriptedAligner.h"
#include "support/ScriptedMessages.h"
#include "support/TestBook.h"
#include "support/Wav.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QtCore/qtestsupport_core.h>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>

namespace zarelo {
namespace {

constexpr int kRate = 44100;
const QByteArray kSaid = "there DH EH R\n";

// Stereo frames of a sine of `hz` with peak `amplitude`.
std::vector<int16_t> Tone(double seconds, double hz, double amplitude)
{
    return fakes::StereoTone(kRate, seconds, hz, amplitude);
}

using fakes::Silent;

uint32_t Le32(const QByteArray& bytes, int at)
{
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.constData() + at);
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

bool AnyLit(const Surface& s)
{
    for (int y = 0; y < s.Height; ++y)
        for (int x = 0; x < s.Width; ++x)
            if (s.at(x, y) != MakePixel(0, 0, 0))
                return true;
    return false;
}

// The window as the controller sees it: each control's state as a field.
struct FakeView final : OralView {
    QStringList inputs;
    int input = -1;
    int volume = 0;
    QString volumeText, inputType, sentence, recordCaption = QStringLiteral("开始录音"), position;
    bool ownVoiceEnabled = true, posTimer = false, timer1 = false;
    int spectrumFrames = 0, referenceShown = 0, ownShown = 0;

    void SetInputs(const QStringList& names) override { inputs = names, input = -1; }
    void SetCurrentInput(int i) override { input = i; }
    int CurrentInput() const override { return input; }
    int VolumePosition() const override { return volume; }
    void SetVolumePosition(int percent) override { volume = percent; }
    void ShowVolume(const QString& text) override { volumeText = text; }
    void ShowInputType(const QString& text) override { inputType = text; }
    int NoiseThreshold() const override { return 3; }
    QSize PictureSize() const override { return {600, 100}; }
    void ShowSentenceText(const QString& text) override { sentence = text; }
    void SetRecordCaption(const QString& text) override { recordCaption = text; }
    void SetOwnVoiceEnabled(bool on) override { ownVoiceEnabled = on; }
    void SetPosTimerActive(bool on) override { posTimer = on; }
    void SetTimer1Active(bool on) override { timer1 = on; }
    void ShowPosition(const QString& text) override { position = text; }
    void ShowSpectrum(const float*) override { ++spectrumFrames; }
    void ShowReferencePicture() override { ++referenceShown; }
    void ShowOwnPicture() override { ++ownShown; }
    QObject* MessageOwner() override { return nullptr; }
    // The word row: every list shown, and the greyed words of the last one.
    std::vector<QStringList> shownWords;
    std::vector<bool> missing;
    void ShowWords(const QStringList& words) override
    {
        shownWords.push_back(words);
        missing.assign(size_t(words.size()), false);
    }
    void SetWordMissing(int index, bool on) override { missing.at(size_t(index)) = on; }
};

// A program folder with book Pub/Book: row 0 sentence "Hello there." (page
// 1, voice v1), row 1 a word (page 1), row 2 sentence "Goodbye." (page 2,
// voice v2, 22050 Hz); each row's tone over [row s, row.6 s] of its voice.
// The controller over it, created.
// The practice the training reports, as calls.
struct PracticeCalls final : PracticeLog {
    QStringList calls;
    void Played(int items) override { calls << QStringLiteral("played %1").arg(items); }
    void Paused() override { calls << QStringLiteral("paused"); }
    void Ended() override { calls << QStringLiteral("ended"); }
};

struct Rig {
    PracticeCalls practice;
    // The aligner's results come back through the event loop.
    int argc = 1;
    char name[8] = "oral";
    char* argv[1] = {name};
    QCoreApplication app{argc, argv};
    fakes::AlignerScript aligner;
    QTemporaryDir dir;
    ProgramPaths paths;
    OpenBook book;
    fakes::ScriptedMessages messages;
    QStringList errors;
    ManualAudioDevice* device = nullptr;
    std::unique_ptr<AudioEngine> engine;
    std::unique_ptr<VoicePlayer> player;
    FakeView view;
    std::unique_ptr<OralController> controller;

    // aligning: with the scripted aligner, its calls held back when `held`.
    explicit Rig(bool aligning = false, bool held = false)
    {
        aligner.hold(held);
        paths.ProgramFolder = dir.path();
        paths.TempFolder = dir.path();
        paths.SettingsPath = dir.filePath("settings.ini");
        paths.ProgramFile = dir.filePath("zarelo");
        fakes::TestBook files;
        const auto entry = [&](int page, const char* kind, const char* english, const char* voice) {
            fakes::TestEntry e;
            e.Page = page;
            e.Kind = kind;
            e.English = english;
            e.Voice = voice;
            files.Entries.push_back(e);
        };
        entry(1, "sent", "Hello there.", "v1");
        entry(1, "word", "cat", "v1");
        entry(2, "sent", "Goodbye.", "v2");
        files.Voices = {{"v1", {"v1.wav", kRate}}, {"v2", {"v2.wav", 22050}}};
        // The book's own pronunciations, handed to the aligner with each job.
        QFile said(files.write(dir.path()) + QStringLiteral("/pronunciations.dict"));
        if (!said.open(QIODevice::WriteOnly) || said.write(kSaid) != kSaid.size())
            ADD_FAILURE() << "cannot write the book's pronunciations";
        said.close();

        if (!fakes::OpenManualVoice(paths, book, messages, device, engine, player, kRate))
            ADD_FAILURE() << "the test book does not load";
        book.CurrentPage = 1;
        controller = std::make_unique<OralController>(
            OralContext{paths, book, *player, *engine, messages,
                        [this](const QString& text) { errors << text; },
                        aligning ? aligner.factory() : WordAlignWorker::MakeAligner(), &practice},
            view);
        if (!controller->FormCreate())
            ADD_FAILURE() << "no recording device";
    }

    ~Rig()
    {
        controller->FormDestroy();
        controller.reset();
        player.reset();
        engine.reset();
    }

    // The frames of `seconds` of time, as the device plays them.
    std::vector<int16_t> play(double seconds) { return device->render(int(seconds * kRate)); }
    int rowHeard(const std::vector<int16_t>& frames) const
    {
        return fakes::TestBook::RowHeard(frames, book.Content.Sentences.count());
    }
    void record(const std::vector<int16_t>& samples)
    {
        controller->bRecordClick();
        device->feedCapture(samples);
        controller->bRecordClick();
    }
    // Runs the event loop until `done` holds; false after 10 s without.
    bool waitFor(const std::function<bool()>& done) { return QTest::qWaitFor(done, 10000); }
    QByteArray recordingFile() const
    {
        QFile file(controller->RecordingFile());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

TEST(OralController, TheComparisonPlaysTheReferenceRangeThenTheRecordingOnce)
{
    Rig rig;
    OralController& c = *rig.controller;
    const std::vector<int16_t> voice = Tone(0.2, 2500, 6000);
    rig.record(voice);

    // The reference alone: its range, then silence once the range is over.
    c.btnPlayOrginClick();
    EXPECT_TRUE(rig.view.timer1);
    EXPECT_FALSE(c.ComparePending);
    EXPECT_EQ(rig.rowHeard(rig.play(0.65)), 0);
    c.Timer1Timer();
    EXPECT_FALSE(rig.view.timer1);
    EXPECT_TRUE(Silent(rig.play(0.3)));

    // The comparison: the same range, then the recording from its start,
    // once, and then silence however often the timer ticks.
    c.Button5Click();
    EXPECT_TRUE(rig.view.timer1);
    EXPECT_EQ(rig.rowHeard(rig.play(0.3)), 0);
    c.Timer1Timer();
    EXPECT_TRUE(c.ComparePending) << "the range is not over yet";
    EXPECT_EQ(rig.rowHeard(rig.play(0.35)), 0);
    c.Timer1Timer();
    EXPECT_FALSE(c.ComparePending);
    EXPECT_FALSE(rig.view.timer1);
    EXPECT_EQ(rig.play(0.2), voice);
    c.Timer1Timer();
    c.Timer1Timer();
    EXPECT_TRUE(Silent(rig.play(0.5)));
    EXPECT_TRUE(rig.messages.shown.isEmpty());
    EXPECT_TRUE(rig.errors.isEmpty());
}

TEST(OralController, NextAndPreviousShowEachSentenceInItsOwnVoiceAndMeasureIt)
{
    Rig rig;
    OralController& c = *rig.controller;
    EXPECT_EQ(rig.book.CurrentSentence, 0);
    EXPECT_EQ(rig.view.sentence, QStringLiteral("Hello there."));
    EXPECT_EQ(rig.view.inputs, QStringList{QStringLiteral("Manual input")});
    EXPECT_EQ(rig.view.input, 0);
    EXPECT_EQ(rig.view.inputType, QStringLiteral("话筒"));
    EXPECT_EQ(rig.view.volumeText, QStringLiteral("100"));

    // Next skips the word and loads the other voice; its range is measured
    // from that voice and drawn.
    c.ReferenceLevels.clear();
    const int shown = rig.view.referenceShown;
    c.Button4Click();
    EXPECT_EQ(rig.book.CurrentSentence, 2);
    EXPECT_EQ(rig.view.sentence, QStringLiteral("Goodbye."));
    EXPECT_EQ(rig.book.CurrentVoiceName, QByteArray("v2"));
    EXPECT_EQ(rig.book.LoadedVoiceName, QByteArray("v2"));
    EXPECT_EQ(rig.player->PlayRangeStart, 20.0);
    EXPECT_EQ(rig.player->PlayRangeEnd, 26.0);
    EXPECT_EQ(c.ReferenceLevels.size(), 31u);
    EXPECT_EQ(c.ReferenceMax, 16000);
    EXPECT_TRUE(AnyLit(c.ReferenceWavePicture));
    EXPECT_EQ(rig.view.referenceShown, shown + 1);
    c.btnPlayOrginClick();
    EXPECT_EQ(rig.rowHeard(rig.play(0.4)), 2);

    // None after the last: nothing changes but the reference stops.
    c.Button4Click();
    EXPECT_EQ(rig.book.CurrentSentence, 2);
    EXPECT_EQ(rig.engine->BASS_ChannelIsActive(rig.player->VoiceStream), 0u);

    // Previous goes back into the first voice.
    c.Button3Click();
    EXPECT_EQ(rig.book.CurrentSentence, 0);
    EXPECT_EQ(rig.view.sentence, QStringLiteral("Hello there."));
    EXPECT_EQ(rig.book.CurrentVoiceName, QByteArray("v1"));
    c.btnPlayOrginClick();
    EXPECT_EQ(rig.rowHeard(rig.play(0.4)), 0);
    c.Button3Click();
    EXPECT_EQ(rig.book.CurrentSentence, 0);
    EXPECT_TRUE(rig.messages.shown.isEmpty());
}

TEST(OralController, ACaptureThatEndsByItselfIsKeptAsAfterStopRecording)
{
    Rig rig;
    OralController& c = *rig.controller;
    c.bRecordClick();
    ASSERT_TRUE(c.Recording());
    EXPECT_EQ(rig.view.recordCaption, QStringLiteral("停止录音"));
    EXPECT_FALSE(rig.view.ownVoiceEnabled);
    const std::vector<int16_t> voice = Tone(0.3, 1000, 4000);
    rig.device->feedCapture(voice);
    c.PosTimerTimer();
    const size_t n = voice.size() * 2;
    EXPECT_EQ(rig.view.position, QString::number(44 + n));
    EXPECT_EQ(rig.view.spectrumFrames, 1);

    // The engine ends capture without the pupil (as when the callback
    // refuses more): the next tick keeps what was recorded.
    rig.engine->BASS_ChannelStop(c.Recorder().RecordingHandle);
    const int ownShown = rig.view.ownShown;
    c.PosTimerTimer();
    EXPECT_FALSE(c.Recording());
    EXPECT_FALSE(rig.view.posTimer);
    EXPECT_EQ(rig.view.recordCaption, QStringLiteral("开始录音"));
    EXPECT_TRUE(rig.view.ownVoiceEnabled);
    EXPECT_EQ(rig.view.spectrumFrames, 1) << "the tick shows no more spectrum";
    const QByteArray file = rig.recordingFile();
    ASSERT_EQ(size_t(file.size()), 44 + n);
    EXPECT_EQ(Le32(file, 4), 36 + n);
    EXPECT_EQ(Le32(file, 40), n);
    EXPECT_EQ(c.OwnLevels.size(), size_t(LevelCount(0.3)));
    EXPECT_NEAR(c.OwnMax, 8000, 10);
    EXPECT_TRUE(AnyLit(c.OwnWavePicture));
    EXPECT_GT(rig.view.ownShown, ownShown);
    c.bPlayClick();
    EXPECT_EQ(rig.play(0.3), voice);

    // The recording device goes away, and the pupil clicks "停止录音" before
    // the tick: the click keeps the recording rather than starting anew.
    c.bRecordClick();
    const std::vector<int16_t> again = Tone(0.1, 1500, 4000);
    rig.device->feedCapture(again);
    rig.engine->BASS_RecordFree();
    c.bRecordClick();
    EXPECT_FALSE(c.Recording());
    EXPECT_EQ(rig.view.recordCaption, QStringLiteral("开始录音"));
    EXPECT_TRUE(rig.view.ownVoiceEnabled);
    EXPECT_EQ(rig.recordingFile().size(), 44 + qsizetype(again.size()) * 2);
    c.bPlayClick();
    EXPECT_EQ(rig.play(0.1), again);
    EXPECT_TRUE(rig.messages.shown.isEmpty()) << rig.messages.texts().join(u'|').toStdString();
    EXPECT_TRUE(rig.errors.isEmpty());

    // As practice: the window's start, each recording kept, the window's end.
    c.FormDestroy();
    EXPECT_EQ(rig.practice.calls, (QStringList{"played 0", "played 1", "played 1", "ended"}));
}

// A reading of "Hello there.": 0.2 s of one tone, 0.1 s of silence, 0.2 s
// of another, 0.1 s of silence (stereo, as recorded).
std::vector<int16_t> Reading()
{
    std::vector<int16_t> frames = Tone(0.2, 1000, 6000);
    frames.resize(frames.size() + size_t(0.1 * kRate) * 2);
    const std::vector<int16_t> there = Tone(0.2, 2000, 6000);
    frames.insert(frames.end(), there.begin(), there.end());
    frames.resize(frames.size() + size_t(0.1 * kRate) * 2);
    return frames;
}

TEST(OralController, AClickedWordPlaysTheBooksSpanThenTheRecordingsAndMarksBoth)
{
    // Held until the answers are written: the first call comes at once.
    Rig rig(true, true);
    OralController& c = *rig.controller;
    rig.aligner.answer({fakes::FoundAt("Hello", 0, 250), fakes::FoundAt("there", 300, 550)});
    rig.aligner.answer({fakes::FoundAt("Hello", 0, 200), fakes::FoundAt("there", 300, 500)});
    rig.aligner.hold(false);
    // The row is empty until the book's sentence has been aligned: its
    // range of the book's voice, 0.6 s of the row's tone, in mono.
    ASSERT_TRUE(rig.waitFor([&] { return c.Words.size() == 2; }));
    ASSERT_EQ(rig.view.shownWords.size(), 2u);
    EXPECT_TRUE(rig.view.shownWords[0].isEmpty());
    EXPECT_EQ(rig.view.shownWords[1], (QStringList{"Hello", "there"}));
    const fakes::AlignCall book = rig.aligner.calls().at(0);
    EXPECT_EQ(book.Text, QStringLiteral("Hello there."));
    EXPECT_EQ(rig.aligner.pronunciations(), kSaid);
    EXPECT_EQ(book.Rate, kRate);
    EXPECT_EQ(book.Channels, 1);
    ASSERT_EQ(book.Samples.size(), size_t(0.6 * kRate));
    const auto peak = *std::max_element(book.Samples.begin(), book.Samples.end());
    EXPECT_NEAR(peak, fakes::TestBook::ToneAmplitude, 2);

    // Not recorded yet: the book's word alone, and the sentence's range is
    // the range again afterwards.
    c.WordClick(1);
    EXPECT_TRUE(rig.view.timer1);
    EXPECT_EQ(rig.player->PlayRangeStart, 3.0);
    EXPECT_EQ(rig.player->PlayRangeEnd, 5.5);
    EXPECT_EQ(rig.rowHeard(rig.play(0.26)), 0);
    c.Timer1Timer();
    EXPECT_FALSE(rig.view.timer1);
    EXPECT_EQ(rig.player->PlayRangeStart, 0.0);
    EXPECT_EQ(rig.player->PlayRangeEnd, 6.0);
    EXPECT_TRUE(Silent(rig.play(0.2)));
    // Marked on the book's picture only: 300..550 ms of the 0..600 ms drawn.
    EXPECT_EQ(c.ReferenceMark(), std::pair(300, 550));
    EXPECT_EQ(c.OwnMark(), std::nullopt);

    // The pupil's reading is aligned once the recording ends: all of it, in mono.
    const std::vector<int16_t> reading = Reading();
    rig.record(reading);
    ASSERT_TRUE(rig.waitFor([&] { return c.OwnWords.size() == 2; }));
    const fakes::AlignCall own = rig.aligner.calls().at(1);
    EXPECT_EQ(own.Text, QStringLiteral("Hello there."));
    EXPECT_EQ(own.Samples.size(), reading.size() / 2);
    EXPECT_EQ(own.Samples[size_t(0.25 * kRate)], 0);
    EXPECT_EQ(rig.view.missing, (std::vector<bool>{false, false}));

    // The book's "there", then at the tick past its end the pupil's "there"
    // from its first frame, stopped at the first tick past its end.
    c.WordClick(1);
    EXPECT_EQ(rig.rowHeard(rig.play(0.26)), 0);
    c.Timer1Timer();
    EXPECT_TRUE(rig.view.timer1);
    const auto at = [&](double seconds) { return reading.begin() + long(seconds * kRate) * 2; };
    EXPECT_EQ(rig.play(0.2), std::vector<int16_t>(at(0.3), at(0.5)));
    c.Timer1Timer();
    EXPECT_TRUE(rig.view.timer1) << "the end has only just been reached";
    rig.play(0.02);
    c.Timer1Timer();
    EXPECT_FALSE(rig.view.timer1);
    EXPECT_TRUE(Silent(rig.play(0.2)));
    // The recording's picture spans 0..500 ms (its silent end cut off).
    EXPECT_EQ(c.ReferenceMark(), std::pair(300, 550));
    EXPECT_EQ(c.OwnMark(), std::pair(360, 600));

    // Another control stops a word at once: "播放原音" plays the sentence.
    c.WordClick(0);
    c.btnPlayOrginClick();
    EXPECT_EQ(rig.player->PlayRangeStart, 0.0);
    EXPECT_EQ(rig.player->PlayRangeEnd, 6.0);
    EXPECT_EQ(rig.rowHeard(rig.play(0.5)), 0);
    EXPECT_TRUE(rig.messages.shown.isEmpty());
    EXPECT_TRUE(rig.errors.isEmpty());
}

TEST(OralController, AWordMissingFromTheRecordingIsGreyedAndOnlyTheBooksPlays)
{
    Rig rig(true, true);
    OralController& c = *rig.controller;
    rig.aligner.answer({fakes::FoundAt("Hello", 0, 250), fakes::FoundAt("there", 300, 550)});
    rig.aligner.answer({fakes::FoundAt("Hello", 0, 200), fakes::NotFound("there")});
    rig.aligner.hold(false);
    ASSERT_TRUE(rig.waitFor([&] { return c.Words.size() == 2; }));
    rig.record(Reading());
    ASSERT_TRUE(rig.waitFor([&] { return !c.OwnWords.empty(); }));
    EXPECT_EQ(rig.view.missing, (std::vector<bool>{false, true}));

    c.WordClick(1);
    EXPECT_EQ(rig.rowHeard(rig.play(0.26)), 0);
    c.Timer1Timer();
    EXPECT_FALSE(rig.view.timer1);
    EXPECT_TRUE(Silent(rig.play(0.3)));
    EXPECT_EQ(c.ReferenceMark(), std::pair(300, 550));
    EXPECT_EQ(c.OwnMark(), std::nullopt);

    // The next recording starts with every word plain again.
    c.bRecordClick();
    EXPECT_EQ(rig.view.missing, (std::vector<bool>{false, false}));
    EXPECT_TRUE(c.OwnWords.empty());
    EXPECT_EQ(c.ReferenceMark(), std::nullopt);
    c.bRecordClick();
}

TEST(OralController, StaleAlignmentsAreDroppedAndEachRecordingIsAlignedAgain)
{
    // The first sentence's alignment is under way when the pupil moves on.
    Rig rig(true, true);
    OralController& c = *rig.controller;
    ASSERT_TRUE(rig.waitFor([&] { return rig.aligner.callCount() == 1; }));
    rig.aligner.answer({fakes::FoundAt("Hello", 0, 250), fakes::FoundAt("there", 300, 550)});
    rig.aligner.answer({fakes::FoundAt("Goodbye", 100, 500)});
    c.Button4Click();
    rig.aligner.hold(false);
    ASSERT_TRUE(rig.waitFor([&] { return !c.Words.isEmpty(); }));
    EXPECT_EQ(c.Words, QStringList{"Goodbye"});
    EXPECT_EQ(rig.aligner.calls().at(1).Text, QStringLiteral("Goodbye."));
    EXPECT_EQ(rig.aligner.calls().at(1).Rate, 22050);
    for (const QStringList& shown : rig.view.shownWords)
        EXPECT_FALSE(shown.contains(QStringLiteral("Hello")));

    // Each recording is aligned anew: missing, then found.
    rig.aligner.answer({fakes::NotFound("Goodbye")});
    rig.aligner.answer({fakes::FoundAt("Goodbye", 50, 400)});
    rig.record(Tone(0.3, 1200, 5000));
    ASSERT_TRUE(rig.waitFor([&] { return rig.view.missing == std::vector<bool>{true}; }));
    rig.record(Tone(0.5, 1200, 5000));
    ASSERT_TRUE(rig.waitFor([&] { return !c.OwnWords.empty(); }));
    EXPECT_EQ(rig.view.missing, std::vector<bool>{false});
    EXPECT_EQ(rig.aligner.calls().at(3).Samples.size(), size_t(0.5 * kRate));
    EXPECT_EQ(c.OwnWords.at(0).StartMs, 50);

    // A recording's alignment still under way when the sentence changes is
    // not of the sentence on show: it is dropped.
    rig.aligner.hold(true);
    rig.aligner.answer({fakes::FoundAt("Goodbye", 50, 400)});
    rig.aligner.answer({fakes::FoundAt("Hello", 0, 250), fakes::FoundAt("there", 300, 550)});
    rig.record(Tone(0.3, 1200, 5000));
    ASSERT_TRUE(rig.waitFor([&] { return rig.aligner.callCount() == 5; }));
    c.Button3Click();
    rig.aligner.hold(false);
    ASSERT_TRUE(rig.waitFor([&] { return rig.aligner.callCount() == 6 && !c.Words.isEmpty(); }));
    EXPECT_EQ(c.Words, (QStringList{"Hello", "there"}));
    EXPECT_EQ(c.BookWords.at(1).StartMs, 300);
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents();
    EXPECT_TRUE(c.OwnWords.empty());
    EXPECT_EQ(rig.view.missing, (std::vector<bool>{false, false}));
    EXPECT_TRUE(rig.errors.isEmpty());
}

} // namespace
} // namespace zarelo
