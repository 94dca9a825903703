#include "quiz/uDmMain.h"

#include "quiz/WordHistoryError.h"

#include <QDate>
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

// How time columns are written; SQLite's own date functions read it too.
const QString kTimeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");

// English compares without regard to ASCII letter case, as the history's
// lookups always have; the unique index follows the column's collation.
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
};

// Field order of the lookup's result.
enum LookupField { kRightTimes, kSeriRightTimes, kErrorTimes, kLastTestRightTime };

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
              updateWrong(db)
        {
        }
        QSqlQuery begin, commit, rollback, lookup, insert, updateRight, updateWrong;
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

    // Opens the file (SQLite creates a missing one), turns on the write-ahead
    // journal with a sync at every commit, creates what is missing and
    // prepares the statements. False when any of it fails: the file is not a
    // database, or its table lacks a column the statements need.
    bool open()
    {
        if (!db.open())
            return false;
        if (!exec(QStringLiteral("PRAGMA journal_mode=WAL")) ||
            !exec(QStringLiteral("PRAGMA synchronous=FULL")))
            return false;
        for (const char* statement : kSchema)
            if (!exec(QString::fromLatin1(statement)))
                return false;
        sql = std::make_unique<Statements>(db);
        // IMMEDIATE: the answer's read and write hold the write lock together.
        return sql->begin.prepare(QStringLiteral("BEGIN IMMEDIATE")) &&
               sql->commit.prepare(QStringLiteral("COMMIT")) &&
               sql->rollback.prepare(QStringLiteral("ROLLBACK")) &&
               sql->lookup.prepare(
                   QStringLiteral("SELECT RightTimes, SeriRightTimes, ErrorTimes, LastTestRightTime"
                                  " FROM WordRecord WHERE English = ?")) &&
               sql->insert.prepare(QStringLiteral(
                   "INSERT INTO WordRecord (English, RightTimes, SeriRightTimes, ErrorTimes,"
                   " FirstTestTime, LastTestRightTime, LastTestErrorTime)"
                   " VALUES (?, ?, ?, ?, ?, ?, ?)")) &&
               sql->updateRight.prepare(
                   QStringLiteral("UPDATE WordRecord SET RightTimes = ?, SeriRightTimes = ?,"
                                  " LastTestRightTime = ? WHERE English = ?")) &&
               sql->updateWrong.prepare(
                   QStringLiteral("UPDATE WordRecord SET ErrorTimes = ?, SeriRightTimes = ?,"
                                  " LastTestErrorTime = ? WHERE English = ?"));
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

void TdmMain::DataModuleCreate()
{
    if (created_)
        return;
    created_ = true;
    auto connection = std::make_unique<Connection>(databasePath());
    if (!connection->open()) {
        connection.reset();
        messages_.showMessage(kOpenFailed, kCaption, nullptr);
        return;
    }
    connection_ = std::move(connection);
}

QString TdmMain::nowText() const
{
    return now_().toString(kTimeFormat);
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
    const int rightTimes = counter(lookup, kRightTimes);
    const int seriRightTimes = counter(lookup, kSeriRightTimes);
    const int errorTimes = counter(lookup, kErrorTimes);
    // Only the date counts: days are calendar days, as a day difference of
    // dates has it (23:59 to 00:01 is one day). An empty or unreadable time
    // means never.
    const QDate lastRight =
        QDate::fromString(lookup.value(kLastTestRightTime).toString().left(10), Qt::ISODate);
    lookup.finish();

    return seriRightTimes < settings_.SeriRightSetting || !lastRight.isValid() ||
           lastRight.daysTo(now_().date()) > settings_.LastRightDaysSetting ||
           rightTimes - errorTimes < settings_.RightOverSetting;
}

void TdmMain::RecordRightAnswer(const QString& word, QObject* owner)
{
    recordAnswer(word, true, owner);
}

void TdmMain::RecordWrongAnswer(const QString& word, QObject* owner)
{
    recordAnswer(word, false, owner);
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
    if (connection_) {
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

void TdmMain::recordAnswer(const QString& rawWord, bool right, QObject* owner)
{
    if (!connection_)
        return; // the user was told at start that there is no history
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
        if (insertRow(word, right) && c.sql->commit.exec())
            return;
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
    if (!c.sql->commit.exec())
        fail(c.sql->commit);
}

} // namespace zarelo
