#pragma once
// TSpectrum: the live spectrum of the recording, drawn as bars (or one-pixel
// lines) with slowly sinking peak marks on its own surface, and copied in one
// block onto the surface that stands for the screen.

#include "base/Surface.h"

#include <array>

namespace zarelo {

class TSpectrum {
public:
    // Bands drawn per frame; band i shows spectrum value i x Step + 5.
    static constexpr int kBands = 129;
    // Values a frame is drawn from: the 512 magnitudes of a 1024-sample FFT
    // and one spare.
    static constexpr int kValues = 513;

    TSpectrum(int width, int height);

    Surface Buffer;                            // the surface the spectrum is drawn on
    Surface Background;                        // copied under the bars when UseBackground
    Pixel BackColor = MakePixel(0, 0, 0);      // the surface is cleared with it
    int MaxHeight = 100;                       // highest bar, pixels
    Pixel PenColor = PixelOfColour(0xFFFFFF);  // bars and lines: white
    Pixel PeakColor = PixelOfColour(0x00FFFF); // peak marks of the bars: yellow
    int DrawType = 0;                          // 0 one-pixel lines, 1 bars
    int Step = 1;                              // spacing of the values used
    bool ClearBackground = true;               // clear before each drawing
    bool UseBackground = false;                // copy Background after clearing
    int PeakFallOff = 1;                       // pixels a peak mark sinks per drawing
    int BarFallOff = 3;                        // pixels a bar sinks per drawing
    int BarWidth = 5;                          // bars stand BarWidth + 1 apart
    bool ShowPeaks = true;                     // draw peak marks
    std::array<int, kBands> Peaks{};           // current peak height of each band
    std::array<int, kBands> Bars{};            // current bar height of each band

    // Draws one frame of `values` (kValues magnitudes) onto Buffer with the
    // bands' base line at Y + Buffer.Height and band 0 at X, then copies
    // Buffer onto `screen` at (0, 0). A band's height is |value| x 500 pixels
    // up to MaxHeight; a quieter value lets its bar sink by BarFallOff and its
    // peak mark by PeakFallOff, never below 0. Whatever falls outside the
    // surface is left out.
    void Draw(Surface& screen, const float* values, int X, int Y);
};

} // namespace zarelo
