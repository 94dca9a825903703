// The command bar of both test windows on its own: its controls under their
// names and captions, the buttons disabled at first, 查看答案 only in the word
// test's bar, and the layout along the bottom of its parent.

#include "quiz/gui/TestCommandBar.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace zarelo;

class TestCommandBarTest : public QObject {
    Q_OBJECT
private slots:
    void controlsKeepTheirNamesAndCaptions();
    void onlyStartIsEnabledAtFirst();
    void showErrorOnlyInTheWordTestsBar();
    void barLiesAlongTheBottomWithTheCommandsFromTheRight();
};

void TestCommandBarTest::controlsKeepTheirNamesAndCaptions()
{
    QWidget window;
    TestCommandBar bar(&window, true);
    QCOMPARE(bar.objectName(), QStringLiteral("PanelTest"));
    const auto caption = [&](const char* name) {
        auto* b = bar.findChild<QPushButton*>(QLatin1String(name));
        return b ? b->text() : QStringLiteral("(none)");
    };
    QCOMPARE(caption("SbtStartTesting"), QStringLiteral("开 始"));
    QCOMPARE(caption("SbtStopTesting"), QStringLiteral("放弃"));
    QCOMPARE(caption("SbtRetest"), QStringLiteral("重新出题"));
    QCOMPARE(caption("SbtShowError"), QStringLiteral("查看答案"));
    QCOMPARE(caption("SpeedButton12"), QStringLiteral("返回"));
    auto* score = bar.findChild<QLabel*>(QStringLiteral("LblCore"));
    QVERIFY(score);
    QCOMPARE(score->text(), QStringLiteral("总分：        "));
    QCOMPARE(bar.SbtStartTesting, bar.findChild<QPushButton*>(QStringLiteral("SbtStartTesting")));
    QCOMPARE(bar.LblCore, score);
}

void TestCommandBarTest::onlyStartIsEnabledAtFirst()
{
    QWidget window;
    TestCommandBar bar(&window, true);
    window.show();
    QVERIFY(bar.SbtStartTesting->isEnabled());
    QVERIFY(!bar.SbtStopTesting->isEnabled());
    QVERIFY(!bar.SbtRetest->isEnabled());
    QVERIFY(!bar.SbtShowError->isEnabled());
    QVERIFY(bar.SbtStartTesting->isVisible());
    QVERIFY(!bar.SpeedButton12->isVisible()); // "Back is hidden"
    for (QPushButton* b : bar.findChildren<QPushButton*>())
        QCOMPARE(b->focusPolicy(), Qt::NoFocus); // "the answer edit keeps the keyboard"
}

void TestCommandBarTest::showErrorOnlyInTheWordTestsBar()
{
    QWidget window;
    TestCommandBar sentence(&window, false);
    QVERIFY(!sentence.SbtShowError);
    QVERIFY(!sentence.findChild<QPushButton*>(QStringLiteral("SbtShowError")));
    QCOMPARE(sentence.findChildren<QPushButton*>().size(), 4);
}

void TestCommandBarTest::barLiesAlongTheBottomWithTheCommandsFromTheRight()
{
    QWidget window;
    window.resize(900, 650);
    TestCommandBar word(&window, true);
    TestCommandBar sentence(&window, false);
    word.PlaceAlongBottom(900, 650);
    sentence.PlaceAlongBottom(700, 600);
    QCOMPARE(word.geometry(), QRect(0, 600, 900, 50));
    QCOMPARE(sentence.geometry(), QRect(0, 550, 700, 50));
    QCOMPARE(word.LblCore->geometry(), QRect(20, 10, 240, 30));
    // 80-pixel buttons 10 apart from 20 pixels off the right edge; the
    // hidden Back button keeps the rightmost place.
    QCOMPARE(word.SpeedButton12->pos(), QPoint(790, 11));
    QCOMPARE(word.SbtShowError->pos(), QPoint(700, 11));
    QCOMPARE(word.SbtRetest->pos(), QPoint(610, 11));
    QCOMPARE(word.SbtStopTesting->pos(), QPoint(520, 11));
    QCOMPARE(word.SbtStartTesting->pos(), QPoint(430, 11));
    QCOMPARE(sentence.SbtRetest->pos(), QPoint(500, 11));
    QCOMPARE(sentence.SbtStartTesting->pos(), QPoint(320, 11));
}

QTEST_MAIN(TestCommandBarTest)
#include "TestCommandBarTest.moc"
