#pragma once
// Finding a book's files by name. Books are made and copied on file systems
// that ignore letter case, so a table may write "u2" for the file "U2.wav".

#include <QString>
#include <QStringList>

namespace zarelo {

enum class EntryKind { File, Folder };

// The file of a book folder that holds the book's own pronunciations for the
// word aligner (names of its characters, say), in the CMU dictionary format;
// a book without any has none.
inline constexpr char kBookPronunciationsName[] = "pronunciations.dict";

// The path of the entry `name` of `kind` inside `folder`: the exact name when
// such an entry exists; otherwise the first entry, in name order, whose name
// equals `name` ignoring ASCII case. With no such entry it is the exact path,
// so that a message about the missing file names the file that was asked for.
// `folder` may end with a separator or not.
QString FindBookEntry(const QString& folder, const QString& name, EntryKind kind = EntryKind::File);

// The folder of `book` of `publisher` in the library `library` (for a
// portable program its own folder), each folder name found as FindBookEntry
// finds it; no trailing separator.
QString FindBookFolder(const QString& library, const QString& publisher, const QString& book);
// The same over several libraries: the folder in the first that holds the
// book (its "location.dat"); the path in the first library when none does.
QString FindBookFolder(const QStringList& libraries, const QString& publisher, const QString& book);

// True when a and b are equal once ASCII letters are folded to lower case
// (other characters, Chinese among them, compare exactly).
bool EqualsIgnoringAsciiCase(QStringView a, QStringView b);

// Orders names by their ASCII-folded form, then exactly (so that the order is
// total and the same on every run).
bool LessIgnoringAsciiCase(QStringView a, QStringView b);

} // namespace zarelo
