// What the splash window reads and creates in the settings key.

#include "shell/SplashSettings.h"
#include "base/SettingsKey.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace zarelo {
namespace {

QString ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

TEST(SplashSettings, FirstStartCreatesTheFourValuesInOrder)
{
    QTemporaryDir home;
    const QString path = home.path() + QStringLiteral("/ZareloEnglish/ZareloEnglish.ini");
    const SplashSettings s = ReadSplashSettings(path);
    EXPECT_TRUE(s.KeyOpened);
    EXPECT_EQ(s.SkinFileName, QStringLiteral("默认.ssk"));
    EXPECT_TRUE(s.ColourText.isEmpty());
    EXPECT_EQ(ReadAll(path),
              QStringLiteral("bookname=\npublicname=\nselectskin=默认.ssk\nselectcolor=\n"));
}

TEST(SplashSettings, StoredValuesAreReadAndKept)
{
    QTemporaryDir home;
    const QString path = home.path() + QStringLiteral("/z.ini");
    {
        SettingsKey key(path);
        key.writeString(QStringLiteral("selectcolor"), QStringLiteral("255"));
        key.writeString(QStringLiteral("bookname"), QStringLiteral("Book A"));
        key.writeString(QStringLiteral("selectskin"), QStringLiteral("PixOS.ssk"));
    }
    const SplashSettings s = ReadSplashSettings(path);
    EXPECT_EQ(s.SkinFileName, QStringLiteral("PixOS.ssk"));
    EXPECT_EQ(s.ColourText, QStringLiteral("255"));
    // Only the missing publicname was added, at the end.
    EXPECT_EQ(
        ReadAll(path),
        QStringLiteral("selectcolor=255\nbookname=Book A\nselectskin=PixOS.ssk\npublicname=\n"));
}

TEST(SplashSettings, AKeyThatCannotBeOpenedGivesNoSkinAndNoColour)
{
    QTemporaryDir home;
    QFile blocker(home.path() + QStringLiteral("/file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const SplashSettings s = ReadSplashSettings(home.path() + QStringLiteral("/file/sub/z.ini"));
    EXPECT_FALSE(s.KeyOpened);
    EXPECT_TRUE(s.SkinFileName.isEmpty());
    EXPECT_TRUE(s.ColourText.isEmpty());
}

} // namespace
} // namespace zarelo
