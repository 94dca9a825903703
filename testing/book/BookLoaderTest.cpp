#include "book/BookLoader.h"
#include "TestLibrary.h"
#include "base/BookError.h"
#include "book/Gbk.h"
#include "support/ScriptedMessages.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace zarelo;
using zarelo::booktest::TestLibrary;
using zarelo::fakes::ScriptedMessages;

namespace {

TextColumn columnOf(std::initializer_list<QByteArray> lines)
{
    TextColumn column;
    for (const QByteArray& line : lines)
        column.append(line);
    return column;
}

QString errorOf(const std::function<void()>& run)
{
    try {
        run();
    } catch (const BookError& e) {
        return e.message();
    }
    return QStringLiteral("(no error)");
}

SentenceTable parseOne(const QByteArray& line)
{
    SentenceTable table;
    ParseLocationLines(columnOf({line}), table, "location.txt", 2);
    return table;
}

} // namespace

TEST(Times, SentenceFractionIsDecimalLessonFractionIsTenths)
{
    EXPECT_DOUBLE_EQ(SentenceTime("1:02:5"), 625);
    EXPECT_DOUBLE_EQ(SentenceTime("0:03:25"), 32.5);
    EXPECT_DOUBLE_EQ(SentenceTime("0:00:125"), 1.25);
    EXPECT_DOUBLE_EQ(SentenceTime("0:01:1234"), 10);
    EXPECT_DOUBLE_EQ(SentenceTime("0:01:"), 10);
    EXPECT_DOUBLE_EQ(SentenceTime("0:00:5"), SentenceTime("0:00:50"));
    EXPECT_DOUBLE_EQ(SentenceTime("0:00:500"), 5);
    EXPECT_DOUBLE_EQ(SentenceTime("2:00:1:9"), 1201); // a fourth part is ignored
    EXPECT_DOUBLE_EQ(LessonTime("0:03:25"), 55);
    EXPECT_DOUBLE_EQ(LessonTime("1:00:1234"), 600 + 1234);

    EXPECT_THROW(SentenceTime("0:03"), BookError);
    EXPECT_THROW(SentenceTime(""), BookError);
    EXPECT_THROW(SentenceTime("a:03:2"), BookError);
    EXPECT_THROW(SentenceTime("0:03:x"), BookError);
    EXPECT_THROW(LessonTime("0:03:"), BookError);
    EXPECT_THROW(LessonTime("0:03"), BookError);
}

TEST(SplitLines, LfAndCrLfEndLinesLastLineNeedsNoEnd)
{
    TextColumn lines;
    SplitLines("a\r\nb\n\nc\rd\r\ne", lines);
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[0], "a");
    EXPECT_EQ(lines[1], "b");
    EXPECT_TRUE(lines[2].isEmpty());
    EXPECT_EQ(lines[3], "c\rd"); // a lone CR does not end a line
    EXPECT_EQ(lines[4], "e");

    // A last line that ends in a lone CR (no LF after it) ends there.
    TextColumn crEnded;
    SplitLines("a;1\r\nb;2\r", crEnded);
    ASSERT_EQ(crEnded.size(), 2);
    EXPECT_EQ(crEnded[1], "b;2");
    TextColumn crOnly;
    SplitLines("a\n\r", crOnly);
    EXPECT_EQ(crOnly.size(), 1);

    TextColumn ended;
    SplitLines("x\n", ended);
    EXPECT_EQ(ended.size(), 1);
    TextColumn none;
    SplitLines("", none);
    EXPECT_EQ(none.size(), 0);
}

TEST(LocationLine, BoxRuleFillsOneThreeOrFiveCorners)
{
    const SentenceTable one = parseOne("Page3;sent;10,20;30,40;v;0:00:1,0:00:2;中:en");
    EXPECT_EQ(one.Box1Left[0], 10);
    EXPECT_EQ(one.Box1Top[0], 20);
    EXPECT_EQ(one.Box1Right[0], 30);
    EXPECT_EQ(one.Box1Bottom[0], 40);
    EXPECT_EQ(one.Box2Left[0], -1);
    EXPECT_EQ(one.Box3Bottom[0], -1);

    const SentenceTable three = parseOne("Page3;sent;1,2;3,4@5,6@7,8;v;0:00:1,0:00:2;a:b");
    EXPECT_EQ(three.Box2Left[0], 5);
    EXPECT_EQ(three.Box2Top[0], 6);
    EXPECT_EQ(three.Box2Right[0], 7);
    EXPECT_EQ(three.Box2Bottom[0], 8);
    EXPECT_EQ(three.Box3Left[0], -1);

    const SentenceTable five =
        parseOne("Page3;sent;1,2;3,4@5,6@7,8@9,10@11,-12;v;0:00:1,0:00:2;a:b");
    EXPECT_EQ(five.Box3Left[0], 9);
    EXPECT_EQ(five.Box3Top[0], 10);
    EXPECT_EQ(five.Box3Right[0], 11);
    EXPECT_EQ(five.Box3Bottom[0], -12);

    for (const char* boxes : {"3,4@5,6", "3,4@5,6@7,8@9,10", "3,4@5,6@7,8@9,10@1,1@2,2"}) {
        const SentenceTable other =
            parseOne(QByteArray("Page3;sent;1,2;") + boxes + ";v;0:00:1,0:00:2;a:b");
        SCOPED_TRACE(boxes);
        EXPECT_EQ(other.Box1Left[0], 1);
        EXPECT_EQ(other.Box1Top[0], 2);
        for (const auto* column :
             {&other.Box1Right, &other.Box1Bottom, &other.Box2Left, &other.Box2Top,
              &other.Box2Right, &other.Box2Bottom, &other.Box3Left, &other.Box3Top,
              &other.Box3Right, &other.Box3Bottom})
            EXPECT_EQ((*column)[0], -1);
    }
}

TEST(LocationLine, TextsTimesAndExtraFields)
{
    const QByteArray chinese = toGbk(QStringLiteral("你好"));
    const SentenceTable t =
        parseOne("Page12;word;1,2;3,4;unit1;0:01:5,0:02:25;" + chinese + ":hello:more;extra;x");
    EXPECT_EQ(t.PageName[0], "Page12");
    EXPECT_EQ(t.Kind[0], "word");
    EXPECT_EQ(t.VoiceName[0], "unit1");
    EXPECT_EQ(fromGbk(t.ChineseText[0]), QStringLiteral("你好"));
    EXPECT_EQ(t.EnglishText[0], "hello");
    EXPECT_DOUBLE_EQ(t.StartTime[0], 15);
    EXPECT_DOUBLE_EQ(t.EndTime[0], 22.5);

    const SentenceTable noColon = parseOne("Page1;word;1,2;3,4;v;0:00:1,0:00:2;hello");
    EXPECT_TRUE(noColon.ChineseText[0].isEmpty());
    EXPECT_TRUE(noColon.EnglishText[0].isEmpty());
}

TEST(LocationLine, MalformedLinesNameFileLineAndField)
{
    const QByteArray good = "Page1;word;1,2;3,4;v;0:00:1,0:00:2;a:b";
    auto parse = [&](const QByteArray& bad) {
        return errorOf([&] {
            SentenceTable table;
            ParseLocationLines(columnOf({good, good, bad}), table, "location.txt", 2);
        });
    };
    const QString missing = parse("Page1;word;1,2;3,4;v;0:00:1,0:00:2");
    EXPECT_TRUE(missing.contains("location.txt 第 4 行")) << qPrintable(missing);
    EXPECT_TRUE(missing.contains("ChineseText")) << qPrintable(missing);

    const QString blank = parse("");
    EXPECT_TRUE(blank.contains("第 4 行")) << qPrintable(blank);
    EXPECT_TRUE(blank.contains("空行")) << qPrintable(blank);

    const QString number = parse("Page1;word;1,2x;3,4;v;0:00:1,0:00:2;a:b");
    EXPECT_TRUE(number.contains("第 4 行") && number.contains("Box1Left") && number.contains("2x"))
        << qPrintable(number);

    const QString box = parse("Page1;word;1,2;3,4@5@7,8;v;0:00:1,0:00:2;a:b");
    EXPECT_TRUE(box.contains("第 4 行") && box.contains("boxes") && box.contains("“5”"))
        << qPrintable(box);

    const QString time = parse("Page1;word;1,2;3,4;v;0:00:1,0:02;a:b");
    EXPECT_TRUE(time.contains("StartTime") && time.contains("0:02")) << qPrintable(time);

    const QString range = parse("Page1;word;1,2;3,4;v;0:00:1;a:b");
    EXPECT_TRUE(range.contains("StartTime,EndTime")) << qPrintable(range);
}

TEST(LessonLine, FieldsAndMalformed)
{
    LessonTable table;
    ParseLessonLines(columnOf({"Unit 1;My school;c2;0:03:25;c4;1:00:0;3;6;extra"}), table,
                     "LessonIndex.txt", 1);
    ASSERT_EQ(table.count(), 1);
    EXPECT_EQ(table.Name[0], "Unit 1");
    EXPECT_EQ(table.Title[0], "My school");
    EXPECT_EQ(table.Column2[0], "c2");
    EXPECT_EQ(table.Column4[0], "c4");
    EXPECT_DOUBLE_EQ(table.StartTime[0], 55);
    EXPECT_DOUBLE_EQ(table.EndTime[0], 600);
    EXPECT_EQ(table.FirstPage[0], 3);
    EXPECT_EQ(table.EndPage[0], 6);

    auto parse = [](const QByteArray& line) {
        return errorOf([&] {
            LessonTable t;
            ParseLessonLines(columnOf({"Unit 1;a;b;0:00:0;c;0:00:0;1;2", line}), t,
                             "LessonIndex.txt", 1);
        });
    };
    EXPECT_TRUE(parse("Unit 2;a;b;0:00:0;c;0:00:0;1").contains("LessonIndex.txt 第 2 行"));
    EXPECT_TRUE(parse("Unit 2;a;b;0:00:0;c;0:00:0;1").contains("EndPage"));
    EXPECT_TRUE(parse("Unit 2;a;b;0:00:0;c;0:00:0;one;2").contains("FirstPage"));
    EXPECT_TRUE(parse("Unit 2;a;b;0:00;c;0:00:0;1;2").contains("StartTime"));
    EXPECT_TRUE(parse("").contains("空行"));
}

TEST(OpenBookRules, EntryPageAndLessonOfPageTakesTheFirstRow)
{
    OpenBook book;
    book.Content.Sentences.PageName.append("Page12");
    book.Content.Sentences.PageName.append("Page");
    EXPECT_EQ(book.EntryPage(0), 12);
    EXPECT_THROW(book.EntryPage(1), BookError);

    ParseLessonLines(columnOf({"Unit 1;a;;0:0:0;;0:0:0;1;4", "Lesson 1;b;;0:0:0;;0:0:0;2;3",
                               "Lesson 2;c;;0:0:0;;0:0:0;5;6"}),
                     book.Content.Lessons, "LessonIndex.txt", 1);
    book.CurrentPage = 3;
    book.LessonOfPage();
    EXPECT_EQ(book.CurrentLesson, 0); // overlapping rows: the earlier wins
    book.CurrentPage = 6;
    book.LessonOfPage();
    EXPECT_EQ(book.CurrentLesson, 2);
    book.CurrentPage = 9;
    book.LessonOfPage();
    EXPECT_EQ(book.CurrentLesson, 2); // no match: unchanged
}

class LoadBook : public ::testing::Test {
protected:
    TestLibrary library;
    OpenBook book;
    ScriptedMessages messages;
    int chosen = 0;
    int voicesOpened = 0;

    bool load()
    {
        return LoadBookContent(
            library.paths, book, messages, nullptr, [this] { return ++chosen, false; },
            [this] { ++voicesOpened; });
    }
    void loadBig()
    {
        library.addBook("P", "Big", booktest::locationText(40, "big"), booktest::lessonText(9));
        library.open(book, "P", "Big");
        ASSERT_TRUE(load());
    }
    void expectBigIntact()
    {
        EXPECT_EQ(book.Content.Sentences.count(), 40);
        EXPECT_EQ(book.Content.Sentences.Box1Top.size(), 40u);
        EXPECT_EQ(book.Content.Lessons.count(), 9);
        EXPECT_EQ(book.Content.LocationLines.size(), 40);
        EXPECT_EQ(book.Content.LessonIndexLines.size(), 9);
        EXPECT_EQ(book.CurrentVoiceName, "big");
        EXPECT_EQ(book.LoadedVoiceName, "big");
        EXPECT_EQ(voicesOpened, 1);
    }
};

TEST_F(LoadBook, SmallerBookReplacesEveryRowAndDeletesTheTextFiles)
{
    loadBig();
    expectBigIntact();
    EXPECT_FALSE(book.IsTextBook);
    EXPECT_FALSE(QFile::exists(library.paths.TempFolder + "/location.txt"));
    EXPECT_FALSE(QFile::exists(library.paths.TempFolder + "/LessonIndex.txt"));

    library.addBook("P", "Small", "h;text\n" + booktest::locationText(3, "small").mid(15),
                    booktest::lessonText(2));
    library.open(book, "P", "Small");
    ASSERT_TRUE(load());
    const SentenceTable& s = book.Content.Sentences;
    EXPECT_EQ(s.count(), 3);
    for (const auto* column :
         {&s.Box1Left, &s.Box1Top, &s.Box1Right, &s.Box1Bottom, &s.Box2Left, &s.Box3Bottom})
        EXPECT_EQ(column->size(), 3u);
    EXPECT_EQ(s.StartTime.size(), 3u);
    EXPECT_EQ(s.EnglishText.size(), 3);
    EXPECT_EQ(s.EnglishText[2], "English 2");
    EXPECT_EQ(book.Content.Lessons.count(), 2);
    EXPECT_EQ(book.Content.Lessons.EndPage.size(), 2u);
    EXPECT_EQ(book.CurrentVoiceName, "small");
    EXPECT_TRUE(book.IsTextBook);
    EXPECT_EQ(voicesOpened, 2);
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(LoadBook, MalformedLineLeavesThePreviousBookWhole)
{
    loadBig();
    const QByteArray good = booktest::locationText(3, "bad");
    const struct {
        const char* what;
        QByteArray location;
        QByteArray lessons;
        const char* expected;
    } cases[] = {
        {"missing field", good + "Page2;word;1,2;3,4;v;0:00:1,0:00:2\r\n", booktest::lessonText(2),
         "location.txt 第 5 行"},
        {"blank line", good + "\r\n" + good.mid(15), booktest::lessonText(2),
         "location.txt 第 5 行"},
        {"bad number", good, "Unit 1;a;b;0:00:0;c;0:00:0;1;2\nLesson 1;a;b;0:00:0;c;0:00:0;x;2\n",
         "LessonIndex.txt 第 2 行"},
        {"short time", good + "Page2;word;1,2;3,4;v;0:00,0:00:2;a:b\n", booktest::lessonText(2),
         "location.txt 第 5 行"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        library.addBook("P", c.what, c.location, c.lessons);
        library.open(book, "P", c.what);
        const QString error = errorOf([&] { load(); });
        EXPECT_TRUE(error.contains(c.expected)) << qPrintable(error);
        library.open(book, "P", "Big");
        expectBigIntact();
    }
}

TEST_F(LoadBook, MissingFilesAndEmptyTablesAreRefusedWithTheirMessages)
{
    loadBig();

    library.addBook("P", "NoLessons", booktest::locationText(2), {}, "location.dat", "");
    library.open(book, "P", "NoLessons");
    EXPECT_FALSE(load());
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].text, QStringLiteral("课文目录文件不存在！         "));
    EXPECT_EQ(messages.shown[0].caption, QStringLiteral("提示"));
    EXPECT_EQ(chosen, 1);

    library.addBook("P", "HeaderOnly", "header;image\r\n", booktest::lessonText(1));
    library.open(book, "P", "HeaderOnly");
    EXPECT_FALSE(load());
    ASSERT_EQ(messages.shown.size(), 2);
    EXPECT_EQ(messages.shown[1].text, NoEntriesMessage());
    EXPECT_EQ(messages.shown[1].caption, QStringLiteral("提示"));
    EXPECT_EQ(chosen, 2);

    QDir().mkpath(library.folderOf("P", "Empty"));
    library.open(book, "P", "Empty");
    EXPECT_FALSE(load());
    EXPECT_EQ(messages.shown.last().text, QStringLiteral("未安装本册书的资料文件！          "));
    EXPECT_EQ(chosen, 3);

    library.open(book, "P", "Big");
    expectBigIntact();
}

TEST_F(LoadBook, DamagedDataFileIsAnErrorNamingTheFile)
{
    loadBig();
    const QString folder =
        library.addBook("P", "Damaged", booktest::locationText(2), booktest::lessonText(1));
    QByteArray packed = PackBytes(booktest::lessonText(1));
    TestLibrary::writeFile(folder + "/LessonIndex.dat", packed.left(packed.size() / 2));
    library.open(book, "P", "Damaged");
    EXPECT_TRUE(errorOf([&] { load(); }).contains("LessonIndex.dat"));
    library.open(book, "P", "Big");
    expectBigIntact();
}

TEST_F(LoadBook, TablesAndFoldersInAnyLetterCaseAndALoneCrAtTheEndLoad)
{
    // Made on a file system that ignores case: the settings say "Pub"/"Book",
    // the folders are "PUB"/"book", the tables "LOCATION.DAT" and "lessonindex.dat".
    QByteArray lessons = booktest::lessonText(2);
    lessons.chop(1); // "...;2\n" becomes "...;2\r": the last number ends in a lone CR
    lessons += '\r';
    QByteArray location = booktest::locationText(3, "v");
    location.chop(2);
    location += '\r';
    library.addBook("PUB", "book", location, lessons, "LOCATION.DAT", "lessonindex.dat");
    library.open(book, "Pub", "Book");
    ASSERT_TRUE(load());
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_EQ(book.Content.Sentences.count(), 3);
    EXPECT_EQ(book.Content.Sentences.EnglishText[2], "English 2");
    ASSERT_EQ(book.Content.Lessons.count(), 2);
    EXPECT_EQ(book.Content.Lessons.EndPage[1], 2);
    EXPECT_EQ(BookFolder(library.paths, book), library.folderOf("PUB", "book") + "/");
}
