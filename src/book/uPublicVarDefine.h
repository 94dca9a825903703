#pragma once
// Process-wide values that several subsystems read, kept in plain structs that
// the application owns and hands down (a test builds its own set).

#include <QString>

namespace zarelo {

// Where the program lives and keeps its files.
struct ProgramPaths {
    QString ProgramFolder; // folder of the executable, no trailing separator
    QString TempFolder;    // private folder made for this run, no trailing separator
    QString SettingsPath;  // the settings key's file (SettingsKey::defaultPath())
};

// The test settings, loaded by ReadSettings.
struct TestSettings {
    int TestAreaSetting = 0;   // 0 whole book, 1 current lesson
    QString WordNumberSetting; // "十个", "十五个", "二十个", "全部"
    int WaitTimeSetting = 0;   // seconds
    int WaitMs = 0;            // milliseconds
    int SeriRightSetting = 0;
    int LastRightDaysSetting = 0;
    int RightOverSetting = 0;
};

// Which test holds the voice player: 1 sentence listening, 2 dictation,
// 3 memorising, -1 none (0 until the read-aloud view is first shown).
struct SharedTestState {
    int ActiveMode = 0;
    int TestState = 0;
};

} // namespace zarelo
