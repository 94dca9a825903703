// `bookmaker check` against broken copies of a test book: each kind of fault
// is put into an otherwise sound book and must be reported with its file and
// line, and a sound book (the sample library among them) must have none.

#include "bookmaker/BookCheck.h"
#include "book/BookLibrary.h"
#include "book/Gbk.h"
#include "book/PackedFile.h"
#include "speech/Lexicon.h"
#include "support/TestBook.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zarelo;
using namespace zarelo::bookmaker;
using namespace zarelo::fakes;

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    file.write(bytes);
}

// Replaces `from` by `to` in the unpacked text of a packed table.
void editTable(const QString& path, const QByteArray& from, const QByteArray& to)
{
    QByteArray text = UnpackFile(path);
    ASSERT_TRUE(text.contains(from)) << from.toStdString();
    text.replace(from, to);
    writeFile(path, PackBytes(text));
}

// "file:line" of every problem (notes marked "note "), for comparing at once.
std::vector<std::string> places(const std::vector<Finding>& findings)
{
    std::vector<std::string> out;
    for (const Finding& f : findings)
        out.push_back((f.Note ? "note " : "") + f.File.toStdString() + ':' +
                      std::to_string(f.Line));
    return out;
}

std::string texts(const std::vector<Finding>& findings)
{
    std::string out;
    for (const Finding& f : findings)
        out += f.Text.toStdString() + '\n';
    return out;
}

// Six entries on three pages in two voices, two lessons.
TestBook soundBook()
{
    TestBook b;
    for (int row = 0; row < 6; ++row) {
        TestEntry e;
        e.Page = row / 2 + 1;
        e.Kind = row % 2 ? "word" : "sent";
        e.Boxes = {{100, 100 + 60 * (row % 2), 700, 140 + 60 * (row % 2)}};
        e.Voice = row < 3 ? "voice1" : "voice2";
        e.English = row % 2 ? "school" : "Good morning";
        b.Entries.push_back(e);
    }
    b.Lessons = {{"Lesson 1", "One", 1, 2}, {"Lesson 2", "Two", 3, 3}};
    return b;
}

} // namespace

TEST(BookCheck, SoundBooksHaveNoProblems)
{
    QTemporaryDir program;
    const auto findings = CheckBookFolder(soundBook().write(program.path()));
    EXPECT_TRUE(findings.empty()) << texts(findings);

    // Every book of the sample library, as the book maker made it.
    const QString samples = qEnvironmentVariable("ZARELO_PROGRAM_DIR");
    const LibraryScan scan = ScanLibrary(samples);
    ASSERT_FALSE(scan.BookNames.empty());
    for (size_t i = 0; i < scan.BookNames.size(); ++i) {
        const auto sample =
            CheckBookFolder(samples + u'/' + scan.BookPublishers[i] + u'/' + scan.BookNames[i]);
        EXPECT_EQ(ProblemCount(sample), 0) << texts(sample);
    }
}

TEST(BookCheck, EachLineThatDoesNotParseIsReportedAndTheRestStillChecked)
{
    QTemporaryDir program;
    TestBook book = soundBook();
    book.Entries[4].Boxes = {{100, 100, 900, 140}}; // line 6: outside the 800 px page
    const QString folder = book.write(program.path());
    // Line 3 (row 1): a time that is no time; line 5 (row 3): fields missing.
    editTable(folder + "/location.dat", "Page1;word;100,160;700,200;voice1;0:1:0,",
              "Page1;word;100,160;700,200;voice1;0:x1:0,");
    editTable(folder + "/location.dat", "Page2;word;100,160;700,200;voice2", "Page2;word;100,160");
    editTable(folder + "/LessonIndex.dat", "Lesson 2;Two;c2;0:00:0", "Lesson 2;Two;c2;0:00");
    // Line 4 (row 2): no English text; line 7 (row 5): a page name without a number.
    const QByteArray chinese = toGbk(QStringLiteral("中文"));
    editTable(folder + "/location.dat", "voice1;0:2:0,0:2:6;" + chinese + ":Good morning",
              "voice1;0:2:0,0:2:6;" + chinese + ":");
    editTable(folder + "/location.dat", "Page3;word", "PageC;word");

    const auto findings = CheckBookFolder(folder);
    EXPECT_EQ(places(findings),
              (std::vector<std::string>{"LessonIndex.dat:2", "location.dat:3", "location.dat:4",
                                        "location.dat:5", "location.dat:6", "location.dat:7"}))
        << texts(findings);
    // The reader's own words, with the field that was wrong.
    EXPECT_TRUE(findings[1].Text.contains(QStringLiteral("location.dat 第 3 行：字段 5")))
        << texts(findings);
    EXPECT_TRUE(findings[4].Text.contains(QStringLiteral("outside"))) << texts(findings);
}

TEST(BookCheck, MissingAndDamagedFilesAreReported)
{
    QTemporaryDir program;
    TestBook book = soundBook();
    book.Pages = std::vector<int>{1, 2};                           // no Page3.zip
    book.Voices["voice2"] = {QStringLiteral("VOICE2.wav"), 22050}; // another letter case
    book.Entries[5].Voice = "voice3";                              // rows 5: a voice not written
    book.Voices["voice3"] = {QString(), 22050};
    const QString folder = book.write(program.path());
    writeFile(folder + "/Page2.zip", "PK\x03\x04 not a packed file");   // does not unpack
    writeFile(folder + "/Page1.zip", PackBytes("not a picture"));       // does not decode
    writeFile(folder + "/voice1.wav", PackBytes("not a sound at all")); // does not decode
    QFile::remove(folder + "/LessonIndex.dat");

    // A text book's pages are drawn by the page view: no page file is read,
    // and boxes lie on its 800 x 1200 panel.
    QTemporaryDir textProgram;
    TestBook text = soundBook();
    text.Header = "header;text;";
    text.Pages = std::vector<int>{};
    text.Entries[1].Boxes = {{100, 1100, 700, 1190}};
    text.Entries[3].Boxes = {{100, 1100, 700, 1210}}; // line 5
    const auto textFindings = CheckBookFolder(text.write(textProgram.path()));
    EXPECT_EQ(places(textFindings), std::vector<std::string>{"location.dat:5"})
        << texts(textFindings);

    const auto findings = CheckBookFolder(folder);
    EXPECT_EQ(places(findings),
              (std::vector<std::string>{"LessonIndex.dat:0", // missing
                                        "location.dat:5",    // VOICE2.wav in another case
                                        "location.dat:6",    // page 3 has no file (first entry)
                                        "location.dat:7",    // voice3.wav missing
                                        "Page1.zip:0", "Page2.zip:0", "voice1.wav:0"}))
        << texts(findings);
}

TEST(BookCheck, RangesBoxesLessonsAndWordsAgainstTheirFiles)
{
    QTemporaryDir program;
    TestBook book = soundBook();
    book.Entries[2].Boxes = {{100, 100, 700, 140}, {100, 150, 700, 1200}}; // line 4: below page
    book.Entries[5].English = "don't";                                     // line 7: a note
    book.Entries[5].Page = 5;
    book.Lessons[1].EndPage = 5;
    book.Lessons.push_back({"Lesson 3", "Nothing", 4, 4}); // line 3: page 4 holds nothing
    book.PagePictures[2] = PagePicture{};                  // 800 x 1000, nothing painted
    const QString folder = book.write(program.path());
    // Row 1 (line 3) starts after it ends; row 4 (line 6) ends past voice2.wav (7 s).
    editTable(folder + "/location.dat", "voice1;0:1:0,0:1:6", "voice1;0:1:6,0:1:0");
    editTable(folder + "/location.dat", "voice2;0:4:0,0:4:6", "voice2;0:4:0,0:7:5");

    const auto findings = CheckBookFolder(folder);
    EXPECT_EQ(places(findings),
              (std::vector<std::string>{"LessonIndex.dat:3", "location.dat:3", "location.dat:4",
                                        "location.dat:6", "note location.dat:7"}))
        << texts(findings);
    EXPECT_EQ(ProblemCount(findings), 4);
    EXPECT_TRUE(findings[3].Text.contains(QStringLiteral("past the end of voice2.wav (7.00 s)")))
        << texts(findings);

    // Notes alone leave the book without problems; blanks around a word too.
    editTable(folder + "/location.dat", "voice1;0:1:6,0:1:0", "voice1;0:1:0,0:1:6");
    editTable(folder + "/location.dat", "voice2;0:4:0,0:7:5", "voice2;0:4:0,0:4:6");
    editTable(folder + "/location.dat", "@100,150@700,1200", "@100,150@700,190");
    editTable(folder + "/location.dat", ":school", ": school ");
    editTable(folder + "/LessonIndex.dat", "Lesson 3;Nothing;c2;0:00:0;c4;0:10:0;4;4",
              "Lesson 3;Nothing;c2;0:00:0;c4;0:10:0;4;5");
    const auto notes = CheckBookFolder(folder);
    EXPECT_EQ(places(notes), (std::vector<std::string>{"note location.dat:3", "note location.dat:5",
                                                       "note location.dat:7"}))
        << texts(notes);
    EXPECT_EQ(ProblemCount(notes), 0);
}

TEST(BookCheck, WordsTheAlignerWouldGuessAreNotedAndTheBooksOwnPronunciationsRead)
{
    QTemporaryDir program;
    TestBook book = soundBook();
    book.Entries[0].English = "Good morning, Lingling";
    book.Entries[2].English = "Good morning, Zorbix and Lingling";
    book.Entries[4].English = "Hello, Zorbix";
    const QString folder = book.write(program.path());
    speech::Lexicon lexicon;
    lexicon.ReadText("good G UH D\nmorning M AO R N IH NG\nschool S K UW L\nhello HH AH L OW\n"
                     "and AH N D\n",
                     QStringLiteral("test"));

    // Each word no dictionary holds is noted once, at its first line, with
    // the phones the aligner would guess.
    auto findings = CheckBookFolder(folder, &lexicon);
    EXPECT_EQ(places(findings),
              (std::vector<std::string>{"note location.dat:2", "note location.dat:4"}))
        << texts(findings);
    EXPECT_NE(texts(findings).find("“Lingling”"), std::string::npos) << texts(findings);
    EXPECT_NE(texts(findings).find("“Zorbix”"), std::string::npos) << texts(findings);
    EXPECT_EQ(ProblemCount(findings), 0);

    // The book's own pronunciations (written from "say" lines) are words the
    // aligner knows; a line of them with a phone the model lacks is a problem.
    writeFile(folder + "/pronunciations.dict", "lingling L IH NG L IH NG\nzorbix Z AO R B Q S\n");
    findings = CheckBookFolder(folder, &lexicon);
    EXPECT_EQ(ProblemCount(findings), 1) << texts(findings);
    EXPECT_NE(texts(findings).find("line 2"), std::string::npos) << texts(findings);
    writeFile(folder + "/pronunciations.dict",
              "lingling L IH NG L IH NG\nzorbix Z AO R B IH K S\n");
    findings = CheckBookFolder(folder, &lexicon);
    EXPECT_TRUE(findings.empty()) << texts(findings);
}
