// The program's own start-up in this process, over a copy of the real sample
// library and program-folder assets, with SDL's disk driver as the sound
// device: a dictation of the remembered page's lesson, the first word typed
// wrong and every other one right, ends with its score and leaves one
// history row per word in DicData.db, the wrong word with one error and the
// right ones with one right answer each. The recorded output holds
// "Start.wav", then each item's voice range in the asking order, then
// "Succ.wav". With the new-word thresholds set to 1 in the settings file, new
// questions then leave out every word answered right and keep the others.
//
// The expected pieces of audio are rendered by a second engine over the
// manual device from the same bytes; each is looked for in the recording
// after the one before, so the check is of presence and order, not of the
// exact moment the pacing started it.

#include "ProgramRun.h"
#include "base/SettingsKey.h"
#include "book/Gbk.h"
#include "book/PackedFile.h"
#include "quiz/gui/uFrmWordTest.h"
#include "shell/gui/AppContext.h"
#include "shell/gui/uFrmMain.h"
#include "support/ScriptedMessages.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <cmath>
#include <cstdlib>
#include <map>
#include <set>

using namespace zarelo;
using namespace zarelo::e2e;

namespace {

const QString Publisher = QStringLiteral("晨光教育出版社");
const QString Book = QStringLiteral("小学英语三年级上册");

struct HistoryRow {
    int RightTimes = -1;
    int SeriRightTimes = -1;
    int ErrorTimes = -1;
};

std::map<QString, HistoryRow> ReadHistory(const QString& path)
{
    std::map<QString, HistoryRow> rows;
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("e2e"));
        db.setDatabaseName(path);
        if (db.open()) {
            QSqlQuery q(QStringLiteral("SELECT English, RightTimes, SeriRightTimes, ErrorTimes "
                                       "FROM WordRecord"),
                        db);
            while (q.next())
                rows[q.value(0).toString()] = {q.value(1).toInt(), q.value(2).toInt(),
                                               q.value(3).toInt()};
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("e2e"));
    return rows;
}

} // namespace

class DictationRecordsHistory : public QObject {
    Q_OBJECT
private slots:
    void aDictationTypedRightAndWrongLeavesItsHistory();
};

void DictationRecordsHistory::aDictationTypedRightAndWrongLeavesItsHistory()
{
    QTemporaryDir root;
    const RunFolders folders(root.path());
    const QString& programFolder = folders.ProgramFolder;
    const QString& settingsPath = folders.SettingsPath;
    const QString& played = folders.Played;
    CopyProgramParts(folders, Publisher, {"Start.wav", "Succ.wav", "fire2.tga"});
    {
        SettingsKey key(settingsPath);
        key.writeString(QStringLiteral("bookname"), Book);
        key.writeString(QStringLiteral("publicname"), Publisher);
        key.writeString(QStringLiteral("LastPage"), QStringLiteral("3"));
        key.writeString(QStringLiteral("LastVoiceName"), QString());
        key.writeString(QStringLiteral("testarea"), QStringLiteral("1"));
        key.writeString(QStringLiteral("wordnumber"), QStringLiteral("十个"));
        key.writeString(QStringLiteral("waittime"), QStringLiteral("1"));
        // One right answer today with none wrong makes a word passed.
        key.writeString(QStringLiteral("seririghttimes"), QStringLiteral("1"));
        key.writeString(QStringLiteral("lasttestrightdays"), QStringLiteral("1"));
        key.writeString(QStringLiteral("righttestovertimes"), QStringLiteral("1"));
    }
    qputenv("SDL_AUDIODRIVER", "disk");
    qputenv("SDL_DISKAUDIOFILE", played.toLocal8Bit());

    QStringList words;
    std::vector<std::pair<QByteArray, std::pair<double, double>>> ranges; // voice, start, end
    {
        fakes::ScriptedMessages* messages = nullptr;
        AppContext app(ProgramSeams(folders, messages));
        fakes::ScriptedMessages& shown = *messages;
        TfrmMain window(app);
        app.dmMain->DataModuleCreate(); // start-up step 4, as the application does
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY2(shown.shown.isEmpty(), qPrintable(shown.texts().join(u'|')));
        QVERIFY(QFile::exists(programFolder + QStringLiteral("/DicData.db")));

        QTest::mouseClick(window.sbtLessonWord, Qt::LeftButton);
        TfrmWordTest* test = window.frmWordTest;
        QVERIFY(test && test->isVisible());
        QCOMPARE(app.TestState.ActiveMode, 2);
        const int n = test->controller().ItemCount();
        QVERIFY2(n >= 2, "the lesson of page 3 holds words");
        const std::vector<int> offeredFirst = app.TestState.TestCandidates;

        QTest::mouseClick(test->SbtStartTesting, Qt::LeftButton);
        const SentenceTable& t = app.Book.Content.Sentences;
        for (int item = 0; item < n; ++item) {
            QTRY_COMPARE_WITH_TIMEOUT(app.TestState.TestPos, item, 10000);
            const int row = test->controller().CurrentRow();
            const QString word = fromGbk(t.EnglishText[row]).trimmed();
            words << word;
            ranges.push_back({t.VoiceName[row].toByteArray(), {t.StartTime[row], t.EndTime[row]}});
            QTest::keyClicks(test->EdtEnterWord, item == 0 ? QStringLiteral("zzz") : word);
            QTest::keyClick(test->EdtEnterWord, Qt::Key_Return);
            QCOMPARE(test->Label5->text(), item == 0 ? QStringLiteral("╳") : QStringLiteral("√"));
        }
        QTRY_COMPARE_WITH_TIMEOUT(app.TestState.TestState, -1, 10000);
        QCOMPARE(n, 10);
        QCOMPARE(test->LblCore->text(), QStringLiteral("得分：90 分")); // 9 of 10
        QVERIFY(test->SbtShowError->isEnabled());
        QCOMPARE(int(app.TestState.Answers.size()), 1);
        // The first item starts with three blanks in the edit; they are kept as typed.
        QCOMPARE(app.TestState.Answers[0].AnswerInput, QStringLiteral("   zzz"));
        QVERIFY2(shown.shown.isEmpty(), qPrintable(shown.texts().join(u'|')));
        // The end cue plays on its own stream; the recording ends with the
        // engine, so wait until the cue is in it.
        QFile succ(programFolder + QStringLiteral("/Succ.wav"));
        QVERIFY(succ.open(QIODevice::ReadOnly));
        const std::vector<int16_t> succPiece = RenderSound(succ.readAll(), 0, -1);
        QTRY_VERIFY_WITH_TIMEOUT(FindPiece(ReadSamples(played), succPiece, 0) >= 0, 10000);

        // New questions: the words answered right are passed now, the wrong
        // one and any the cut left out are offered again.
        const std::set<QString> rightWords(words.begin() + 1, words.end());
        std::vector<int> expected;
        for (const int row : offeredFirst)
            if (!rightWords.count(fromGbk(t.EnglishText[row]).trimmed()))
                expected.push_back(row);
        QVERIFY(test->SbtRetest->isEnabled());
        QTest::mouseClick(test->SbtRetest, Qt::LeftButton);
        QCOMPARE(app.TestState.ActiveMode, 2);
        QVERIFY(!expected.empty());
        QCOMPARE(app.TestState.TestCandidates, expected);
        for (int item = 0; item < test->controller().ItemCount(); ++item) {
            const int row = app.TestState.TestCandidates[size_t(app.TestState.TestOrder[item])];
            QVERIFY2(!rightWords.count(fromGbk(t.EnglishText[row]).trimmed()),
                     "a passed word is asked again");
        }
        window.close();
    }

    const std::map<QString, HistoryRow> history =
        ReadHistory(programFolder + QStringLiteral("/DicData.db"));
    QCOMPARE(int(history.size()), int(words.size()));
    for (int i = 0; i < words.size(); ++i) {
        const auto found = history.find(words[i]);
        QVERIFY2(found != history.end(), qPrintable(words[i]));
        const HistoryRow& r = found->second;
        if (i == 0) {
            QCOMPARE(r.ErrorTimes, 1);
            QCOMPARE(r.RightTimes, 0);
        } else {
            QCOMPARE(r.RightTimes, 1);
            QCOMPARE(r.SeriRightTimes, 1);
            QCOMPARE(r.ErrorTimes, 0);
        }
    }

    // Heard in order: the start cue, each item's voice range, the end cue.
    const std::vector<int16_t> recording = ReadSamples(played);
    QVERIFY(!recording.empty());
    const QString bookFolder = programFolder + u'/' + Publisher + u'/' + Book + u'/';
    std::vector<std::pair<QString, std::vector<int16_t>>> pieces;
    QFile start(programFolder + QStringLiteral("/Start.wav"));
    QVERIFY(start.open(QIODevice::ReadOnly));
    pieces.push_back({QStringLiteral("Start.wav"), RenderSound(start.readAll(), 0, -1)});
    for (int i = 0; i < words.size(); ++i) {
        const QByteArray voice = UnpackFile(bookFolder + fromGbk(ranges[i].first) + ".wav");
        const double from = ranges[i].second.first;
        pieces.push_back({words[i], RenderSound(voice, from, ranges[i].second.second - from)});
    }
    QFile succ(programFolder + QStringLiteral("/Succ.wav"));
    QVERIFY(succ.open(QIODevice::ReadOnly));
    pieces.push_back({QStringLiteral("Succ.wav"), RenderSound(succ.readAll(), 0, -1)});
    long at = 0;
    for (const auto& [name, piece] : pieces) {
        const long found = FindPiece(recording, piece, at);
        QVERIFY2(found >= 0,
                 qPrintable(QStringLiteral("%1 is not heard after frame %2").arg(name).arg(at)));
        at = found + 1;
    }
}

QTEST_MAIN(DictationRecordsHistory)
#include "DictationRecordsHistory.moc"
