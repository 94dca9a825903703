#include "shell/SkinFiles.h"

#include <QDir>
#include <QFileInfo>

namespace zarelo {

namespace {

// The entry of `folder` named `name` in any letter case, exact spelling
// preferred; empty when there is none.
QString FindNoCase(const QString& folder, const QString& name, QDir::Filters kind)
{
    const QDir dir(folder);
    if (QFileInfo(dir.filePath(name)).exists())
        return name;
    const QStringList entries =
        dir.entryList(kind | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
    for (const QString& entry : entries)
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return entry;
    return {};
}

} // namespace

QString SkinFolder(const QString& programFolder)
{
    const QString found = FindNoCase(programFolder, QStringLiteral("skin"), QDir::Dirs);
    return QDir(programFolder).filePath(found.isEmpty() ? QStringLiteral("skin") : found);
}

QString SkinFilePath(const QString& programFolder, const QString& fileName)
{
    const QString folder = SkinFolder(programFolder);
    if (fileName.isEmpty())
        return folder + u'/';
    const QString found = FindNoCase(folder, fileName, QDir::Files);
    return QDir(folder).filePath(found.isEmpty() ? fileName : found);
}

QStringList ListSkinFiles(const QString& programFolder)
{
    const QDir dir(SkinFolder(programFolder));
    QStringList names;
    if (!dir.exists())
        return names;
    const QFileInfoList entries = dir.entryInfoList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
    for (const QFileInfo& entry : entries) {
        if (entry.isDir())
            continue;
        const QString name = entry.fileName();
        const qsizetype dot = name.lastIndexOf(u'.');
        if (dot >= 0 && name.sliced(dot).compare(QStringLiteral(".ssk"), Qt::CaseInsensitive) == 0)
            names << name;
    }
    return names;
}

} // namespace zarelo
