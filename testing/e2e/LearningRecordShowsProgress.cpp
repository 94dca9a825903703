// The program's own start-up in this process over a copy of the sample
// library, with SDL's disk driver: a dictation of the remembered page's
// lesson with its first two words typed wrong; then "学习记录" shows today
// practised with one test and the lesson's dictation score, its hard words
// are the two words answered wrong, and "错词听写" asks exactly those words
// in the word test view.

#include "ProgramRun.h"
#include "base/SettingsKey.h"
#include "book/Gbk.h"
#include "quiz/gui/LearningRecordWindow.h"
#include "quiz/gui/uFrmWordTest.h"
#include "shell/gui/AppContext.h"
#include "shell/gui/uFrmMain.h"
#include "support/ModalAnswer.h"
#include "support/ScriptedMessages.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <set>

using namespace zarelo;
using namespace zarelo::e2e;

namespace {

const QString Publisher = QStringLiteral("晨光教育出版社");
const QString Book = QStringLiteral("小学英语三年级上册");

} // namespace

class LearningRecordShowsProgress : public QObject {
    Q_OBJECT
private slots:
    void aDictationShowsInTheRecordAndItsWrongWordsAreAskedAgain();
};

void LearningRecordShowsProgress::aDictationShowsInTheRecordAndItsWrongWordsAreAskedAgain()
{
    QTemporaryDir root;
    const RunFolders folders(root.path());
    CopyProgramParts(folders, Publisher, {"Start.wav", "Succ.wav", "fire2.tga"});
    RememberBook(folders.SettingsPath, Publisher, Book, 3);
    {
        SettingsKey key(folders.SettingsPath);
        key.writeString(QStringLiteral("testarea"), QStringLiteral("1"));
        key.writeString(QStringLiteral("wordnumber"), QStringLiteral("十个"));
        key.writeString(QStringLiteral("waittime"), QStringLiteral("1"));
    }
    qputenv("SDL_AUDIODRIVER", "disk");
    qputenv("SDL_DISKAUDIOFILE", folders.Played.toLocal8Bit());

    fakes::ScriptedMessages* messages = nullptr;
    AppContext app(ProgramSeams(folders, messages));
    TfrmMain window(app);
    app.dmMain->DataModuleCreate();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QTest::mouseClick(window.sbtLessonWord, Qt::LeftButton);
    TfrmWordTest* test = window.frmWordTest;
    QVERIFY(test && test->isVisible());
    const int n = test->controller().ItemCount();
    QVERIFY2(n >= 3, "the lesson of page 3 holds words");
    const QString lesson = fromGbk(app.Book.Content.Lessons.Name[app.Book.CurrentLesson]).trimmed();
    QTest::mouseClick(test->SbtStartTesting, Qt::LeftButton);
    const SentenceTable& t = app.Book.Content.Sentences;
    std::set<QString> wrongWords;
    for (int item = 0; item < n; ++item) {
        QTRY_COMPARE_WITH_TIMEOUT(app.TestState.TestPos, item, 10000);
        const QString word = fromGbk(t.EnglishText[test->controller().CurrentRow()]).trimmed();
        if (item < 2)
            wrongWords.insert(word.toLower());
        QTest::keyClicks(test->EdtEnterWord, item < 2 ? QStringLiteral("zz") : word);
        QTest::keyClick(test->EdtEnterWord, Qt::Key_Return);
    }
    QTRY_COMPARE_WITH_TIMEOUT(app.TestState.TestState, -1, 10000);
    const int score = (100 * (n - 2) + n / 2) / n;
    QCOMPARE(test->LblCore->text(), QStringLiteral("得分：%1 分").arg(score));

    // The record window: today practised, the lesson's score, the hard words.
    LearningSummary shown;
    fakes::AnswerNextModal([&](QWidget* modal) {
        auto* record = qobject_cast<LearningRecordWindow*>(modal);
        if (!record) {
            modal->close();
            return;
        }
        shown = record->Summary();
        if (const QString folder = qEnvironmentVariable("ZARELO_SCREENSHOTS"); !folder.isEmpty())
            record->grab().save(folder + QStringLiteral("/learning-record.png"));
        QTest::mouseClick(record->BtnWrongWordDictation, Qt::LeftButton);
    });
    QTest::mouseClick(window.sbtRecord, Qt::LeftButton);
    QVERIFY2(messages->shown.isEmpty(), qPrintable(messages->texts().join(u'|')));
    QVERIFY(!shown.IsEmpty());
    QCOMPARE(shown.Days.back().Day, QDate::currentDate());
    QCOMPARE(shown.Days.back().Tests, 1);
    QVERIFY2(shown.Days.back().Minutes >= 1, "today is shaded as practised");
    bool lessonShown = false;
    for (const LessonProgress& p : shown.Lessons) {
        if (!p.Lesson.startsWith(lesson + u' '))
            continue;
        lessonShown = true;
        const ModeResult& dictation = p.Results[size_t(RecordedMode::Dictation) - 1];
        QVERIFY(dictation.Taken);
        QCOMPARE(dictation.Score, score);
        QCOMPARE(dictation.When.date(), QDate::currentDate());
    }
    QVERIFY2(lessonShown, qPrintable(lesson));
    std::set<QString> hard;
    for (const HardWord& w : shown.HardWords)
        hard.insert(w.Word.toLower());
    QCOMPARE(hard, wrongWords);

    // "错词听写": exactly the words answered wrong, in the word test view.
    QTRY_VERIFY(test->isVisible());
    QCOMPARE(test->lbTestTitle->text(), QStringLiteral("错词听写"));
    QCOMPARE(app.TestState.ActiveMode, 2);
    std::set<QString> asked;
    for (const int row : app.TestState.TestCandidates)
        asked.insert(fromGbk(t.EnglishText[row]).trimmed().toLower());
    QCOMPARE(asked, wrongWords);
    QCOMPARE(test->controller().ItemCount(), 2);
    window.close();
}

QTEST_MAIN(LearningRecordShowsProgress)
#include "LearningRecordShowsProgress.moc"
