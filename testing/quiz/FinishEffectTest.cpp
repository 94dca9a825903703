// The finish effect's pixel rules on small surfaces with exact values, the
// frame rule of the growing message and the gliding flame, and the score.

#include "quiz/FinishEffect.h"
#include "quiz/Surface.h"

#include <gtest/gtest.h>

using namespace zarelo;

namespace {

Surface filled(int width, int height, Pixel colour)
{
    return Surface(width, height, colour);
}

} // namespace

TEST(FinishPixels, GreyConversionGivesOneLumaInAllChannels)
{
    Surface s(6, 1);
    s.Pixels = {MakePixel(255, 255, 255), MakePixel(0, 0, 0),   MakePixel(255, 0, 0),
                MakePixel(0, 255, 0),     MakePixel(0, 0, 255), 0x00644B32 /* no X byte */};
    MakeGrey(s);
    // (77 R + 150 G + 29 B + 128) / 256
    EXPECT_EQ(s.Pixels, (std::vector<Pixel>{MakePixel(255, 255, 255), MakePixel(0, 0, 0),
                                            MakePixel(77, 77, 77), MakePixel(149, 149, 149),
                                            MakePixel(29, 29, 29), MakePixel(80, 80, 80)}));
}

TEST(FinishPixels, KeyColourCopyLeavesOutAquaOnly)
{
    const Pixel under = MakePixel(213, 231, 234);
    Surface front = filled(4, 2, under);
    Surface text = filled(5, 3, kKeyColour); // larger: the rest is cut off
    text.Pixels[1] = MakePixel(155, 0, 255);
    text.Pixels[2] = MakePixel(0, 255, 254); // near aqua is drawn
    text.Pixels[3] = 0x0000FFFF;             // aqua without the X byte is still the key
    text.Pixels[5 + 0] = MakePixel(0, 0, 0);
    text.Pixels[5 + 3] = MakePixel(1, 255, 255);
    CopyWithoutKey(text, front);
    EXPECT_EQ(front.Pixels,
              (std::vector<Pixel>{under, MakePixel(155, 0, 255), MakePixel(0, 255, 254), under,
                                  MakePixel(0, 0, 0), under, under, MakePixel(1, 255, 255)}));

    // A smaller text surface covers only its own area.
    Surface small = filled(1, 1, MakePixel(9, 9, 9));
    CopyWithoutKey(small, front);
    EXPECT_EQ(front.at(0, 0), MakePixel(9, 9, 9));
    EXPECT_EQ(front.at(0, 1), MakePixel(0, 0, 0));
}

TEST(FinishPixels, FlameAddsPerChannelWithGainAndSaturates)
{
    Surface front(3, 1);
    front.Pixels = {MakePixel(100, 200, 250), MakePixel(0, 0, 0), MakePixel(255, 255, 255)};
    Surface flame(3, 1);
    flame.Pixels = {MakePixel(100, 100, 100), MakePixel(255, 127, 1), MakePixel(1, 1, 1)};

    Surface a = front;
    AddFlame(a, flame, 1, 0, FlameGains{});
    EXPECT_EQ(a.Pixels, (std::vector<Pixel>{MakePixel(200, 255, 255), MakePixel(255, 127, 1),
                                            MakePixel(255, 255, 255)}));

    // The sentence test's red gain 100/255 is 50/128: 100 * 50 / 128 = 39,
    // 255 * 50 / 128 = 99, 1 * 50 / 128 = 0.
    EXPECT_EQ(GainOf(100, 255), 50);
    EXPECT_EQ(GainOf(1, 1), 128);
    Surface b = front;
    AddFlame(b, flame, 1, 0, FlameGains{GainOf(100, 255), 128, 128});
    EXPECT_EQ(b.Pixels, (std::vector<Pixel>{MakePixel(139, 255, 255), MakePixel(99, 127, 1),
                                            MakePixel(255, 255, 255)}));
    Surface c = front;
    AddFlame(c, flame, 1, 0, FlameGains{128, 64, 0});
    EXPECT_EQ(c.Pixels, (std::vector<Pixel>{MakePixel(200, 250, 250), MakePixel(255, 63, 0),
                                            MakePixel(255, 255, 255)}));
}

TEST(FinishPixels, FlameIsCentredOnTheSpriteAndClippedAtEveryEdge)
{
    // Flame pixel (x, y) has blue 10 + x + 4 y, so each landing place shows
    // which flame pixel arrived there.
    Surface flame(4, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            flame.Pixels[y * 4 + x] = MakePixel(0, 0, 10 + x + 4 * y);
    const auto blues = [](const Surface& s) {
        std::vector<int> b;
        for (Pixel p : s.Pixels)
            b.push_back(BlueOf(p));
        return b;
    };

    // Centre (3, 2) on a 6 x 4 surface: top-left (1, 1), all inside.
    Surface s(6, 4);
    AddFlame(s, flame, 3, 2, FlameGains{});
    EXPECT_EQ(blues(s), (std::vector<int>{0, 0,  0,  0,  0,  0, //
                                          0, 10, 11, 12, 13, 0, //
                                          0, 14, 15, 16, 17, 0, //
                                          0, 18, 19, 20, 21, 0}));
    // Top-left corner: centre (0, 0) puts the flame's corner at (-2, -1).
    s = Surface(6, 4);
    AddFlame(s, flame, 0, 0, FlameGains{});
    EXPECT_EQ(blues(s), (std::vector<int>{16, 17, 0, 0, 0, 0, //
                                          20, 21, 0, 0, 0, 0, //
                                          0,  0,  0, 0, 0, 0, //
                                          0,  0,  0, 0, 0, 0}));
    // Bottom-right corner: centre (6, 4) puts it at (4, 3).
    s = Surface(6, 4);
    AddFlame(s, flame, 6, 4, FlameGains{});
    EXPECT_EQ(blues(s), (std::vector<int>{0, 0, 0, 0, 0,  0, //
                                          0, 0, 0, 0, 0,  0, //
                                          0, 0, 0, 0, 0,  0, //
                                          0, 0, 0, 0, 10, 11}));
    // Wholly outside on each side: nothing changes.
    for (auto [x, y] : {std::pair{-2, 1}, std::pair{8, 1}, std::pair{3, -2}, std::pair{3, 6}}) {
        s = Surface(6, 4);
        AddFlame(s, flame, x, y, FlameGains{});
        EXPECT_EQ(blues(s), std::vector<int>(24, 0)) << x << ", " << y;
    }
    // A flame larger than the surface covers it all.
    Surface big(10, 10, MakePixel(0, 0, 7));
    s = Surface(2, 2);
    AddFlame(s, big, 1, 1, FlameGains{});
    EXPECT_EQ(blues(s), std::vector<int>(4, 7));
}

TEST(FinishAnimation, MessageGrowsInSixPausedStepsThenTheFlameGlides)
{
    FinishAnimation anim(kWordTestFinish);
    // W = 600: the message's left edge is (600 - 50 n) / 2 at step n.
    const int left[] = {250, 225, 200, 175, 150, 125};
    for (int i = 0; i < 6; ++i) {
        const int step = i + 2;
        ASSERT_EQ(anim.AnimStep, step);
        const FinishFrame f = anim.Step(600);
        EXPECT_EQ(f.PointSize, step * 10) << step;
        EXPECT_EQ(f.TextX, left[i]) << step;
        EXPECT_EQ(f.TextY, step * 15 - 10) << step;
        EXPECT_EQ(f.PauseMs, 10) << step;
        EXPECT_EQ(f.TimerIntervalMs, 0) << step;
        EXPECT_EQ(f.SpriteX, left[i]) << step;
        EXPECT_EQ(f.SpriteY, step * 20 - 15) << step;
    }
    EXPECT_EQ(anim.AnimStep, 8);

    // The glide: 80 points at x 100, the flame from 125 by 8 a frame at a
    // 1 ms timer while it is left of the text's right end (100 + 400).
    int x = 125;
    for (int frame = 0; frame < 47; ++frame) {
        const FinishFrame f = anim.Step(600);
        x += 8;
        EXPECT_EQ(f.PointSize, 80);
        EXPECT_EQ(f.TextX, 100);
        EXPECT_EQ(f.TextY, 110);
        EXPECT_EQ(f.PauseMs, 0);
        EXPECT_EQ(f.TimerIntervalMs, 1);
        EXPECT_EQ(f.SpriteX, x);
        EXPECT_EQ(f.SpriteY, 145);
    }
    EXPECT_EQ(x, 501);
    for (int frame = 0; frame < 3; ++frame) {
        const FinishFrame f = anim.Step(600);
        EXPECT_EQ(f.TimerIntervalMs, 10);
        EXPECT_EQ(f.SpriteX, 501);
        EXPECT_EQ(f.SpriteY, 145);
        EXPECT_EQ(f.PauseMs, 0);
    }
    EXPECT_EQ(anim.AnimStep, 8);
}

TEST(FinishAnimation, NarrowPanelTruncatesTowardZeroAndTablesDiffer)
{
    FinishAnimation anim(kSentenceTestFinish);
    // (75 - 100) / 2 is -12, not -13.
    FinishFrame f = anim.Step(75);
    EXPECT_EQ(f.TextX, -12);
    EXPECT_EQ(f.SpriteX, -12);
    EXPECT_EQ(f.PauseMs, 5);
    f = anim.Step(75); // (75 - 150) / 2
    EXPECT_EQ(f.TextX, -37);

    EXPECT_EQ(kWordTestFinish.Gains.Red, 128);
    EXPECT_EQ(kSentenceTestFinish.Gains.Red, 50);
    EXPECT_EQ(kSentenceTestFinish.Gains.Green, 128);
    EXPECT_EQ(kSentenceTestFinish.Gains.Blue, 128);

    FinishBackground background;
    EXPECT_EQ(background.NextFrame(), MakePixel(0, 0, 0));
    EXPECT_EQ(background.NextFrame(), MakePixel(213, 231, 234));
    EXPECT_EQ(background.NextFrame(), MakePixel(213, 231, 234));
}

TEST(FinishScore, RoundsHalvesToEvenAndChoosesTheMessage)
{
    EXPECT_EQ(ScorePercent(1, 8), 12); // 12.5
    EXPECT_EQ(ScorePercent(3, 8), 38); // 37.5
    EXPECT_EQ(ScorePercent(5, 8), 62); // 62.5
    EXPECT_EQ(ScorePercent(7, 8), 88); // 87.5
    EXPECT_EQ(ScorePercent(1, 3), 33);
    EXPECT_EQ(ScorePercent(2, 3), 67);
    EXPECT_EQ(ScorePercent(0, 10), 0);
    EXPECT_EQ(ScorePercent(8, 10), 80);
    EXPECT_EQ(ScorePercent(10, 10), 100);
    EXPECT_EQ(ScorePercent(0, 0), 0);

    EXPECT_EQ(ScoreText(ScorePercent(1, 8)), QStringLiteral("得分：12 分"));
    EXPECT_EQ(ScoreText(0), QStringLiteral("得分：0 分"));
    EXPECT_EQ(FinishMessage(ScorePercent(8, 10)), QStringLiteral("英雄归来！"));
    EXPECT_EQ(FinishMessage(80), QStringLiteral("英雄归来！"));
    EXPECT_EQ(FinishMessage(79), QStringLiteral("继续努力！"));
    EXPECT_EQ(FinishMessage(ScorePercent(0, 10)), QStringLiteral("继续努力！"));
}
