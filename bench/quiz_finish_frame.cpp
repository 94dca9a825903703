// One frame of the tests' finish animation over a 600 x 300 panel: clearing
// the two surfaces, copying the text surface without its key colour, adding
// the 128 x 160 grey flame (the size of the shipped fire2.tga) with the word
// test's and the sentence test's gains. Against the baseline of the same
// memory traffic without the rules: two fills and a memcpy of the surface.
// Goal: under 2 ms a frame (the animation redraws every 10 ms, the glide
// every 1 ms).
#include "quiz/FinishEffect.h"
#include "quiz/Surface.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>

using namespace zarelo;

namespace {

constexpr int kWidth = 600;
constexpr int kHeight = 300;
constexpr int kFlameWidth = 128;
constexpr int kFlameHeight = 160;

struct Frame {
    Surface front{kWidth, kHeight};
    Surface text{kWidth, kHeight, kKeyColour};    // cleared every frame
    Surface message{kWidth, kHeight, kKeyColour}; // a drawn message, made once
    Surface flame{kFlameWidth, kFlameHeight};

    Frame()
    {
        // Strokes of an 80-point message over a band across the middle:
        // about a third of its pixels drawn.
        for (int y = 110; y < 220; ++y)
            for (int x = 100; x < 500; ++x)
                if ((x / 6 + y / 9) % 3 == 0)
                    message.row(y)[x] = kMessageColour;
        // A soft round glow, grey as the program makes the flame.
        for (int y = 0; y < kFlameHeight; ++y) {
            for (int x = 0; x < kFlameWidth; ++x) {
                const int dx = x - kFlameWidth / 2, dy = (y - kFlameHeight / 2) * 4 / 5;
                const int level = std::max(0, 255 - (dx * dx + dy * dy) / 16);
                flame.row(y)[x] = MakePixel(level, level * 3 / 4, level / 3);
            }
        }
        MakeGrey(flame);
    }
};

Frame& frame()
{
    static Frame f;
    return f;
}

void BM_Baseline_FillAndCopy(benchmark::State& state)
{
    Frame& f = frame();
    for (auto _ : state) {
        std::fill(f.front.Pixels.begin(), f.front.Pixels.end(), kPanelColour);
        std::fill(f.text.Pixels.begin(), f.text.Pixels.end(), kKeyColour);
        std::memcpy(f.front.Pixels.data(), f.message.Pixels.data(), f.front.Pixels.size() * 4);
        benchmark::DoNotOptimize(f.front.Pixels.data());
        benchmark::DoNotOptimize(f.text.Pixels.data());
        benchmark::ClobberMemory();
    }
}

void frameLoop(benchmark::State& state, const FinishEffectValues& values)
{
    Frame& f = frame();
    // The glide's middle: the flame wholly on the panel.
    const int spriteX = 300, spriteY = 145;
    for (auto _ : state) {
        Fill(f.front, kPanelColour);
        Fill(f.text, kKeyColour);
        CopyWithoutKey(f.message, f.front);
        AddFlame(f.front, f.flame, spriteX, spriteY, values.Gains);
        benchmark::DoNotOptimize(f.front.Pixels.data());
        benchmark::DoNotOptimize(f.text.Pixels.data());
        benchmark::ClobberMemory();
    }
}

void BM_FinishFrame_WordTest(benchmark::State& state)
{
    frameLoop(state, kWordTestFinish);
}
void BM_FinishFrame_SentenceTest(benchmark::State& state)
{
    frameLoop(state, kSentenceTestFinish);
}

// Each of the rules alone, to see where a frame's time goes.
void BM_CopyWithoutKey(benchmark::State& state)
{
    Frame& f = frame();
    for (auto _ : state) {
        CopyWithoutKey(f.message, f.front);
        benchmark::DoNotOptimize(f.front.Pixels.data());
        benchmark::ClobberMemory();
    }
}

void BM_AddFlame(benchmark::State& state)
{
    Frame& f = frame();
    for (auto _ : state) {
        Fill(f.front, kPanelColour); // keeps the blend from saturating
        AddFlame(f.front, f.flame, 300, 145, kSentenceTestFinish.Gains);
        benchmark::DoNotOptimize(f.front.Pixels.data());
        benchmark::ClobberMemory();
    }
}

} // namespace

BENCHMARK(BM_Baseline_FillAndCopy)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FinishFrame_WordTest)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FinishFrame_SentenceTest)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CopyWithoutKey)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AddFlame)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
