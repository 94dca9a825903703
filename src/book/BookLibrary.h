#pragma once
// The book library beside the program (program folder / publisher / book),
// remembering the chosen book, and unpacking a book's data files into the
// run's private temporary folder before its tables are loaded.

#include "base/uPublicVarDefine.h"
#include "book/BookContent.h"

#include <QString>
#include <functional>
#include <optional>
#include <vector>

class QObject;

namespace zarelo {

class UserMessages;

// Runs the book selection dialog modally; true when a book was chosen, and
// then CurrentBook, CurrentPublisher and CurrentPage (1) are set.
using ChooseBookFn = std::function<bool()>;

// Result of scanning the library. Publishers and books are kept apart by type
// (a book folder whose name starts with "public" is an ordinary book).
struct LibraryScan {
    std::vector<QString> Publishers;     // in scan order, only those with a book
    std::vector<QString> BookNames;      // one per book found, in scan order
    std::vector<QString> BookPublishers; // parallel to BookNames
};

// A publisher is any sub-folder of the program folder holding at least one
// book; a book is any sub-folder of a publisher holding "location.dat" (found
// as FindBookEntry finds it). Folders whose name starts with "." are skipped.
// Folders are taken in name order ignoring ASCII letter case (the order
// Windows file systems enumerate them in), so that every run lists them alike.
LibraryScan ScanLibrary(const QString& library);
// The same over several libraries in order (the user's own first): a book
// whose publisher and name (ignoring ASCII case) were found in an earlier
// library is not listed again, so the user's copy wins.
LibraryScan ScanLibrary(const QStringList& libraries);

// The publisher the selection dialog preselects: the stored "publicname" when
// it is not empty (may name no existing publisher), the first publisher when
// it is stored empty, nothing (empty optional) when it does not exist.
std::optional<QString> PreselectedPublisher(const QString& settingsPath, const LibraryScan& scan);

// Reads bookname, publicname, LastPage, LastVoiceName (creating missing ones
// empty) into CurrentBook, CurrentPublisher and CurrentPage (1 unless
// LastPage is a valid integer).
void ReadLastBook(const QString& settingsPath, OpenBook& book);

// Writes an accepted choice into existing "bookname" and "publicname" values.
void RememberChosenBook(const QString& settingsPath, const QString& book, const QString& publisher);

// Book folder of the current book, with a trailing separator ("/"); the
// publisher and book folders are found as FindBookEntry finds them.
QString BookFolder(const ProgramPaths& paths, const OpenBook& book);

// Unpacks every ".dat" file (any letter case) of the current book into
// TempFolder under its name with the last three characters replaced by "txt"
// (lower case), replacing an older file of that name. The two tables, found
// as FindBookEntry finds "location.dat" and "LessonIndex.dat", are unpacked
// as "location.txt" and "LessonIndex.txt" whatever the case of their names. Copies of
// "location.txt" and "LessonIndex.txt" left from before are removed first. Throws BookError on a
// damaged data file or a write failure. `folder` ends with a separator;
// `tempFolder` does not.
void InflateBookFiles(const ProgramPaths& paths, const OpenBook& book);
void InflateDataFile(const QString& folder, const QString& name, const QString& extension,
                     const QString& tempFolder);

// Unpacks the current book and checks its sentence table: a missing
// "location.txt" shows "未安装本册书的资料文件！" (ten blanks), one without an
// entry line NoEntriesMessage(), both owned by `owner`; then the selection is
// offered again through `chooseBook` and the result is false. Otherwise
// deletes the unpacked "location.txt" and returns true, with the header flag
// (field 1 == "text") in *isTextBook when given. The open book's IsTextBook
// is set by LoadBookContent once the new tables are in place, so a load that
// fails later leaves the previous book's flag. Throws BookError on a damaged
// data file.
bool CheckBookData(const ProgramPaths& paths, OpenBook& book, UserMessages& messages,
                   QObject* owner, const ChooseBookFn& chooseBook, bool* isTextBook = nullptr);

} // namespace zarelo
