#include "quiz/LearningRecord.h"

#include "book/Gbk.h"
#include "book/LessonTree.h"
#include "quiz/WordHistoryError.h"
#include "quiz/WordTestSelection.h"
#include "quiz/uDmMain.h"

#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <algorithm>
#include <atomic>
#include <map>

namespace zarelo {

namespace {

constexpr int kCalendarWeeks = 26;
constexpr int kScorePoints = 50;
constexpr int kHardWords = 20;
constexpr int kMisspellings = 3;

// A time column as a wall-clock time: the written local date and time, kept
// in a time spec without a time zone so that reading thousands of them never
// asks the system's zone rules. Invalid when unreadable.
QDateTime WallTime(const QVariant& value)
{
    const QString text = value.toString();
    if (text.size() != 19)
        return {};
    const auto number = [&](int from, int length) {
        return QStringView(text).mid(from, length).toInt();
    };
    const QDate date(number(0, 4), number(5, 2), number(8, 2));
    const QTime time(number(11, 2), number(14, 2), number(17, 2));
    if (!date.isValid() || !time.isValid())
        return {};
    return QDateTime(date, time, Qt::UTC);
}

// A wall-clock time as the local time it was written in, for the summary.
QDateTime Local(const QDateTime& wall)
{
    return wall.isValid() ? QDateTime(wall.date(), wall.time()) : QDateTime();
}

// Seconds per day of the wall-clock span start..end, split at midnight.
void AddSpan(std::map<QDate, int64_t>& seconds, const QDateTime& start, const QDateTime& end)
{
    if (!start.isValid() || !end.isValid() || end <= start)
        return;
    QDateTime from = start;
    while (from < end) {
        const QDateTime midnight(from.date().addDays(1), QTime(0, 0), Qt::UTC);
        const QDateTime to = std::min(midnight, end);
        seconds[from.date()] += from.secsTo(to);
        from = to;
    }
}

QString RecordText(const QString& path, const QSqlQuery& query)
{
    return QStringLiteral("学习记录读取失败：%1：%2").arg(path, query.lastError().text());
}

} // namespace

RecordPlace PlaceOf(const OpenBook& book, bool lesson)
{
    RecordPlace place{book.CurrentPublisher, book.CurrentBook, QString()};
    const int row = book.CurrentLesson;
    if (lesson && row >= 0 && row < book.Content.Lessons.count())
        place.Lesson = fromGbk(book.Content.Lessons.Name[row]).trimmed();
    return place;
}

int CalendarDays(QDate today)
{
    return (kCalendarWeeks - 1) * 7 + today.dayOfWeek();
}

QString CsvField(const QString& text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

// A connection of its own to the history file, opened for each reading so
// that it sees every answer committed before.
struct LearningRecord::Reader {
    QString path;
    QString name;
    QSqlDatabase db;

    explicit Reader(const QString& file) : path(file)
    {
        static std::atomic<int> serial{0};
        name = QStringLiteral("learningRecord#%1").arg(++serial);
    }

    ~Reader()
    {
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(name);
    }

    // False for a missing file; throws when the file cannot be read.
    bool open()
    {
        if (!QFileInfo::exists(path))
            return false;
        if (!db.isValid()) {
            db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setDatabaseName(path);
        }
        if (!db.isOpen() && !db.open())
            throw WordHistoryError(
                QStringLiteral("学习记录读取失败：%1：%2").arg(path, db.lastError().text()));
        return true;
    }

    // A statement run with `values`; throws with the file and the reason.
    QSqlQuery run(const QString& text, const QVariantList& values = {})
    {
        QSqlQuery query(db);
        query.setForwardOnly(true);
        if (!query.prepare(text))
            throw WordHistoryError(RecordText(path, query));
        for (int i = 0; i < values.size(); ++i)
            query.bindValue(i, values[i]);
        if (!query.exec())
            throw WordHistoryError(RecordText(path, query));
        return query;
    }
};

LearningRecord::LearningRecord(QString databasePath)
    : path_(std::move(databasePath)), reader_(std::make_unique<Reader>(path_))
{
}

LearningRecord::~LearningRecord() = default;

LearningSummary LearningRecord::Summarize(const OpenBook& book, const TestSettings& settings,
                                          const QDateTime& now) const
{
    LearningSummary summary;
    summary.Publisher = book.CurrentPublisher;
    summary.Book = book.CurrentBook;
    summary.Today = now.date();
    const int dayCount = CalendarDays(summary.Today);
    const QDate firstDay = summary.Today.addDays(1 - dayCount);
    for (int i = 0; i < dayCount; ++i)
        summary.Days.push_back({firstDay.addDays(i), 0, 0});

    std::vector<std::pair<int, int>> lessonRows; // (tree node, lesson table row) of each line
    const std::vector<UnitTreeNode> nodes = BuildUnitTreeNodes(book.Content.LessonIndexLines);
    for (int i = 0; i < int(nodes.size()); ++i) {
        const UnitTreeNode& node = nodes[size_t(i)];
        const int row = FindLessonRow(book.Content.Lessons, node.Data.Name, node.Data.Title);
        // Units with pages of their own are lines too: a test of the
        // current lesson may be over a unit's pages.
        if (row >= 0)
            lessonRows.emplace_back(i, row);
    }

    Reader& r = *reader_;
    const bool hasFile = r.open();
    const QVariantList thisBook{book.CurrentPublisher, book.CurrentBook};

    // The calendar: every book's tests and practice.
    std::map<QDate, int64_t> seconds;
    std::map<QDate, int> tests;
    if (hasFile) {
        const QString since =
            QDateTime(firstDay.addDays(-1), QTime(0, 0)).toString(kHistoryTimeFormat);
        QSqlQuery q =
            r.run(QStringLiteral("SELECT StartTime, EndTime FROM TestRecord WHERE EndTime >= ?"),
                  {since});
        while (q.next()) {
            const QDateTime start = WallTime(q.value(0));
            AddSpan(seconds, start, WallTime(q.value(1)));
            if (start.isValid())
                ++tests[start.date()];
        }
        q = r.run(
            QStringLiteral("SELECT StartTime, Seconds FROM PracticeRecord WHERE StartTime >= ?"),
            {since});
        while (q.next()) {
            const QDateTime start = WallTime(q.value(0));
            AddSpan(seconds, start, start.addSecs(q.value(1).toLongLong()));
        }
        q = r.run(QStringLiteral("SELECT min(StartTime) FROM (SELECT StartTime FROM TestRecord"
                                 " UNION ALL SELECT StartTime FROM PracticeRecord)"));
        if (q.next())
            summary.FirstRecord = WallTime(q.value(0)).date();
    }
    for (PracticeDay& day : summary.Days) {
        const auto s = seconds.find(day.Day);
        // Any practice at all shows: a day counts its minutes begun.
        day.Minutes = s == seconds.end() ? 0 : int((s->second + 59) / 60);
        const auto t = tests.find(day.Day);
        day.Tests = t == tests.end() ? 0 : t->second;
    }

    // The lessons: words passed, last results, recordings and reading.
    QHash<QString, WordCounters> counters; // by lower-case English
    // The latest finished test per lesson and mode: score and end time.
    std::map<std::pair<QString, int>, std::pair<int, QVariant>> results;
    std::map<QString, std::pair<int64_t, int>> reading, oral; // seconds and items per lesson
    if (hasFile) {
        QSqlQuery q = r.run(QStringLiteral("SELECT English, RightTimes, SeriRightTimes, "
                                           "ErrorTimes, LastTestRightTime FROM WordRecord"));
        while (q.next()) {
            WordCounters& c = counters[q.value(0).toString().trimmed().toLower()];
            c.RightTimes = q.value(1).toInt();
            c.SeriRightTimes = q.value(2).toInt();
            c.ErrorTimes = q.value(3).toInt();
            c.LastRight = QDate::fromString(q.value(4).toString().left(10), Qt::ISODate);
        }
        q = r.run(QStringLiteral("SELECT Lesson, Mode, Score, EndTime FROM TestRecord"
                                 " WHERE Publisher = ? AND Book = ? AND Finished = 1"
                                 " ORDER BY EndTime, Id"),
                  thisBook);
        while (q.next())
            results[{q.value(0).toString(), q.value(1).toInt()}] = {q.value(2).toInt(), q.value(3)};
        q = r.run(QStringLiteral("SELECT Lesson, Kind, sum(Seconds), sum(Items) FROM PracticeRecord"
                                 " WHERE Publisher = ? AND Book = ? GROUP BY Lesson, Kind"),
                  thisBook);
        while (q.next()) {
            auto& into = q.value(1).toString() == QStringLiteral("read") ? reading : oral;
            into[q.value(0).toString()] = {q.value(2).toLongLong(), q.value(3).toInt()};
        }
    }
    for (const auto& [node, row] : lessonRows) {
        LessonProgress lesson;
        const UnitTreeNode& n = nodes[size_t(node)];
        lesson.Unit = n.Parent >= 0 ? nodes[size_t(n.Parent)].Caption : n.Caption;
        lesson.Lesson = n.Caption;
        for (const int wordRow : LessonWordRows(book, row)) {
            ++lesson.Words;
            const QString word =
                fromGbk(book.Content.Sentences.EnglishText[wordRow]).trimmed().toLower();
            const auto c = counters.constFind(word);
            if (c != counters.constEnd() && !IsNewWord(*c, settings, summary.Today))
                ++lesson.PassedWords;
        }
        const QString name = fromGbk(book.Content.Lessons.Name[row]).trimmed();
        for (int mode = 1; mode <= kRecordedModes; ++mode) {
            const auto result = results.find({name, mode});
            if (result != results.end())
                lesson.Results[size_t(mode - 1)] =
                    ModeResult{true, result->second.first, Local(WallTime(result->second.second))};
        }
        if (const auto o = oral.find(name); o != oral.end())
            lesson.Recordings = o->second.second;
        if (const auto read = reading.find(name); read != reading.end())
            lesson.ReadMinutes = int((read->second.first + 30) / 60);
        summary.Lessons.push_back(std::move(lesson));
    }
    if (!hasFile)
        return summary;

    // The scores of the last finished tests of the book.
    QSqlQuery q = r.run(QStringLiteral("SELECT EndTime, Mode, Score FROM TestRecord"
                                       " WHERE Publisher = ? AND Book = ? AND Finished = 1"
                                       " ORDER BY EndTime DESC, Id DESC LIMIT %1")
                            .arg(kScorePoints),
                        thisBook);
    while (q.next()) {
        const int mode = q.value(1).toInt();
        if (mode >= 1 && mode <= kRecordedModes)
            summary.Scores.push_back({Local(WallTime(q.value(0))), RecordedMode(mode),
                                      std::clamp(q.value(2).toInt(), 0, 100)});
    }
    std::reverse(summary.Scores.begin(), summary.Scores.end());

    // The words of the book's word tests answered wrong most often; ties go
    // to the latest wrong answer. Item compares without letter case.
    const QString wordTests =
        QStringLiteral(" FROM AnswerRecord a JOIN TestRecord t ON t.Id = a.TestId"
                       " WHERE t.Mode IN (2, 3, 4) AND t.Publisher = ? AND t.Book = ?");
    q = r.run(
        QStringLiteral("SELECT a.Item, sum(a.Right = 0) AS Wrong, sum(a.Right = 1),"
                       " max(CASE WHEN a.Right = 0 THEN a.Time END) AS LastWrong, max(a.Time)") +
            wordTests +
            QStringLiteral(" GROUP BY a.Item HAVING Wrong > 0"
                           " ORDER BY Wrong DESC, LastWrong DESC LIMIT %1")
                .arg(kHardWords),
        thisBook);
    QHash<QString, int> hardIndex;
    while (q.next()) {
        HardWord word;
        word.Word = q.value(0).toString();
        word.Wrong = q.value(1).toInt();
        word.Right = q.value(2).toInt();
        word.LastTested = Local(WallTime(q.value(4)));
        hardIndex.insert(word.Word.toLower(), int(summary.HardWords.size()));
        summary.HardWords.push_back(std::move(word));
    }
    if (summary.HardWords.empty())
        return summary;
    // Their commonest wrong spellings, in one pass over the wrong answers.
    q = r.run(QStringLiteral("SELECT a.Item, a.Typed, count(*) AS Times, max(a.Time) AS Latest") +
                  wordTests +
                  QStringLiteral(" AND a.Right = 0 AND a.Typed <> ''"
                                 " GROUP BY a.Item, a.Typed ORDER BY Times DESC, Latest DESC"),
              thisBook);
    while (q.next()) {
        const auto at = hardIndex.constFind(q.value(0).toString().toLower());
        if (at == hardIndex.constEnd())
            continue;
        QStringList& typed = summary.HardWords[size_t(*at)].Misspellings;
        if (typed.size() < kMisspellings)
            typed.append(q.value(1).toString());
    }
    return summary;
}

QString LearningRecord::ExportCsv(const QString& path) const
{
    static const QStringList kHeader{
        QStringLiteral("测试编号"),    QStringLiteral("测试"), QStringLiteral("出版社"),
        QStringLiteral("课本"),        QStringLiteral("课"),   QStringLiteral("开始时间"),
        QStringLiteral("结束时间"),    QStringLiteral("题数"), QStringLiteral("答对"),
        QStringLiteral("得分"),        QStringLiteral("完成"), QStringLiteral("答题时间"),
        QStringLiteral("题目"),        QStringLiteral("输入"), QStringLiteral("对错"),
        QStringLiteral("用时（毫秒）")};
    const auto line = [](const QStringList& fields) {
        QStringList quoted;
        for (const QString& f : fields)
            quoted.append(CsvField(f));
        return quoted.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    };
    QString text = QChar(0xFEFF) + line(kHeader);
    try {
        Reader& r = *reader_;
        if (r.open()) {
            QSqlQuery q = r.run(QStringLiteral(
                "SELECT t.Id, t.Mode, t.Publisher, t.Book, t.Lesson, t.StartTime, t.EndTime,"
                " t.Items, t.RightItems, t.Score, t.Finished, a.Time, a.Item, a.Typed, a.Right,"
                " a.Ms FROM TestRecord t LEFT JOIN AnswerRecord a ON a.TestId = t.Id"
                " ORDER BY t.Id, a.Id"));
            while (q.next()) {
                const int mode = q.value(1).toInt();
                const bool answered = !q.value(11).isNull();
                text +=
                    line({q.value(0).toString(),
                          mode >= 1 && mode <= kRecordedModes ? RecordedModeName(RecordedMode(mode))
                                                              : q.value(1).toString(),
                          q.value(2).toString(), q.value(3).toString(), q.value(4).toString(),
                          q.value(5).toString(), q.value(6).toString(), q.value(7).toString(),
                          q.value(8).toString(), q.value(9).toString(),
                          q.value(10).toInt() == 1 ? QStringLiteral("是") : QStringLiteral("否"),
                          q.value(11).toString(), q.value(12).toString(), q.value(13).toString(),
                          answered ? (q.value(14).toInt() == 1 ? QStringLiteral("对")
                                                               : QStringLiteral("错"))
                                   : QString(),
                          q.value(15).toString()});
            }
        }
    } catch (const WordHistoryError& error) {
        return error.message();
    }
    QSaveFile file(path);
    const QByteArray bytes = text.toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return QStringLiteral("无法写入文件“%1”：%2").arg(path, file.errorString());
    return {};
}

} // namespace zarelo
