#pragma once
// The data module: the word history database and its four operations.
//
// The history is the SQLite file "DicData.db" in the program folder, table
// WordRecord, one row per trimmed English word. Counters are written as
// decimal text into integer columns (an empty counter reads as 0); time
// columns hold the full local date and time as "yyyy-MM-dd HH:mm:ss".
// Every answer is one transaction in the write-ahead journal, so a program
// killed at any moment keeps every answer recorded before it.
//
// Beside WordRecord the file keeps the learning record: TestRecord (one row
// per test), AnswerRecord (one row per closed item, written in the answer's
// transaction) and PracticeRecord (reading and oral training sessions). The
// file carries its layout's version (PRAGMA user_version): an older file is
// upgraded in place at open, in one transaction, WordRecord untouched; a file
// of a newer program is only read (its words still decide what is offered)
// and nothing is written to it.
//
// UI thread only. Several instances may live at once (each has its own
// connection), which tests use.

#include "base/UserMessages.h"
#include "base/uPublicVarDefine.h"
#include "quiz/LearningLog.h"

#include <QDateTime>
#include <QString>
#include <functional>
#include <memory>

class QObject;

namespace zarelo {

// "Now" for the history: local date and time. Tests hand in their own.
using WallClock = std::function<QDateTime()>;

// The layout version this program writes (PRAGMA user_version).
constexpr int kHistoryVersion = 1;

// How the history's time columns are written, local time.
inline const QString kHistoryTimeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");

// A word's counters as the new-word rule reads them.
struct WordCounters {
    int RightTimes = 0;
    int SeriRightTimes = 0;
    int ErrorTimes = 0;
    QDate LastRight; // invalid: never, or unreadable
};

// The new-word rule: true when the word is to be tested again. Its run of
// right answers is below S, or its last right answer is more than D calendar
// days before `today` (or never), or its right answers minus its wrong
// answers are below R.
bool IsNewWord(const WordCounters& counters, const TestSettings& settings, QDate today);

class TdmMain final : public TestJournal, public PracticeJournal {
public:
    // `settings` is read at every IsNotPassedWord call (S, D and R as last
    // loaded by ReadSettings) and must outlive this object, as must
    // `messages`. An empty `now` uses the system's local time.
    TdmMain(QString programFolder, const TestSettings& settings, UserMessages& messages,
            WallClock now = {});
    ~TdmMain() override;
    TdmMain(const TdmMain&) = delete;
    TdmMain& operator=(const TdmMain&) = delete;

    // Opens programFolder/DicData.db, creating the file, the tables and
    // their indexes when missing, or upgrading an older file. On failure
    // shows "打开数据连接时发生错误！" (no owner) and goes on without a
    // database; a file of a newer program is opened read-only with a
    // message saying so. Only the first call does anything.
    void DataModuleCreate();

    bool IsConnected() const;
    // Answers and the record are written (false without a database and for
    // a file of a newer program).
    bool IsWritable() const;
    QString databasePath() const;

    // True when the word is to be tested: it has no row, or its run of right
    // answers is below S, or its last right answer is more than D calendar
    // days back (or never), or its right answers minus its wrong answers are
    // below R. Also true without a database or on any read error.
    bool IsNotPassedWord(const QString& word);

    // Count one answer for the word, inserting its row on the first answer.
    // `owner` is the word test window, owner of the insert-failure message.
    // With `answer` (its Test not 0) the item's AnswerRecord row and its
    // test's progress are written in the same transaction. An existing row
    // that cannot be updated, or a record row that cannot be written, throws
    // WordHistoryError (nothing of the answer is kept). Without a database
    // the answer is not recorded.
    void RecordRightAnswer(const QString& word, QObject* owner, const ItemAnswer* answer = nullptr);
    void RecordWrongAnswer(const QString& word, QObject* owner, const ItemAnswer* answer = nullptr);

    // TestJournal and PracticeJournal; failures throw WordHistoryError.
    int64_t BeginTest(RecordedMode mode, const RecordPlace& place, int items) override;
    void RecordItem(const ItemAnswer& answer) override;
    void EndTest(int64_t test, int rightItems, std::optional<int> score) override;
    int64_t BeginPractice(PracticeKind kind, const RecordPlace& place) override;
    void UpdatePractice(int64_t practice, int64_t seconds, int items) override;

    // Inserts the first row of a word: right gives RightTimes and
    // SeriRightTimes 1, wrong gives ErrorTimes 1; FirstTestTime and the
    // answer's time are now. On failure (e.g. the word has a row already)
    // shows "保存记录时发生错误，可能该单词已存在!" on `owner` and returns
    // false; nothing is recorded.
    bool AppendWordRecord(const QString& word, bool right, QObject* owner);

private:
    struct Connection;

    void recordAnswer(const QString& word, bool right, QObject* owner, const ItemAnswer* answer);
    bool insertRow(const QString& word, bool right);
    // The item's AnswerRecord row and its test's progress, inside the
    // caller's transaction.
    bool writeItem(const ItemAnswer& answer);
    // Runs `write` in one transaction; its failure (or the commit's) rolls
    // back and throws WordHistoryError naming `table`.
    template <class F> void inTransaction(const QString& table, F&& write);
    void showInsertFailure(QObject* owner);
    QString nowText() const;

    QString programFolder_;
    const TestSettings& settings_;
    UserMessages& messages_;
    WallClock now_;
    bool created_ = false;
    bool writable_ = false;
    std::unique_ptr<Connection> connection_;
};

} // namespace zarelo
