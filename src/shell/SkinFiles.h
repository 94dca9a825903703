#pragma once
// Where skins live: the folder "skin" beside the program. The folder and the
// file names are matched without regard to letter case ("Skin", "SKIN",
// "默认.SSK"), as on the file system the program was first written for.

#include <QString>
#include <QStringList>

namespace zarelo {

// The skin folder of `programFolder`: the sub-folder named "skin" in any
// letter case ("skin" itself preferred); programFolder + "/skin" when there
// is none.
QString SkinFolder(const QString& programFolder);

// Path of skin `fileName` in the skin folder, matching the name without
// regard to letter case; the plain joined path when no file matches (it then
// does not exist).
QString SkinFilePath(const QString& programFolder, const QString& fileName);

// Names of the entries of the skin folder that are not folders and whose
// extension is ".ssk" in any letter case, in the order the file system lists
// them. Empty when there is no skin folder.
QStringList ListSkinFiles(const QString& programFolder);

} // namespace zarelo
