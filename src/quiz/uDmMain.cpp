#include "quiz/uDmMain.h"

#include "quiz/WordHistoryError.h"

#include <QDate>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <atomic>

namespace zarelo {

namespace {

const QString kOpenFailed = QStringLiteral("打开数据连接时发生错误！         ");
const QString kInsertFailed = QStringLiteral("保存记录时发生错误，可能该单词已存在!         ");
const QString kCaption = QStringLiteral("提示");
const QString kNewerFile =
    QStringLiteral("学习记录文件“%1”是更新版本的本软件写的（格式版本 %2，本软件能写的是 %3）。"
                   "本软件只读取其中的单词记录，不写入任何内容：本次的答题和练习不会被记录。");

// English compares without regard to ASCII letter case, as the history's
// lookups always have; the unique index follows the column's collation.
// Everything is created when missing, so an older file (WordRecord alone)
// gains the learning record and WordRecord is left as it is.
const char* const kSchema[] = {
    "CREATE TABLE IF NOT EXISTS WordRecord ("
    " English VARCHAR(50) NOT NULL COLLATE NOCASE,"
    " RightTimes INTEGER,"
    " SeriRightTimes INTEGER,"
    " ErrorTimes SMALLINT,"
    " FirstTestTime DATETIME,"
    " LastTestRightTime DATETIME,"
    " LastTestErrorTime DATETIME,"
    " Chinese VARCHAR(100),"
    " Pronounce VARCHAR(50),"
    " State VARCHAR(50),"
    " LastTestTime DATETIME)",
    "CREATE UNIQUE INDEX IF NOT EXISTS WordRecord_English ON WordRecord (English)",
    "CREATE TABLE IF NOT EXISTS TestRecord ("
    " Id INTEGER PRIMARY KEY,"
    " Mode INTEGER NOT NULL,"
    " Publisher TEXT NOT NULL,"
    " Book TEXT NOT NULL,"
    " Lesson TEXT NOT NULL,"
    " StartTime DATETIME NOT NULL,"
    " EndTime DATETIME NOT NULL,"
    " Items INTEGER NOT NULL,"
    " RightItems INTEGER NOT NULL,"
    " Score INTEGER,"
    " Finished INTEGER NOT NULL)",
    "CREATE INDEX IF NOT EXISTS TestRecord_StartTime ON TestRecord (StartTime)",
    "CREATE TABLE IF NOT EXISTS AnswerRecord ("
    " Id INTEGER PRIMARY KEY,"
    " TestId INTEGER NOT NULL REFERENCES TestRecord (Id),"
    " Time DATETIME NOT NULL,"
    " Item TEXT NOT NULL COLLATE NOCASE,"
    " Typed TEXT NOT NULL,"
    " Right INTEGER NOT NULL,"
    " Ms INTEGER NOT NULL)",
    "CREATE INDEX IF NOT EXISTS AnswerRecord_TestId ON AnswerRecord (TestId)",
    "CREATE TABLE IF NOT EXISTS PracticeRecord ("
    " Id INTEGER PRIMARY KEY,"
    " Kind TEXT NOT NULL,"
    " Publisher TEXT NOT NULL,"
    " Book TEXT NOT NULL,"
    " Lesson TEXT NOT NULL,"
    " StartTime DATETIME NOT NULL,"
    " Seconds INTEGER NOT NULL,"
    " Items INTEGER NOT NULL)",
    "CREATE INDEX IF NOT EXISTS PracticeRecord_StartTime ON PracticeRecord (StartTime)",
};

const QString kLookup =
    QStringLiteral("SELECT RightTimes, SeriRightTimes, ErrorTimes, LastTestRightTime"
                   " FROM WordRecord WHERE English = ?");

// Field order of the lookup's result.
enum LookupField { kRightTimes, kSeriRightTimes, kErrorTimes, kLastTestRightTime };

// Runs a prepared write; its error text goes to `reason`, and the id of the
// row an insert added to `insertedId` when given.
bool run(QSqlQuery& query, QString& reason, int64_t* insertedId = nullptr)
{
    const bool ok = query.exec();
    if (!ok)
        reason = query.lastError().text();
    else if (insertedId)
        *insertedId = query.lastInsertId().toLongLong();
    query.finish();
    return ok;
}

int counter(const QSqlQuery& q, int field)
{
    return q.value(field).toInt(); // null (never written) and non-numbers read as 0
}

} // namespace

// The open database with its statements, prepared once for the whole run.
struct TdmMain::Connection {
    QString name;
    QSqlDatabase db;
    struct Statements {
        explicit Statements(const QSqlDatabase& db)
            : begin(db), commit(db), rollback(db), lookup(db), insert(db), updateRight(db),
              updateWrong(db), insertTest(db), insertAnswer(db), testProgress(db), endTest(db),
              insertPractice(db), updatePractice(db)
        {
        }
        QSqlQuery begin, commit, rollback, lookup, insert, updateRight, updateWrong;
        QSqlQuery insertTest, insertAnswer, testProgress, endTest, insertPractice, updatePractice;
    };
    std::unique_ptr<Statements> sql;

    explicit Connection(const QString& path)
    {
        static std::atomic<int> serial{0};
        name = QStringLiteral("dmMain#%1").arg(++serial);
        db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
    }

    ~Connection()
    {
        sql.reset(); // statements go before the connection that runs them
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(name);
    }

    bool exec(const QString& text)
    {
        QSqlQuery q(db);
        return q.exec(text);
    }

    // The layout version of an existing file, -1 when it cannot be read
    // (not a database); 0 for a missing file. Opened read-only, so a file
    // that is damaged or of a newer program is not touched.
    static int versionOf(const QString& path)
    {
        if (!QFileInfo::exists(path))
            return 0;
        const QString probeName = QStringLiteral("dmMainProbe#%1").arg(quintptr(&path));
        int version = -1;
        {
            QSqlDatabase probe = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), probeName);
            probe.setDatabaseName(path);
            probe.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
            if (probe.open()) {
                QSqlQuery q(probe);
                if (q.exec(QStringLiteral("PRAGMA user_version")) && q.next())
                    version = q.value(0).toInt();
                // A file that is not a database fails only at its first read.
                if (!q.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")))
                    version = -1;
            }
            probe.close();
        }
        QSqlDatabase::removeDatabase(probeName);
        return version;
    }

    // Opens a file of a newer program for reading only, with the lookup.
    bool openReadOnly()
    {
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (!db.open())
            return false;
        sql = std::make_unique<Statements>(db);
        return sql->lookup.prepare(kLookup);
    }

    // Opens the file (SQLite creates a missing one), turns on the write-ahead
    // journal with a sync at every commit, creates or upgrades the layout in
    // one transaction and prepares the statements. False when any of it
    // fails: the file is not a database, or its tables lack a column the
    // statements need.
    bool open()
    {
        if (!db.open())
            return false;
        if (!exec(QStringLiteral("PRAGMA journal_mode=WAL")) ||
            !exec(QStringLiteral("PRAGMA synchronous=FULL")))
            return false;
        if (!exec(QStringLiteral("BEGIN IMMEDIATE")))
            return false;
        bool created = true;
        for (const char* statement : kSchema)
            created = created && exec(QString::fromLatin1(statement));
        if (!created || !exec(QStringLiteral("PRAGMA user_version = %1").arg(kHistoryVersion)) ||
            !exec(QStringLiteral("COMMIT"))) {
            exec(QStringLiteral("ROLLBACK"));
            return false;
        }
        sql = std::make_unique<Statements>(db);
        // IMMEDIATE: the answer's read and write hold the write lock together.
        return sql->begin.prepare(QStringLiteral("BEGIN IMMEDIATE")) &&
               sql->commit.prepare(QStringLiteral("COMMIT")) &&
               sql->rollback.prepare(QStringLiteral("ROLLBACK")) && sql->lookup.prepare(kLookup) &&
               sql->insert.prepare(QStringLiteral(
                   "INSERT INTO WordRecord (English, RightTimes, SeriRightTimes, ErrorTimes,"
                   " FirstTestTime, LastTestRightTime, LastTestErrorTime)"
                   " VALUES (?, ?, ?, ?, ?, ?, ?)")) &&
               sql->updateRight.prepare(
                   QStringLiteral("UPDATE WordRecord SET RightTimes = ?, SeriRightTimes = ?,"
                                  " LastTestRightTime = ? WHERE English = ?")) &&
               sql->updateWrong.prepare(
                   QStringLiteral("UPDATE WordRecord SET ErrorTimes = ?, SeriRightTimes = ?,"
                                  " LastTestErrorTime = ? WHERE English = ?")) &&
               sql->insertTest.prepare(QStringLiteral(
                   "INSERT INTO TestRecord (Mode, Publisher, Book, Lesson, StartTime, EndTime,"
                   " Items, RightItems, Score, Finished) VALUES (?, ?, ?, ?, ?, ?, ?, 0, NULL, "
                   "0)")) &&
               sql->insertAnswer.prepare(
                   QStringLiteral("INSERT INTO AnswerRecord (TestId, Time, Item, Typed, Right, Ms)"
                                  " VALUES (?, ?, ?, ?, ?, ?)")) &&
               sql->testProgress.prepare(
                   QStringLiteral("UPDATE TestRecord SET RightItems = RightItems + ?, EndTime = ?"
                                  " WHERE Id = ?")) &&
               sql->endTest.prepare(
                   QStringLiteral("UPDATE TestRecord SET RightItems = ?, Score = ?, Finished = ?,"
                                  " EndTime = ? WHERE Id = ?")) &&
               sql->insertPractice.prepare(QStringLiteral(
                   "INSERT INTO PracticeRecord (Kind, Publisher, Book, Lesson, StartTime, Seconds,"
                   " Items) VALUES (?, ?, ?, ?, ?, 0, 0)")) &&
               sql->updatePractice.prepare(
                   QStringLiteral("UPDATE PracticeRecord SET Seconds = ?, Items = ? WHERE Id = ?"));
    }

    void rollbackQuietly() { sql->rollback.exec(); }
};

TdmMain::TdmMain(QString programFolder, const TestSettings& settings, UserMessages& messages,
                 WallClock now)
    : programFolder_(std::move(programFolder)), settings_(settings), messages_(messages),
      now_(now ? std::move(now) : WallClock([] { return QDateTime::currentDateTime(); }))
{
}

TdmMain::~TdmMain() = default;

QString TdmMain::databasePath() const
{
    return programFolder_ + QStringLiteral("/DicData.db");
}

bool TdmMain::IsConnected() const
{
    return connection_ != nullptr;
}

bool TdmMain::IsWritable() const
{
    return connection_ && writable_;
}

void TdmMain::DataModuleCreate()
{
    if (created_)
        return;
    created_ = true;
    const QString path = databasePath();
    const int version = Connection::versionOf(path);
    auto connection = std::make_unique<Connection>(path);
    const bool newer = version > kHistoryVersion;
    if (version < 0 || !(newer ? connection->openReadOnly() : connection->open())) {
        connection.reset();
        messages_.showMessage(kOpenFailed, kCaption, nullptr);
        return;
    }
    connection_ = std::move(connection);
    writable_ = !newer;
    if (newer)
        messages_.showMessage(kNewerFile.arg(path).arg(version).arg(kHistoryVersion), kCaption,
                              nullptr);
}

QString TdmMain::nowText() const
{
    return now_().toString(kHistoryTimeFormat);
}

bool IsNewWord(const WordCounters& c, const TestSettings& settings, QDate today)
{
    return c.SeriRightTimes < settings.SeriRightSetting || !c.LastRight.isValid() ||
           c.LastRight.daysTo(today) > settings.LastRightDaysSetting ||
           c.RightTimes - c.ErrorTimes < settings.RightOverSetting;
}

bool TdmMain::IsNotPassedWord(const QString& word)
{
    if (!connection_)
        return true;
    QSqlQuery& lookup = connection_->sql->lookup;
    lookup.bindValue(0, word.trimmed());
    if (!lookup.exec() || !lookup.next()) {
        lookup.finish();
        return true;
    }
    WordCounters counters;
    counters.RightTimes = counter(lookup, kRightTimes);
    counters.SeriRightTimes = counter(lookup, kSeriRightTimes);
    counters.ErrorTimes = counter(lookup, kErrorTimes);
    // Only the date counts: days are calendar days, as a day difference of
    // dates has it (23:59 to 00:01 is one day). An empty or unreadable time
    // means never.
    counters.LastRight =
        QDate::fromString(lookup.value(kLastTestRightTime).toString().left(10), Qt::ISODate);
    lookup.finish();
    return IsNewWord(counters, settings_, now_().date());
}

void TdmMain::RecordRightAnswer(const QString& word, QObject* owner, const ItemAnswer* answer)
{
    recordAnswer(word, true, owner, answer);
}

void TdmMain::RecordWrongAnswer(const QString& word, QObject* owner, const ItemAnswer* answer)
{
    recordAnswer(word, false, owner, answer);
}

bool TdmMain::writeItem(const ItemAnswer& answer)
{
    Connection::Statements& sql = *connection_->sql;
    const QString now = nowText();
    sql.insertAnswer.bindValue(0, qlonglong(answer.Test));
    sql.insertAnswer.bindValue(1, now);
    sql.insertAnswer.bindValue(2, answer.Item.trimmed());
    sql.insertAnswer.bindValue(3, answer.Typed.trimmed());
    sql.insertAnswer.bindValue(4, answer.Right ? 1 : 0);
    sql.insertAnswer.bindValue(5, qlonglong(answer.Ms));
    const bool inserted = sql.insertAnswer.exec();
    sql.insertAnswer.finish();
    if (!inserted)
        return false;
    sql.testProgress.bindValue(0, answer.Right ? 1 : 0);
    sql.testProgress.bindValue(1, now);
    sql.testProgress.bindValue(2, qlonglong(answer.Test));
    const bool updated = sql.testProgress.exec() && sql.testProgress.numRowsAffected() == 1;
    sql.testProgress.finish();
    return updated;
}

template <class F> void TdmMain::inTransaction(const QString& table, F&& write)
{
    Connection& c = *connection_;
    QString reason;
    if (!c.sql->begin.exec()) {
        reason = c.sql->begin.lastError().text();
    } else if (!write(reason)) {
        c.rollbackQuietly();
    } else if (!c.sql->commit.exec()) {
        reason = c.sql->commit.lastError().text();
        c.rollbackQuietly();
    } else {
        return;
    }
    throw WordHistoryError(
        QStringLiteral("学习记录保存失败：%1 表 %2：%3").arg(databasePath(), table, reason));
}

int64_t TdmMain::BeginTest(RecordedMode mode, const RecordPlace& place, int items)
{
    if (!IsWritable())
        return 0;
    QSqlQuery& insert = connection_->sql->insertTest;
    int64_t id = 0;
    inTransaction(QStringLiteral("TestRecord"), [&](QString& reason) {
        const QString now = nowText();
        insert.bindValue(0, int(mode));
        insert.bindValue(1, place.Publisher);
        insert.bindValue(2, place.Book);
        insert.bindValue(3, place.Lesson);
        insert.bindValue(4, now);
        insert.bindValue(5, now);
        insert.bindValue(6, items);
        return run(insert, reason, &id);
    });
    return id;
}

void TdmMain::RecordItem(const ItemAnswer& answer)
{
    if (!IsWritable() || answer.Test == 0)
        return;
    inTransaction(QStringLiteral("AnswerRecord"), [&](QString& reason) {
        if (writeItem(answer))
            return true;
        reason = QStringLiteral("测试 %1 的答案“%2”未能写入").arg(answer.Test).arg(answer.Item);
        return false;
    });
}

void TdmMain::EndTest(int64_t test, int rightItems, std::optional<int> score)
{
    if (!IsWritable() || test == 0)
        return;
    QSqlQuery& end = connection_->sql->endTest;
    inTransaction(QStringLiteral("TestRecord"), [&](QString& reason) {
        end.bindValue(0, rightItems);
        end.bindValue(1, score ? QVariant(*score) : QVariant());
        end.bindValue(2, score ? 1 : 0);
        end.bindValue(3, nowText());
        end.bindValue(4, qlonglong(test));
        return run(end, reason);
    });
}

int64_t TdmMain::BeginPractice(PracticeKind kind, const RecordPlace& place)
{
    if (!IsWritable())
        return 0;
    QSqlQuery& insert = connection_->sql->insertPractice;
    int64_t id = 0;
    inTransaction(QStringLiteral("PracticeRecord"), [&](QString& reason) {
        insert.bindValue(0, kind == PracticeKind::Read ? QStringLiteral("read")
                                                       : QStringLiteral("oral"));
        insert.bindValue(1, place.Publisher);
        insert.bindValue(2, place.Book);
        insert.bindValue(3, place.Lesson);
        insert.bindValue(4, nowText());
        return run(insert, reason, &id);
    });
    return id;
}

void TdmMain::UpdatePractice(int64_t practice, int64_t seconds, int items)
{
    if (!IsWritable() || practice == 0)
        return;
    QSqlQuery& update = connection_->sql->updatePractice;
    inTransaction(QStringLiteral("PracticeRecord"), [&](QString& reason) {
        update.bindValue(0, qlonglong(seconds));
        update.bindValue(1, items);
        update.bindValue(2, qlonglong(practice));
        return run(update, reason);
    });
}

bool TdmMain::insertRow(const QString& word, bool right)
{
    QSqlQuery& insert = connection_->sql->insert;
    const QString now = nowText();
    const QVariant empty;
    insert.bindValue(0, word);
    insert.bindValue(1, right ? QVariant(QStringLiteral("1")) : empty);
    insert.bindValue(2, right ? QVariant(QStringLiteral("1")) : empty);
    insert.bindValue(3, right ? empty : QVariant(QStringLiteral("1")));
    insert.bindValue(4, now);
    insert.bindValue(5, right ? QVariant(now) : empty);
    insert.bindValue(6, right ? empty : QVariant(now));
    const bool ok = insert.exec();
    insert.finish();
    return ok;
}

void TdmMain::showInsertFailure(QObject* owner)
{
    messages_.showMessage(kInsertFailed, kCaption, owner);
}

bool TdmMain::AppendWordRecord(const QString& rawWord, bool right, QObject* owner)
{
    if (IsWritable()) {
        Connection& c = *connection_;
        if (c.sql->begin.exec()) {
            if (insertRow(rawWord.trimmed(), right) && c.sql->commit.exec())
                return true;
            c.rollbackQuietly();
        }
    }
    showInsertFailure(owner);
    return false;
}

void TdmMain::recordAnswer(const QString& rawWord, bool right, QObject* owner,
                           const ItemAnswer* answer)
{
    if (!IsWritable())
        return; // the user was told at start that nothing is recorded
    Connection& c = *connection_;
    const QString word = rawWord.trimmed();
    // Ends the answer: nothing of it is kept.
    auto fail = [&](QSqlQuery& failed) {
        const QString reason = failed.lastError().text();
        if (failed.isActive())
            failed.finish();
        c.rollbackQuietly();
        throw WordHistoryError(
            QStringLiteral("单词记录保存失败：%1 表 WordRecord，单词 “%2”（%3）：%4")
                .arg(databasePath(), word, right ? QStringLiteral("答对") : QStringLiteral("答错"),
                     reason));
    };

    const bool recordsItem = answer && answer->Test != 0;
    auto failItem = [&] {
        c.rollbackQuietly();
        throw WordHistoryError(
            QStringLiteral("学习记录保存失败：%1 表 AnswerRecord，测试 %2 的单词“%3”未能写入")
                .arg(databasePath())
                .arg(answer->Test)
                .arg(word));
    };

    if (!c.sql->begin.exec())
        fail(c.sql->begin);
    QSqlQuery& lookup = c.sql->lookup;
    lookup.bindValue(0, word);
    if (!lookup.exec())
        fail(lookup);
    if (!lookup.next()) {
        if (lookup.lastError().isValid())
            fail(lookup);
        lookup.finish();
        // First answer of the word: the insert, with its own message.
        if (insertRow(word, right)) {
            if (recordsItem && !writeItem(*answer))
                failItem();
            if (c.sql->commit.exec())
                return;
        }
        c.rollbackQuietly();
        showInsertFailure(owner);
        return;
    }
    const int rightTimes = counter(lookup, kRightTimes);
    const int seriRightTimes = counter(lookup, kSeriRightTimes);
    const int errorTimes = counter(lookup, kErrorTimes);
    lookup.finish();

    QSqlQuery& update = right ? c.sql->updateRight : c.sql->updateWrong;
    if (right) {
        update.bindValue(0, QString::number(rightTimes + 1));
        update.bindValue(1, QString::number(seriRightTimes + 1));
    } else {
        update.bindValue(0, QString::number(errorTimes + 1));
        update.bindValue(1, QStringLiteral("0"));
    }
    update.bindValue(2, nowText());
    update.bindValue(3, word);
    if (!update.exec())
        fail(update);
    update.finish();
    if (recordsItem && !writeItem(*answer))
        failItem();
    if (!c.sql->commit.exec())
        fail(c.sql->commit);
}

} // namespace zarelo
