#include "oral/spectrum_vis.h"

#include <algorithm>
#include <cmath>

namespace zarelo {

TSpectrum::TSpectrum(int width, int height) : Buffer(width, height), Background(width, height) {}

void TSpectrum::Draw(Surface& screen, const float* values, int X, int Y)
{
    const int H = Buffer.Height;
    if (ClearBackground) {
        Fill(Buffer, BackColor);
        if (UseBackground)
            CopyAt(Background, Buffer, 0, 0);
    }
    const int base = Y + H;
    for (int i = 0; i < kBands; ++i) {
        const int at = i * Step + 5;
        const float value = at >= 0 && at < kValues ? values[at] : 0.0f;
        // NaN and huge magnitudes end up at MaxHeight, as any loud value.
        const double height = std::fabs(double(value)) * 500;
        const int v = !(height < MaxHeight) ? MaxHeight : int(height);
        Peaks[i] = v >= Peaks[i] ? v : Peaks[i] - PeakFallOff;
        Bars[i] = v >= Bars[i] ? v : Bars[i] - BarFallOff;
        Peaks[i] = std::max(Peaks[i], 0);
        Bars[i] = std::max(Bars[i], 0);
        if (DrawType == 0) {
            VerticalLine(Buffer, X + i, base, base - Bars[i], PenColor);
            const int peakY = base - Peaks[i];
            if (ShowPeaks && X + i >= 0 && X + i < Buffer.Width && peakY >= 0 && peakY < H)
                Buffer.row(peakY)[X + i] = PenColor;
        } else if (DrawType == 1) {
            const int left = X + i * (BarWidth + 1);
            if (ShowPeaks)
                FillRect(Buffer, left, base - Peaks[i], left + BarWidth, base - Peaks[i] + 1,
                         PeakColor);
            FillRect(Buffer, left, base - Bars[i], left + BarWidth, base, PenColor);
        }
    }
    CopyAt(Buffer, screen, 0, 0);
}

} // namespace zarelo
