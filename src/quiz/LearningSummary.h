#pragma once
// What the learning record window shows of the open book: minutes practised
// per day, the progress of each lesson, the scores over time and the words
// answered wrong most often. Built from the history by LearningRecord; the
// window and the printed report only draw it.

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <array>
#include <vector>

namespace zarelo {

// The kinds of test the record keeps, numbered as its Mode column.
enum class RecordedMode { Sentence = 1, Dictation = 2, Memorising = 3, WrongWords = 4 };
constexpr int kRecordedModes = 4;

// "句子听力", "单词听写", "单词记忆", "错词听写".
QString RecordedModeName(RecordedMode mode);

struct PracticeDay {
    QDate Day;
    int Minutes = 0; // tests, reading and oral training; a span across midnight counts on both days
    int Tests = 0;   // tests started that day
};

struct ModeResult {
    bool Taken = false; // a finished test of this mode exists
    int Score = 0;      // of the latest finished one
    QDateTime When;     // its end
};

struct LessonProgress {
    QString Unit;        // caption of the unit above the lesson in the tree
    QString Lesson;      // the lesson's caption in the tree
    int Words = 0;       // word entries of the lesson
    int PassedWords = 0; // of them, passed by the new-word rule with the current settings
    std::array<ModeResult, kRecordedModes> Results; // index: RecordedMode - 1
    int Recordings = 0;                             // oral training recordings made
    int ReadMinutes = 0;                            // minutes of reading aloud
};

struct ScorePoint {
    QDateTime When; // end of the test
    RecordedMode Mode = RecordedMode::Dictation;
    int Score = 0; // 0..100
};

struct HardWord {
    QString Word;
    int Wrong = 0;
    int Right = 0;
    QStringList Misspellings; // commonest wrong spellings typed, commonest first (at most 3)
    QDateTime LastTested;
};

struct LearningSummary {
    QString Publisher;
    QString Book;
    QDate Today;
    QDate FirstRecord;                   // the earliest day with any record; invalid when none
    std::vector<PracticeDay> Days;       // 26 weeks of days, oldest first, the last one today
    std::vector<LessonProgress> Lessons; // in the tree's order
    std::vector<ScorePoint> Scores;      // the last 50 finished tests, oldest first
    std::vector<HardWord> HardWords;     // at most 20, hardest first

    // Nothing practised or tested yet.
    bool IsEmpty() const;
};

} // namespace zarelo
