#include "quiz/gui/TestCommandBar.h"

#include "quiz/gui/QuizWidgets.h"

namespace zarelo {

using namespace quizview;

TestCommandBar::TestCommandBar(QWidget* parent, bool withShowError) : QFrame(parent)
{
    setObjectName(QStringLiteral("PanelTest"));
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    fill(this, kBarColour);
    LblCore = label(this, "LblCore", QStringLiteral("总分：        "), 18, Qt::white);
    LblCore->setFont(PixelFont(18, true));
    SbtStartTesting = button(this, "SbtStartTesting", QStringLiteral("开 始"));
    SbtStopTesting = button(this, "SbtStopTesting", QStringLiteral("放弃"));
    SbtRetest = button(this, "SbtRetest", QStringLiteral("重新出题"));
    if (withShowError)
        SbtShowError = button(this, "SbtShowError", QStringLiteral("查看答案"));
    SpeedButton12 = button(this, "SpeedButton12", QStringLiteral("返回"));
    SpeedButton12->hide();
    SbtStopTesting->setEnabled(false);
    SbtRetest->setEnabled(false);
    if (SbtShowError)
        SbtShowError->setEnabled(false);
}

void TestCommandBar::PlaceAlongBottom(int width, int bottom)
{
    setGeometry(0, bottom - kBottomBarHeight, width, kBottomBarHeight);
    LblCore->setGeometry(20, 10, 240, 30);
    // The hidden Back button keeps its place.
    int x = width - 20;
    for (QPushButton* b :
         {SpeedButton12, SbtShowError, SbtRetest, SbtStopTesting, SbtStartTesting}) {
        if (!b)
            continue;
        x -= b->width() + 10;
        b->move(x, 11);
    }
}

} // namespace zarelo
