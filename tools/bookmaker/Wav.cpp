#include "bookmaker/Wav.h"

#include "base/BookError.h"

#include <QtEndian>
#include <cmath>
#include <numbers>

namespace zarelo::bookmaker {

namespace {

uint32_t u32(QByteArrayView bytes, qsizetype at)
{
    return qFromLittleEndian<uint32_t>(bytes.data() + at);
}

uint16_t u16(QByteArrayView bytes, qsizetype at)
{
    return qFromLittleEndian<uint16_t>(bytes.data() + at);
}

void put32(QByteArray& out, uint32_t v)
{
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

void put16(QByteArray& out, uint16_t v)
{
    char b[2];
    qToLittleEndian(v, b);
    out.append(b, 2);
}

struct Note {
    double Frequency; // Hz
    double Seconds;
};

// Notes one after another, each a sine with its first two overtones, a 5 ms
// attack and an exponential decay, peak about -8 dBFS.
MonoSound tones(std::initializer_list<Note> notes)
{
    MonoSound sound;
    sound.SampleRate = 44100;
    for (const Note& n : notes) {
        const int count = static_cast<int>(n.Seconds * sound.SampleRate);
        for (int i = 0; i < count; ++i) {
            const double t = static_cast<double>(i) / sound.SampleRate;
            const double attack = std::min(1.0, t / 0.005);
            const double release = std::min(1.0, (count - i) / (0.01 * sound.SampleRate));
            const double envelope = attack * release * std::exp(-4.0 * t / n.Seconds);
            const double w = 2 * std::numbers::pi * n.Frequency * t;
            const double v = std::sin(w) + 0.3 * std::sin(2 * w) + 0.1 * std::sin(3 * w);
            sound.Samples.push_back(static_cast<int16_t>(std::lround(9000 * envelope * v)));
        }
    }
    return sound;
}

} // namespace

MonoSound ReadWav(QByteArrayView bytes, const QString& name)
{
    auto fail = [&](const char* what) {
        throw BookError(QStringLiteral("%1: %2").arg(name, QLatin1String(what)));
    };
    if (bytes.size() < 12 || bytes.first(4) != "RIFF" || bytes.sliced(8, 4) != "WAVE")
        fail("not a RIFF WAVE file");
    MonoSound sound;
    bool format = false;
    qsizetype at = 12;
    while (at + 8 <= bytes.size()) {
        const QByteArrayView id = bytes.sliced(at, 4);
        const qint64 size = u32(bytes, at + 4);
        const qsizetype body = at + 8;
        if (id == "fmt ") {
            if (size < 16 || body + 16 > bytes.size())
                fail("short format chunk");
            if (u16(bytes, body) != 1 || u16(bytes, body + 2) != 1 || u16(bytes, body + 14) != 16)
                fail("not 16-bit PCM mono");
            sound.SampleRate = static_cast<int>(u32(bytes, body + 4));
            format = true;
        } else if (id == "data") {
            if (!format)
                fail("data before the format chunk");
            const qsizetype length = std::min<qint64>(size, bytes.size() - body) & ~qint64(1);
            sound.Samples.resize(length / 2);
            for (qsizetype i = 0; i < length / 2; ++i)
                sound.Samples[i] = static_cast<int16_t>(u16(bytes, body + 2 * i));
            return sound;
        }
        at = body + size + (size & 1);
    }
    fail("no data chunk");
    return sound;
}

QByteArray WriteWav(const MonoSound& sound)
{
    const uint32_t dataBytes = static_cast<uint32_t>(sound.Samples.size() * 2);
    QByteArray out;
    out.reserve(44 + dataBytes);
    out.append("RIFF");
    put32(out, 36 + dataBytes);
    out.append("WAVEfmt ");
    put32(out, 16);
    put16(out, 1); // PCM
    put16(out, 1); // mono
    put32(out, sound.SampleRate);
    put32(out, sound.SampleRate * 2);
    put16(out, 2);
    put16(out, 16);
    out.append("data");
    put32(out, dataBytes);
    for (int16_t s : sound.Samples)
        put16(out, static_cast<uint16_t>(s));
    return out;
}

MonoSound StartCue()
{
    return tones({{659.25, 0.12}, {987.77, 0.28}});
}

MonoSound SuccessCue()
{
    return tones({{523.25, 0.09}, {659.25, 0.09}, {783.99, 0.09}, {1046.50, 0.35}});
}

} // namespace zarelo::bookmaker
