#include "book/BookError.h"
#include "book/Gbk.h"
#include "support/ManualClock.h"
#include "book/PackedFile.h"
#include "book/SettingsKey.h"
#include "book/uFunc.h"

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

TEST(Gbk, ChineseCharactersAreTwoBytes)
{
    EXPECT_EQ(gbkLength(QStringLiteral("加载数据...")), 11);
    EXPECT_EQ(fromGbk(toGbk(QStringLiteral("你好 world"))), QStringLiteral("你好 world"));
}

TEST(PackedFile, RoundTripTrailingBytesAndDamage)
{
    const QByteArray content = QByteArray("hello packed world ").repeated(100);
    QByteArray packed = PackBytes(content);
    EXPECT_EQ(UnpackBytes(packed, "x"), content);
    EXPECT_EQ(UnpackBytes(packed + "trailing garbage", "x"), content);

    // A smaller L takes exactly the first L bytes of a longer stream.
    QByteArray shorter = packed;
    shorter[0] = 5;
    shorter[1] = shorter[2] = shorter[3] = 0;
    EXPECT_EQ(UnpackBytes(shorter, "x"), "hello");

    // L larger than the stream yields: a clear error, naming the file.
    QByteArray longer = packed;
    longer[1] = char(0x7f);
    try {
        UnpackBytes(longer, "Page3.zip");
        FAIL() << "no error";
    } catch (const BookError& e) {
        EXPECT_TRUE(e.message().contains("Page3.zip"));
    }
    EXPECT_THROW(UnpackBytes(packed.left(packed.size() / 2), "x"), BookError);
    EXPECT_THROW(UnpackBytes("\x01\x00", "x"), BookError);
    QByteArray bad = packed;
    bad[4] = 0;
    EXPECT_THROW(UnpackBytes(bad, "x"), BookError);
    EXPECT_TRUE(UnpackBytes(PackBytes(""), "x").isEmpty());
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
