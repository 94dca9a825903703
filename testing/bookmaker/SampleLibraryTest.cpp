// The sample library the build put into the program folder: what a new user
// finds at the first start.

#include "ReadBack.h"
#include "book/BookLibrary.h"
#include "book/Gbk.h"
#include "quiz/TgaImage.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <set>

using namespace zarelo;
using namespace zarelo::makertest;

namespace {

QString programFolder()
{
    return qEnvironmentVariable("ZARELO_PROGRAM_DIR");
}

int wordCount(QByteArrayView english)
{
    return static_cast<int>(QString::fromLatin1(english).split(u' ', Qt::SkipEmptyParts).size());
}

} // namespace

TEST(SampleLibrary, HoldsTwoPublishersAndThreeBooks)
{
    ASSERT_FALSE(programFolder().isEmpty());
    const LibraryScan scan = ScanLibrary(programFolder());
    EXPECT_EQ(scan.Publishers, (std::vector<QString>{QStringLiteral("星辰少儿出版社"),
                                                     QStringLiteral("晨光教育出版社")}));
    EXPECT_EQ(scan.BookNames.size(), 3u);
    for (const char* cue : {"Start.wav", "Succ.wav"}) {
        QFile file(programFolder() + u'/' + cue);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << cue;
        const DecodedVoice sound = DecodeWav(file.readAll());
        EXPECT_GT(sound.seconds(), 0.2) << cue;
    }
}

TEST(SampleLibrary, GradeThreeBookHasItsUnitsWordsSentencesAndVoices)
{
    QTemporaryDir temp;
    const QString publisher = QStringLiteral("晨光教育出版社");
    const QString name = QStringLiteral("小学英语三年级上册");
    const OpenBook book = LoadBook(programFolder(), publisher, name, temp.path());
    const SentenceTable& t = book.Content.Sentences;
    EXPECT_FALSE(book.IsTextBook);

    std::set<QByteArray> words, voices;
    int sentences = 0, longSentences = 0, wrapped = 0, framed = 0;
    for (int row = 0; row < t.count(); ++row) {
        EXPECT_FALSE(t.ChineseText[row].isEmpty());
        voices.insert(t.VoiceName[row].toByteArray());
        if (t.Kind[row] == "word") {
            words.insert(t.EnglishText[row].toByteArray());
        } else if (t.Kind[row] == "sent") {
            ++sentences;
            longSentences += wordCount(t.EnglishText[row]) >= 4;
        }
        wrapped += t.Box2Left[row] != -1;
        framed += t.Box2Left[row] == -1 && t.Box1Bottom[row] - t.Box1Top[row] >= 48;
    }
    EXPECT_GE(words.size(), 40u) << "distinct words";
    EXPECT_GE(sentences, 30);
    EXPECT_GE(longSentences, 20);
    EXPECT_GE(voices.size(), 2u);
    EXPECT_GE(wrapped, 3);
    EXPECT_GE(framed, 20);

    // Two units of at least two lessons each, covering eight pages.
    const LessonTable& lessons = book.Content.Lessons;
    int units = 0, lastPage = 0;
    std::vector<int> perUnit;
    for (int row = 0; row < lessons.count(); ++row) {
        lastPage = std::max(lastPage, lessons.EndPage[row]);
        if (lessons.Name[row].startsWith("Unit")) {
            ++units;
            perUnit.push_back(0);
        } else if (lessons.Name[row].startsWith("Lesson") && !perUnit.empty()) {
            ++perUnit.back();
        }
    }
    EXPECT_GE(units, 2);
    for (int n : perUnit)
        EXPECT_GE(n, 2);
    EXPECT_EQ(lastPage, 8);
    for (int page = 1; page <= 8; ++page)
        EXPECT_TRUE(QFile::exists(BookFolder({programFolder(), {}, {}, {}}, book) +
                                  QStringLiteral("Page%1.zip").arg(page)));

    CheckEntriesAgainstFiles(book, programFolder() + u'/' + publisher + u'/' + name);
}

TEST(SampleLibrary, SecondPublisherAndTextBookReadBack)
{
    QTemporaryDir temp;
    const struct {
        QString publisher, name;
        bool text;
    } books[] = {
        {QStringLiteral("星辰少儿出版社"), QStringLiteral("少儿英语启蒙第一册"), false},
        {QStringLiteral("晨光教育出版社"), QStringLiteral("小学英语阅读短文"), true},
    };
    for (const auto& b : books) {
        SCOPED_TRACE(b.name.toStdString());
        const OpenBook book = LoadBook(programFolder(), b.publisher, b.name, temp.path());
        EXPECT_EQ(book.IsTextBook, b.text);
        EXPECT_GT(book.Content.Sentences.count(), 5);
        EXPECT_GE(book.Content.Lessons.count(), 2);
        if (b.text) {
            // Text pages start at the page view's origin.
            EXPECT_EQ(book.Content.Sentences.Box1Left[0], 40);
            EXPECT_EQ(book.Content.Sentences.Box1Top[0], 40);
        }
        CheckEntriesAgainstFiles(book, programFolder() + u'/' + b.publisher + u'/' + b.name);
    }
}

TEST(SampleLibrary, FlamePictureIsAWarmTeardropOnBlackThatTheTestsRead)
{
    const Surface flame = LoadTgaFile(programFolder() + QStringLiteral("/fire2.tga"));
    ASSERT_EQ(flame.Width, 128);
    ASSERT_EQ(flame.Height, 160);
    // Black all round, so the additive blend shows no rectangle.
    for (int x = 0; x < flame.Width; ++x) {
        EXPECT_EQ(flame.at(x, 0), MakePixel(0, 0, 0)) << x;
        EXPECT_EQ(flame.at(x, flame.Height - 1), MakePixel(0, 0, 0)) << x;
    }
    for (int y = 0; y < flame.Height; ++y) {
        EXPECT_EQ(flame.at(0, y), MakePixel(0, 0, 0)) << y;
        EXPECT_EQ(flame.at(flame.Width - 1, y), MakePixel(0, 0, 0)) << y;
    }
    // Warm everywhere; the hottest spot low in the middle, the tip above it.
    int hottestX = 0, hottestY = 0, hottest = -1;
    for (int y = 0; y < flame.Height; ++y) {
        for (int x = 0; x < flame.Width; ++x) {
            const Pixel p = flame.at(x, y);
            ASSERT_GE(RedOf(p), GreenOf(p)) << x << ", " << y;
            ASSERT_GE(GreenOf(p), BlueOf(p)) << x << ", " << y;
            if (RedOf(p) + GreenOf(p) + BlueOf(p) > hottest) {
                hottest = RedOf(p) + GreenOf(p) + BlueOf(p);
                hottestX = x;
                hottestY = y;
            }
        }
    }
    EXPECT_GT(hottest, 600);
    EXPECT_NEAR(hottestX, flame.Width / 2, flame.Width / 8);
    EXPECT_GT(hottestY, flame.Height / 2);
    int tipRow = -1;
    for (int y = 0; y < flame.Height && tipRow < 0; ++y)
        for (int x = 0; x < flame.Width; ++x)
            if (RedOf(flame.at(x, y)) > 64)
                tipRow = y;
    EXPECT_GE(tipRow, 1);
    EXPECT_LT(tipRow, flame.Height / 8);
}
