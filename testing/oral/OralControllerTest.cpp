// The oral training controller over a fake window, with the real engine and
// voice player on the manual sound device and a test book in a temporary
// folder: what is heard in which order, the sentences offered, and a
// recording whose capture ends without the pupil's click.

#include "oral/OralController.h"
#include "base/uPublicVarDefine.h"
#include "oral/VoiceWave.h"
#include "support/ManualVoice.h"
#include "support/ScriptedMessages.h"
#include "support/TestBook.h"
#include "support/Wav.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>

namespace zarelo {
namespace {

constexpr int kRate = 44100;

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
};

// A program folder with book Pub/Book: row 0 sentence "Hello there." (page
// 1, voice v1), row 1 a word (page 1), row 2 sentence "Goodbye." (page 2,
// voice v2, 22050 Hz); each row's tone over [row s, row.6 s] of its voice.
// The controller over it, created.
struct Rig {
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

    Rig()
    {
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
        files.write(dir.path());

        if (!fakes::OpenManualVoice(paths, book, messages, device, engine, player, kRate))
            ADD_FAILURE() << "the test book does not load";
        book.CurrentPage = 1;
        controller = std::make_unique<OralController>(
            OralContext{paths, book, *player, *engine, messages,
                        [this](const QString& text) { errors << text; }},
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
}

} // namespace
} // namespace zarelo
