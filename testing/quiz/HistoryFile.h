#pragma once
// Reads a history file behind the store's back, through a connection of its
// own, so that tests check what is really on disk.

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>
#include <QVariantMap>
#include <atomic>

namespace zarelo::testing_history {

class HistoryFile {
public:
    explicit HistoryFile(const QString& path)
    {
        static std::atomic<int> serial{0};
        name_ = QStringLiteral("history-file#%1").arg(++serial);
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
            db.setDatabaseName(path);
            opened_ = db.open();
        }
    }
    ~HistoryFile()
    {
        {
            QSqlDatabase::database(name_, false).close();
        }
        QSqlDatabase::removeDatabase(name_);
    }
    bool opened() const { return opened_; }

    // Runs one statement; returns its first row's fields by column name (an
    // empty map when there is none; "error" holds the error text on failure).
    QVariantMap row(const QString& sql, const QVariantList& values = {}) const
    {
        const auto rows = all(sql, values);
        return rows.isEmpty() ? QVariantMap() : rows.first();
    }

    QList<QVariantMap> all(const QString& sql, const QVariantList& values = {}) const
    {
        QSqlQuery q(QSqlDatabase::database(name_, false));
        QList<QVariantMap> out;
        if (!q.prepare(sql)) {
            out.append({{QStringLiteral("error"), q.lastError().text()}});
            return out;
        }
        for (int i = 0; i < values.size(); ++i)
            q.bindValue(i, values[i]);
        if (!q.exec()) {
            out.append({{QStringLiteral("error"), q.lastError().text()}});
            return out;
        }
        while (q.next()) {
            QVariantMap fields;
            const QSqlRecord record = q.record();
            for (int i = 0; i < record.count(); ++i)
                fields.insert(record.fieldName(i), q.value(i));
            out.append(fields);
        }
        return out;
    }

    QVariantMap word(const QString& english) const
    {
        return row(QStringLiteral("SELECT * FROM WordRecord WHERE English = ?"), {english});
    }

    bool exec(const QString& sql) const
    {
        QSqlQuery q(QSqlDatabase::database(name_, false));
        return q.exec(sql);
    }

private:
    QString name_;
    bool opened_ = false;
};

} // namespace zarelo::testing_history
