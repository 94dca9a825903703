#pragma once
// Where the program finds its data and keeps what it writes, decided once at
// start from the executable's path and the environment.
//
// Portable: the program's own folder holds its data (the cue sound
// "Start.wav" stands beside the executable) and can be written, or it carries
// a file named "portable". Everything is read from and written to that
// folder, as build/bin is used.
// Installed: the data is read from <prefix>/share/zarelo beside the
// executable's bin/ (so any prefix works) and its sample library from
// share/zarelo/books; the word history, the recording and the user's own
// books ("books") live in $XDG_DATA_HOME/ZareloEnglish (default
// ~/.local/share/ZareloEnglish). "选书" lists the user's books and the
// installed ones, the user's copy winning.
// On Windows the same rules would answer with the program folder for the
// data and %APPDATA%\ZareloEnglish for what is written (not built here).

#include "base/uPublicVarDefine.h"

#include <QString>

namespace zarelo {

// The outside facts the decision reads; a test makes its own.
struct ProgramEnvironment {
    QString ProgramFile; // the executable
    QString DataHome;    // $XDG_DATA_HOME; empty: Home + "/.local/share"
    QString Home;        // the user's home folder

    // The real environment of the running program `programFile`.
    static ProgramEnvironment Of(const QString& programFile);
};

// The user's data folder of an installed program:
// $XDG_DATA_HOME/ZareloEnglish (a missing or relative $XDG_DATA_HOME counts as
// ~/.local/share).
QString UserDataFolder(const ProgramEnvironment& environment);

// The paths of a program as `environment` describes it. TempFolder and
// SettingsPath are left empty (the application makes its own temporary
// folder; the settings key has its own default path).
ProgramPaths LocateProgram(const ProgramEnvironment& environment);

// True when `paths` is an installed program's (it writes outside its folder).
inline bool IsInstalled(const ProgramPaths& paths)
{
    return !paths.UserFolder.isEmpty();
}

// The user's own library of an installed program ("<user folder>/books");
// empty for a portable one, whose library is its own folder.
QString UserLibrary(const ProgramPaths& paths);

// Makes `folder` and its parents when missing. False, with the system's
// reason in *reason, when it cannot be made.
bool MakeFolder(const QString& folder, QString* reason);

// The portable recording file: `programFile` with its extension (dot
// included) replaced by "tmp.wav".
QString RecordingFilePath(const QString& programFile);

} // namespace zarelo
