// Where the program reads and writes: a portable program folder (with its
// data and writable, or marked "portable") against an installed tree with
// share/zarelo beside bin/, and the user's data home.

#include "base/ProgramLocations.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zarelo;

namespace {

void Touch(const QString& path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
}

} // namespace

TEST(ProgramLocations, PortableAndInstalledPrograms)
{
    QTemporaryDir root;
    const QString home = root.filePath("home");

    // A build folder: the data beside the program, which can write there.
    const QString build = root.filePath("build/bin");
    Touch(build + "/Start.wav");
    const ProgramPaths portable = LocateProgram({build + "/zarelo", QString(), home});
    EXPECT_FALSE(IsInstalled(portable));
    EXPECT_EQ(portable.ProgramFolder, build);
    EXPECT_EQ(portable.Data(), build);
    EXPECT_EQ(portable.User(), build);
    EXPECT_EQ(portable.Libraries(), QStringList{build});
    EXPECT_EQ(portable.RecordingFile(), build + "/zarelotmp.wav");
    EXPECT_TRUE(UserLibrary(portable).isEmpty());

    // An installed tree: bin/ and share/zarelo/ under one prefix.
    const QString prefix = root.filePath("usr");
    Touch(prefix + "/bin/zarelo");
    Touch(prefix + "/share/zarelo/Start.wav");
    const ProgramPaths installed = LocateProgram({prefix + "/bin/zarelo", QString(), home});
    EXPECT_TRUE(IsInstalled(installed));
    EXPECT_EQ(installed.Data(), prefix + "/share/zarelo");
    EXPECT_EQ(installed.User(), home + "/.local/share/ZareloEnglish");
    EXPECT_EQ(installed.Libraries(), (QStringList{home + "/.local/share/ZareloEnglish/books",
                                                  prefix + "/share/zarelo/books"}));
    EXPECT_EQ(installed.RecordingFile(), home + "/.local/share/ZareloEnglish/zarelotmp.wav");
    EXPECT_EQ(UserLibrary(installed), home + "/.local/share/ZareloEnglish/books");

    // $XDG_DATA_HOME wins over the home folder; a relative one is ignored.
    const QString dataHome = root.filePath("data-home");
    EXPECT_EQ(LocateProgram({prefix + "/bin/zarelo", dataHome, home}).User(),
              dataHome + "/ZareloEnglish");
    EXPECT_EQ(LocateProgram({prefix + "/bin/zarelo", "relative/share", home}).User(),
              home + "/.local/share/ZareloEnglish");

    // A "portable" file keeps an installed-looking tree to itself.
    Touch(prefix + "/bin/portable");
    EXPECT_FALSE(IsInstalled(LocateProgram({prefix + "/bin/zarelo", dataHome, home})));
}

TEST(ProgramLocations, AFolderThatCannotBeMadeSaysWhy)
{
    QTemporaryDir root;
    QString reason;
    EXPECT_TRUE(MakeFolder(root.filePath("a/b/c"), &reason));
    EXPECT_TRUE(QFileInfo(root.filePath("a/b/c")).isDir());
    EXPECT_TRUE(MakeFolder(root.filePath("a/b/c"), &reason)) << "an existing folder is fine";

    Touch(root.filePath("file"));
    EXPECT_FALSE(MakeFolder(root.filePath("file/ZareloEnglish"), &reason));
    EXPECT_FALSE(reason.isEmpty());
    EXPECT_FALSE(MakeFolder(root.filePath("file"), &reason)) << "a file is no folder";
}
