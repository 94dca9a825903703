// Opening a book at start and from the menu over a temporary library, with
// scripted messages and a scripted book selection.

#include "shell/BookOpener.h"
#include "base/BookError.h"
#include "base/SettingsKey.h"
#include "book/PackedFile.h"
#include "book/TestLibrary.h"
#include "support/ScriptedMessages.h"

#include <QList>
#include <gtest/gtest.h>

using namespace zarelo;
using zarelo::booktest::lessonText;
using zarelo::booktest::locationText;

namespace {

const QString kNoData = QStringLiteral("未安装本册书的资料文件！          ");
const QString kNoLessons = QStringLiteral("课文目录文件不存在！         ");

struct Rig {
    booktest::TestLibrary library;
    OpenBook book;
    fakes::ScriptedMessages messages;
    int voicesOpened = 0;
    BookOpener opener{library.paths, book, messages, [this] { ++voicesOpened; }};
    QObject splash, window;

    // The selection as the dialog makes it: each call takes the next book of
    // `answers` (publisher, book; an empty pair cancels), sets the names and
    // page 1 and remembers the choice.
    QList<std::pair<QString, QString>> answers;
    int choices = 0;
    ChooseBookFn choose = [this] {
        ++choices;
        if (answers.isEmpty() || answers.first().first.isEmpty()) {
            if (!answers.isEmpty())
                answers.removeFirst();
            return false;
        }
        const auto [publisher, name] = answers.takeFirst();
        book.CurrentPublisher = publisher;
        book.CurrentBook = name;
        book.CurrentPage = 1;
        RememberChosenBook(library.paths.SettingsPath, name, publisher);
        return true;
    };

    void remember(const QString& publisher, const QString& name, const QString& page)
    {
        SettingsKey key(library.paths.SettingsPath);
        key.writeString("bookname", name);
        key.writeString("publicname", publisher);
        key.writeString("LastPage", page);
    }
    QString setting(const QString& name) const
    {
        return SettingsKey(library.paths.SettingsPath).readString(name);
    }
    void addBook(const QString& publisher, const QString& name, int entries = 8)
    {
        library.addBook(publisher, name, locationText(entries), lessonText(2));
    }
};

} // namespace

TEST(BookOpener, TheLastBookOpensOnItsPageWithoutTheSelection)
{
    Rig rig;
    rig.addBook("P", "One", 12);
    rig.remember("P", "One", "3");
    EXPECT_TRUE(rig.opener.OpenLastBook(rig.choose, &rig.splash, &rig.window));
    EXPECT_EQ(rig.choices, 0);
    EXPECT_EQ(rig.book.Content.Sentences.count(), 12);
    EXPECT_EQ(rig.book.Content.LessonIndexLines.size(), 2);
    EXPECT_EQ(rig.book.CurrentPage, 3);
    EXPECT_EQ(rig.book.CurrentVoiceName, QByteArray("voice1"));
    EXPECT_EQ(rig.voicesOpened, 1);
    EXPECT_TRUE(rig.messages.shown.isEmpty());

    // A remembered page 0 opens on page 1.
    rig.remember("P", "One", "0");
    EXPECT_TRUE(rig.opener.OpenLastBook(rig.choose, &rig.splash, &rig.window));
    EXPECT_EQ(rig.book.CurrentPage, 1);
}

TEST(BookOpener, WithoutALastBookTheSelectionIsOfferedOnce)
{
    Rig rig;
    rig.addBook("P", "One");
    rig.answers = {{"", ""}};
    EXPECT_FALSE(rig.opener.OpenLastBook(rig.choose, &rig.splash, &rig.window));
    EXPECT_EQ(rig.choices, 1);
    EXPECT_EQ(rig.book.Content.Sentences.count(), 0);
    EXPECT_EQ(rig.voicesOpened, 0);

    rig.remember("P", "", "4"); // a publisher alone is no book either
    rig.answers = {{"P", "One"}};
    EXPECT_TRUE(rig.opener.OpenLastBook(rig.choose, &rig.splash, &rig.window));
    EXPECT_EQ(rig.choices, 2);
    EXPECT_EQ(rig.book.CurrentBook, "One");
    EXPECT_EQ(rig.book.CurrentPage, 1);
    EXPECT_EQ(rig.book.Content.Sentences.count(), 8);
    EXPECT_TRUE(rig.messages.shown.isEmpty());
}

TEST(BookOpener, MissingOrDamagedDataAtStartLoadsNothing)
{
    Rig rig;
    // No sentence table: CheckBookData's message, owned by the splash, and the
    // selection again (whose choice is not opened).
    QDir().mkpath(rig.library.folderOf("P", "Empty"));
    rig.addBook("P", "One");
    rig.remember("P", "Empty", "2");
    rig.answers = {{"P", "One"}};
    EXPECT_FALSE(rig.opener.OpenLastBook(rig.choose, &rig.splash, &rig.window));
    ASSERT_EQ(rig.messages.shown.size(), 1);
    EXPECT_EQ(rig.messages.shown[0].text, kNoData);
    EXPECT_EQ(rig.messages.shown[0].owner, &rig.splash);
    EXPECT_EQ(rig.choices, 1);
    EXPECT_EQ(rig.book.CurrentBook, "One");
    EXPECT_EQ(rig.book.Content.Sentences.count(), 0);

    // No lesson index: LoadBookContent's message, and the selection again.
    rig.library.addBook("P", "NoLessons", locationText(4), {}, "location.dat", "");
    rig.remember("P", "NoLessons", "1");
    rig.answers = {{"", ""}};
    EXPECT_FALSE(rig.opener.OpenLastBook(rig.choose, &rig.splash, &rig.window));
    ASSERT_EQ(rig.messages.shown.size(), 2);
    EXPECT_EQ(rig.messages.shown[1].text, kNoLessons);
    EXPECT_EQ(rig.choices, 2);
    EXPECT_EQ(rig.book.Content.Sentences.count(), 0);

    // A malformed lesson line: the error goes up, nothing is loaded.
    rig.library.addBook("P", "Damaged", locationText(4), "Unit 1;T;c2;0:00:0;c4;0:10:0;one;2\n");
    rig.remember("P", "Damaged", "1");
    EXPECT_THROW(rig.opener.OpenLastBook(rig.choose, &rig.splash, &rig.window), BookError);
    EXPECT_EQ(rig.book.Content.Sentences.count(), 0);
    EXPECT_EQ(rig.voicesOpened, 0);
}

TEST(BookOpener, AChosenBookOpensOnPageOneOrThePreviousBookComesBack)
{
    Rig rig;
    rig.addBook("P", "One", 8);
    rig.addBook("Q", "Two", 12);
    QDir().mkpath(rig.library.folderOf("Q", "Empty"));
    rig.library.addBook("Q", "Damaged", locationText(4), "Unit 1;T;c2;0:00:0;c4;0:10:0;1;two\n");
    rig.remember("P", "One", "3");
    ASSERT_TRUE(rig.opener.OpenLastBook(rig.choose, &rig.splash, &rig.window));

    // Cancelled: nothing changes, the loading screen never shows.
    int loadingShown = 0;
    int rowsWhenLoading = -1;
    const auto showLoading = [&] {
        ++loadingShown;
        rowsWhenLoading = rig.book.Content.Sentences.count();
    };
    rig.answers = {{"", ""}};
    EXPECT_FALSE(rig.opener.OpenChosenBook(rig.choose, &rig.window, showLoading));
    EXPECT_EQ(rig.book.CurrentBook, "One");
    EXPECT_EQ(rig.book.CurrentPage, 3);
    EXPECT_EQ(loadingShown, 0);

    // A choice without data files (and the selection cancelled after its
    // message): the previous book, page and remembered names come back.
    rig.answers = {{"Q", "Empty"}, {"", ""}};
    EXPECT_FALSE(rig.opener.OpenChosenBook(rig.choose, &rig.window, showLoading));
    EXPECT_EQ(rig.messages.texts(), QStringList{kNoData});
    EXPECT_EQ(rig.messages.shown[0].owner, &rig.window);
    EXPECT_EQ(rig.book.CurrentBook, "One");
    EXPECT_EQ(rig.book.CurrentPublisher, "P");
    EXPECT_EQ(rig.book.CurrentPage, 3);
    EXPECT_EQ(rig.setting("bookname"), "One");
    EXPECT_EQ(rig.setting("publicname"), "P");
    EXPECT_EQ(loadingShown, 0);

    // A damaged choice: the error goes up after the previous book is back.
    rig.answers = {{"Q", "Damaged"}};
    EXPECT_THROW(rig.opener.OpenChosenBook(rig.choose, &rig.window, showLoading), BookError);
    EXPECT_EQ(rig.book.CurrentBook, "One");
    EXPECT_EQ(rig.book.CurrentPage, 3);
    EXPECT_EQ(rig.setting("bookname"), "One");
    EXPECT_EQ(rig.book.Content.Sentences.count(), 8);
    EXPECT_EQ(loadingShown, 1);

    // A good choice: the loading screen between check and load, page 1.
    rig.answers = {{"Q", "Two"}};
    EXPECT_TRUE(rig.opener.OpenChosenBook(rig.choose, &rig.window, showLoading));
    EXPECT_EQ(loadingShown, 2);
    EXPECT_EQ(rowsWhenLoading, 8); // shown before the new tables were loaded
    EXPECT_EQ(rig.book.CurrentBook, "Two");
    EXPECT_EQ(rig.book.CurrentPage, 1);
    EXPECT_EQ(rig.book.Content.Sentences.count(), 12);
    EXPECT_EQ(rig.setting("bookname"), "Two");
    EXPECT_EQ(rig.voicesOpened, 2);
    EXPECT_EQ(rig.messages.shown.size(), 1);
}

TEST(BookOpener, WithoutAPreviousBookAFailedChoiceKeepsItsNames)
{
    Rig rig;
    QDir().mkpath(rig.library.folderOf("Q", "Empty"));
    rig.answers = {{"Q", "Empty"}, {"", ""}};
    EXPECT_FALSE(rig.opener.OpenChosenBook(rig.choose, &rig.window, {}));
    EXPECT_EQ(rig.book.CurrentBook, "Empty");
    EXPECT_EQ(rig.book.CurrentPublisher, "Q");
    EXPECT_EQ(rig.book.Content.Sentences.count(), 0);
}
