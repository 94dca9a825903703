// The voice player over a temporary program folder holding packed voices,
// played through the manual device.

#include "audio/VoicePlayer.h"

#include "AudioSignals.h"
#include "audio/ManualAudioDevice.h"
#include "base/BookError.h"
#include "base/uPublicVarDefine.h"
#include "book/BookContent.h"
#include "book/Gbk.h"
#include "book/PackedFile.h"
#include "support/ScriptedMessages.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace zarelo {
namespace {

using testaudio::rampValue;

const QString kMissing = QStringLiteral("语音文件不存在！         ");
const QString kCannotPlay = QStringLiteral("不能播放！         ");

class Voice : public ::testing::Test {
protected:
    Voice()
    {
        auto owned = std::make_unique<ManualAudioDevice>();
        device = owned.get();
        engine = std::make_unique<AudioEngine>(std::move(owned));
        engine->BASS_Init(-1, 44100, 0, nullptr, nullptr);
        engine->BASS_Start();
        paths.ProgramFolder = dir.path();
        book.CurrentPublisher = QStringLiteral("人教版");
        book.CurrentBook = QStringLiteral("七年级");
        QDir().mkpath(bookFolder());
        player = std::make_unique<VoicePlayer>(*engine, book, paths, messages);
    }

    QString bookFolder() const
    {
        return dir.path() + "/" + book.CurrentPublisher + "/" + book.CurrentBook;
    }

    void writeVoice(const QString& name, const QByteArray& content, bool packed = true)
    {
        QFile file(bookFolder() + "/" + name + ".wav");
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(packed ? PackBytes(content) : content);
    }

    // 44100 Hz stereo ramp, `seconds` long: every frame is recognisable.
    void writeRampVoice(const QString& name, int seconds)
    {
        writeVoice(name, testaudio::wav(44100, 2, testaudio::ramp(2, 44100 * seconds)));
    }

    void load(const QByteArray& name)
    {
        book.CurrentVoiceName = name;
        book.LoadedVoiceName = name;
        ASSERT_TRUE(player->OpenVoiceFile(book.CurrentBook));
    }

    QTemporaryDir dir;
    ManualAudioDevice* device = nullptr;
    std::unique_ptr<AudioEngine> engine;
    OpenBook book;
    ProgramPaths paths;
    fakes::ScriptedMessages messages;
    std::unique_ptr<VoicePlayer> player;
};

TEST_F(Voice, StartsEmptyAndStopped)
{
    EXPECT_EQ(player->VoiceStream, 0u);
    EXPECT_EQ(player->VoiceDecodeStream, 0u);
    EXPECT_EQ(player->VoiceBaseFreq, 44100.0f);
    EXPECT_FALSE(player->SpeedPending);
    EXPECT_EQ(player->PlayState, "mpStop");
    EXPECT_FALSE(player->RangeFinished());
}

TEST_F(Voice, OpenVoiceFileLoadsBothStreamsOverTheUnpackedBytes)
{
    const QByteArray wav = testaudio::wav(22050, 1, testaudio::sine(22050, 1, 1.0, 440, 0.5));
    writeVoice(QStringLiteral("Unit1"), wav);
    load("Unit1");
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_EQ(player->VoiceBytes, wav);
    EXPECT_NE(player->VoiceStream, 0u);
    EXPECT_NE(player->VoiceDecodeStream, 0u);
    EXPECT_EQ(player->VoiceBaseFreq, 22050.0f);
    EXPECT_TRUE(player->SpeedPending);
    // The test play was stopped again.
    EXPECT_EQ(engine->BASS_ChannelIsActive(player->VoiceStream), BASS_ACTIVE_STOPPED);
    EXPECT_EQ(engine->BASS_ChannelGetLength(player->VoiceDecodeStream, BASS_POS_BYTE), 44100u);
    EXPECT_FALSE(engine->BASS_ChannelPlay(player->VoiceDecodeStream, false));
}

TEST_F(Voice, AMissingVoiceKeepsTheOldStream)
{
    writeRampVoice(QStringLiteral("Unit1"), 1);
    load("Unit1");
    const HSTREAM old = player->VoiceStream;
    const QByteArray oldBytes = player->VoiceBytes;
    player->SpeedPending = false;

    player->SelectVoice("Unit2");
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].text, kMissing);
    EXPECT_EQ(messages.shown[0].caption, QStringLiteral("提示"));
    EXPECT_EQ(messages.shown[0].owner, nullptr);
    EXPECT_EQ(player->VoiceStream, old);
    EXPECT_EQ(player->VoiceBytes, oldBytes);
    EXPECT_FALSE(player->SpeedPending);
    // The new name is stored, so asking again does not retry.
    EXPECT_EQ(book.CurrentVoiceName, "Unit2");
    EXPECT_EQ(book.LoadedVoiceName, "Unit2");
    player->SelectVoice("Unit2");
    EXPECT_EQ(messages.shown.size(), 1);
    // The old voice still plays.
    player->PlayRange(0, 5);
    EXPECT_EQ(device->render(1)[0], rampValue(0, 0));
}

TEST_F(Voice, ADamagedPackedVoiceChangesNothing)
{
    writeRampVoice(QStringLiteral("Unit1"), 1);
    load("Unit1");
    const HSTREAM stream = player->VoiceStream, decode = player->VoiceDecodeStream;
    const QByteArray bytes = player->VoiceBytes;
    QByteArray damaged = PackBytes(testaudio::wav(44100, 2, testaudio::ramp(2, 1000)));
    damaged.truncate(damaged.size() / 2);
    writeVoice(QStringLiteral("Broken"), damaged, false);
    book.CurrentVoiceName = "Broken";
    book.LoadedVoiceName = "Broken";
    player->SpeedPending = false;
    EXPECT_THROW(player->OpenVoiceFile(book.CurrentBook), BookError);
    EXPECT_EQ(player->VoiceStream, stream);
    EXPECT_EQ(player->VoiceDecodeStream, decode);
    EXPECT_EQ(player->VoiceBytes, bytes);
    EXPECT_FALSE(player->SpeedPending);
    EXPECT_NE(engine->BASS_ChannelGetLength(stream, BASS_POS_BYTE), ~QWORD{0});
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(Voice, AVoiceThatIsNotAudioSaysItCannotPlayAndStillLoads)
{
    writeRampVoice(QStringLiteral("Unit1"), 1);
    load("Unit1");
    const HSTREAM old = player->VoiceStream;
    writeVoice(QStringLiteral("Text"), QByteArray("this is not audio at all"));
    book.CurrentVoiceName = "Text";
    EXPECT_TRUE(player->OpenVoiceFile(book.CurrentBook));
    EXPECT_EQ(messages.texts(), QStringList{kCannotPlay});
    EXPECT_EQ(player->VoiceStream, 0u);
    EXPECT_EQ(player->VoiceDecodeStream, 0u);
    EXPECT_TRUE(player->SpeedPending);
    // The old stream is gone with its buffer.
    EXPECT_EQ(engine->BASS_ChannelGetPosition(old, BASS_POS_BYTE), ~QWORD{0});
    player->PlayRange(0, 10);
    EXPECT_FALSE(player->RangeFinished());
}

TEST_F(Voice, SelectVoiceFoldsOnlyAsciiLetters)
{
    writeRampVoice(QStringLiteral("Unit1"), 1);
    load("Unit1");
    const HSTREAM first = player->VoiceStream;
    player->SelectVoice("UNIT1");
    player->SelectVoice("unit1");
    EXPECT_EQ(player->VoiceStream, first);
    EXPECT_EQ(book.CurrentVoiceName, "Unit1"); // kept as loaded
    EXPECT_TRUE(messages.shown.isEmpty());

    // Chinese names differ even where a case-folding of other bytes might merge them.
    const QByteArray chinese = toGbk(QStringLiteral("第一课"));
    writeRampVoice(QStringLiteral("第一课"), 1);
    player->SelectVoice(chinese);
    EXPECT_NE(player->VoiceStream, first);
    EXPECT_EQ(book.CurrentVoiceName, chinese);
    const HSTREAM second = player->VoiceStream;
    QByteArray lowered = chinese;
    for (char& c : lowered)
        c = static_cast<char>(c | 0x20); // bytes above 127 changed: a different name
    player->SelectVoice(lowered);
    EXPECT_EQ(messages.texts(), QStringList{kMissing});
    EXPECT_EQ(player->VoiceStream, second);
}

TEST_F(Voice, VoiceFilesAndBookFoldersAreFoundIgnoringLetterCase)
{
    // The book was copied from a file system that ignores case: the settings
    // and the table name its folders and voices in another case than the disk.
    book.CurrentPublisher = QStringLiteral("Pub");
    book.CurrentBook = QStringLiteral("Book");
    QDir().mkpath(bookFolder());
    writeVoice(QStringLiteral("U2"),
               testaudio::wav(22050, 1, testaudio::sine(22050, 1, 1.0, 440, 0.5)));
    writeRampVoice(QStringLiteral("unit1"), 1);
    book.CurrentPublisher = QStringLiteral("PUB");
    book.CurrentBook = QStringLiteral("book");

    load("UNIT1");
    EXPECT_EQ(player->VoiceBaseFreq, 44100.0f);
    player->SelectVoice("u2");
    EXPECT_TRUE(messages.shown.isEmpty()) << qPrintable(messages.texts().join(u'|'));
    EXPECT_EQ(player->VoiceBaseFreq, 22050.0f); // the other file, not the old stream
    EXPECT_EQ(player->VoiceFilePath(book.CurrentBook), dir.path() + "/Pub/Book/U2.wav");
}

TEST_F(Voice, PlayRangeStartsAtTheRangeStartToTheSample)
{
    writeRampVoice(QStringLiteral("Unit1"), 3);
    load("Unit1");
    device->render(5000); // the device runs while nothing plays
    player->PlayRange(12.3, 15.0);
    const int first = 123 * 441; // 12.3 tenths = 1.23 s at 44100 Hz
    const std::vector<int16_t> out = device->render(2048);
    for (int i = 0; i < 2048; ++i) {
        ASSERT_EQ(out[i * 2], rampValue(first + i, 0)) << i;
        ASSERT_EQ(out[i * 2 + 1], rampValue(first + i, 1)) << i;
    }
    EXPECT_EQ(player->PlayRangeStart, 12.3);
    EXPECT_EQ(player->PlayRangeEnd, 15.0);
    // Stop and play on: resumes where it stood.
    player->StopVoice();
    device->render(100);
    engine->BASS_ChannelPlay(player->VoiceStream, false);
    EXPECT_EQ(device->render(1)[0], rampValue(first + 2048, 0));
}

TEST_F(Voice, RangeFinishedOnlyStrictlyPastTheEnd)
{
    writeRampVoice(QStringLiteral("Unit1"), 2);
    load("Unit1");
    player->PlayRange(5, 10); // 0.5 s .. 1.0 s
    device->render(44100 / 2);
    // Exactly at the end byte: not yet.
    EXPECT_EQ(engine->BASS_ChannelGetPosition(player->VoiceStream, BASS_POS_BYTE), 44100u * 4);
    EXPECT_FALSE(player->RangeFinished());
    device->render(1);
    EXPECT_TRUE(player->RangeFinished());
    // Only while the two names agree exactly.
    book.LoadedVoiceName = "unit1";
    EXPECT_FALSE(player->RangeFinished());
    book.LoadedVoiceName = "Unit1";

    // An end at or beyond the recording's end never finishes.
    for (double end : {20.0, 35.5}) {
        player->PlayRange(15, end);
        device->render(44100 * 2);
        EXPECT_EQ(engine->BASS_ChannelIsActive(player->VoiceStream), BASS_ACTIVE_STOPPED);
        EXPECT_FALSE(player->RangeFinished()) << end;
    }

    // End 0: finished once past byte 0.
    engine->BASS_ChannelSetPosition(player->VoiceStream, 0, BASS_POS_BYTE);
    player->PlayRangeStart = 0;
    player->PlayRangeEnd = 0;
    EXPECT_FALSE(player->RangeFinished());
    engine->BASS_ChannelPlay(player->VoiceStream, false);
    device->render(1);
    EXPECT_TRUE(player->RangeFinished());
}

TEST_F(Voice, SetPlaybackRateScalesTheBaseRate)
{
    writeVoice(QStringLiteral("Unit1"),
               testaudio::wav(22050, 1, testaudio::sine(22050, 1, 4.0, 400, 0.5)));
    load("Unit1");
    for (float factor : {0.5f, 1.5f, 1.0f}) {
        player->SetPlaybackRate(factor);
        float rate = 0;
        engine->BASS_ChannelGetAttribute(player->VoiceStream, BASS_ATTRIB_FREQ, &rate);
        EXPECT_EQ(rate, factor * 22050.0f);
        player->PlayRange(0, 40);
        EXPECT_NEAR(testaudio::frequency(device->render(22050), 2, 44100), 400.0 * factor, 2.0);
    }
    // A new load comes back at the native rate with SpeedPending set.
    player->SetPlaybackRate(1.5f);
    player->SpeedPending = false;
    ASSERT_TRUE(player->OpenVoiceFile(book.CurrentBook));
    float rate = 0;
    engine->BASS_ChannelGetAttribute(player->VoiceStream, BASS_ATTRIB_FREQ, &rate);
    EXPECT_EQ(rate, 22050.0f);
    EXPECT_TRUE(player->SpeedPending);
}

TEST(VoiceWithoutDevice, LoadsSaysItCannotPlayAndGoesOn)
{
    QTemporaryDir dir;
    AudioEngine engine(nullptr);
    engine.BASS_Init(-1, 44100, 0, nullptr, nullptr);
    OpenBook book;
    book.CurrentPublisher = "P";
    book.CurrentBook = "B";
    book.CurrentVoiceName = book.LoadedVoiceName = "V";
    ProgramPaths paths;
    paths.ProgramFolder = dir.path();
    QDir().mkpath(dir.path() + "/P/B");
    QFile file(dir.path() + "/P/B/V.wav");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(PackBytes(testaudio::wav(22050, 1, testaudio::ramp(1, 100))));
    file.close();
    fakes::ScriptedMessages messages;
    VoicePlayer player(engine, book, paths, messages);
    EXPECT_TRUE(player.OpenVoiceFile("B"));
    EXPECT_EQ(messages.texts(), QStringList{kCannotPlay});
    EXPECT_EQ(player.VoiceStream, 0u);
    EXPECT_EQ(player.VoiceBaseFreq, 44100.0f);
    player.PlayRange(0, 10);
    EXPECT_FALSE(player.RangeFinished());
}

} // namespace
} // namespace zarelo
