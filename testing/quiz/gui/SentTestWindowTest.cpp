// The sentence test view driven by its control names, with a real voice
// player over the manual sound device and a test book made in a temporary
// folder (support/TestWindowRig.h), ticked by the tests.

#include "quiz/gui/uFrmSentTest.h"
#include "support/TestWindowRig.h"

#include <QProgressBar>
#include <QRegularExpression>
#include <QScrollArea>
#include <QScrollBar>

#include <memory>

using namespace zarelo;

namespace {

// A program folder with book Pub/Book whose row i is the sentence
// `english[i]` ("sent", its tone over [10 i, 10 i + 6] tenths) on page
// `pages[i]` (1 when not given), lessons "Unit 1" (page 1) and "Unit 2"
// (page 2), silent cue sounds, a voice player over the manual device and the
// view, on page 1.
struct Rig : fakes::TestWindowRig<TfrmSentTest> {
    explicit Rig(const std::vector<QByteArray>& english, const std::vector<int>& pages = {},
                 const QString& testArea = QStringLiteral("1"))
    {
        fakes::TestBook files;
        for (size_t i = 0; i < english.size(); ++i) {
            fakes::TestEntry e;
            e.Page = pages.empty() ? 1 : pages[i];
            e.Kind = "sent";
            e.English = english[i];
            e.Voice = "v1";
            files.Entries.push_back(e);
        }
        files.Voices = {{"v1", {"v1.wav", kRate}}};
        files.Lessons = {{"Unit 1", "Hello", 1, 1}, {"Unit 2", "Again", 2, 2}};
        open(files, testArea, QStringLiteral("1"));

        SentTestWindowContext context{paths,    book,     *player, state,
                                      settings, messages, clock,   errorReport()};
        show(std::make_unique<TfrmSentTest>(context));
    }

    QStringList labelTexts() const
    {
        QStringList out;
        for (QLabel* l : view->SentenceLabels())
            out << l->text();
        return out;
    }
    QStringList texts(const std::vector<int>& rowList) const
    {
        QStringList out;
        for (int r : rowList)
            out << fromGbk(book.Content.Sentences.EnglishText[r]);
        return out;
    }
    bool lime(int label) const
    {
        return view->SentenceLabels()[size_t(label)]->palette().color(QPalette::WindowText) ==
               QColor(0, 255, 0);
    }
    void clickLabel(int label)
    {
        QTest::mouseClick(view->SentenceLabels()[size_t(label)], Qt::LeftButton);
    }
    int labelOf(int tableRow) const
    {
        const QString text = fromGbk(book.Content.Sentences.EnglishText[tableRow]);
        for (size_t i = 0; i < view->SentenceLabels().size(); ++i)
            if (view->SentenceLabels()[i]->text() == text)
                return int(i);
        return -1;
    }
    QString buttons() const
    {
        return TestWindowRig::buttons({"SbtStartTesting", "SbtStopTesting", "SbtRetest"});
    }
};

QByteArray Sized(int bytes)
{
    QByteArray text = "long a b c ";
    return text + QByteArray(bytes - text.size(), 'x');
}

} // namespace

class SentTestWindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QFont::insertSubstitution(QStringLiteral("华文隶书"), QStringLiteral("AR PL UKai CN"));
    }
    void listsQualifyingSentencesInDisplayOrderAndPlaysThemInPlayOrder();
    void clicksTurnTheRightLabelLimeAndTheFinishShowsTheScore();
    void singleSentenceAndTwoLabelsOfTheSameText();
    void panelGrowsBelowTheLastLabelAndScrolls();
    void giveUpNewQuestionsAndBack();
    void testAreaZeroStillUsesTheCurrentLesson();
};

void SentTestWindowTest::listsQualifyingSentencesInDisplayOrderAndPlaysThemInPlayOrder()
{
    Rig rig({"only two blanks", "first of the four", Sized(114), Sized(115), "the fourth row here",
             "and the last one", "the next lesson sentence"},
            {1, 1, 1, 1, 1, 1, 2});
    rig.view->BuildSentenceTest(0);
    QCOMPARE(rig.state.ActiveMode, 1);
    QCOMPARE(rig.view->windowTitle(), QStringLiteral("听辨句子"));
    QCOMPARE(rig.text("lbUnit"), QStringLiteral("当前单元:Unit 1:Hello"));
    // Candidates rows 1, 2, 4, 5; from generator state 0 the display takes
    // candidates 0, 3, 1, 2 and the play order 3, 0, 1, 2 of them.
    QCOMPARE(rig.labelTexts(), rig.texts({1, 5, 2, 4}));
    for (size_t i = 0; i < rig.view->SentenceLabels().size(); ++i) {
        QLabel* l = rig.view->SentenceLabels()[i];
        QCOMPARE(l->pos(), QPoint(30, 150 + 30 * int(i)));
        QCOMPARE(l->font().pointSize(), 12);
        QVERIFY(l->isVisible());
    }
    QCOMPARE(rig.view->controller().PlayRows(), (std::vector<int>{5, 1, 2, 4}));
    QCOMPARE(rig.buttons(), QStringLiteral("101"));

    rig.start();
    QCOMPARE(rig.state.TestState, 1);
    QCOMPARE(rig.buttons(), QStringLiteral("010"));
    QCOMPARE(rig.text("LblCore"), QStringLiteral("总分：        "));
    QVERIFY(rig.view->Timer_Play->isActive());
    rig.tick();
    QList<int> heard;
    for (int item = 0; item < 4; ++item) {
        heard << rig.playItem();
        rig.tick();
        QCOMPARE(rig.state.TestState, 2);
        rig.clock.advance(1000);
        rig.tick();
    }
    QCOMPARE(heard, (QList<int>{5, 1, 2, 4}));
    QCOMPARE(rig.state.TestState, -1);
    QCOMPARE(rig.text("LblCore"), QStringLiteral("得分：0 分"));
    QCOMPARE(rig.buttons(), QStringLiteral("001"));
}

void SentTestWindowTest::clicksTurnTheRightLabelLimeAndTheFinishShowsTheScore()
{
    Rig rig({"one sentence is here", "two sentence is here", "three sentence is here"});
    QVERIFY(QFile::copy(qEnvironmentVariable("ZARELO_PROGRAM_DIR") + QStringLiteral("/fire2.tga"),
                        rig.dir.filePath("fire2.tga")));
    rig.view->BuildSentenceTest(1);
    rig.start();
    rig.tick();
    const int first = rig.row();
    const int wrong = rig.labelOf((first + 1) % 3);
    rig.clickLabel(wrong);
    QVERIFY(!rig.lime(wrong));
    QCOMPARE(rig.settings.WaitMs, 1000); // "a wrong click changes nothing"

    // A right click during playback: the wait ends on the first tick after it.
    rig.clickLabel(rig.labelOf(first));
    QVERIFY(rig.lime(rig.labelOf(first)));
    QCOMPARE(rig.playItem(), first);
    rig.tick();
    QCOMPARE(rig.state.TestState, 2);
    rig.clock.advance(200);
    rig.tick();
    QCOMPARE(rig.state.TestPos, 1);

    // The second is found too, the third not: 2 of 3.
    rig.clickLabel(rig.labelOf(rig.row()));
    for (int item = 1; item < 3; ++item) {
        rig.playItem();
        rig.tick();
        rig.clock.advance(1000);
        rig.tick();
    }
    QCOMPARE(rig.state.TestState, -1);
    QCOMPARE(rig.text("LblCore"), QStringLiteral("得分：67 分"));

    // The finish panel: centred at top 150, hidden until its first frame.
    QFrame* panel = rig.control<QFrame>("PnShow3D");
    QFrame* client = rig.control<QFrame>("pnlTest");
    QVERIFY(!panel->isVisible());
    QCOMPARE(panel->geometry(), QRect(40, 150, client->width() - 80, (client->width() - 80) / 2));
    QCOMPARE(rig.view->Timer1->interval(), 1000);
    rig.view->Timer1->setInterval(1);
    QTRY_VERIFY(panel->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(rig.view->FinishStep() > 7, 5000);
    QCOMPARE(rig.buttons(), QStringLiteral("001"));

    rig.click("SbtRetest");
    QVERIFY(!panel->isVisible());
    QVERIFY(!rig.view->Timer1->isActive());
    QCOMPARE(rig.buttons(), QStringLiteral("101"));
    QVERIFY(!rig.lime(0) && !rig.lime(1) && !rig.lime(2));
}

void SentTestWindowTest::singleSentenceAndTwoLabelsOfTheSameText()
{
    {
        Rig rig({"the only one here", "a b", "next lesson is here"}, {1, 1, 2});
        rig.view->BuildSentenceTest(1);
        QCOMPARE(rig.labelTexts(), rig.texts({0}));
        QCOMPARE(rig.view->controller().PlayRows(), (std::vector<int>{0}));
    }
    Rig rig({"the same text here", "the same text here", "a different one here"});
    rig.view->BuildSentenceTest(1);
    rig.start();
    rig.tick();
    // Whichever label of the text is clicked, it matches.
    for (int item = 0; item < 3; ++item) {
        const QString playing = fromGbk(rig.book.Content.Sentences.EnglishText[rig.row()]);
        for (int l = 2; l >= 0; --l) {
            if (rig.view->SentenceLabels()[size_t(l)]->text() == playing && !rig.lime(l)) {
                rig.clickLabel(l);
                QVERIFY(rig.lime(l));
                break;
            }
        }
        rig.playItem();
        rig.tick();
        rig.clock.advance(1000);
        rig.tick();
    }
    QVERIFY(rig.lime(0) && rig.lime(1) && rig.lime(2));
    QCOMPARE(rig.text("LblCore"), QStringLiteral("得分：100 分"));
}

void SentTestWindowTest::panelGrowsBelowTheLastLabelAndScrolls()
{
    std::vector<QByteArray> many;
    for (int i = 0; i < 25; ++i)
        many.push_back("sentence number " + QByteArray::number(i) + " is here");
    Rig rig(many);
    rig.view->BuildSentenceTest(1);
    QCOMPARE(int(rig.view->SentenceLabels().size()), 25);
    QLabel* last = rig.view->SentenceLabels().back();
    QFrame* client = rig.control<QFrame>("pnlTest");
    QCOMPARE(client->height(), last->y() + last->height() + 10);
    auto* scroll = rig.control<QScrollArea>("ScrollBox");
    QVERIFY(scroll->verticalScrollBar()->maximum() > 0);
    scroll->ensureWidgetVisible(last);
    QVERIFY(scroll->verticalScrollBar()->value() > 0);

    // A new build with fewer sentences: the panel fits the window again.
    rig.book.CurrentPage = 2;
    rig.view->BuildSentenceTest(1);
    QVERIFY(rig.view->SentenceLabels().empty() || client->height() <= scroll->height());
    QCOMPARE(scroll->verticalScrollBar()->maximum(), 0);
}

void SentTestWindowTest::giveUpNewQuestionsAndBack()
{
    Rig rig({"one two three four", "five six seven eight"});
    rig.view->BuildSentenceTest(1);
    rig.start();
    rig.tick();
    QVERIFY(rig.engine->BASS_ChannelIsActive(rig.player->VoiceStream) == BASS_ACTIVE_PLAYING);
    rig.click("SbtStopTesting");
    QCOMPARE(rig.state.TestState, -1);
    QCOMPARE(rig.buttons(), QStringLiteral("001"));
    QVERIFY(rig.engine->BASS_ChannelIsActive(rig.player->VoiceStream) == BASS_ACTIVE_STOPPED);
    QList<QLabel*> before(rig.view->SentenceLabels().begin(), rig.view->SentenceLabels().end());
    rig.click("SbtRetest");
    QCOMPARE(rig.buttons(), QStringLiteral("101"));
    QCOMPARE(int(rig.view->SentenceLabels().size()), 2);
    QCOMPARE(rig.view->findChildren<QLabel*>(QRegularExpression("^SentenceLabel")).size(), 2);

    // A build while a test runs gives it up and enables Start.
    rig.start();
    rig.view->BuildSentenceTest(1);
    QCOMPARE(rig.state.TestState, -1);
    QCOMPARE(rig.buttons(), QStringLiteral("101"));

    rig.start();
    QVERIFY(rig.view->Timer_Play->isActive());
    rig.view->hide();
    QVERIFY(!rig.view->Timer_Play->isActive());
}

void SentTestWindowTest::testAreaZeroStillUsesTheCurrentLesson()
{
    Rig rig({"first lesson sentence one", "second lesson sentence two"}, {1, 2},
            QStringLiteral("0"));
    rig.view->BuildSentenceTest(1);
    QCOMPARE(rig.labelTexts(), rig.texts({0}));
    QCOMPARE(rig.text("lbUnit"), QString());

    Rig none({"a b c", "x y"});
    none.view->BuildSentenceTest(1);
    QCOMPARE(none.state.ActiveMode, -1);
    QVERIFY(none.view->SentenceLabels().empty());
    none.click("SbtStartTesting");
    QCOMPARE(none.messages.shown.size(), 1);
    QCOMPARE(none.messages.shown[0].text, QStringLiteral("没有测试内容！         "));
}

QTEST_MAIN(SentTestWindowTest)
#include "SentTestWindowTest.moc"
