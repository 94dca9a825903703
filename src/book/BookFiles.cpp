#include "book/BookFiles.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace zarelo {

namespace {

char16_t foldAscii(char16_t c)
{
    return (c >= u'A' && c <= u'Z') ? char16_t(c - u'A' + u'a') : c;
}

bool isKind(const QFileInfo& info, EntryKind kind)
{
    return kind == EntryKind::File ? info.isFile() : info.isDir();
}

} // namespace

bool EqualsIgnoringAsciiCase(QStringView a, QStringView b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (foldAscii(a[i].unicode()) != foldAscii(b[i].unicode()))
            return false;
    }
    return true;
}

bool LessIgnoringAsciiCase(QStringView a, QStringView b)
{
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t x = foldAscii(a[i].unicode());
        const char16_t y = foldAscii(b[i].unicode());
        if (x != y)
            return x < y;
    }
    if (a.size() != b.size())
        return a.size() < b.size();
    return a < b;
}

QString FindBookEntry(const QString& folder, const QString& name, EntryKind kind)
{
    const QDir dir(folder);
    const QString exact = dir.filePath(name);
    if (name.isEmpty() || isKind(QFileInfo(exact), kind))
        return exact;
    // Only on a miss is the folder listed; the lookups of a loaded book hit.
    const QDir::Filters filter = (kind == EntryKind::File ? QDir::Files : QDir::Dirs) |
                                 QDir::NoDotAndDotDot | QDir::Hidden | QDir::System;
    QStringList entries = dir.entryList(filter, QDir::Unsorted);
    std::sort(entries.begin(), entries.end());
    for (const QString& entry : entries) {
        if (EqualsIgnoringAsciiCase(entry, name))
            return dir.filePath(entry);
    }
    return exact;
}

QString FindBookFolder(const QString& library, const QString& publisher, const QString& book)
{
    const QString publisherFolder = FindBookEntry(library, publisher, EntryKind::Folder);
    return FindBookEntry(publisherFolder, book, EntryKind::Folder);
}

QString FindBookFolder(const QStringList& libraries, const QString& publisher, const QString& book)
{
    for (const QString& library : libraries) {
        const QString folder = FindBookFolder(library, publisher, book);
        if (QFileInfo(FindBookEntry(folder, QStringLiteral("location.dat"))).isFile())
            return folder;
    }
    return FindBookFolder(libraries.value(0), publisher, book);
}

} // namespace zarelo
