// The learning record in the history file: the layout's upgrade, a damaged
// and a newer file, an answer written with its record row, the summary of a
// known history, the table export and the practice sessions.

#include "quiz/LearningRecord.h"
#include "HistoryFile.h"
#include "book/Gbk.h"
#include "quiz/PracticeTracker.h"
#include "quiz/WordHistoryError.h"
#include "quiz/WordTestSelection.h"
#include "quiz/uDmMain.h"
#include "support/ScriptedMessages.h"
#include "support/TableRows.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

using namespace zarelo;
using testing_history::HistoryFile;

namespace {

const QString kOpenFailed = QStringLiteral("打开数据连接时发生错误！         ");

QDateTime at(int month, int day, int hour, int minute, int second = 0)
{
    return QDateTime(QDate(2026, month, day), QTime(hour, minute, second));
}

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

struct Store {
    QTemporaryDir folder;
    QString path = folder.path() + "/DicData.db";
    TestSettings settings;
    fakes::ScriptedMessages messages;
    QDateTime now = at(3, 1, 10, 0);
    std::unique_ptr<TdmMain> dm;

    Store()
    {
        settings.SeriRightSetting = 1;
        settings.LastRightDaysSetting = 30;
        settings.RightOverSetting = 1;
    }
    TdmMain& open()
    {
        dm = std::make_unique<TdmMain>(folder.path(), settings, messages, [this] { return now; });
        dm->DataModuleCreate();
        return *dm;
    }
    // A file made by hand: `statements` run on a fresh database.
    void makeFile(const QStringList& statements)
    {
        HistoryFile file(path);
        for (const QString& s : statements)
            ASSERT_FALSE(file.row(s).contains("error")) << s.toStdString();
    }
};

} // namespace

TEST(LearningRecordFile, AFileWithTheWordsAloneIsUpgradedInPlaceAndItsWordsKept)
{
    Store s;
    s.makeFile({"CREATE TABLE WordRecord (English VARCHAR(50) NOT NULL COLLATE NOCASE,"
                " RightTimes INTEGER, SeriRightTimes INTEGER, ErrorTimes SMALLINT,"
                " FirstTestTime DATETIME, LastTestRightTime DATETIME, LastTestErrorTime DATETIME,"
                " Chinese VARCHAR(100), Pronounce VARCHAR(50), State VARCHAR(50),"
                " LastTestTime DATETIME)",
                "INSERT INTO WordRecord VALUES ('pear', '4', '2', '1', '2026-01-01 08:00:00',"
                " '2026-02-27 08:00:00', NULL, '梨', 'peə', 'x', NULL)"});
    const auto before = HistoryFile(s.path).all("SELECT * FROM WordRecord");

    TdmMain& dm = s.open();
    EXPECT_TRUE(s.messages.shown.empty());
    ASSERT_TRUE(dm.IsWritable());
    HistoryFile file(s.path);
    EXPECT_EQ(file.row("PRAGMA user_version").value("user_version").toInt(), kHistoryVersion);
    EXPECT_EQ(file.all("SELECT * FROM WordRecord"), before) << "the words are untouched";
    EXPECT_FALSE(dm.IsNotPassedWord("PEAR"));

    const int64_t test = dm.BeginTest(RecordedMode::Dictation, {"P", "B", "Lesson 1"}, 1);
    ASSERT_GT(test, 0);
    const ItemAnswer answer{test, "pear", "pare", false, 1500};
    dm.RecordWrongAnswer("pear", nullptr, &answer);
    EXPECT_EQ(file.row("SELECT ErrorTimes FROM WordRecord").value("ErrorTimes").toInt(), 2);
    const QVariantMap row = file.row("SELECT * FROM AnswerRecord");
    EXPECT_EQ(row.value("TestId").toLongLong(), test);
    EXPECT_EQ(row.value("Item").toString(), "pear");
    EXPECT_EQ(row.value("Typed").toString(), "pare");
    EXPECT_EQ(row.value("Right").toInt(), 0);
    EXPECT_EQ(row.value("Ms").toInt(), 1500);
    EXPECT_EQ(row.value("Time").toString(), "2026-03-01 10:00:00");

    // Reopened: the upgrade is not run twice and nothing is lost.
    s.dm.reset();
    s.open();
    EXPECT_EQ(HistoryFile(s.path).row("SELECT count(*) AS n FROM AnswerRecord").value("n"), 1);
}

TEST(LearningRecordFile, AFileOfANewerProgramIsReadButNeverWritten)
{
    Store s;
    s.makeFile({"CREATE TABLE WordRecord (English VARCHAR(50) NOT NULL COLLATE NOCASE,"
                " RightTimes INTEGER, SeriRightTimes INTEGER, ErrorTimes SMALLINT,"
                " FirstTestTime DATETIME, LastTestRightTime DATETIME, LastTestErrorTime DATETIME,"
                " Chinese VARCHAR(100), Pronounce VARCHAR(50), State VARCHAR(50),"
                " LastTestTime DATETIME, Future TEXT)",
                "INSERT INTO WordRecord (English, RightTimes, SeriRightTimes, ErrorTimes,"
                " LastTestRightTime) VALUES ('pear', 4, 2, 1, '2026-02-27 08:00:00')",
                "PRAGMA user_version = 7"});
    const QByteArray bytes = bytesOf(s.path);

    TdmMain& dm = s.open();
    ASSERT_EQ(s.messages.shown.size(), 1u);
    EXPECT_TRUE(s.messages.shown[0].text.contains(s.path));
    EXPECT_TRUE(s.messages.shown[0].text.contains(QStringLiteral("更新版本")));
    EXPECT_TRUE(dm.IsConnected());
    EXPECT_FALSE(dm.IsWritable());
    EXPECT_FALSE(dm.IsNotPassedWord("pear")) << "its words still decide what is offered";
    EXPECT_TRUE(dm.IsNotPassedWord("plum"));

    EXPECT_EQ(dm.BeginTest(RecordedMode::Dictation, {"P", "B", ""}, 3), 0);
    dm.RecordRightAnswer("pear", nullptr);
    dm.RecordWrongAnswer("plum", nullptr);
    EXPECT_EQ(dm.BeginPractice(PracticeKind::Read, {"P", "B", ""}), 0);
    s.dm.reset();
    EXPECT_EQ(bytesOf(s.path), bytes);
    EXPECT_FALSE(QFile::exists(s.path + "-wal"));
}

TEST(LearningRecordFile, ADamagedFileIsLeftAsItIs)
{
    Store s;
    QByteArray junk("SQLite format 3");
    junk.append(4096, '\x5a');
    {
        QFile f(s.path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(junk);
    }
    TdmMain& dm = s.open();
    ASSERT_EQ(s.messages.shown.size(), 1u);
    EXPECT_EQ(s.messages.shown[0].text, kOpenFailed);
    EXPECT_FALSE(dm.IsConnected());
    EXPECT_EQ(dm.BeginTest(RecordedMode::Sentence, {}, 1), 0);
    EXPECT_NO_THROW(dm.RecordRightAnswer("pear", nullptr));
    s.dm.reset();
    EXPECT_EQ(bytesOf(s.path), junk);
    LearningRecord record(s.path);
    EXPECT_THROW(record.Summarize(OpenBook(), s.settings, s.now), WordHistoryError);
}

// An answer whose record row cannot be written keeps nothing: the counters
// and the row go together.
TEST(LearningRecordFile, AnAnswerWhoseRecordRowFailsKeepsNothing)
{
    Store s;
    TdmMain& dm = s.open();
    dm.RecordRightAnswer("pear", nullptr);
    const ItemAnswer orphan{4242, "pear", "pear", true, 10}; // no such test
    EXPECT_THROW(dm.RecordRightAnswer("pear", nullptr, &orphan), WordHistoryError);
    const ItemAnswer first{4242, "plum", "plum", true, 10};
    EXPECT_THROW(dm.RecordRightAnswer("plum", nullptr, &first), WordHistoryError);
    HistoryFile file(s.path);
    EXPECT_EQ(file.word("pear").value("RightTimes").toInt(), 1);
    EXPECT_TRUE(file.word("plum").isEmpty()) << "the first answer's insert went back too";
    EXPECT_EQ(file.row("SELECT count(*) AS n FROM AnswerRecord").value("n").toInt(), 0);
}

namespace {

// Two lessons under two units: lesson 1 (pages 1-2) with apple and pear,
// lesson 2 (pages 3-4) with cat and dog.
OpenBook TwoLessonBook()
{
    OpenBook book;
    book.CurrentPublisher = "Pub";
    book.CurrentBook = "Book";
    fakes::AddEntry(book, 1, "sent", "Hello, I am Lingling.", QStringLiteral("你好"), "v", 0, 5);
    fakes::AddEntry(book, 1, "word", "apple", QStringLiteral("苹果"), "v", 5, 9);
    fakes::AddEntry(book, 2, "word", "pear", QStringLiteral("梨"), "v", 9, 12);
    fakes::AddEntry(book, 3, "word", "cat", QStringLiteral("猫"), "v", 12, 15);
    fakes::AddEntry(book, 4, "word", "dog", QStringLiteral("狗"), "v", 15, 18);
    for (const char* line : {"Unit 1;Fruit", "Lesson 1;Title", "Unit 2;Pets", "Lesson 2;Title"})
        book.Content.LessonIndexLines.append(QByteArray(line));
    fakes::AddLesson(book, "Lesson 1", 1, 2);
    fakes::AddLesson(book, "Lesson 2", 3, 4);
    return book;
}

} // namespace

TEST(LearningRecordSummary, AKnownHistoryGivesItsCalendarLessonsScoresAndHardWords)
{
    Store s;
    TdmMain& dm = s.open();
    const auto answer = [&](int64_t test, const char* word, const char* typed, bool right) {
        const ItemAnswer a{test, word, typed, right, 1000};
        if (right)
            dm.RecordRightAnswer(word, nullptr, &a);
        else
            dm.RecordWrongAnswer(word, nullptr, &a);
    };
    // A dictation of lesson 1 from 23:50 to 00:10 the next day: 10 minutes each day.
    s.now = at(3, 1, 23, 50);
    const int64_t t1 = dm.BeginTest(RecordedMode::Dictation, {"Pub", "Book", "Lesson 1"}, 3);
    answer(t1, "apple", "aple", false);
    s.now = at(3, 1, 23, 55);
    answer(t1, "pear", "pear", true);
    s.now = at(3, 2, 0, 10);
    dm.EndTest(t1, 1, 33);
    // Reading lesson 2 for 5 minutes; two recordings in lesson 1.
    s.now = at(3, 2, 8, 0);
    dm.UpdatePractice(dm.BeginPractice(PracticeKind::Read, {"Pub", "Book", "Lesson 2"}), 300, 9);
    dm.UpdatePractice(dm.BeginPractice(PracticeKind::Oral, {"Pub", "Book", "Lesson 1"}), 20, 2);
    // A dictation of lesson 2 given up; then a memorising test finished.
    s.now = at(3, 3, 9, 0);
    const int64_t t2 = dm.BeginTest(RecordedMode::Dictation, {"Pub", "Book", "Lesson 2"}, 2);
    answer(t2, "cat", "kat", false);
    answer(t2, "dog", "", false);
    dm.EndTest(t2, 0, std::nullopt);
    const int64_t t3 = dm.BeginTest(RecordedMode::Memorising, {"Pub", "Book", "Lesson 2"}, 2);
    answer(t3, "cat", "kat", false);
    answer(t3, "CAT", "cta", false);
    s.now = at(3, 3, 9, 30);
    answer(t3, "dog", "dgo", false);
    dm.EndTest(t3, 0, 0);
    // A sentence wrong, and another book's words: neither is a hard word here.
    const int64_t t4 = dm.BeginTest(RecordedMode::Sentence, {"Pub", "Book", "Lesson 1"}, 1);
    dm.RecordItem({t4, "Hello, I am Lingling.", "", false, 3000});
    const int64_t t5 = dm.BeginTest(RecordedMode::Dictation, {"Pub", "Other", ""}, 1);
    for (int i = 0; i < 5; ++i)
        answer(t5, "zebra", "zebar", false);

    const OpenBook book = TwoLessonBook();
    LearningRecord record(s.path);
    const LearningSummary summary = record.Summarize(book, s.settings, at(3, 3, 12, 0));

    EXPECT_FALSE(summary.IsEmpty());
    EXPECT_EQ(summary.FirstRecord, QDate(2026, 3, 1));
    ASSERT_EQ(int(summary.Days.size()), CalendarDays(QDate(2026, 3, 3)));
    EXPECT_EQ(summary.Days.back().Day, QDate(2026, 3, 3));
    EXPECT_EQ(summary.Days.front().Day.dayOfWeek(), 1) << "weeks begin on Monday";
    const auto day = [&](int d) { return summary.Days[summary.Days.size() - 1 - (3 - d)]; };
    EXPECT_EQ(day(1).Minutes, 10);
    EXPECT_EQ(day(1).Tests, 1);
    EXPECT_EQ(day(2).Minutes, 16) << "the test's last ten minutes, reading, 20 s of training";
    EXPECT_EQ(day(2).Tests, 0);
    EXPECT_EQ(day(3).Minutes, 30);
    EXPECT_EQ(day(3).Tests, 4);

    ASSERT_EQ(summary.Lessons.size(), 2u);
    const LessonProgress& one = summary.Lessons[0];
    EXPECT_EQ(one.Unit, QStringLiteral("Unit 1 Fruit"));
    EXPECT_EQ(one.Lesson, QStringLiteral("Lesson 1 Title"));
    EXPECT_EQ(one.Words, 2);
    EXPECT_EQ(one.PassedWords, 1) << "pear passed, apple not";
    const ModeResult& dictation = one.Results[size_t(RecordedMode::Dictation) - 1];
    EXPECT_TRUE(dictation.Taken);
    EXPECT_EQ(dictation.Score, 33);
    EXPECT_EQ(dictation.When, at(3, 2, 0, 10));
    EXPECT_EQ(one.Recordings, 2);
    const LessonProgress& two = summary.Lessons[1];
    EXPECT_EQ(two.PassedWords, 0);
    EXPECT_FALSE(two.Results[size_t(RecordedMode::Dictation) - 1].Taken) << "given up";
    EXPECT_TRUE(two.Results[size_t(RecordedMode::Memorising) - 1].Taken);
    EXPECT_EQ(two.ReadMinutes, 5);

    ASSERT_EQ(summary.Scores.size(), 2u) << "finished tests of the book only";
    EXPECT_EQ(summary.Scores[0].Mode, RecordedMode::Dictation);
    EXPECT_EQ(summary.Scores[1].Mode, RecordedMode::Memorising);

    // cat 3 wrong (one typed as "CAT": the same word), dog 2, apple 1.
    ASSERT_EQ(summary.HardWords.size(), 3u);
    EXPECT_EQ(summary.HardWords[0].Word.toLower(), "cat");
    EXPECT_EQ(summary.HardWords[0].Wrong, 3);
    EXPECT_EQ(summary.HardWords[0].Misspellings, (QStringList{"kat", "cta"}));
    EXPECT_EQ(summary.HardWords[1].Word, "dog");
    EXPECT_EQ(summary.HardWords[1].Misspellings, (QStringList{"dgo"}))
        << "nothing typed is no spelling";
    EXPECT_EQ(summary.HardWords[1].LastTested, at(3, 3, 9, 30));
    EXPECT_EQ(summary.HardWords[2].Word, "apple");
    EXPECT_EQ(summary.HardWords[2].Right, 0);

    // The words turned back into entries of the book for "错词听写".
    QStringList words;
    for (const HardWord& w : summary.HardWords)
        words << w.Word;
    EXPECT_EQ(WordRowsOf(book, words), (std::vector<int>{3, 4, 1}));
}

TEST(LearningRecordSummary, TiesGoToTheLatestWrongAnswerAndANewHistoryIsEmpty)
{
    Store s;
    TdmMain& dm = s.open();
    const OpenBook book = TwoLessonBook();
    EXPECT_TRUE(LearningRecord(s.path).Summarize(book, s.settings, s.now).IsEmpty());
    EXPECT_TRUE(
        LearningRecord(s.folder.path() + "/none.db").Summarize(book, s.settings, s.now).IsEmpty());

    const int64_t t = dm.BeginTest(RecordedMode::Dictation, {"Pub", "Book", ""}, 4);
    for (const char* word : {"pear", "apple", "dog"}) {
        s.now = s.now.addSecs(60);
        const ItemAnswer a{t, word, "x", false, 1};
        dm.RecordWrongAnswer(word, nullptr, &a);
    }
    const LearningSummary summary = LearningRecord(s.path).Summarize(book, s.settings, s.now);
    ASSERT_EQ(summary.HardWords.size(), 3u);
    EXPECT_EQ(summary.HardWords[0].Word, "dog");
    EXPECT_EQ(summary.HardWords[2].Word, "pear");
}

namespace {

// A CSV reader as spreadsheet programs read it: quoted fields may hold
// commas, doubled quotes and line breaks.
QList<QStringList> ReadCsv(const QString& text)
{
    QList<QStringList> lines{{}};
    QString field;
    bool quoted = false;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"')
                field += '"', ++i;
            else if (c == '"')
                quoted = false;
            else
                field += c;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            lines.last() << field, field.clear();
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            lines.last() << field, field.clear();
            lines.append(QStringList());
            ++i;
        } else {
            field += c;
        }
    }
    lines.removeLast();
    return lines;
}

} // namespace

TEST(LearningRecordExport, TheTableReadsBackWithItsQuotingAndChinese)
{
    Store s;
    TdmMain& dm = s.open();
    const int64_t sentence =
        dm.BeginTest(RecordedMode::Sentence, {"人教版", "Book", "Lesson 1"}, 2);
    dm.RecordItem({sentence, "He said, \"Hi\".", "Hello, \"Tom\"\nbye", false, 2500});
    dm.RecordItem({sentence, "Good morning", "Good morning", true, 900});
    dm.EndTest(sentence, 1, 50);
    dm.BeginTest(RecordedMode::Dictation, {"人教版", "Book", ""}, 3); // no answers yet

    const QString path = s.folder.path() + "/out.csv";
    ASSERT_EQ(LearningRecord(s.path).ExportCsv(path), QString());
    const QByteArray bytes = bytesOf(path);
    ASSERT_TRUE(bytes.startsWith("\xEF\xBB\xBF")) << "the byte-order mark";
    const QList<QStringList> lines = ReadCsv(QString::fromUtf8(bytes.mid(3)));
    ASSERT_EQ(lines.size(), 4);
    for (const QStringList& line : lines)
        EXPECT_EQ(line.size(), lines[0].size());
    EXPECT_EQ(lines[0][12], QStringLiteral("题目"));
    EXPECT_EQ(lines[1][1], QStringLiteral("句子听力"));
    EXPECT_EQ(lines[1][2], QStringLiteral("人教版"));
    EXPECT_EQ(lines[1][12], "He said, \"Hi\".");
    EXPECT_EQ(lines[1][13], "Hello, \"Tom\"\nbye");
    EXPECT_EQ(lines[1][14], QStringLiteral("错"));
    EXPECT_EQ(lines[1][15], "2500");
    EXPECT_EQ(lines[2][9], "50");
    EXPECT_EQ(lines[3][1], QStringLiteral("单词听写"));
    EXPECT_TRUE(lines[3][12].isEmpty()) << "a test without answers has its own line";

    const QString blocked = s.folder.path() + "/no/such/folder/out.csv";
    EXPECT_TRUE(LearningRecord(s.path).ExportCsv(blocked).contains(blocked));
}

namespace {

struct Journal final : PracticeJournal {
    struct Row {
        PracticeKind Kind;
        RecordPlace Place;
        int64_t Seconds = 0;
        int Items = 0;
    };
    std::vector<Row> rows;
    bool fail = false;
    int64_t BeginPractice(PracticeKind kind, const RecordPlace& place) override
    {
        if (fail)
            throw WordHistoryError("PracticeRecord cannot be written");
        rows.push_back({kind, place});
        return int64_t(rows.size());
    }
    void UpdatePractice(int64_t id, int64_t seconds, int items) override
    {
        rows.at(size_t(id - 1)).Seconds = seconds;
        rows.at(size_t(id - 1)).Items = items;
    }
};

} // namespace

TEST(PracticeSessions, ReadingLastsUntilAMinuteWithoutPlayingOrAModeChange)
{
    Journal journal;
    QDateTime now = at(3, 1, 8, 0);
    QStringList reports;
    PracticeTracker reading(
        PracticeKind::Read, journal, [&] { return now; },
        [] {
            return RecordPlace{"Pub", "Book", "Lesson 1"};
        },
        [&](const QString& text) { reports << text; });

    reading.Played(1);
    now = now.addSecs(20);
    reading.Played(1);
    now = now.addSecs(10);
    reading.Paused();
    now = now.addSecs(59);
    reading.Played(1); // within the minute: the same session
    now = now.addSecs(11);
    reading.Paused();
    ASSERT_EQ(journal.rows.size(), 1u);
    EXPECT_EQ(journal.rows[0].Seconds, 100);
    EXPECT_EQ(journal.rows[0].Items, 3);
    EXPECT_EQ(journal.rows[0].Place.Lesson, "Lesson 1");

    now = now.addSecs(60);
    reading.Played(1); // a minute after the stop: a new session
    now = now.addSecs(45);
    reading.Ended(); // the mode changes while reading
    ASSERT_EQ(journal.rows.size(), 2u);
    EXPECT_EQ(journal.rows[0].Seconds, 100) << "the first ended at its stop";
    EXPECT_EQ(journal.rows[1].Seconds, 45);
    EXPECT_EQ(journal.rows[1].Items, 1);
    now = now.addSecs(5);
    reading.Played(1);
    EXPECT_EQ(journal.rows.size(), 3u) << "after a mode change, a new session at once";

    // A record that cannot be written is said once; practice is then not recorded.
    journal.fail = true;
    reading.Ended();
    reading.Played(1);
    now = now.addSecs(5);
    reading.Played(1);
    EXPECT_EQ(reports.size(), 1);
}
