#include "support/Wav.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace zarelo::fakes {

namespace {

void put32(QByteArray& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.append(static_cast<char>((v >> (8 * i)) & 0xFF));
}

void put16(QByteArray& out, uint16_t v)
{
    out.append(static_cast<char>(v & 0xFF));
    out.append(static_cast<char>(v >> 8));
}

} // namespace

QByteArray WavBytes(int rate, int channels, const std::vector<int16_t>& samples)
{
    const uint32_t data = static_cast<uint32_t>(samples.size() * 2);
    QByteArray out;
    out.reserve(static_cast<qsizetype>(44 + data));
    out.append("RIFF");
    put32(out, 36 + data);
    out.append("WAVEfmt ");
    put32(out, 16);
    put16(out, 1); // PCM
    put16(out, static_cast<uint16_t>(channels));
    put32(out, static_cast<uint32_t>(rate));
    put32(out, static_cast<uint32_t>(rate * channels * 2));
    put16(out, static_cast<uint16_t>(channels * 2));
    put16(out, 16);
    out.append("data");
    put32(out, data);
    for (int16_t s : samples)
        put16(out, static_cast<uint16_t>(s));
    return out;
}

std::vector<int16_t> ToneSamples(int rate, double seconds, double hz, double amplitude)
{
    std::vector<int16_t> out(static_cast<size_t>(std::lround(seconds * rate)));
    if (hz <= 0)
        return out;
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<int16_t>(
            std::lround(amplitude * std::sin(2.0 * std::numbers::pi * hz * double(i) / rate)));
    return out;
}

std::vector<int16_t> StereoTone(int rate, double seconds, double hz, double amplitude)
{
    const std::vector<int16_t> mono = ToneSamples(rate, seconds, hz, amplitude);
    std::vector<int16_t> out(mono.size() * 2);
    for (size_t i = 0; i < mono.size(); ++i)
        out[i * 2] = out[i * 2 + 1] = mono[i];
    return out;
}

bool Silent(const std::vector<int16_t>& samples)
{
    return std::all_of(samples.begin(), samples.end(), [](int16_t s) { return s == 0; });
}

} // namespace zarelo::fakes
