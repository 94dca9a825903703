#include "quiz/FinishEffect.h"

namespace zarelo {

FinishFrame FinishAnimation::Step(int width)
{
    FinishFrame frame;
    // The message's left edge and width at this step; C++ division truncates
    // toward zero, as the layout rule asks.
    const int textLeft = (width - AnimStep * 50) / 2;
    frame.TextX = textLeft;
    frame.TextY = AnimStep * 15 - 10;
    frame.PointSize = AnimStep * 10;
    if (AnimStep > 7) {
        frame.TimerIntervalMs = 1;
        if (SpriteX < textLeft + AnimStep * 50)
            SpriteX += 8;
        else
            frame.TimerIntervalMs = 10;
        SpriteY = AnimStep * 20 - 15;
    } else {
        frame.PauseMs = pauseMs_;
        SpriteX = textLeft;
        SpriteY = AnimStep * 20 - 15;
        ++AnimStep;
    }
    frame.SpriteX = SpriteX;
    frame.SpriteY = SpriteY;
    return frame;
}

int ScorePercent(int right, int items)
{
    if (items <= 0)
        return 0;
    const qint64 scaled = qint64(right) * 100;
    qint64 quotient = scaled / items;
    const qint64 twiceRest = scaled % items * 2;
    if (twiceRest > items || (twiceRest == items && quotient % 2 != 0))
        ++quotient;
    return int(quotient);
}

QString ScoreText(int score)
{
    return QStringLiteral("得分：%1 分").arg(score);
}

QString FinishMessage(int score)
{
    return score >= 80 ? QStringLiteral("英雄归来！") : QStringLiteral("继续努力！");
}

} // namespace zarelo
