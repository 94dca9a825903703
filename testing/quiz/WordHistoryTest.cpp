#include "HistoryFile.h"
#include "quiz/WordHistoryError.h"
#include "quiz/uDmMain.h"
#include "support/ScriptedMessages.h"

#include <QDir>
#include <QFile>
#include <QObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

using namespace zarelo;
using testing_history::HistoryFile;

namespace {

const QString kOpenFailed = QStringLiteral("打开数据连接时发生错误！         ");
const QString kInsertFailed = QStringLiteral("保存记录时发生错误，可能该单词已存在!         ");

QDateTime at(int year, int month, int day, int hour, int minute, int second = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second));
}

// A program folder of its own, the store over it with a clock the test sets,
// and the file read back behind the store's back.
struct History {
    QTemporaryDir folder;
    QString programFolder = folder.path();
    TestSettings settings;
    fakes::ScriptedMessages messages;
    QDateTime now = at(2026, 3, 1, 10, 0);
    std::unique_ptr<TdmMain> dmMain;

    History()
    {
        settings.SeriRightSetting = 3;
        settings.LastRightDaysSetting = 3;
        settings.RightOverSetting = 3;
    }

    TdmMain& open()
    {
        dmMain =
            std::make_unique<TdmMain>(programFolder, settings, messages, [this] { return now; });
        dmMain->DataModuleCreate();
        return *dmMain;
    }

    void answer(const QString& word, bool right, int times = 1)
    {
        for (int i = 0; i < times; ++i) {
            if (right)
                dmMain->RecordRightAnswer(word, nullptr);
            else
                dmMain->RecordWrongAnswer(word, nullptr);
        }
    }

    QVariantMap row(const QString& word) const
    {
        return HistoryFile(programFolder + "/DicData.db").word(word);
    }
};

} // namespace

TEST(WordHistory, FirstWrongThenRightFillsTheEmptyCounters)
{
    History h;
    h.open();
    ASSERT_TRUE(h.dmMain->IsConnected());
    h.dmMain->RecordWrongAnswer("apple", nullptr);

    QVariantMap row = h.row("apple");
    EXPECT_EQ(row["English"].toString(), "apple");
    EXPECT_EQ(row["ErrorTimes"], QVariant(1));
    EXPECT_TRUE(row["RightTimes"].isNull());
    EXPECT_TRUE(row["SeriRightTimes"].isNull());
    EXPECT_EQ(row["FirstTestTime"].toString(), "2026-03-01 10:00:00");
    EXPECT_EQ(row["LastTestErrorTime"].toString(), "2026-03-01 10:00:00");
    EXPECT_TRUE(row["LastTestRightTime"].isNull());
    for (const char* unused : {"Chinese", "Pronounce", "State", "LastTestTime"})
        EXPECT_TRUE(row[unused].isNull()) << unused;

    h.now = at(2026, 3, 2, 8, 30, 15);
    h.dmMain->RecordRightAnswer("apple", nullptr);
    row = h.row("apple");
    EXPECT_EQ(row["RightTimes"], QVariant(1));
    EXPECT_EQ(row["SeriRightTimes"], QVariant(1));
    EXPECT_EQ(row["ErrorTimes"], QVariant(1));
    EXPECT_EQ(row["LastTestRightTime"].toString(), "2026-03-02 08:30:15");
    EXPECT_EQ(row["LastTestErrorTime"].toString(), "2026-03-01 10:00:00");
    EXPECT_EQ(row["FirstTestTime"].toString(), "2026-03-01 10:00:00");

    // A first right answer leaves the error side empty.
    h.dmMain->RecordRightAnswer("pear", nullptr);
    row = h.row("pear");
    EXPECT_EQ(row["RightTimes"], QVariant(1));
    EXPECT_EQ(row["SeriRightTimes"], QVariant(1));
    EXPECT_TRUE(row["ErrorTimes"].isNull());
    EXPECT_TRUE(row["LastTestErrorTime"].isNull());
    EXPECT_TRUE(h.messages.shown.isEmpty());

    // Counters are written as decimal text and kept as integers.
    const QVariantMap types =
        HistoryFile(h.programFolder + "/DicData.db")
            .row("SELECT typeof(RightTimes) AS r, typeof(SeriRightTimes) AS s,"
                 " typeof(ErrorTimes) AS e FROM WordRecord WHERE English = 'apple'");
    EXPECT_EQ(types["r"].toString(), "integer");
    EXPECT_EQ(types["s"].toString(), "integer");
    EXPECT_EQ(types["e"].toString(), "integer");
}

TEST(WordHistory, RightRunsEndAtAWrongAnswerWhichNeverLowersRightTimes)
{
    History h;
    h.open();
    h.answer("school", true, 3);
    QVariantMap row = h.row("school");
    EXPECT_EQ(row["RightTimes"], QVariant(3));
    EXPECT_EQ(row["SeriRightTimes"], QVariant(3));
    EXPECT_TRUE(row["ErrorTimes"].isNull());

    h.now = at(2026, 3, 1, 11, 0);
    h.answer("school", false);
    row = h.row("school");
    EXPECT_EQ(row["RightTimes"], QVariant(3));
    EXPECT_EQ(row["SeriRightTimes"], QVariant(0));
    EXPECT_EQ(row["ErrorTimes"], QVariant(1));
    EXPECT_EQ(row["LastTestErrorTime"].toString(), "2026-03-01 11:00:00");
    EXPECT_EQ(row["LastTestRightTime"].toString(), "2026-03-01 10:00:00");

    h.answer("school", true);
    h.answer("school", false, 2);
    h.answer("school", true, 2);
    row = h.row("school");
    EXPECT_EQ(row["RightTimes"], QVariant(6));
    EXPECT_EQ(row["SeriRightTimes"], QVariant(2));
    EXPECT_EQ(row["ErrorTimes"], QVariant(3));
    // Other words keep their own rows.
    h.answer("desk", false);
    EXPECT_EQ(h.row("school")["ErrorTimes"], QVariant(3));
    EXPECT_EQ(h.row("desk")["ErrorTimes"], QVariant(1));
}

TEST(WordHistory, NewWordRuleOffersAWordBelowAnyOfItsFourBorders)
{
    History h;
    TdmMain& dm = h.open();
    EXPECT_TRUE(dm.IsNotPassedWord("apple")); // no row

    // Right 4, wrong 1, then right 3: a run of 3, last right today,
    // right minus wrong 6.
    h.answer("apple", true, 4);
    h.answer("apple", false);
    h.answer("apple", true, 3);
    h.settings.RightOverSetting = 6;
    EXPECT_FALSE(dm.IsNotPassedWord("apple")); // every condition just met: passed

    h.settings.SeriRightSetting = 4; // run below S
    EXPECT_TRUE(dm.IsNotPassedWord("apple"));
    h.settings.SeriRightSetting = 3;

    h.settings.RightOverSetting = 7; // right minus wrong below R
    EXPECT_TRUE(dm.IsNotPassedWord("apple"));
    h.settings.RightOverSetting = 6;

    h.now = at(2026, 3, 4, 23, 59, 59); // exactly D days back
    EXPECT_FALSE(dm.IsNotPassedWord("apple"));
    h.now = at(2026, 3, 5, 0, 0, 0); // more than D days back
    EXPECT_TRUE(dm.IsNotPassedWord("apple"));
    h.settings.LastRightDaysSetting = 4;
    EXPECT_FALSE(dm.IsNotPassedWord("apple"));

    // Never answered right: offered whatever the other counters say.
    h.answer("pear", false);
    h.settings.SeriRightSetting = 0;
    h.settings.LastRightDaysSetting = 10;
    h.settings.RightOverSetting = -1;
    EXPECT_TRUE(dm.IsNotPassedWord("pear"));
    EXPECT_FALSE(dm.IsNotPassedWord("apple"));

    // Looked up by the trimmed word, without regard to letter case, as the
    // test building passes the untrimmed English text.
    EXPECT_FALSE(dm.IsNotPassedWord("  apple \t"));
    EXPECT_FALSE(dm.IsNotPassedWord("Apple"));
    h.dmMain->RecordRightAnswer(" APPLE ", nullptr);
    EXPECT_EQ(h.row("apple")["RightTimes"], QVariant(8));
    EXPECT_EQ(HistoryFile(h.programFolder + "/DicData.db")
                  .row("SELECT count(*) AS n FROM WordRecord")["n"],
              QVariant(2));
    EXPECT_TRUE(h.messages.shown.isEmpty());
}

TEST(WordHistory, DaysAreCalendarDaysCountedAcrossMidnight)
{
    History h;
    TdmMain& dm = h.open();
    h.now = at(2026, 3, 1, 23, 59, 30);
    h.answer("night", true, 3);
    EXPECT_EQ(h.row("night")["LastTestRightTime"].toString(), "2026-03-01 23:59:30");

    h.now = at(2026, 3, 2, 0, 0, 10); // 40 seconds later, one day on
    EXPECT_FALSE(dm.IsNotPassedWord("night"));
    h.now = at(2026, 3, 4, 23, 59, 59);
    EXPECT_FALSE(dm.IsNotPassedWord("night"));
    h.now = at(2026, 3, 5, 0, 0, 10); // three days and 40 seconds later, four days on
    EXPECT_TRUE(dm.IsNotPassedWord("night"));

    // Across the end of a year and of February.
    h.now = at(2026, 12, 31, 23, 0);
    h.answer("night", true);
    h.now = at(2027, 1, 3, 23, 59);
    EXPECT_FALSE(dm.IsNotPassedWord("night"));
    h.now = at(2027, 1, 4, 0, 1);
    EXPECT_TRUE(dm.IsNotPassedWord("night"));
    h.now = at(2028, 2, 27, 9, 0);
    h.answer("night", true);
    h.now = at(2028, 3, 1, 9, 0); // 2028 is a leap year: three days
    EXPECT_FALSE(dm.IsNotPassedWord("night"));
    h.now = at(2028, 3, 2, 9, 0);
    EXPECT_TRUE(dm.IsNotPassedWord("night"));
}

TEST(WordHistory, WordsWithApostrophesAreWordsLikeAnyOther)
{
    History h;
    TdmMain& dm = h.open();
    h.answer("don't", true, 3);
    h.answer("o'clock", false);
    h.answer("'", true);
    EXPECT_FALSE(dm.IsNotPassedWord("don't"));
    EXPECT_TRUE(dm.IsNotPassedWord("o'clock"));
    EXPECT_EQ(h.row("don't")["RightTimes"], QVariant(3));
    EXPECT_EQ(h.row("o'clock")["ErrorTimes"], QVariant(1));
    EXPECT_EQ(h.row("'")["RightTimes"], QVariant(1));

    // Text that would change a query pasted together from pieces is a word.
    const QString sneaky = "x' OR English = 'don't";
    EXPECT_TRUE(dm.IsNotPassedWord(sneaky));
    h.answer(sneaky, false);
    EXPECT_EQ(h.row(sneaky)["ErrorTimes"], QVariant(1));
    EXPECT_EQ(h.row("don't")["SeriRightTimes"], QVariant(3));
    h.answer("x'); DROP TABLE WordRecord; --", true);
    EXPECT_EQ(HistoryFile(h.programFolder + "/DicData.db")
                  .row("SELECT count(*) AS n FROM WordRecord")["n"],
              QVariant(5));
    EXPECT_TRUE(h.messages.shown.isEmpty());
}

TEST(WordHistory, WithoutADatabaseEveryWordIsOfferedAfterOneMessage)
{
    // The program folder lies below a plain file: nothing can be created.
    QTemporaryDir root;
    QFile blocker(root.path() + "/file");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    History h;
    h.programFolder = root.path() + "/file/folder";
    TdmMain& dm = h.open();
    EXPECT_FALSE(dm.IsConnected());
    ASSERT_EQ(h.messages.shown.size(), 1);
    EXPECT_EQ(h.messages.shown[0].text, kOpenFailed);
    EXPECT_EQ(h.messages.shown[0].caption, "提示");
    EXPECT_EQ(h.messages.shown[0].owner, nullptr);

    EXPECT_TRUE(dm.IsNotPassedWord("apple"));
    QObject window;
    EXPECT_NO_THROW(dm.RecordRightAnswer("apple", &window));
    EXPECT_NO_THROW(dm.RecordWrongAnswer("apple", &window));
    EXPECT_TRUE(dm.IsNotPassedWord("apple"));
    dm.DataModuleCreate();
    EXPECT_EQ(h.messages.shown.size(), 1);

    // A file that is no database is reported the same way and left as it is.
    History g;
    const QByteArray notADatabase(4096, 'x');
    {
        QFile file(g.programFolder + "/DicData.db");
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(notADatabase);
    }
    TdmMain& other = g.open();
    EXPECT_FALSE(other.IsConnected());
    EXPECT_EQ(g.messages.texts(), QStringList{kOpenFailed});
    EXPECT_TRUE(other.IsNotPassedWord("apple"));
    EXPECT_NO_THROW(other.RecordRightAnswer("apple", &window));
    g.dmMain.reset();
    QFile file(g.programFolder + "/DicData.db");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), notADatabase);
}

TEST(WordHistory, AFreshFolderGetsFileTableAndIndexWhichTheNextOpenReuses)
{
    History h;
    EXPECT_FALSE(QFile::exists(h.programFolder + "/DicData.db"));
    h.open();
    ASSERT_TRUE(h.dmMain->IsConnected());
    EXPECT_EQ(h.dmMain->databasePath(), h.programFolder + "/DicData.db");
    EXPECT_TRUE(QFile::exists(h.programFolder + "/DicData.db"));
    {
        HistoryFile file(h.programFolder + "/DicData.db");
        QStringList columns;
        for (const auto& column : file.all("PRAGMA table_info(WordRecord)"))
            columns << column["name"].toString();
        EXPECT_EQ(columns, QStringList({"English", "RightTimes", "SeriRightTimes", "ErrorTimes",
                                        "FirstTestTime", "LastTestRightTime", "LastTestErrorTime",
                                        "Chinese", "Pronounce", "State", "LastTestTime"}));
        const auto indexes = file.all("PRAGMA index_list(WordRecord)");
        ASSERT_EQ(indexes.size(), 1);
        EXPECT_EQ(indexes[0]["unique"], QVariant(1));
        const auto indexed =
            file.all(QString("PRAGMA index_info(%1)").arg(indexes[0]["name"].toString()));
        ASSERT_EQ(indexed.size(), 1);
        EXPECT_EQ(indexed[0]["name"].toString(), "English");
    }
    h.answer("apple", true, 3);

    // Two stores at once, each with its own connection.
    History other;
    other.open();
    other.answer("apple", false);
    EXPECT_EQ(other.row("apple")["ErrorTimes"], QVariant(1));

    h.dmMain.reset();
    h.now = at(2026, 3, 2, 9, 0);
    TdmMain& again = h.open();
    ASSERT_TRUE(again.IsConnected());
    EXPECT_FALSE(again.IsNotPassedWord("apple"));
    h.answer("apple", true);
    EXPECT_EQ(h.row("apple")["RightTimes"], QVariant(4));
    EXPECT_EQ(HistoryFile(h.programFolder + "/DicData.db")
                  .row("SELECT count(*) AS n FROM WordRecord")["n"],
              QVariant(1));
    EXPECT_TRUE(h.messages.shown.isEmpty());
    EXPECT_TRUE(other.messages.shown.isEmpty());
}

TEST(WordHistory, AFailedInsertIsReportedOnTheWindowAndAFailedUpdateIsThrown)
{
    History h;
    TdmMain& dm = h.open();
    QObject window;
    h.answer("apple", true);

    // The word has its row already.
    EXPECT_FALSE(dm.AppendWordRecord("apple", false, &window));
    ASSERT_EQ(h.messages.shown.size(), 1);
    EXPECT_EQ(h.messages.shown[0].text, kInsertFailed);
    EXPECT_EQ(h.messages.shown[0].caption, "提示");
    EXPECT_EQ(h.messages.shown[0].owner, &window);
    EXPECT_TRUE(h.row("apple")["ErrorTimes"].isNull());
    EXPECT_TRUE(dm.AppendWordRecord("pear", false, &window));
    EXPECT_EQ(h.row("pear")["ErrorTimes"], QVariant(1));
    h.messages.shown.clear();

    // The file refuses new rows: the first answer of a word is not recorded,
    // and the test goes on.
    HistoryFile file(h.programFolder + "/DicData.db");
    ASSERT_TRUE(file.exec("CREATE TRIGGER refuse_insert BEFORE INSERT ON WordRecord"
                          " BEGIN SELECT RAISE(ABORT, 'disk says no'); END"));
    EXPECT_NO_THROW(dm.RecordWrongAnswer("plum", &window));
    EXPECT_EQ(h.messages.texts(), QStringList{kInsertFailed});
    EXPECT_EQ(h.messages.shown[0].owner, &window);
    EXPECT_TRUE(h.row("plum").isEmpty());
    ASSERT_TRUE(file.exec("DROP TRIGGER refuse_insert"));
    h.messages.shown.clear();

    // The file refuses changes: the answer is thrown with its facts and
    // nothing of it is kept.
    ASSERT_TRUE(file.exec("CREATE TRIGGER refuse_update BEFORE UPDATE ON WordRecord"
                          " BEGIN SELECT RAISE(ABORT, 'disk says no'); END"));
    try {
        dm.RecordWrongAnswer("apple", &window);
        ADD_FAILURE() << "no error thrown";
    } catch (const WordHistoryError& e) {
        EXPECT_TRUE(e.message().contains("apple")) << e.what();
        EXPECT_TRUE(e.message().contains(h.programFolder + "/DicData.db")) << e.what();
        EXPECT_TRUE(e.message().contains("disk says no")) << e.what();
    }
    EXPECT_THROW(dm.RecordRightAnswer("apple", &window), BookError);
    EXPECT_TRUE(h.messages.shown.isEmpty());
    ASSERT_TRUE(file.exec("DROP TRIGGER refuse_update"));
    const QVariantMap row = h.row("apple");
    EXPECT_EQ(row["RightTimes"], QVariant(1));
    EXPECT_TRUE(row["ErrorTimes"].isNull());

    // The failed answers left no transaction open behind them.
    h.answer("apple", false);
    h.answer("plum", true);
    EXPECT_EQ(h.row("apple")["ErrorTimes"], QVariant(1));
    EXPECT_EQ(h.row("plum")["RightTimes"], QVariant(1));
    EXPECT_TRUE(h.messages.shown.isEmpty());
}
