// The word test view driven by its control names, with a real voice player
// over the manual sound device, a real word history and a test book made in
// a temporary folder (support/TestWindowRig.h), ticked by the tests.

#include "quiz/gui/uFrmWordTest.h"
#include "quiz/gui/uShowErrorWord.h"
#include "quiz/uDmMain.h"
#include "support/ModalAnswer.h"
#include "support/TestWindowRig.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QProgressBar>
#include <QTableWidget>

#include <memory>

using namespace zarelo;

namespace {

// A program folder with book Pub/Book of `words` word entries (row i says
// "word<i>", Chinese "词<i>", its tone over [10 i, 10 i + 6] tenths) on page
// 1, silent cue sounds, the history, a voice player over the manual device
// and the view. Voices: every row in "v1" unless `voices` names others.
struct Rig : fakes::TestWindowRig<TfrmWordTest> {
    std::unique_ptr<TdmMain> dmMain;

    explicit Rig(int words, std::vector<QByteArray> voices = {},
                 const QString& waitSeconds = QStringLiteral("1"), bool cues = true)
    {
        fakes::TestBook files;
        for (int i = 0; i < words; ++i) {
            fakes::TestEntry e;
            e.Page = 1;
            e.Kind = "word";
            e.English = "word" + QByteArray::number(i);
            e.Chinese = QStringLiteral("词%1").arg(i);
            e.Voice = voices.empty() ? QByteArray("v1") : voices[size_t(i) % voices.size()];
            files.Entries.push_back(e);
        }
        files.Voices = {{"v1", {"v1.wav", kRate}}, {"V2", {"V2.wav", 22050}}};
        files.Lessons = {{"Unit 1", "Words", 1, 1}};
        open(files, QStringLiteral("1"), waitSeconds, cues);
        dmMain = std::make_unique<TdmMain>(paths.ProgramFolder, settings, messages);
        dmMain->DataModuleCreate();

        WordTestWindowContext context{paths,    book,  *player,      state,        settings,
                                      messages, clock, dmMain.get(), errorReport()};
        show(std::make_unique<TfrmWordTest>(context));
    }
    ~Rig() { view.reset(); } // before the history it uses

    QString word() const { return fromGbk(book.Content.Sentences.EnglishText[row()]); }
    void type(const QString& text)
    {
        QLineEdit* edit = control<QLineEdit>("EdtEnterWord");
        edit->clear();
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
    }
    QString buttons() const
    {
        return TestWindowRig::buttons(
            {"SbtStartTesting", "SbtStopTesting", "SbtRetest", "SbtShowError"});
    }
};

using fakes::AnswerNextModal;

} // namespace

class WordTestWindowTest : public QObject {
    Q_OBJECT
private slots:
    void answerListKeepsItsColoursUnderEverySkin();
    // The program's substitution of the message font.
    void initTestCase()
    {
        QFont::insertSubstitution(QStringLiteral("华文隶书"), QStringLiteral("AR PL UKai CN"));
    }
    void dictationPlaysEachWordAndChecksTheAnswers_data();
    void dictationPlaysEachWordAndChecksTheAnswers();
    void memorisingShowsTheMeaningWithOrWithoutVoice_data();
    void memorisingShowsTheMeaningWithOrWithoutVoice();
    void itemsOfAnotherVoiceFileSwitchTheVoice();
    void buttonsFollowBuildStartGiveUpAndNewQuestions();
    void answerGridListsEveryWrongAnswerAndTheFinishShowsTheScore();
};

void WordTestWindowTest::dictationPlaysEachWordAndChecksTheAnswers_data()
{
    QTest::addColumn<bool>("showChinese");
    QTest::newRow("without Chinese") << false;
    QTest::newRow("with Chinese") << true;
}

void WordTestWindowTest::dictationPlaysEachWordAndChecksTheAnswers()
{
    QFETCH(bool, showChinese);
    Rig rig(3);
    rig.view->BuildWordTest(2);
    QCOMPARE(rig.state.ActiveMode, 2);
    QCOMPARE(rig.text("lbTestTitle"), QStringLiteral("听写单词"));
    QCOMPARE(rig.text("LbWordCount"), QStringLiteral("本次测试单词共3个"));
    QCOMPARE(rig.text("lbUnit"), QStringLiteral("当前单元:Unit 1:Words"));
    QVERIFY(rig.control<QCheckBox>("ChkDispCN")->isVisible());
    QVERIFY(!rig.control<QCheckBox>("ChkVoice")->isVisible());
    rig.control<QCheckBox>("ChkDispCN")->setChecked(showChinese);
    QVERIFY(!rig.control<QLineEdit>("EdtEnterWord")->isEnabled());

    rig.start();
    QCOMPARE(rig.state.TestState, 3);
    QVERIFY(rig.control<QLineEdit>("EdtEnterWord")->isEnabled());
    QCOMPARE(rig.text("LblCore"), QStringLiteral("总分：        "));
    QVERIFY(rig.view->Timer_Play->isActive());

    // Item 1: answered right while it plays; the wait ends at the next tick.
    rig.tick();
    const QString first = rig.word();
    QCOMPARE(rig.text("lbCN"), showChinese ? QStringLiteral("词%1").arg(rig.row()) : QString());
    rig.type(QStringLiteral("  ") + first.toUpper() + QStringLiteral(" "));
    QCOMPARE(rig.text("Label5"), QStringLiteral("√"));
    QCOMPARE(rig.playItem(), rig.row()); // "the word's own recording plays"
    rig.tick();
    QCOMPARE(rig.state.TestState, 4);
    rig.clock.advance(10);
    rig.tick();
    QCOMPARE(rig.state.TestPos, 1);
    QCOMPARE(rig.control<QProgressBar>("ProgressBar1")->value(), 1);
    QCOMPARE(rig.text("Label5"), QStringLiteral(" "));

    // Item 2: a wrong Enter shows the word; typing it then counts.
    const QString second = rig.word();
    rig.type(QStringLiteral("wrong"));
    QCOMPARE(rig.text("Label5"), QStringLiteral("╳"));
    QCOMPARE(rig.text("RightEn"), second);
    rig.type(second);
    QCOMPARE(rig.text("Label5"), QStringLiteral("√"));
    QCOMPARE(rig.playItem(), rig.row());
    rig.tick();
    rig.clock.advance(10);
    rig.tick();
    QCOMPARE(rig.state.TestPos, 2);

    // Item 3: typed wrong; its wait of one second runs out.
    const QString third = rig.word();
    rig.type(QStringLiteral("wrd"));
    QCOMPARE(rig.playItem(), rig.row());
    rig.tick();
    rig.clock.advance(900);
    rig.tick();
    QCOMPARE(rig.state.TestState, 4);
    rig.clock.advance(100);
    rig.tick();
    QCOMPARE(rig.state.TestState, -1);
    QCOMPARE(rig.text("LblCore"), QStringLiteral("得分：67 分"));
    QCOMPARE(rig.text("Label5"), QStringLiteral("  "));
    QCOMPARE(rig.buttons(), QStringLiteral("0011"));
    QCOMPARE(int(rig.state.Answers.size()), 1);
    QCOMPARE(rig.state.Answers[0].AnswerStandard, third);
    QCOMPARE(rig.state.Answers[0].AnswerInput, QStringLiteral("wrd"));
    QCOMPARE(rig.state.Answers[0].AnswerChinese, QStringLiteral("词%1").arg(third.mid(4)));
    QVERIFY(rig.control<QFrame>("PnShow3D")->isVisible());
    QVERIFY(rig.messages.shown.isEmpty());
    QVERIFY(rig.errors.isEmpty());

    // The history: the two right words count one right answer each, the
    // wrong one an error. With thresholds of 3 all are still offered; once
    // a single right answer is enough, only the wrong one is.
    QVERIFY(rig.dmMain->IsNotPassedWord(first));
    QVERIFY(rig.dmMain->IsNotPassedWord(third));
    rig.settings.SeriRightSetting = 1;
    rig.settings.LastRightDaysSetting = 30;
    rig.settings.RightOverSetting = 1;
    QVERIFY(!rig.dmMain->IsNotPassedWord(first));
    QVERIFY(!rig.dmMain->IsNotPassedWord(second));
    QVERIFY(rig.dmMain->IsNotPassedWord(third));
}

void WordTestWindowTest::memorisingShowsTheMeaningWithOrWithoutVoice_data()
{
    QTest::addColumn<bool>("voice");
    QTest::newRow("without voice") << false;
    QTest::newRow("with voice") << true;
}

void WordTestWindowTest::memorisingShowsTheMeaningWithOrWithoutVoice()
{
    QFETCH(bool, voice);
    Rig rig(2);
    rig.view->BuildWordTest(3);
    QCOMPARE(rig.text("lbTestTitle"), QStringLiteral("背单词"));
    QVERIFY(rig.control<QCheckBox>("ChkVoice")->isVisible());
    QVERIFY(!rig.control<QCheckBox>("ChkDispCN")->isVisible());
    rig.control<QCheckBox>("ChkVoice")->setChecked(voice);
    rig.start();
    QCOMPARE(rig.state.TestState, 5);

    for (int item = 0; item < 2; ++item) {
        if (item == 0 || !voice)
            rig.tick(); // the first item's first tick; without voice, the showing tick
        QCOMPARE(rig.text("lbCN"), QStringLiteral("词%1").arg(rig.row()));
        if (voice) {
            QCOMPARE(rig.state.TestState, 5);
            QCOMPARE(rig.playItem(), rig.row());
            rig.tick();
        } else {
            QCOMPARE(rig.state.TestState, 6); // "without voice the showing lasts one tick"
            QCOMPARE(rig.playItem(), -1);     // "nothing plays"
        }
        QCOMPARE(rig.state.TestState, 6);
        if (item == 1)
            rig.type(rig.word());
        else
            rig.clock.advance(1000);
        if (item == 1)
            rig.clock.advance(10);
        rig.tick();
    }
    QCOMPARE(rig.state.TestState, -1);
    QCOMPARE(rig.text("LblCore"), QStringLiteral("得分：50 分"));
    QCOMPARE(rig.text("Label5"), QStringLiteral(" "));
}

void WordTestWindowTest::itemsOfAnotherVoiceFileSwitchTheVoice()
{
    Rig rig(4, {"v1", "V2"});
    rig.view->BuildWordTest(2);
    rig.start();
    rig.tick();
    for (int item = 0; item < 4; ++item) {
        const QByteArray voice = rig.book.Content.Sentences.VoiceName[rig.row()].toByteArray();
        QCOMPARE(rig.book.CurrentVoiceName, voice);
        QCOMPARE(rig.book.LoadedVoiceName, voice);
        QCOMPARE(rig.playItem(), rig.row()); // "the item's own file and range play"
        rig.tick();
        rig.clock.advance(1000);
        rig.tick();
    }
    QCOMPARE(rig.state.TestState, -1);
    QCOMPARE(rig.text("LblCore"), QStringLiteral("得分：0 分"));
}

void WordTestWindowTest::buttonsFollowBuildStartGiveUpAndNewQuestions()
{
    Rig rig(12);
    rig.view->BuildWordTest(2);
    QCOMPARE(rig.buttons(), QStringLiteral("1000")); // "built: Start only"
    rig.start();
    QCOMPARE(rig.buttons(), QStringLiteral("0100")); // "testing: give up only"
    rig.tick();
    QVERIFY(rig.engine->BASS_ChannelIsActive(rig.player->VoiceStream) == BASS_ACTIVE_PLAYING);

    rig.click("SbtStopTesting");
    QCOMPARE(rig.state.TestState, -1);
    QCOMPARE(rig.buttons(), QStringLiteral("0010")); // "given up: new questions only"
    QVERIFY(rig.engine->BASS_ChannelIsActive(rig.player->VoiceStream) == BASS_ACTIVE_STOPPED);

    rig.click("SbtRetest");
    QCOMPARE(rig.buttons(), QStringLiteral("1000"));
    QCOMPARE(rig.text("LbWordCount"), QStringLiteral("本次测试单词共12个"));

    // A build during a test gives it up: Start and new questions.
    rig.start();
    rig.view->BuildWordTest(2);
    QCOMPARE(rig.buttons(), QStringLiteral("1010"));
    QCOMPARE(rig.state.TestState, -1);

    // "十个" cuts the twelve words to ten.
    SettingsKey(rig.paths.SettingsPath)
        .writeString(QStringLiteral("wordnumber"), QStringLiteral("十个"));
    ReadSettings(rig.paths.SettingsPath, rig.settings);
    rig.view->BuildWordTest(2);
    QCOMPARE(rig.text("LbWordCount"), QStringLiteral("本次测试单词共10个"));
    QCOMPARE(rig.control<QProgressBar>("ProgressBar1")->maximum(), 10);

    // Hiding the view stops its pacing.
    rig.start();
    QVERIFY(rig.view->Timer_Play->isActive());
    rig.view->hide();
    QVERIFY(!rig.view->Timer_Play->isActive());
}

void WordTestWindowTest::answerGridListsEveryWrongAnswerAndTheFinishShowsTheScore()
{
    Rig rig(35, {}, QStringLiteral("0"));
    QVERIFY(QFile::copy(qEnvironmentVariable("ZARELO_PROGRAM_DIR") + QStringLiteral("/fire2.tga"),
                        rig.dir.filePath("fire2.tga")));
    rig.view->BuildWordTest(3);
    rig.start();
    for (int guard = 0; guard < 200 && rig.state.TestState != -1; ++guard) {
        rig.tick();
        rig.clock.advance(1);
    }
    QCOMPARE(rig.state.TestState, -1);
    QCOMPARE(rig.text("LblCore"), QStringLiteral("得分：0 分"));
    QCOMPARE(int(rig.state.Answers.size()), 35);

    // The finish: the message grows and the flame-less picture is drawn.
    QFrame* panel = rig.control<QFrame>("PnShow3D");
    QVERIFY(panel->isVisible());
    QCOMPARE(panel->x(), 30);
    QCOMPARE(panel->height(), panel->width() * 5 / 10);
    QTRY_VERIFY(!rig.view->FrontSurface().isNull());
    QVERIFY(!rig.view->FlameImage().isNull());
    bool messageDrawn = false;
    QTRY_VERIFY_WITH_TIMEOUT(([&] {
                                 const Surface& s = rig.view->FrontSurface();
                                 for (Pixel p : s.Pixels)
                                     if (p == kMessageColour)
                                         return messageDrawn = true;
                                 return false;
                             }()),
                             5000);
    QVERIFY(messageDrawn);
    // The glide: the message stands at 80 points and the flame moves on.
    QTRY_VERIFY_WITH_TIMEOUT(rig.view->FinishStep() > 7, 5000);
    if (!qEnvironmentVariableIsEmpty("ZARELO_SCREENSHOTS"))
        rig.view->grab().save(qEnvironmentVariable("ZARELO_SCREENSHOTS") + "/wordtest-finish.png");

    QString heading;
    int rowCount = 0;
    QStringList cells;
    AnswerNextModal([&](QWidget* modal) {
        auto* grid = modal->findChild<QTableWidget*>(QStringLiteral("SgErrorWord"));
        QVERIFY(grid);
        QVERIFY(grid->isVisible());
        QCOMPARE(modal->windowTitle(), QStringLiteral("显示答案"));
        for (int c = 0; c < 3; ++c)
            heading += grid->horizontalHeaderItem(c)->text() + u'|';
        rowCount = grid->rowCount();
        for (int r = 0; r < grid->rowCount(); ++r)
            if (grid->item(r, 0))
                cells << grid->item(r, 0)->text() + u'/' + grid->item(r, 1)->text() + u'/' +
                             grid->item(r, 2)->text();
        QTest::mouseClick(modal->findChild<QPushButton*>(QStringLiteral("SpeedButton3")),
                          Qt::LeftButton);
    });
    rig.click("SbtShowError");
    QCOMPARE(heading, QStringLiteral("标准答案|输入答案|中文|"));
    QCOMPARE(rowCount, 35);
    QCOMPARE(cells.size(), 35);
    for (int i = 0; i < 35; ++i) {
        const WrongAnswer& a = rig.state.Answers[size_t(i)];
        QCOMPARE(cells[i], a.AnswerStandard + u'/' + a.AnswerInput + u'/' + a.AnswerChinese);
        QCOMPARE(a.AnswerChinese, QStringLiteral("词%1").arg(a.AnswerStandard.mid(4)));
    }
    QVERIFY(QApplication::activeModalWidget() == nullptr);

    // Give up ends the animation.
    rig.click("SbtRetest");
    QVERIFY(!panel->isVisible());
    QVERIFY(!rig.view->Timer1->isActive());
}

void WordTestWindowTest::answerListKeepsItsColoursUnderEverySkin()
{
    const QDir skins(qEnvironmentVariable("ZARELO_SOURCE_DIR") + QStringLiteral("/data/skin"));
    const QStringList sheets = skins.entryList({QStringLiteral("*.ssk")}, QDir::Files);
    QCOMPARE(sheets.size(), 2);
    for (const QString& name : sheets) {
        QFile sheet(skins.filePath(name));
        QVERIFY(sheet.open(QIODevice::ReadOnly));
        qApp->setStyleSheet(QString::fromUtf8(sheet.readAll()));
        TfrmShowErrorWord list;
        list.FillAnswerGrid(
            {{QStringLiteral("apple"), QStringLiteral("aple"), QStringLiteral("苹果")}});
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        const QImage picture = list.grab().toImage();
        QTableWidget* grid = list.SgErrorWord;
        const QPoint emptyCell =
            grid->viewport()->mapTo(&list, grid->visualRect(grid->model()->index(3, 1)).center());
        QCOMPARE(QColor(picture.pixel(emptyCell)), QColor(237, 243, 238));
        QCOMPARE(QColor(picture.pixel(5, list.height() - 5)), QColor(Qt::white));
        qApp->setStyleSheet(QString());
    }
}

QTEST_MAIN(WordTestWindowTest)
#include "WordTestWindowTest.moc"
