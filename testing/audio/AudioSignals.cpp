#include "AudioSignals.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

namespace zarelo::testaudio {

std::vector<int16_t> sine(int rate, int channels, double seconds, double hz, double amplitude,
                          std::vector<double> gains)
{
    const int frames = static_cast<int>(std::lround(seconds * rate));
    std::vector<int16_t> out(static_cast<size_t>(frames) * channels);
    for (int i = 0; i < frames; ++i) {
        const double v = amplitude * std::sin(2.0 * std::numbers::pi * hz * i / rate);
        for (int c = 0; c < channels; ++c) {
            const double g = c < static_cast<int>(gains.size()) ? gains[c] : 1.0;
            out[static_cast<size_t>(i) * channels + c] =
                static_cast<int16_t>(std::lround(v * g * 32767.0));
        }
    }
    return out;
}

int16_t rampValue(int frame, int channel)
{
    return static_cast<int16_t>(((frame % 16384) * 2 + channel) * 2 - 32768 + 1);
}

std::vector<int16_t> ramp(int channels, int frames)
{
    std::vector<int16_t> out(static_cast<size_t>(frames) * channels);
    for (int i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            out[static_cast<size_t>(i) * channels + c] = rampValue(i, c);
    return out;
}

namespace {

struct Sink {
    QByteArray bytes;
    sf_count_t at = 0;
};

sf_count_t sinkLength(void* user)
{
    return static_cast<Sink*>(user)->bytes.size();
}
sf_count_t sinkSeek(sf_count_t offset, int whence, void* user)
{
    auto* s = static_cast<Sink*>(user);
    const sf_count_t base = whence == SEEK_CUR ? s->at : whence == SEEK_END ? s->bytes.size() : 0;
    s->at = base + offset;
    return s->at;
}
sf_count_t sinkRead(void* out, sf_count_t count, void* user)
{
    auto* s = static_cast<Sink*>(user);
    const sf_count_t n =
        std::max<sf_count_t>(0, std::min<sf_count_t>(count, s->bytes.size() - s->at));
    std::memcpy(out, s->bytes.constData() + s->at, static_cast<size_t>(n));
    s->at += n;
    return n;
}
sf_count_t sinkWrite(const void* data, sf_count_t count, void* user)
{
    auto* s = static_cast<Sink*>(user);
    if (s->at + count > s->bytes.size())
        s->bytes.resize(s->at + count);
    std::memcpy(s->bytes.data() + s->at, data, static_cast<size_t>(count));
    s->at += count;
    return count;
}
sf_count_t sinkTell(void* user)
{
    return static_cast<Sink*>(user)->at;
}

} // namespace

QByteArray encoded(int format, int rate, int channels, const std::vector<int16_t>& samples)
{
    Sink sink;
    SF_VIRTUAL_IO io{sinkLength, sinkSeek, sinkRead, sinkWrite, sinkTell};
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* file = sf_open_virtual(&io, SFM_WRITE, &info, &sink);
    if (!file)
        return {};
    sf_writef_short(file, samples.data(), static_cast<sf_count_t>(samples.size() / channels));
    sf_close(file);
    return sink.bytes;
}

QByteArray flac(int rate, int channels, const std::vector<int16_t>& samples)
{
    return encoded(SF_FORMAT_FLAC | SF_FORMAT_PCM_16, rate, channels, samples);
}
QByteArray ogg(int rate, int channels, const std::vector<int16_t>& samples)
{
    return encoded(SF_FORMAT_OGG | SF_FORMAT_VORBIS, rate, channels, samples);
}
QByteArray mp3(int rate, int channels, const std::vector<int16_t>& samples)
{
    return encoded(SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, rate, channels, samples);
}

double frequency(const std::vector<int16_t>& interleaved, int channels, int rate, int channel)
{
    const size_t frames = interleaved.size() / channels;
    long first = -1, last = -1, crossings = 0;
    for (size_t i = 1; i < frames; ++i) {
        const int a = interleaved[(i - 1) * channels + channel],
                  b = interleaved[i * channels + channel];
        if (a < 0 && b >= 0) {
            if (first < 0)
                first = static_cast<long>(i);
            last = static_cast<long>(i);
            ++crossings;
        }
    }
    if (crossings < 2)
        return 0.0;
    return static_cast<double>(crossings - 1) * rate / static_cast<double>(last - first);
}

} // namespace zarelo::testaudio
