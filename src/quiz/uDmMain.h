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
// UI thread only. Several instances may live at once (each has its own
// connection), which tests use.

#include "base/UserMessages.h"
#include "base/uPublicVarDefine.h"

#include <QDateTime>
#include <QString>
#include <functional>
#include <memory>

class QObject;

namespace zarelo {

// "Now" for the history: local date and time. Tests hand in their own.
using WallClock = std::function<QDateTime()>;

class TdmMain {
public:
    // `settings` is read at every IsNotPassedWord call (S, D and R as last
    // loaded by ReadSettings) and must outlive this object, as must
    // `messages`. An empty `now` uses the system's local time.
    TdmMain(QString programFolder, const TestSettings& settings, UserMessages& messages,
            WallClock now = {});
    ~TdmMain();
    TdmMain(const TdmMain&) = delete;
    TdmMain& operator=(const TdmMain&) = delete;

    // Opens programFolder/DicData.db, creating the file, the table and its
    // unique index on English when missing. On failure shows
    // "打开数据连接时发生错误！" (no owner) and goes on without a database.
    // Only the first call does anything.
    void DataModuleCreate();

    bool IsConnected() const;
    QString databasePath() const;

    // True when the word is to be tested: it has no row, or its run of right
    // answers is below S, or its last right answer is more than D calendar
    // days back (or never), or its right answers minus its wrong answers are
    // below R. Also true without a database or on any read error.
    bool IsNotPassedWord(const QString& word);

    // Count one answer for the word, inserting its row on the first answer.
    // `owner` is the word test window, owner of the insert-failure message.
    // An existing row that cannot be updated throws WordHistoryError (nothing
    // of the answer is kept). Without a database the answer is not recorded.
    void RecordRightAnswer(const QString& word, QObject* owner);
    void RecordWrongAnswer(const QString& word, QObject* owner);

    // Inserts the first row of a word: right gives RightTimes and
    // SeriRightTimes 1, wrong gives ErrorTimes 1; FirstTestTime and the
    // answer's time are now. On failure (e.g. the word has a row already)
    // shows "保存记录时发生错误，可能该单词已存在!" on `owner` and returns
    // false; nothing is recorded.
    bool AppendWordRecord(const QString& word, bool right, QObject* owner);

private:
    struct Connection;

    void recordAnswer(const QString& word, bool right, QObject* owner);
    bool insertRow(const QString& word, bool right);
    void showInsertFailure(QObject* owner);
    QString nowText() const;

    QString programFolder_;
    const TestSettings& settings_;
    UserMessages& messages_;
    WallClock now_;
    bool created_ = false;
    std::unique_ptr<Connection> connection_;
};

} // namespace zarelo
