#pragma once
// The rules of a test's result display shared by the word test and the
// sentence test windows: the score, the message, and the frame-by-frame rule
// of the growing message and the gliding flame. The windows own the timer,
// the surfaces and the text drawing; they ask FinishAnimation where to draw
// and blend with the functions of tests/Surface.h.

#include "quiz/Surface.h"

#include <QString>

namespace zarelo {

// The values in which the two test windows' finish effects differ.
struct FinishEffectValues {
    int DesignIntervalMs = 0; // Timer1's interval until the glide sets its own
    int PauseMs = 0;          // blocked per growing frame, before drawing it
    FlameGains Gains;
    bool HiddenUntilFirstFrame = false; // PnShow3D shown by the first frame, not the set-up
};
inline constexpr FinishEffectValues kWordTestFinish{5, 10, {128, 128, 128}, false};
inline constexpr FinishEffectValues kSentenceTestFinish{
    1000, 5, {GainOf(100, 255), 128, 128}, true};

// The panel colour the front surface is cleared with from the second frame
// on, and the colour of the message.
constexpr Pixel kPanelColour = MakePixel(213, 231, 234);
constexpr Pixel kMessageColour = MakePixel(155, 0, 255);

// The colour the front surface is cleared with: black for the very first
// frame a window draws after the program starts, the panel colour for every
// frame after that, across finishes too. One per test window, kept for the
// program's life.
class FinishBackground {
public:
    // The colour for this frame; every later call gives the panel colour.
    Pixel NextFrame()
    {
        const Pixel colour = stored_;
        stored_ = kPanelColour;
        return colour;
    }

private:
    Pixel stored_ = MakePixel(0, 0, 0);
};

// One frame of UpdateMe: where the message goes and how big, and what the
// window does with its timer.
struct FinishFrame {
    int TextX = 0; // top-left corner of the message on the text surface
    int TextY = 0;
    int PointSize = 0;       // of the message font
    int PauseMs = 0;         // block this long (growing frames only), 0: none
    int TimerIntervalMs = 0; // Timer1's new interval (gliding frames), 0: unchanged
    int SpriteX = 0;         // the flame's centre on the front surface
    int SpriteY = 0;
};

// The animation state of one finish; a new finish starts a new one. The
// message grows with AnimStep 2..7 (20 to 70 points), the flame following
// its left edge, one frame each after the pause; from AnimStep 8 the
// message stands at 80 points and the flame glides right by 8 pixels a frame
// (timer at 1 ms) until it reaches the text's right end (timer back at
// 10 ms), where it stays.
class FinishAnimation {
public:
    explicit FinishAnimation(const FinishEffectValues& values) : pauseMs_(values.PauseMs) {}

    // Advances one frame over a paint box `width` pixels wide.
    FinishFrame Step(int width);

    int AnimStep = 2;
    int SpriteX = 0;
    int SpriteY = 0;

private:
    int pauseMs_;
};

// The percentage of `right` out of `items`, rounded to the nearest integer,
// an exact half to the even neighbour (1 of 8 gives 12, 3 of 8 gives 38).
// 0 when there are no items.
int ScorePercent(int right, int items);

// "得分：" + score + " 分"
QString ScoreText(int score);

// "英雄归来！" from 80 on, "继续努力！" below.
QString FinishMessage(int score);

} // namespace zarelo
