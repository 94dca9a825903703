#pragma once
// Process-wide values that several subsystems read, kept in plain structs that
// the application owns and hands down (a test builds its own set).

#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

namespace zarelo {

// Where the program lives and keeps its files; every "where" is answered
// here. A portable program (as build/bin) keeps everything in its own
// folder: then only ProgramFolder is set and the other folders fall back to
// it. An installed one reads its data from DataFolder, writes the history and
// the recording into UserFolder and finds books in LibraryFolders
// (base/ProgramLocations.h decides which it is). No trailing separators.
struct ProgramPaths {
    QString ProgramFolder; // folder of the executable
    QString TempFolder;    // private folder made for this run
    QString SettingsPath;  // the settings key's file (SettingsKey::defaultPath())
    QString ProgramFile;   // the executable; a portable recording file is named after it
    QString DataFolder;    // skins, start page, cue sounds, flame picture; empty: ProgramFolder
    QString UserFolder;    // the word history, the recording; empty: ProgramFolder
    // Book libraries, searched in this order (the user's own first); a book
    // found in an earlier one hides the same book in a later one. Empty:
    // ProgramFolder alone.
    QStringList LibraryFolders;

    QString Data() const { return DataFolder.isEmpty() ? ProgramFolder : DataFolder; }
    QString User() const { return UserFolder.isEmpty() ? ProgramFolder : UserFolder; }
    QStringList Libraries() const
    {
        return LibraryFolders.isEmpty() ? QStringList{ProgramFolder} : LibraryFolders;
    }
    // The pupil's recording: beside a portable program its own path with the
    // extension replaced by "tmp.wav" ("build/bin/zarelo" gives
    // "build/bin/zarelotmp.wav"); for an installed one that name in UserFolder.
    QString RecordingFile() const;
    // The program's own pronunciations for the speech aligner (the textbooks'
    // names), "speech/names.dict" in the data folder.
    QString HandDictionary() const;
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

// One wrong answer of a word test: the expected word, what the pupil had
// typed and the Chinese text, each trimmed as the test stored them.
struct WrongAnswer {
    QString AnswerStandard;
    QString AnswerInput;
    QString AnswerChinese;
};

// The state of the test that holds the voice player, one set for the run,
// shared by the word test and the sentence test. The wait of the current item
// is TestSettings::WaitMs, which ReadSettings restores.
struct SharedTestState {
    // Which test holds the voice player: 1 sentence listening, 2 dictation,
    // 3 memorising, -1 none (0 until the read-aloud view is first shown).
    int ActiveMode = 0;
    // -1 idle (built or stopped), 0 finished, 3 dictation playing,
    // 4 dictation waiting, 5 memorising showing, 6 memorising waiting.
    int TestState = 0;
    std::vector<int> TestCandidates; // qualifying rows of the sentence table
    std::vector<int> TestOrder;      // candidate numbers in asking order; size = items
    int TestPos = -1;                // position in TestOrder of the current item
    bool AnswerRight = false;        // the current item has been answered right
    uint32_t WaitStart = 0;          // tick count when the current item's wait began
    int TestScore = 0;               // items answered right; the percentage after the finish
    // Every wrong answer of the test, in the order given.
    std::vector<WrongAnswer> Answers;
    // The state of the program's one pseudo-random generator (RandomBelow);
    // 0 at start, never seeded.
    uint32_t RandomState = 0;
};

} // namespace zarelo
