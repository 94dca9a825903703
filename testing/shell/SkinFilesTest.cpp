// Finding the skin folder and skin files without regard to letter case.

#include "shell/SkinFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace zarelo {
namespace {

void Touch(const QString& path)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
}

TEST(SkinFiles, ListsSskFilesOfAnyCaseInAFolderOfAnyCase)
{
    QTemporaryDir program;
    const QString folder = program.path() + QStringLiteral("/SKin");
    ASSERT_TRUE(QDir().mkpath(folder));
    Touch(folder + QStringLiteral("/默认.ssk"));
    Touch(folder + QStringLiteral("/PixOS.SSK"));
    Touch(folder + QStringLiteral("/readme.txt"));
    Touch(folder + QStringLiteral("/ssk"));       // no extension
    Touch(folder + QStringLiteral("/a.ssk.bak")); // extension ".bak"
    ASSERT_TRUE(QDir().mkpath(folder + QStringLiteral("/folder.ssk")));

    QStringList names = ListSkinFiles(program.path());
    names.sort();
    EXPECT_EQ(names, (QStringList{QStringLiteral("PixOS.SSK"), QStringLiteral("默认.ssk")}));
    EXPECT_EQ(SkinFolder(program.path()), folder);
}

TEST(SkinFiles, FindsTheFileWhateverItsCase)
{
    QTemporaryDir program;
    const QString folder = program.path() + QStringLiteral("/skin");
    ASSERT_TRUE(QDir().mkpath(folder));
    Touch(folder + QStringLiteral("/PixOS.ssk"));
    EXPECT_EQ(SkinFilePath(program.path(), QStringLiteral("pixos.SSK")),
              folder + QStringLiteral("/PixOS.ssk"));
    // A missing file gives a path that does not exist; loading it fails quietly.
    const QString missing = SkinFilePath(program.path(), QStringLiteral("默认.ssk"));
    EXPECT_EQ(missing, folder + QStringLiteral("/默认.ssk"));
    EXPECT_FALSE(QFile::exists(missing));
}

TEST(SkinFiles, NoSkinFolderGivesAnEmptyList)
{
    QTemporaryDir program;
    EXPECT_TRUE(ListSkinFiles(program.path()).isEmpty());
    EXPECT_TRUE(ListSkinFiles(program.path() + QStringLiteral("/nowhere")).isEmpty());
    EXPECT_EQ(SkinFolder(program.path()), program.path() + QStringLiteral("/skin"));
}

} // namespace
} // namespace zarelo
