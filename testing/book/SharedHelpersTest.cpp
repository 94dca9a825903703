#include "base/BookError.h"
#include "book/BookFiles.h"
#include "book/Gbk.h"
#include "book/PackedFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zarelo;

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

TEST(FindBookEntry, ExactNameFirstThenTheFirstIgnoringAsciiCase)
{
    QTemporaryDir dir;
    const QString root = dir.path();
    for (const char* name : {"u2.WAV", "U2.wav", "exact.wav", "EXACT.wav", "课文.DAT"}) {
        QFile file(root + u'/' + QString::fromUtf8(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    QDir().mkpath(root + "/Folder.wav");
    QDir().mkpath(root + "/Pub");

    EXPECT_EQ(FindBookEntry(root, "exact.wav"), root + "/exact.wav");
    EXPECT_EQ(FindBookEntry(root + u'/', "EXACT.wav"), root + "/EXACT.wav");
    // No exact file: the first in name order of those equal ignoring case.
    EXPECT_EQ(FindBookEntry(root, "u2.wav"), root + "/U2.wav");
    EXPECT_EQ(FindBookEntry(root, "课文.dat"), root + "/课文.DAT");
    // A folder is not a file, nor a file a folder.
    EXPECT_EQ(FindBookEntry(root, "folder.wav"), root + "/folder.wav");
    EXPECT_EQ(FindBookEntry(root, "pub", EntryKind::Folder), root + "/Pub");
    EXPECT_EQ(FindBookEntry(root, "u2.wav", EntryKind::Folder), root + "/u2.wav");
    // Only ASCII letters fold.
    EXPECT_FALSE(EqualsIgnoringAsciiCase(u"Äb", u"äb"));
    EXPECT_TRUE(LessIgnoringAsciiCase(u"alpha", u"Beta"));
    EXPECT_TRUE(LessIgnoringAsciiCase(u"Zed", u"人"));
    EXPECT_FALSE(LessIgnoringAsciiCase(u"b", u"B"));
    EXPECT_TRUE(LessIgnoringAsciiCase(u"B", u"b"));
}
