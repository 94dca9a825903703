// The oral training's hot paths, each against a baseline of the same run:
// - one live-spectrum frame (the recording's spectrum fetched, drawn as bars
//   and copied to the screen surface) against filling and copying that
//   surface; goal: under 1 ms, the window draws one every 50 ms;
// - measuring and drawing a 30-second recording from its saved file against
//   reading its levels alone from memory; goal: at most 2x;
// - recording 10 minutes through the engine: the memory the recording holds
//   against its own size; goal: at most 16 MB more.
#include "audio/AudioEngine.h"
#include "audio/ManualAudioDevice.h"
#include "oral/OralRecorder.h"
#include "oral/VoiceWave.h"
#include "oral/spectrum_vis.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <memory>
#include <numbers>
#include <unistd.h>

using namespace zarelo;

namespace {

constexpr int kRate = 44100;

// Stereo frames of a voice-like signal: a tone whose loudness swells and fades.
std::vector<int16_t> VoiceFrames(double seconds, double startSeconds = 0)
{
    const int frames = int(seconds * kRate);
    std::vector<int16_t> out(size_t(frames) * 2);
    for (int i = 0; i < frames; ++i) {
        const double t = startSeconds + double(i) / kRate;
        const double s = 12000 * std::sin(2 * std::numbers::pi * 0.7 * t) *
                         std::sin(2 * std::numbers::pi * 330 * t);
        out[size_t(i) * 2] = out[size_t(i) * 2 + 1] = int16_t(std::lround(s));
    }
    return out;
}

struct Rig {
    ManualAudioDevice* device = nullptr;
    std::unique_ptr<AudioEngine> engine;
    std::unique_ptr<OralRecorder> recorder;
    Rig()
    {
        auto manual = std::make_unique<ManualAudioDevice>();
        device = manual.get();
        engine = std::make_unique<AudioEngine>(std::move(manual));
        engine->BASS_Init(-1, kRate, 0, nullptr, nullptr);
        recorder = std::make_unique<OralRecorder>(*engine);
        recorder->InitDevice();
    }
};

long ResidentBytes()
{
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return resident * sysconf(_SC_PAGESIZE);
}

void BM_Record10Minutes(benchmark::State& state)
{
    for (auto _ : state) {
        Rig rig;
        const long before = ResidentBytes();
        rig.recorder->Start();
        // Ten minutes in 10 ms device blocks, one second of signal at a time.
        const std::vector<int16_t> second = VoiceFrames(1.0);
        for (int s = 0; s < 600; ++s)
            rig.device->feedCapture(second, 441);
        rig.recorder->Stop();
        const double size = double(rig.recorder->Buffer.size());
        const double held = double(ResidentBytes() - before);
        state.counters["recording_MB"] = size / 1e6;
        state.counters["held_MB"] = held / 1e6;
        state.counters["held_beyond_MB"] = (held - size) / 1e6;
        state.counters["slack_MB"] = double(rig.recorder->Buffer.capacity()) / 1e6 - size / 1e6;
    }
}
BENCHMARK(BM_Record10Minutes)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_Baseline_FillAndCopySurface(benchmark::State& state)
{
    Surface buffer(600, 100), screen(600, 100);
    for (auto _ : state) {
        Fill(buffer, MakePixel(0, 0, 0));
        CopyAt(buffer, screen, 0, 0);
        benchmark::DoNotOptimize(screen.Pixels.data());
    }
}
BENCHMARK(BM_Baseline_FillAndCopySurface)->Unit(benchmark::kMicrosecond);

void BM_SpectrumFrame(benchmark::State& state)
{
    Rig rig;
    rig.recorder->Start();
    rig.device->feedCapture(VoiceFrames(0.5), 441);
    TSpectrum spectrum(600, 100);
    spectrum.DrawType = 1;
    Surface screen(600, 100);
    std::array<float, TSpectrum::kValues> values{};
    for (auto _ : state) {
        rig.engine->BASS_ChannelGetData(rig.recorder->RecordingHandle, values.data(),
                                        BASS_DATA_FFT1024);
        spectrum.Draw(screen, values.data(), 10, -10);
        benchmark::DoNotOptimize(screen.Pixels.data());
    }
}
BENCHMARK(BM_SpectrumFrame)->Unit(benchmark::kMicrosecond);

// A saved 30-second recording, shared by the two measurements.
struct Recording30s {
    Rig rig;
    QTemporaryDir dir;
    QString file;
    Recording30s()
    {
        rig.recorder->Start();
        rig.device->feedCapture(VoiceFrames(30.0), 441);
        rig.recorder->Stop();
        file = dir.filePath("zarelotmp.wav");
        rig.recorder->Save(file, nullptr);
    }
};

Recording30s& recording()
{
    static Recording30s r;
    return r;
}

void BM_Baseline_ReadLevels30s(benchmark::State& state)
{
    Recording30s& r = recording();
    AudioEngine& engine = *r.rig.engine;
    const RecordingBuffer& buffer = r.rig.recorder->Buffer;
    for (auto _ : state) {
        const HSTREAM decoder =
            engine.BASS_StreamCreateFile(true, buffer.data(), 0, buffer.size(), BASS_STREAM_DECODE);
        const std::vector<uint32_t> levels = ReadLevels(engine, decoder, LevelCount(30.0));
        engine.BASS_StreamFree(decoder);
        benchmark::DoNotOptimize(levels.data());
    }
}
BENCHMARK(BM_Baseline_ReadLevels30s)->Unit(benchmark::kMillisecond);

void BM_MeasureAndDrawOwnVoice30s(benchmark::State& state)
{
    Recording30s& r = recording();
    Surface picture(600, 100);
    const int referenceMax = 20000;
    for (auto _ : state) {
        const std::vector<uint32_t> levels = r.rig.recorder->MeasureOwnLevels(r.file);
        DrawOwnWave(levels, referenceMax, 3, 600, picture);
        benchmark::DoNotOptimize(picture.Pixels.data());
    }
}
BENCHMARK(BM_MeasureAndDrawOwnVoice30s)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
