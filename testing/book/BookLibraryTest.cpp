#include "book/BookLibrary.h"
#include "TestLibrary.h"
#include "base/BookError.h"
#include "base/SettingsKey.h"
#include "book/BookFiles.h"
#include "book/BookLoader.h"
#include "support/ScriptedMessages.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace zarelo;
using zarelo::booktest::TestLibrary;
using zarelo::fakes::ScriptedMessages;

namespace {

std::vector<QString> list(std::initializer_list<const char*> names)
{
    std::vector<QString> out;
    for (const char* n : names)
        out.push_back(QString::fromUtf8(n));
    return out;
}

QString fileText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

TEST(ScanLibrary, BooksAreFoldersWithTheirTableInNameOrderIgnoringCaseAndNotHidden)
{
    TestLibrary library;
    const QByteArray location = booktest::locationText(1);
    library.addBook("人教版", "三年级上册", location, {});
    library.addBook("人教版", "public school", location, {});
    library.addBook("外研社", "一年级", location, {});
    QDir().mkpath(library.folderOf("外研社", "没有资料")); // no location.dat
    QDir().mkpath(library.folderOf("空出版社", "书"));     // a publisher without books
    // The table's name in another letter case still makes a book.
    library.addBook("Wrong", "Case", location, {}, "Location.DAT");
    // Order ignores case: a case-sensitive order would put "Beta" and "Zed" first.
    library.addBook("alpha", "b", location, {});
    library.addBook("alpha", "Zed", location, {});
    library.addBook("alpha", "a", location, {});
    library.addBook("Beta", "x", location, {});
    // Hidden folders (a book still being made, a hidden publisher) are skipped.
    library.addBook("人教版", ".三年级下册.making", location, {});
    library.addBook(".trash", "old", location, {});
    QDir().mkpath(library.paths.ProgramFolder + "/skin");
    TestLibrary::writeFile(library.paths.ProgramFolder + "/location.dat", "x");

    const LibraryScan scan = ScanLibrary(library.paths.ProgramFolder);
    EXPECT_EQ(scan.Publishers, list({"alpha", "Beta", "Wrong", "人教版", "外研社"}));
    EXPECT_EQ(scan.BookNames,
              list({"a", "b", "Zed", "x", "Case", "public school", "三年级上册", "一年级"}));
    EXPECT_EQ(scan.BookPublishers,
              list({"alpha", "alpha", "alpha", "Beta", "Wrong", "人教版", "人教版", "外研社"}));

    EXPECT_TRUE(ScanLibrary(library.root.path() + "/nowhere").Publishers.empty());
}

TEST(ScanLibrary, TheUsersCopyOfABookWinsOverTheInstalledOne)
{
    TestLibrary user, installed;
    user.addBook("晨光", "第一册", booktest::locationText(1), {});
    user.addBook("自编", "我的书", booktest::locationText(1), {});
    installed.addBook("晨光", "第一册", booktest::locationText(2), {});
    installed.addBook("晨光", "第二册", booktest::locationText(1), {});
    installed.addBook("外研社", "一年级", booktest::locationText(1), {});
    const QStringList libraries{user.paths.ProgramFolder, installed.paths.ProgramFolder};

    const LibraryScan scan = ScanLibrary(libraries);
    EXPECT_EQ(scan.Publishers, list({"晨光", "自编", "外研社"}));
    // Each library in its own name order ("外" before "晨"), the user's first.
    EXPECT_EQ(scan.BookNames, list({"第一册", "我的书", "一年级", "第二册"}));
    EXPECT_EQ(scan.BookPublishers, list({"晨光", "自编", "外研社", "晨光"}));

    EXPECT_EQ(FindBookFolder(libraries, "晨光", "第一册"), user.folderOf("晨光", "第一册"));
    EXPECT_EQ(FindBookFolder(libraries, "晨光", "第二册"), installed.folderOf("晨光", "第二册"));
    EXPECT_EQ(FindBookFolder(libraries, "无", "书"), user.paths.ProgramFolder + "/无/书")
        << "a missing book is named in the first library";
}

TEST(Preselection, MissingEmptyAndUnknownPublicname)
{
    TestLibrary library;
    library.addBook("B", "b1", booktest::locationText(1), {});
    library.addBook("A", "a1", booktest::locationText(1), {});
    const LibraryScan scan = ScanLibrary(library.paths.ProgramFolder);

    EXPECT_FALSE(PreselectedPublisher(library.paths.SettingsPath, scan).has_value());
    {
        SettingsKey key(library.paths.SettingsPath);
        EXPECT_FALSE(key.valueExists("publicname")); // not created by the preselection
        key.writeString("publicname", "");
    }
    EXPECT_EQ(PreselectedPublisher(library.paths.SettingsPath, scan), QString("A"));
    EXPECT_FALSE(PreselectedPublisher(library.paths.SettingsPath, LibraryScan{}).has_value());
    SettingsKey(library.paths.SettingsPath).writeString("publicname", "Gone");
    EXPECT_EQ(PreselectedPublisher(library.paths.SettingsPath, scan), QString("Gone"));
}

TEST(LastBook, CreatesFourValuesAndFallsBackToPageOne)
{
    TestLibrary library;
    OpenBook book;
    book.CurrentPage = 7;
    ReadLastBook(library.paths.SettingsPath, book);
    EXPECT_EQ(book.CurrentBook, "");
    EXPECT_EQ(book.CurrentPublisher, "");
    EXPECT_EQ(book.CurrentPage, 1);
    EXPECT_EQ(fileText(library.paths.SettingsPath),
              "bookname=\npublicname=\nLastPage=\nLastVoiceName=\n");

    RememberChosenBook(library.paths.SettingsPath, "三年级", "人教版");
    SettingsKey(library.paths.SettingsPath).writeString("LastPage", "12");
    ReadLastBook(library.paths.SettingsPath, book);
    EXPECT_EQ(book.CurrentBook, "三年级");
    EXPECT_EQ(book.CurrentPublisher, "人教版");
    EXPECT_EQ(book.CurrentPage, 12);

    for (const char* invalid : {"12a", "", "1.5", "页"}) {
        SettingsKey(library.paths.SettingsPath).writeString("LastPage", invalid);
        ReadLastBook(library.paths.SettingsPath, book);
        EXPECT_EQ(book.CurrentPage, 1) << invalid;
    }
}

TEST(LastBook, RememberOnlyOverwritesExistingValues)
{
    TestLibrary library;
    RememberChosenBook(library.paths.SettingsPath, "b", "p");
    EXPECT_EQ(fileText(library.paths.SettingsPath), "");
    SettingsKey(library.paths.SettingsPath).writeString("publicname", "old");
    RememberChosenBook(library.paths.SettingsPath, "b", "p");
    EXPECT_EQ(fileText(library.paths.SettingsPath), "publicname=p\n");
}

TEST(Unpacking, DatInAnyCaseBecomesLowerCaseTxt)
{
    TestLibrary library;
    const QString folder =
        library.addBook("P", "B", "header;text\nx\n", "lessons", "location.DAT", "LessonIndex.Dat");
    TestLibrary::writeFile(folder + "/extra.dat", PackBytes("extra"));
    TestLibrary::writeFile(folder + "/Page1.zip", PackBytes("not a table"));
    QDir().mkpath(folder + "/folder.dat");
    // An older file of the same name is replaced.
    TestLibrary::writeFile(library.paths.TempFolder + "/extra.txt", "older and longer content");

    OpenBook book;
    library.open(book, "P", "B");
    EXPECT_EQ(BookFolder(library.paths, book), library.folderOf("P", "B") + "/");
    InflateBookFiles(library.paths, book);
    EXPECT_EQ(fileText(library.paths.TempFolder + "/location.txt"), "header;text\nx\n");
    EXPECT_EQ(fileText(library.paths.TempFolder + "/LessonIndex.txt"), "lessons");
    EXPECT_EQ(fileText(library.paths.TempFolder + "/extra.txt"), "extra");
    EXPECT_FALSE(QFile::exists(library.paths.TempFolder + "/Page1.txt"));
    EXPECT_FALSE(QFile::exists(library.paths.TempFolder + "/location.DAT"));

    TestLibrary::writeFile(folder + "/broken.dat", "\x10\x00\x00\x00garbage");
    try {
        InflateBookFiles(library.paths, book);
        FAIL() << "no error";
    } catch (const BookError& e) {
        EXPECT_TRUE(e.message().contains("broken.dat")) << qPrintable(e.message());
    }
}

TEST(CheckBookData, HeaderFlagMissingTableAndNoEntries)
{
    TestLibrary library;
    ScriptedMessages messages;
    OpenBook book;
    int chosen = 0;
    const ChooseBookFn choose = [&] { return ++chosen, false; };
    QObject owner;

    // The sentence table is found whatever the letter case of its name.
    library.addBook("P", "Text", "head;text;x\r\nPage1;sent;1,2;3,4;v;0:0:0,0:0:1;a:b\r\n", {},
                    "LOCATION.dat", "");
    library.open(book, "P", "Text");
    bool isText = false;
    EXPECT_TRUE(CheckBookData(library.paths, book, messages, &owner, choose, &isText));
    EXPECT_TRUE(isText);
    EXPECT_TRUE(messages.shown.empty());

    library.addBook("P", "Text2", "head;text;x\r\nPage1;sent;1,2;3,4;v;0:0:0,0:0:1;a:b\r\n", {},
                    "location.DAT", "");
    library.open(book, "P", "Text2");
    book.IsTextBook = false;
    EXPECT_TRUE(CheckBookData(library.paths, book, messages, &owner, choose, &isText));
    EXPECT_TRUE(isText);
    EXPECT_FALSE(book.IsTextBook); // set by the load, once it succeeded
    EXPECT_FALSE(QFile::exists(library.paths.TempFolder + "/location.txt"));

    library.addBook("P", "Image", "head;texts\nPage1;sent;1,2;3,4;v;0:0:0,0:0:1;a:b", {},
                    "location.dat", "");
    library.open(book, "P", "Image");
    EXPECT_TRUE(CheckBookData(library.paths, book, messages, &owner, choose, &isText));
    EXPECT_FALSE(isText);

    for (const QByteArray& empty : {QByteArray("head;image\r\n"), QByteArray()}) {
        library.addBook("P", "Empty", empty, {}, "location.dat", "");
        library.open(book, "P", "Empty");
        const int before = messages.shown.size();
        EXPECT_FALSE(CheckBookData(library.paths, book, messages, &owner, choose));
        ASSERT_EQ(messages.shown.size(), before + 1);
        EXPECT_EQ(messages.shown.last().text, NoEntriesMessage());
        EXPECT_EQ(messages.shown.last().caption, QStringLiteral("提示"));
    }
    EXPECT_EQ(chosen, 2);

    // A copy left in the temporary folder never stands in for a missing table.
    TestLibrary::writeFile(library.paths.TempFolder + "/location.txt", "head;text\nPage1;x\n");
    QDir().mkpath(library.folderOf("P", "NoData"));
    library.open(book, "P", "NoData");
    EXPECT_FALSE(CheckBookData(library.paths, book, messages, &owner, choose));
    EXPECT_EQ(messages.shown.last().text, QStringLiteral("未安装本册书的资料文件！          "));
    EXPECT_EQ(messages.shown.last().caption, QStringLiteral("提示"));
    EXPECT_EQ(messages.shown.last().owner, &owner);
    EXPECT_EQ(chosen, 3);
}
