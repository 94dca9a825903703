// Page turning over a fake page screen: the page files are empty files in a
// temporary book folder (the fake screen decodes nothing), a damaged page is
// one the fake refuses with a BookError.

#include "reading/PageTurner.h"
#include "base/BookError.h"
#include "support/ScriptedMessages.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zarelo;

namespace {

const QString kMissing = QStringLiteral("页面文件不存在！         ");

class FakeScreen final : public PageScreen {
public:
    QSet<QString> damaged; // file names that fail to decode
    QString picture;       // path of the picture on screen
    QStringList shown;     // every picture or text page shown, in order
    QString box;
    QString status = QStringLiteral("(untouched)");
    int stops = 0;
    int lessonChanges = 0;

    void ShowPicture(const QString& path) override
    {
        if (damaged.contains(QFileInfo(path).fileName()))
            throw BookError(QStringLiteral("damaged ") + QFileInfo(path).fileName());
        picture = path;
        shown << QFileInfo(path).fileName();
    }
    void ShowTextPage() override { shown << QStringLiteral("text"); }
    QString PageNumberText() const override { return box; }
    void SetPageNumberText(const QString& text) override { box = text; }
    void SetStatusText(const QString& text) override { status = text; }
    void StopForPageTurn() override { ++stops; }
    void CurrentLessonChanged() override { ++lessonChanges; }
};

struct Rig {
    QTemporaryDir dir;
    ProgramPaths paths;
    OpenBook book;
    fakes::ScriptedMessages messages;
    FakeScreen screen;
    QObject owner;
    PageTurner pages{paths, book, messages, screen, &owner};

    // Page files by name, in the folder of book Pub/Book; lessons 1-2 and 3-4.
    explicit Rig(const QStringList& files)
    {
        paths.ProgramFolder = dir.path();
        book.CurrentPublisher = QStringLiteral("Pub");
        book.CurrentBook = QStringLiteral("Book");
        QDir(dir.path()).mkpath(QStringLiteral("Pub/Book"));
        for (const QString& name : files) {
            QFile file(dir.filePath(QStringLiteral("Pub/Book/") + name));
            EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        }
        LessonTable& l = book.Content.Lessons;
        const auto lesson = [&](const char* name, int first, int last) {
            l.Name.append(name), l.Title.append("Title"), l.Column2.append(""),
                l.Column4.append("");
            l.StartTime.push_back(0), l.EndTime.push_back(0);
            l.FirstPage.push_back(first), l.EndPage.push_back(last);
        };
        lesson("Lesson 1", 1, 2);
        lesson("Lesson 2", 3, 4);
        lesson("Lesson 3", 3, 3); // shares its first page with lesson 2
        book.CurrentPage = 1;
    }
    void show(int page)
    {
        book.CurrentPage = page;
        screen.box = QString::number(page);
        ASSERT_TRUE(pages.ShowPage());
    }
};

} // namespace

TEST(PageTurner, ShowPageFindsTheFileInAnyCaseAndReportsAMissingOneUnlessQuiet)
{
    Rig rig({"Page1.zip", "page2.ZIP", "Page10.zip", "PAGE10.zip"});
    EXPECT_TRUE(rig.pages.ShowPage());
    EXPECT_EQ(rig.screen.picture, rig.dir.filePath("Pub/Book/Page1.zip"));
    EXPECT_EQ(rig.pages.PageOnScreen(), 1);
    rig.book.CurrentPage = 2;
    EXPECT_TRUE(rig.pages.ShowPage());
    EXPECT_EQ(rig.screen.picture, rig.dir.filePath("Pub/Book/page2.ZIP"));
    rig.book.CurrentPage = 10; // the exact name wins over another case
    EXPECT_TRUE(rig.pages.ShowPage());
    EXPECT_EQ(rig.screen.picture, rig.dir.filePath("Pub/Book/Page10.zip"));
    EXPECT_TRUE(rig.messages.shown.isEmpty());

    rig.book.CurrentPage = 3;
    EXPECT_FALSE(rig.pages.ShowPageQuietly());
    EXPECT_TRUE(rig.messages.shown.isEmpty());
    rig.pages.RefreshPage(); // page 3 is not on screen: nothing, no message
    EXPECT_TRUE(rig.messages.shown.isEmpty());
    EXPECT_EQ(rig.screen.shown, (QStringList{"Page1.zip", "page2.ZIP", "Page10.zip"}));

    EXPECT_FALSE(rig.pages.ShowPage());
    ASSERT_EQ(rig.messages.shown.size(), 1);
    EXPECT_EQ(rig.messages.shown[0].text, kMissing);
    EXPECT_EQ(rig.messages.shown[0].caption, QStringLiteral("提示"));
    EXPECT_EQ(rig.messages.shown[0].owner, &rig.owner);
    EXPECT_EQ(rig.book.CurrentPage, 3); // putting the page back is the caller's
    EXPECT_EQ(rig.pages.PageOnScreen(), 10);

    rig.book.CurrentPage = 10;
    rig.pages.RefreshPage(); // on screen: laid out again
    EXPECT_EQ(rig.screen.shown.last(), QStringLiteral("Page10.zip"));
    EXPECT_EQ(rig.screen.shown.size(), 4);

    // A folder of that name is no page file.
    QDir(rig.dir.path()).mkpath("Pub/Book/Page4.zip");
    rig.book.CurrentPage = 4;
    EXPECT_FALSE(rig.pages.ShowPage());
    EXPECT_EQ(rig.messages.shown.size(), 2);
}

TEST(PageTurner, PageButtonsStopAtTheEndsAndPutTheOldPageBack)
{
    Rig rig({"Page1.zip", "Page2.zip", "Page3.zip"});
    rig.show(1);
    rig.pages.NextPage();
    EXPECT_EQ(rig.book.CurrentPage, 2);
    EXPECT_EQ(rig.screen.box, "2");
    EXPECT_EQ(rig.screen.status, "");
    EXPECT_EQ(rig.screen.stops, 1);
    EXPECT_EQ(rig.book.CurrentLesson, 0);

    rig.pages.NextPage();
    EXPECT_EQ(rig.book.CurrentLesson, 1); // the box changed: the lesson follows
    const int changes = rig.screen.lessonChanges;
    rig.pages.NextPage(); // past the last page
    EXPECT_EQ(rig.book.CurrentPage, 3);
    EXPECT_EQ(rig.screen.box, "3");
    EXPECT_EQ(rig.screen.status, "这是最后一页");
    EXPECT_EQ(rig.messages.texts(), QStringList{kMissing});
    EXPECT_EQ(rig.screen.lessonChanges, changes); // the box did not change
    EXPECT_EQ(rig.screen.picture, rig.dir.filePath("Pub/Book/Page3.zip"));

    // A damaged page: the error goes up, the old page comes back, the old
    // picture stays.
    rig.screen.damaged = {"Page2.zip"};
    EXPECT_THROW(rig.pages.PreviousPage(), BookError);
    EXPECT_EQ(rig.book.CurrentPage, 3);
    EXPECT_EQ(rig.screen.box, "3");
    EXPECT_EQ(rig.screen.picture, rig.dir.filePath("Pub/Book/Page3.zip"));
    rig.screen.damaged = {"Page4.zip"};
    rig.pages.PreviousPage();
    rig.pages.PreviousPage();
    EXPECT_EQ(rig.book.CurrentPage, 1);
    EXPECT_EQ(rig.screen.box, "1");
    EXPECT_EQ(rig.book.CurrentLesson, 0);

    const int shown = rig.screen.shown.size();
    const int stops = rig.screen.stops;
    rig.pages.PreviousPage(); // on page 1: reading stops, the page stays
    EXPECT_EQ(rig.screen.stops, stops + 1);
    EXPECT_EQ(rig.screen.status, "这是第一页");
    EXPECT_EQ(rig.book.CurrentPage, 1);
    EXPECT_EQ(rig.screen.shown.size(), shown);
    EXPECT_EQ(rig.messages.shown.size(), 1);

    // Damaged next page.
    rig.screen.damaged = {"Page2.zip"};
    EXPECT_THROW(rig.pages.NextPage(), BookError);
    EXPECT_EQ(rig.book.CurrentPage, 1);
    EXPECT_EQ(rig.screen.box, "1");
}

TEST(PageTurner, PageNumberBoxShowsANumberAndPutsTheOldPageBackOtherwise)
{
    Rig rig({"Page1.zip", "Page2.zip", "Page3.zip"});
    rig.show(1);
    int changes = rig.screen.lessonChanges;

    rig.screen.box = " 3 ";
    rig.pages.PageNumberChanged(rig.screen.box);
    EXPECT_EQ(rig.book.CurrentPage, 3);
    EXPECT_EQ(rig.screen.shown.last(), "Page3.zip");
    EXPECT_EQ(rig.book.CurrentLesson, 1);
    EXPECT_EQ(rig.screen.lessonChanges, ++changes);

    rig.screen.box = "9"; // missing: the message and page 3 back in both
    rig.pages.PageNumberChanged(rig.screen.box);
    EXPECT_EQ(rig.messages.texts(), QStringList{kMissing});
    EXPECT_EQ(rig.book.CurrentPage, 3);
    EXPECT_EQ(rig.screen.box, "3");
    EXPECT_EQ(rig.screen.lessonChanges, ++changes);

    rig.screen.box = "x2"; // no number: page 3 back and shown again
    const int shown = rig.screen.shown.size();
    rig.pages.PageNumberChanged(rig.screen.box);
    EXPECT_EQ(rig.book.CurrentPage, 3);
    EXPECT_EQ(rig.screen.box, "3");
    EXPECT_EQ(rig.screen.shown.size(), shown + 1);
    EXPECT_EQ(rig.screen.shown.last(), "Page3.zip");

    rig.screen.damaged = {"Page1.zip"};
    rig.screen.box = "1";
    EXPECT_THROW(rig.pages.PageNumberChanged(rig.screen.box), BookError);
    EXPECT_EQ(rig.book.CurrentPage, 3);
    EXPECT_EQ(rig.screen.box, "3");
    EXPECT_EQ(rig.screen.picture, rig.dir.filePath("Pub/Book/Page3.zip"));
    EXPECT_EQ(rig.book.CurrentLesson, 1);

    rig.screen.box = "";
    changes = rig.screen.lessonChanges;
    rig.pages.PageNumberChanged(rig.screen.box); // empty: nothing shown, the lesson still follows
    EXPECT_EQ(rig.book.CurrentPage, 3);
    EXPECT_EQ(rig.screen.shown.size(), shown + 1);
    EXPECT_EQ(rig.screen.lessonChanges, changes + 1);
    EXPECT_EQ(rig.messages.shown.size(), 1);
}

TEST(PageTurner, ShowLessonKeepsTheChosenLessonAndTextPagesNeedAnEntry)
{
    Rig rig({"Page1.zip", "Page3.zip"});
    EXPECT_TRUE(rig.pages.ShowLesson("Lesson 3", "Title"));
    EXPECT_EQ(rig.book.CurrentPage, 3);
    EXPECT_EQ(rig.screen.box, "3");
    EXPECT_EQ(rig.book.CurrentLesson, 2); // not lesson 2, which also starts on page 3
    EXPECT_EQ(rig.screen.shown, QStringList{"Page3.zip"});
    EXPECT_EQ(rig.screen.lessonChanges, 1);
    EXPECT_FALSE(rig.pages.ShowLesson("Lesson 1", "title")); // exact comparison
    EXPECT_EQ(rig.book.CurrentPage, 3);
    EXPECT_EQ(rig.screen.lessonChanges, 1);
    rig.screen.damaged = {"Page1.zip"};
    EXPECT_THROW(rig.pages.ShowLesson("Lesson 1", "Title"), BookError);
    EXPECT_EQ(rig.book.CurrentLesson, 0);
    EXPECT_EQ(rig.screen.lessonChanges, 2);

    // A text book: no page files; a page is there when an entry stands on it.
    rig.book.IsTextBook = true;
    rig.book.Content.Sentences.PageName.append("Page2");
    rig.book.CurrentPage = 2;
    EXPECT_TRUE(rig.pages.ShowPage());
    EXPECT_EQ(rig.screen.shown.last(), "text");
    rig.book.CurrentPage = 3;
    EXPECT_FALSE(rig.pages.ShowPage());
    EXPECT_TRUE(rig.messages.shown.isEmpty());
    EXPECT_EQ(rig.pages.PageOnScreen(), 2);
}
