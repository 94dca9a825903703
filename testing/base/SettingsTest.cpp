#include "base/Settings.h"
#include "base/SettingsKey.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zarelo;

namespace {

QString fileText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

TEST(ReadSettings, CreatesDefaultsInOrder)
{
    QTemporaryDir home;
    const QString path = home.path() + "/ZareloEnglish.ini";
    SettingsKey(path).writeString("bookname", "b");
    TestSettings s;
    ReadSettings(path, s);
    EXPECT_EQ(s.TestAreaSetting, 1);
    EXPECT_EQ(s.WordNumberSetting, QStringLiteral("十个"));
    EXPECT_EQ(s.WaitTimeSetting, 10);
    EXPECT_EQ(s.WaitMs, 10000);
    EXPECT_EQ(s.SeriRightSetting, 3);
    EXPECT_EQ(s.LastRightDaysSetting, 3);
    EXPECT_EQ(s.RightOverSetting, 3);
    EXPECT_EQ(fileText(path),
              QStringLiteral("bookname=b\ntestarea=1\nwordnumber=十个\nwaittime=10\n"
                             "seririghttimes=3\nlasttestrightdays=3\n"
                             "righttestovertimes=3\n"));
}

TEST(ReadSettings, StoredValuesAndNonIntegersCountAsMissing)
{
    QTemporaryDir home;
    const QString path = home.path() + "/ZareloEnglish.ini";
    {
        SettingsKey key(path);
        key.writeString("testarea", "0");
        key.writeString("wordnumber", "很多");
        key.writeString("waittime", "25");
        key.writeString("seririghttimes", "abc");
        key.writeString("lasttestrightdays", "7");
        key.writeString("righttestovertimes", "");
    }
    TestSettings s;
    ReadSettings(path, s);
    EXPECT_EQ(s.TestAreaSetting, 0);
    EXPECT_EQ(s.WordNumberSetting, QStringLiteral("很多"));
    EXPECT_EQ(s.WaitMs, 25000);
    EXPECT_EQ(s.SeriRightSetting, 3);
    EXPECT_EQ(s.LastRightDaysSetting, 7);
    EXPECT_EQ(s.RightOverSetting, 3);
    SettingsKey key(path);
    EXPECT_EQ(key.readString("seririghttimes"), "3");
    EXPECT_EQ(key.readString("righttestovertimes"), "3");
}

TEST(ReadSettings, KeyThatCannotBeOpenedChangesNothing)
{
    QTemporaryDir home;
    QFile blocker(home.path() + "/file");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    TestSettings s;
    s.WaitMs = 10;
    s.WordNumberSetting = "全部";
    ReadSettings(home.path() + "/file/sub/ZareloEnglish.ini", s);
    EXPECT_EQ(s.WaitMs, 10);
    EXPECT_EQ(s.WordNumberSetting, QStringLiteral("全部"));
    EXPECT_EQ(s.TestAreaSetting, 0);
}

TEST(SettingsKey, AFileThatCannotBeSavedIsToldWithItsPathAndReason)
{
    QTemporaryDir dir;
    QStringList told;
    SettingsKey::SetWriteFailureHandler([&](const QString& path, const QString& reason) {
        EXPECT_FALSE(reason.isEmpty());
        told << path;
    });

    // The folder cannot be made: a file stands where it would be.
    QFile blocker(dir.filePath("blocked"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString underFile = dir.filePath("blocked/ZareloEnglish.ini");
    {
        SettingsKey key(underFile);
        EXPECT_FALSE(key.isOpen());
    }
    EXPECT_EQ(told, QStringList{underFile});

    // The key was read, then its folder went away before the save.
    told.clear();
    const QString path = dir.filePath("home/ZareloEnglish.ini");
    {
        SettingsKey key(path);
        ASSERT_TRUE(key.isOpen());
        key.writeString(QStringLiteral("LastPage"), QStringLiteral("5"));
        ASSERT_TRUE(QDir(dir.filePath("home")).removeRecursively());
        QFile(dir.filePath("home")).open(QIODevice::WriteOnly);
        EXPECT_FALSE(key.flush());
    }
    EXPECT_EQ(told, (QStringList{path, path})) << "the explicit save, then the one at the end";
    SettingsKey::SetWriteFailureHandler({});
}
