#include "book/BookLibrary.h"

#include "base/BookError.h"
#include "base/SettingsKey.h"
#include "base/UserMessages.h"
#include "base/uFunc.h"
#include "book/BookFiles.h"
#include "book/BookLoader.h"
#include "book/PackedFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QObject>

#include <algorithm>

namespace zarelo {

namespace {

const QDir::Filters kSubFolders = QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System;

QString locationTxt(const ProgramPaths& paths)
{
    return paths.TempFolder + QStringLiteral("/location.txt");
}

// Sub-folders of `folder` that may be publishers or books, in name order
// ignoring letter case. Folders whose name starts with "." are hidden work
// folders (the book maker writes a book as ".<book>.making" before it is
// complete) and are never offered.
QStringList libraryFolders(const QString& folder)
{
    QStringList names = QDir(folder).entryList(kSubFolders, QDir::Unsorted);
    names.removeIf([](const QString& name) { return name.startsWith(u'.'); });
    std::sort(names.begin(), names.end(),
              [](const QString& a, const QString& b) { return LessIgnoringAsciiCase(a, b); });
    return names;
}

} // namespace

LibraryScan ScanLibrary(const QString& programFolder)
{
    LibraryScan scan;
    const QDir program(programFolder);
    for (const QString& publisher : libraryFolders(programFolder)) {
        const QString publisherFolder = program.filePath(publisher);
        bool found = false;
        for (const QString& book : libraryFolders(publisherFolder)) {
            const QString bookFolder = publisherFolder + u'/' + book;
            if (!QFileInfo(FindBookEntry(bookFolder, QStringLiteral("location.dat"))).isFile())
                continue;
            if (!found) {
                scan.Publishers.push_back(publisher);
                found = true;
            }
            scan.BookNames.push_back(book);
            scan.BookPublishers.push_back(publisher);
        }
    }
    return scan;
}

LibraryScan ScanLibrary(const QStringList& libraries)
{
    LibraryScan merged;
    const auto listed = [&](const QString& publisher, const QString& book) {
        for (size_t i = 0; i < merged.BookNames.size(); ++i)
            if (EqualsIgnoringAsciiCase(merged.BookPublishers[i], publisher) &&
                EqualsIgnoringAsciiCase(merged.BookNames[i], book))
                return true;
        return false;
    };
    for (const QString& library : libraries) {
        const LibraryScan scan = ScanLibrary(library);
        for (size_t i = 0; i < scan.BookNames.size(); ++i) {
            const QString& publisher = scan.BookPublishers[i];
            if (listed(publisher, scan.BookNames[i]))
                continue;
            if (std::none_of(
                    merged.Publishers.begin(), merged.Publishers.end(),
                    [&](const QString& p) { return EqualsIgnoringAsciiCase(p, publisher); }))
                merged.Publishers.push_back(publisher);
            merged.BookNames.push_back(scan.BookNames[i]);
            merged.BookPublishers.push_back(publisher);
        }
    }
    return merged;
}

std::optional<QString> PreselectedPublisher(const QString& settingsPath, const LibraryScan& scan)
{
    SettingsKey key(settingsPath);
    if (!key.isOpen() || !key.valueExists(QStringLiteral("publicname")))
        return std::nullopt;
    const QString stored = key.readString(QStringLiteral("publicname"));
    if (!stored.isEmpty())
        return stored;
    if (scan.Publishers.empty())
        return std::nullopt;
    return scan.Publishers.front();
}

void ReadLastBook(const QString& settingsPath, OpenBook& book)
{
    QString bookName, publisher, lastPage;
    {
        SettingsKey key(settingsPath);
        if (key.isOpen()) {
            bookName = key.readOrCreate(QStringLiteral("bookname"), QString());
            publisher = key.readOrCreate(QStringLiteral("publicname"), QString());
            lastPage = key.readOrCreate(QStringLiteral("LastPage"), QString());
            key.readOrCreate(QStringLiteral("LastVoiceName"), QString());
        }
    }
    book.CurrentBook = bookName;
    book.CurrentPublisher = publisher;
    book.CurrentPage = 1;
    bool ok = false;
    const int page = lastPage.toInt(&ok);
    if (!lastPage.isEmpty() && ok)
        book.CurrentPage = page;
}

void RememberChosenBook(const QString& settingsPath, const QString& book, const QString& publisher)
{
    SettingsKey key(settingsPath);
    key.overwriteExisting(QStringLiteral("bookname"), book);
    key.overwriteExisting(QStringLiteral("publicname"), publisher);
}

QString BookFolder(const ProgramPaths& paths, const OpenBook& book)
{
    return FindBookFolder(paths.Libraries(), book.CurrentPublisher, book.CurrentBook) + u'/';
}

namespace {

// Unpacks packed file `source` into the new file `target`.
void unpackTo(const QString& source, const QString& target)
{
    const QByteArray content = UnpackFile(source);
    // Whatever stood under that name before (a file or a link) is removed and
    // a new file is made exclusively, so nothing is ever written through a link.
    QFile::remove(target);
    QFile file(target);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly) ||
        file.write(content) != content.size() || !file.flush())
        throw BookError(QObject::tr("不能写入临时文件 %1：%2").arg(target, file.errorString()));
}

} // namespace

void InflateBookFiles(const ProgramPaths& paths, const OpenBook& book)
{
    // Copies left by an earlier book whose unpacking stopped half way must not
    // pass for this book's tables.
    QFile::remove(paths.TempFolder + QStringLiteral("/location.txt"));
    QFile::remove(paths.TempFolder + QStringLiteral("/LessonIndex.txt"));
    const QString folder = BookFolder(paths, book);
    // The two tables are found whatever the letter case of their file names
    // and unpacked under the names their readers open.
    const QString tables[2][2] = {
        {QFileInfo(FindBookEntry(folder, QStringLiteral("location.dat"))).fileName(),
         QStringLiteral("location.txt")},
        {QFileInfo(FindBookEntry(folder, QStringLiteral("LessonIndex.dat"))).fileName(),
         QStringLiteral("LessonIndex.txt")}};
    const QStringList files =
        QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QString& name : files) {
        if (name.endsWith(QStringLiteral(".dat"), Qt::CaseInsensitive) && name != tables[0][0] &&
            name != tables[1][0])
            InflateDataFile(folder, name, QStringLiteral("txt"), paths.TempFolder);
    }
    // Last, so that on a file system that ignores case nothing overwrites them.
    for (const auto& [source, target] : tables) {
        if (files.contains(source))
            unpackTo(folder + source, paths.TempFolder + u'/' + target);
    }
}

void InflateDataFile(const QString& folder, const QString& name, const QString& extension,
                     const QString& tempFolder)
{
    unpackTo(folder + name, tempFolder + u'/' + name.chopped(3) + extension);
}

bool CheckBookData(const ProgramPaths& paths, OpenBook& book, UserMessages& messages,
                   QObject* owner, const ChooseBookFn& chooseBook, bool* isTextBook)
{
    InflateBookFiles(paths, book);
    QFile file(locationTxt(paths));
    if (!file.exists()) {
        messages.showMessage(QStringLiteral("未安装本册书的资料文件！          "),
                             QStringLiteral("提示"), owner);
        if (chooseBook)
            chooseBook();
        return false;
    }
    if (!file.open(QIODevice::ReadOnly))
        throw BookError(
            QObject::tr("不能读取文件 %1：%2").arg(file.fileName(), file.errorString()));
    const QByteArray bytes = file.readAll();
    file.close();
    file.remove();

    TextColumn lines;
    SplitLines(bytes, lines);
    if (lines.size() < 2) {
        messages.showMessage(NoEntriesMessage(), QStringLiteral("提示"), owner);
        if (chooseBook)
            chooseBook();
        return false;
    }
    const auto header = SplitFields(lines[0], ';');
    if (isTextBook)
        *isTextBook = header.size() > 1 && header[1] == QByteArrayView("text");
    return true;
}

} // namespace zarelo
