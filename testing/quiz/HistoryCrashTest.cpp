// The history survives its writer being killed at any moment: a child process
// answers words one after the other, each with its learning record row, and
// reports each answer that returned; the test kills it (SIGKILL) in the
// middle, reopens the file and finds every reported answer with its record
// row, whole, and no damaged row. Three rounds on the same file, so each
// round also starts from a file whose writer was killed.
#include "HistoryAnswers.h"
#include "HistoryFile.h"
#include "quiz/uDmMain.h"
#include "support/ScriptedMessages.h"

#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zarelo;
using testing_history::HistoryFile;

namespace {

struct Counters {
    int right = 0, seri = 0, error = 0;
    bool operator==(const Counters&) const = default;
};

// What the file holds after the first `answers` answers of the sequence.
QMap<QString, Counters> expectedAfter(int answers)
{
    QMap<QString, Counters> words;
    for (int i = 0; i < answers; ++i) {
        Counters& c = words[history_answers::word(i)];
        if (history_answers::right(i)) {
            ++c.right;
            ++c.seri;
        } else {
            ++c.error;
            c.seri = 0;
        }
    }
    return words;
}

QMap<QString, Counters> readCounters(const HistoryFile& file)
{
    QMap<QString, Counters> words;
    for (const auto& row : file.all("SELECT * FROM WordRecord")) {
        words[row["English"].toString()] = {
            row["RightTimes"].toInt(), row["SeriRightTimes"].toInt(), row["ErrorTimes"].toInt()};
    }
    return words;
}

} // namespace

TEST(HistoryCrash, AKilledWriterLosesNoFinishedAnswerAndDamagesNoRow)
{
    QTemporaryDir folder;
    const QString path = folder.path() + "/DicData.db";
    int recorded = 0; // answers the file holds after the last round
    for (const int killAfter : {25, 160, 410}) {
        QProcess writer;
        writer.start(HISTORY_WRITER, {folder.path(), QString::number(recorded), "1000000"});
        ASSERT_TRUE(writer.waitForStarted());

        int reported = recorded; // answers the writer said had returned
        QByteArray pending;
        auto readReports = [&] {
            pending += writer.readAllStandardOutput();
            int end;
            while ((end = pending.indexOf('\n')) >= 0) {
                reported = pending.left(end).toInt() + 1;
                pending.remove(0, end + 1);
            }
        };
        while (reported < recorded + killAfter) {
            ASSERT_TRUE(writer.waitForReadyRead(60000))
                << "writer stopped: " << writer.readAllStandardError().toStdString();
            readReports();
        }
        writer.kill();
        ASSERT_TRUE(writer.waitForFinished(60000));
        ASSERT_EQ(writer.exitStatus(), QProcess::CrashExit) << "the writer ran to its end";
        readReports();

        HistoryFile file(path);
        ASSERT_TRUE(file.opened());
        EXPECT_EQ(file.row("PRAGMA integrity_check").value("integrity_check").toString(), "ok");
        for (const auto& row : file.all("SELECT * FROM WordRecord")) {
            EXPECT_FALSE(row["FirstTestTime"].isNull()) << row["English"].toString().toStdString();
            EXPECT_LE(row["SeriRightTimes"].toInt(), row["RightTimes"].toInt());
        }
        // The answer in flight when the kill came may have been committed
        // without being reported; nothing else may differ.
        const QMap<QString, Counters> found = readCounters(file);
        if (found == expectedAfter(reported))
            recorded = reported;
        else if (found == expectedAfter(reported + 1))
            recorded = reported + 1;
        else
            FAIL() << "the file does not hold the " << reported << " reported answers";

        // Exactly one whole record row per answer the counters hold, and each
        // round's test counts the right ones among its rows.
        const auto rows = file.all("SELECT Item, Typed, Right, Ms FROM AnswerRecord ORDER BY Id");
        ASSERT_EQ(rows.size(), recorded);
        for (int i = 0; i < recorded; ++i) {
            ASSERT_EQ(rows[i]["Ms"].toInt(), i);
            EXPECT_EQ(rows[i]["Item"].toString(), history_answers::word(i));
            EXPECT_EQ(rows[i]["Typed"].toString(), history_answers::typed(i));
            EXPECT_EQ(rows[i]["Right"].toInt() == 1, history_answers::right(i));
        }
        for (const auto& test : file.all(
                 "SELECT t.RightItems, (SELECT count(*) FROM AnswerRecord a WHERE a.TestId = t.Id"
                 " AND a.Right = 1) AS Counted FROM TestRecord t"))
            EXPECT_EQ(test["RightItems"], test["Counted"]);
    }

    // The store itself opens the file and goes on from it.
    TestSettings settings;
    fakes::ScriptedMessages messages;
    TdmMain dmMain(folder.path(), settings, messages);
    dmMain.DataModuleCreate();
    ASSERT_TRUE(dmMain.IsConnected());
    dmMain.RecordWrongAnswer(history_answers::word(0), nullptr);
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_EQ(HistoryFile(path).word(history_answers::word(0))["ErrorTimes"].toInt(),
              expectedAfter(recorded)[history_answers::word(0)].error + 1);
}
