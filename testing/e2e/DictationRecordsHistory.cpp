// The program's own start-up in this process, over a copy of the real sample
// library and program-folder assets, with SDL's disk driver as the sound
// device: a dictation of the remembered page's lesson, the first word typed
// wrong and every other one right, ends with its score and leaves one
// history row per word in DicData.db, the wrong word with one error and the
// right ones with one right answer each.

#include "audio/SdlAudioDevice.h"
#include "book/Gbk.h"
#include "book/SettingsKey.h"
#include "shell/gui/AppContext.h"
#include "shell/gui/uFrmMain.h"
#include "support/ScriptedMessages.h"
#include "tests/FinishEffect.h"
#include "tests/gui/uFrmWordTest.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <map>

using namespace zarelo;

namespace {

const QString Publisher = QStringLiteral("晨光教育出版社");
const QString Book = QStringLiteral("小学英语三年级上册");

void CopyFolder(const QString& from, const QString& to)
{
    QDirIterator it(from, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString target = to + source.mid(from.size());
        QDir().mkpath(QFileInfo(target).absolutePath());
        QVERIFY(QFile::copy(source, target));
    }
}

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
    const QString programFolder = root.path() + QStringLiteral("/program");
    const QString settingsPath =
        root.path() + QStringLiteral("/config/ZareloEnglish/ZareloEnglish.ini");
    const QString played = root.path() + QStringLiteral("/played.raw");
    const QString assets = qEnvironmentVariable("ZARELO_PROGRAM_DIR");
    CopyFolder(assets + u'/' + Publisher, programFolder + u'/' + Publisher);
    for (const char* name : {"Start.wav", "Succ.wav", "fire2.tga"})
        QVERIFY(QFile::copy(assets + u'/' + QLatin1String(name),
                            programFolder + u'/' + QLatin1String(name)));
    {
        SettingsKey key(settingsPath);
        key.writeString(QStringLiteral("bookname"), Book);
        key.writeString(QStringLiteral("publicname"), Publisher);
        key.writeString(QStringLiteral("LastPage"), QStringLiteral("3"));
        key.writeString(QStringLiteral("LastVoiceName"), QString());
        key.writeString(QStringLiteral("testarea"), QStringLiteral("1"));
        key.writeString(QStringLiteral("wordnumber"), QStringLiteral("十个"));
        key.writeString(QStringLiteral("waittime"), QStringLiteral("1"));
    }
    qputenv("SDL_AUDIODRIVER", "disk");
    qputenv("SDL_DISKAUDIOFILE", played.toLocal8Bit());

    QStringList words;
    {
        AppSeams seams;
        seams.ProgramFolder = programFolder;
        seams.SettingsPath = settingsPath;
        auto messages = std::make_unique<fakes::ScriptedMessages>();
        fakes::ScriptedMessages& shown = *messages;
        seams.Messages = std::move(messages);
        seams.Ticks = std::make_unique<SystemTicks>();
        seams.Device = MakeSdlAudioDevice();
        AppContext app(std::move(seams));
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

        QTest::mouseClick(test->SbtStartTesting, Qt::LeftButton);
        const SentenceTable& t = app.Book.Content.Sentences;
        for (int item = 0; item < n; ++item) {
            QTRY_COMPARE_WITH_TIMEOUT(app.TestState.TestPos, item, 10000);
            const int row = test->controller().CurrentRow();
            const QString word = fromGbk(t.EnglishText[row]).trimmed();
            words << word;
            QTest::keyClicks(test->EdtEnterWord, item == 0 ? QStringLiteral("zzz") : word);
            QTest::keyClick(test->EdtEnterWord, Qt::Key_Return);
            QCOMPARE(test->Label5->text(), item == 0 ? QStringLiteral("╳") : QStringLiteral("√"));
        }
        QTRY_COMPARE_WITH_TIMEOUT(app.TestState.TestState, -1, 10000);
        QCOMPARE(test->LblCore->text(), ScoreText(ScorePercent(n - 1, n)));
        QVERIFY(test->SbtShowError->isEnabled());
        QCOMPARE(int(app.TestState.Answers.size()), 1);
        // The first item starts with three blanks in the edit; they are kept as typed.
        QCOMPARE(app.TestState.Answers[0].AnswerInput, QStringLiteral("   zzz"));
        QVERIFY2(shown.shown.isEmpty(), qPrintable(shown.texts().join(u'|')));
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

    // Something was heard: the cue sounds and the words.
    QFile out(played);
    QVERIFY(out.open(QIODevice::ReadOnly));
    const QByteArray bytes = out.readAll();
    QVERIFY(bytes.count('\0') < bytes.size());
}

QTEST_MAIN(DictationRecordsHistory)
#include "DictationRecordsHistory.moc"
