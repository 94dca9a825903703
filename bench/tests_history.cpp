// Building a whole-book word test over 3,000 words whose history holds 3,000
// rows: the two IsNotPassedWord calls per word (the count scan and the fill
// scan), against the baseline of the same number of indexed lookups of the
// same columns through one prepared statement. Goal: at most 3 x the baseline.
#include "support/ScriptedMessages.h"
#include "tests/uDmMain.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>
#include <benchmark/benchmark.h>

using namespace zarelo;

namespace {

constexpr int kWords = 3000;

// A program folder whose history holds a row for every word of the book:
// a third passed, the others still new by one rule or another.
struct BookHistory {
    QTemporaryDir folder;
    QStringList words;
    TestSettings settings;
    fakes::ScriptedMessages messages;
    std::unique_ptr<TdmMain> dmMain;

    BookHistory()
    {
        settings.SeriRightSetting = 3;
        settings.LastRightDaysSetting = 3;
        settings.RightOverSetting = 3;
        for (int i = 0; i < kWords; ++i)
            words << QStringLiteral("word%1").arg(i);
        dmMain = std::make_unique<TdmMain>(folder.path(), settings, messages);
        dmMain->DataModuleCreate();
        if (!dmMain->IsConnected())
            qFatal("no history database");
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "fill");
            db.setDatabaseName(folder.path() + "/DicData.db");
            db.open();
            db.transaction();
            QSqlQuery insert(db);
            insert.prepare(
                "INSERT INTO WordRecord (English, RightTimes, SeriRightTimes,"
                " ErrorTimes, FirstTestTime, LastTestRightTime) VALUES (?, ?, ?, ?, ?, ?)");
            const QString today = QDateTime::currentDateTime().toString("yyyy-MM-dd HH:mm:ss");
            for (int i = 0; i < kWords; ++i) {
                insert.bindValue(0, words[i]);
                insert.bindValue(1, 2 + i % 5);
                insert.bindValue(2, i % 5);
                insert.bindValue(3, i % 2);
                insert.bindValue(4, today);
                insert.bindValue(5, today);
                insert.exec();
            }
            db.commit();
            db.close();
        }
        QSqlDatabase::removeDatabase("fill");
    }
};

BookHistory& history()
{
    static BookHistory h;
    return h;
}

void BM_BuildWholeBookTest(benchmark::State& state)
{
    BookHistory& h = history();
    int offered = 0;
    for (auto _ : state) {
        offered = 0;
        for (const QString& word : h.words) // count scan
            offered += h.dmMain->IsNotPassedWord(word);
        for (const QString& word : h.words) // fill scan
            offered += h.dmMain->IsNotPassedWord(word);
        benchmark::DoNotOptimize(offered);
    }
    state.counters["lookups"] = 2.0 * kWords;
    state.counters["offered"] = offered / 2;
}

void BM_Baseline_PreparedLookups(benchmark::State& state)
{
    BookHistory& h = history();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "baseline");
        db.setDatabaseName(h.folder.path() + "/DicData.db");
        db.open();
        QSqlQuery lookup(db);
        lookup.prepare("SELECT RightTimes, SeriRightTimes, ErrorTimes, LastTestRightTime"
                       " FROM WordRecord WHERE English = ?");
        for (auto _ : state) {
            int found = 0;
            for (int pass = 0; pass < 2; ++pass) {
                for (const QString& word : h.words) {
                    lookup.bindValue(0, word);
                    lookup.exec();
                    if (lookup.next())
                        found += lookup.value(0).toInt() + lookup.value(1).toInt() +
                                 lookup.value(2).toInt() + lookup.value(3).toString().size();
                    lookup.finish();
                }
            }
            benchmark::DoNotOptimize(found);
        }
        db.close();
    }
    QSqlDatabase::removeDatabase("baseline");
}

} // namespace

BENCHMARK(BM_Baseline_PreparedLookups)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildWholeBookTest)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
