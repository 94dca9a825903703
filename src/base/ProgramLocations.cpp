#include "base/ProgramLocations.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace zarelo {

namespace {

const QString kAppFolder = QStringLiteral("ZareloEnglish");
const QString kRecordingName = QStringLiteral("zarelotmp.wav");

// The program's folder holds its own data and takes new files.
bool HoldsWritableData(const QString& folder)
{
    if (!QFileInfo(folder + QStringLiteral("/Start.wav")).isFile())
        return false;
    QTemporaryFile probe(folder + QStringLiteral("/.zarelo-write-XXXXXX"));
    return probe.open();
}

} // namespace

QString ProgramPaths::HandDictionary() const
{
    return Data() + QStringLiteral("/speech/names.dict");
}

QString ProgramPaths::RecordingFile() const
{
    if (UserFolder.isEmpty())
        return RecordingFilePath(ProgramFile);
    return UserFolder + u'/' + kRecordingName;
}

ProgramEnvironment ProgramEnvironment::Of(const QString& programFile)
{
    return {programFile, qEnvironmentVariable("XDG_DATA_HOME"), QDir::homePath()};
}

QString UserDataFolder(const ProgramEnvironment& environment)
{
    // XDG: a relative $XDG_DATA_HOME is invalid and is ignored.
    QString dataHome = environment.DataHome;
    if (dataHome.isEmpty() || QDir::isRelativePath(dataHome))
        dataHome = environment.Home + QStringLiteral("/.local/share");
    return QDir::cleanPath(dataHome + u'/' + kAppFolder);
}

ProgramPaths LocateProgram(const ProgramEnvironment& environment)
{
    ProgramPaths paths;
    paths.ProgramFile = environment.ProgramFile;
    paths.ProgramFolder = QFileInfo(environment.ProgramFile).absolutePath();
    const QString shared =
        QDir::cleanPath(paths.ProgramFolder + QStringLiteral("/../share/zarelo"));
    const bool portable = QFileInfo::exists(paths.ProgramFolder + QStringLiteral("/portable")) ||
                          HoldsWritableData(paths.ProgramFolder) || !QFileInfo(shared).isDir();
    if (portable)
        return paths;
    paths.DataFolder = shared;
    paths.UserFolder = UserDataFolder(environment);
    paths.LibraryFolders = {paths.UserFolder + QStringLiteral("/books"),
                            shared + QStringLiteral("/books")};
    return paths;
}

QString UserLibrary(const ProgramPaths& paths)
{
    return IsInstalled(paths) ? paths.UserFolder + QStringLiteral("/books") : QString();
}

bool MakeFolder(const QString& folder, QString* reason)
{
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(folder.toStdU16String()), error);
    if (!error && QFileInfo(folder).isDir())
        return true;
    if (reason)
        *reason = error ? QString::fromLocal8Bit(error.message().c_str())
                        : QStringLiteral("not a folder");
    return false;
}

QString RecordingFilePath(const QString& programFile)
{
    const qsizetype nameStart =
        std::max(programFile.lastIndexOf(u'/'), programFile.lastIndexOf(u'\\')) + 1;
    const qsizetype dot = programFile.lastIndexOf(u'.');
    const qsizetype end = dot >= nameStart ? dot : programFile.size();
    return programFile.left(end) + QStringLiteral("tmp.wav");
}

} // namespace zarelo
