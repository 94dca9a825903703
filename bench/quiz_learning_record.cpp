// The learning record over a year of daily practice: 3,000 words in one book
// of 100 lessons, 5,000 tests with 100,000 answers and 2,000 practice
// sessions spread over the last 365 days.
//
// BM_Summarize is what opening the learning record window reads and works
// out: the calendar, every lesson's progress, the scores and the hard words
// with their spellings. Its baseline, BM_Baseline_ReadRows, reads the same
// rows (every test, answer, practice session and word row) through prepared
// statements and touches each value. Goal: at most 3 x the baseline.
//
// BM_CloseItemWithRecord closes a test item as the word test does, its word's
// counters and its record row in one transaction; its baseline,
// BM_Baseline_CloseItemCountersOnly, is the same answer with the counters
// alone. Goal: at most 1.5 x the baseline.
#include "book/BookContent.h"
#include "book/Gbk.h"
#include "quiz/LearningRecord.h"
#include "quiz/uDmMain.h"
#include "support/ScriptedMessages.h"
#include "support/TableRows.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QVariant>
#include <benchmark/benchmark.h>

using namespace zarelo;

namespace {

constexpr int kWords = 3000;
constexpr int kLessons = 100;
constexpr int kTests = 5000;
constexpr int kAnswersPerTest = 20;
constexpr int kPractice = 2000;

QString WordOf(int i)
{
    return QStringLiteral("word%1").arg(i);
}

struct YearOfPractice {
    QTemporaryDir folder;
    QString path = folder.path() + "/DicData.db";
    TestSettings settings;
    fakes::ScriptedMessages messages;
    OpenBook book;
    QDateTime now = QDateTime::currentDateTime();

    YearOfPractice()
    {
        settings.SeriRightSetting = 3;
        settings.LastRightDaysSetting = 3;
        settings.RightOverSetting = 3;
        {
            TdmMain dm(folder.path(), settings, messages);
            dm.DataModuleCreate(); // the file with its tables
        }
        book.CurrentPublisher = "Pub";
        book.CurrentBook = "Book";
        for (int lesson = 0; lesson < kLessons; ++lesson) {
            const QByteArray name = "Lesson " + QByteArray::number(lesson + 1);
            book.Content.LessonIndexLines.append(name + ";Title");
            fakes::AddLesson(book, name, 2 * lesson + 1, 2 * lesson + 2);
        }
        for (int i = 0; i < kWords; ++i)
            fakes::AddEntry(book, 1 + i / 15, "word", WordOf(i).toLatin1(), QStringLiteral("词"),
                            "v", i, i + 1);
        fill();
    }

    void fill()
    {
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "fill");
            db.setDatabaseName(path);
            db.open();
            db.transaction();
            QSqlQuery q(db);
            const auto time = [&](int64_t secondsBack) {
                return now.addSecs(-secondsBack).toString(kHistoryTimeFormat);
            };
            q.prepare("INSERT INTO WordRecord (English, RightTimes, SeriRightTimes, ErrorTimes,"
                      " FirstTestTime, LastTestRightTime) VALUES (?, ?, ?, ?, ?, ?)");
            for (int i = 0; i < kWords; ++i) {
                q.addBindValue(WordOf(i));
                q.addBindValue(2 + i % 5);
                q.addBindValue(i % 5);
                q.addBindValue(i % 3);
                q.addBindValue(time(365 * 86400));
                q.addBindValue(time(i % 10 * 86400));
                q.exec();
            }
            QSqlQuery test(db), answer(db);
            test.prepare("INSERT INTO TestRecord (Id, Mode, Publisher, Book, Lesson, StartTime,"
                         " EndTime, Items, RightItems, Score, Finished)"
                         " VALUES (?, ?, 'Pub', 'Book', ?, ?, ?, ?, ?, ?, ?)");
            answer.prepare("INSERT INTO AnswerRecord (TestId, Time, Item, Typed, Right, Ms)"
                           " VALUES (?, ?, ?, ?, ?, ?)");
            for (int t = 0; t < kTests; ++t) {
                const int64_t start = int64_t(kTests - t) * 365 * 86400 / kTests;
                const int lesson = t % kLessons;
                int right = 0;
                for (int a = 0; a < kAnswersPerTest; ++a) {
                    const int word = lesson * 30 + (t * 7 + a) % 30;
                    const bool ok = (t + a * 3 + word) % 4 != 0;
                    right += ok;
                    answer.addBindValue(t + 1);
                    answer.addBindValue(time(start - a * 10));
                    answer.addBindValue(WordOf(word));
                    answer.addBindValue(ok ? WordOf(word) : WordOf(word).left(4) + "x");
                    answer.addBindValue(ok ? 1 : 0);
                    answer.addBindValue(2000 + a);
                    answer.exec();
                }
                test.addBindValue(t + 1);
                test.addBindValue(1 + t % 4);
                test.addBindValue(QStringLiteral("Lesson %1").arg(lesson + 1));
                test.addBindValue(time(start));
                test.addBindValue(time(start - kAnswersPerTest * 10));
                test.addBindValue(kAnswersPerTest);
                test.addBindValue(right);
                test.addBindValue(right * 100 / kAnswersPerTest);
                test.addBindValue(t % 10 ? 1 : 0);
                test.exec();
            }
            q.prepare("INSERT INTO PracticeRecord (Kind, Publisher, Book, Lesson, StartTime,"
                      " Seconds, Items) VALUES (?, 'Pub', 'Book', ?, ?, ?, ?)");
            for (int p = 0; p < kPractice; ++p) {
                q.addBindValue(p % 2 ? "read" : "oral");
                q.addBindValue(QStringLiteral("Lesson %1").arg(p % kLessons + 1));
                q.addBindValue(time(int64_t(kPractice - p) * 365 * 86400 / kPractice + 3600));
                q.addBindValue(300 + p % 600);
                q.addBindValue(5 + p % 20);
                q.exec();
            }
            db.commit();
            db.close();
        }
        QSqlDatabase::removeDatabase("fill");
    }
};

YearOfPractice& year()
{
    static YearOfPractice y;
    return y;
}

void BM_Baseline_ReadRows(benchmark::State& state)
{
    YearOfPractice& y = year();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "baseline");
        db.setDatabaseName(y.path);
        db.open();
        QSqlQuery q(db);
        q.setForwardOnly(true);
        for (auto _ : state) {
            int64_t touched = 0;
            for (const char* table :
                 {"TestRecord", "AnswerRecord", "PracticeRecord", "WordRecord"}) {
                q.prepare(QStringLiteral("SELECT * FROM %1").arg(QLatin1String(table)));
                q.exec();
                const int columns = q.record().count();
                while (q.next())
                    for (int c = 0; c < columns; ++c)
                        touched += q.value(c).toString().size();
                q.finish();
            }
            benchmark::DoNotOptimize(touched);
        }
        db.close();
    }
    QSqlDatabase::removeDatabase("baseline");
}

void BM_Summarize(benchmark::State& state)
{
    YearOfPractice& y = year();
    LearningRecord record(y.path);
    for (auto _ : state) {
        const LearningSummary summary = record.Summarize(y.book, y.settings, y.now);
        if (summary.HardWords.size() != 20 || summary.Lessons.size() != size_t(kLessons))
            state.SkipWithError("the summary misses its hard words or lessons");
        benchmark::DoNotOptimize(summary);
    }
}

// Closing items into a history of its own, one transaction each.
struct Answers {
    QTemporaryDir folder;
    TestSettings settings;
    fakes::ScriptedMessages messages;
    TdmMain dm{folder.path(), settings, messages};
    int64_t test = 0;
    Answers()
    {
        dm.DataModuleCreate();
        test = dm.BeginTest(RecordedMode::Dictation, {"Pub", "Book", "Lesson 1"}, 1000000);
    }
};

void BM_Baseline_CloseItemCountersOnly(benchmark::State& state)
{
    Answers a;
    int i = 0;
    for (auto _ : state) {
        ++i;
        a.dm.RecordWrongAnswer(WordOf(i % 300), nullptr);
    }
}

void BM_CloseItemWithRecord(benchmark::State& state)
{
    Answers a;
    int i = 0;
    for (auto _ : state) {
        ++i;
        const ItemAnswer answer{a.test, WordOf(i % 300), QStringLiteral("wrod"), false, 2300};
        a.dm.RecordWrongAnswer(answer.Item, nullptr, &answer);
    }
}

} // namespace

BENCHMARK(BM_Baseline_ReadRows)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Summarize)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Baseline_CloseItemCountersOnly)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CloseItemWithRecord)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
