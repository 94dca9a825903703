// The foundation's helpers: field splitting, the settings key's reading and
// writing rules, and the message-processing wait.

#include "base/SettingsKey.h"
#include "base/uFunc.h"
#include "support/ManualClock.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zarelo;

TEST(SplitFields, SeparatorsGiveOneMorePartAndKeepEmptyRest)
{
    EXPECT_EQ(SplitFields("", ';').size(), 1u);
    EXPECT_TRUE(SplitFields("", ';')[0].isEmpty());
    const auto parts = SplitFields("a;;b;", ';');
    ASSERT_EQ(parts.size(), 4u);
    EXPECT_EQ(parts[0], "a");
    EXPECT_TRUE(parts[1].isEmpty());
    EXPECT_EQ(parts[2], "b");
    EXPECT_TRUE(parts[3].isEmpty());
}

TEST(SettingsKey, ReadersCreateWritersOverwriteOrderIsKept)
{
    QTemporaryDir home;
    const QString path = home.path() + "/sub/ZareloEnglish.ini";
    {
        SettingsKey key(path);
        ASSERT_TRUE(key.isOpen());
        EXPECT_EQ(key.readOrCreate("bookname", ""), "");
        EXPECT_EQ(key.readOrCreate("selectskin", "默认.ssk"), "默认.ssk");
        EXPECT_FALSE(key.overwriteExisting("LastPage", "3"));
        EXPECT_TRUE(key.overwriteExisting("bookname", "第一册"));
    }
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(file.readAll()), "bookname=第一册\nselectskin=默认.ssk\n");
    SettingsKey again(path);
    EXPECT_EQ(again.readString("bookname"), "第一册");
    EXPECT_FALSE(again.valueExists("LastPage"));
}

TEST(Delay, EndsAfterTheTimeOrOnWrapAround)
{
    fakes::ManualClock clock(1000, 1);
    Delay(clock, 100);
    EXPECT_GE(clock.GetTickCount(), 1100u);
    fakes::ManualClock wrapping(0xFFFFFFF0u, 8);
    Delay(wrapping, 1000); // wraps after two reads and ends there
    EXPECT_LT(wrapping.GetTickCount(), 0x100u);
}
