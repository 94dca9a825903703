// The audio engine's goals, each beside its baseline in the same run:
//  - opening a packed 30-minute voice (WAV, MP3) costs about its unpacking,
//    with no full decode; resident memory grows by at most the unpacked size
//    plus 16 MB (counters rss_growth_mb / allowed_mb);
//  - PlayRange into the middle of a 30-minute MP3 costs at most 2 x one
//    mpg123_seek to that frame;
//  - rendering 60 s of two mixed streams, one at rate factor 1.5, costs at
//    most 2 x libsamplerate converting that audio alone, and under 2% of a
//    core in real time (counter realtime_share_pct).
// The 30-minute voices are made once and kept beside the benchmark program.

#include "audio/AudioEngine.h"
#include "audio/ManualAudioDevice.h"
#include "audio/VoicePlayer.h"
#include "base/UserMessages.h"
#include "base/uPublicVarDefine.h"
#include "book/BookContent.h"
#include "book/PackedFile.h"
#include "support/Wav.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <benchmark/benchmark.h>
#include <mpg123.h>
#include <samplerate.h>
#include <sndfile.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <numbers>
#include <unistd.h>

using namespace zarelo;

namespace {

constexpr int kVoiceRate = 22050;
constexpr int kVoiceSeconds = 30 * 60;
QString gDataFolder; // program folder of the benchmark's book

class SilentMessages final : public UserMessages {
public:
    void showMessage(const QString&, const QString&, QObject*) override {}
};

// A voice-like test signal: a tone gliding between 150 and 450 Hz, 16-bit mono.
std::vector<short> voiceSamples(int64_t frames)
{
    std::vector<short> out(static_cast<size_t>(frames));
    double phase = 0;
    for (int64_t i = 0; i < frames; ++i) {
        const double hz = 300 + 150 * std::sin(i * 2 * std::numbers::pi / (kVoiceRate * 3.0));
        phase += 2 * std::numbers::pi * hz / kVoiceRate;
        out[static_cast<size_t>(i)] = static_cast<short>(9000 * std::sin(phase));
    }
    return out;
}

bool writeWithSndfile(const QString& path, int format, const std::vector<short>& samples)
{
    SF_INFO info{};
    info.samplerate = kVoiceRate;
    info.channels = 1;
    info.format = format;
    SNDFILE* file = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    if (!file)
        return false;
    sf_writef_short(file, samples.data(), static_cast<sf_count_t>(samples.size()));
    sf_close(file);
    return true;
}

// <program folder>/P/B/<name>.wav, packed, made once.
QString packedVoice(const QString& name, int format)
{
    const QString bookDir = gDataFolder + "/P/B";
    const QString packed = bookDir + "/" + name + ".wav";
    if (QFileInfo::exists(packed))
        return packed;
    QDir().mkpath(bookDir);
    const QString plain = bookDir + "/" + name + ".plain";
    if (!writeWithSndfile(plain, format, voiceSamples(int64_t{kVoiceRate} * kVoiceSeconds)))
        return {};
    QFile in(plain);
    in.open(QIODevice::ReadOnly);
    const QByteArray content = in.readAll();
    in.close();
    QFile::remove(plain);
    QFile out(packed);
    out.open(QIODevice::WriteOnly);
    out.write(PackBytes(content, 1));
    return packed;
}

const QString& wavVoice()
{
    static const QString path = packedVoice("Long30", SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    return path;
}
const QString& mp3Voice()
{
    static const QString path = packedVoice("LongMp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III);
    return path;
}

double residentMb()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * sysconf(_SC_PAGESIZE) / (1024.0 * 1024.0);
}

struct Rig {
    Rig()
    {
        auto owned = std::make_unique<ManualAudioDevice>();
        device = owned.get();
        engine = std::make_unique<AudioEngine>(std::move(owned));
        engine->BASS_Init(-1, 44100, 0, nullptr, nullptr);
        engine->BASS_Start();
        paths.ProgramFolder = gDataFolder;
        book.CurrentPublisher = "P";
        book.CurrentBook = "B";
        player = std::make_unique<VoicePlayer>(*engine, book, paths, messages);
    }
    ManualAudioDevice* device;
    std::unique_ptr<AudioEngine> engine;
    OpenBook book;
    ProgramPaths paths;
    SilentMessages messages;
    std::unique_ptr<VoicePlayer> player;
};

// ---- opening a packed 30-minute voice ----

void BM_UnpackBaseline(benchmark::State& state, const QString& (*voice)())
{
    const QString path = voice();
    for (auto _ : state)
        benchmark::DoNotOptimize(UnpackFile(path));
}

void BM_OpenVoiceFile(benchmark::State& state, const QString& (*voice)(), const char* name)
{
    const QString path = voice();
    double growth = 0, unpacked = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto rig = std::make_unique<Rig>();
        rig->book.CurrentVoiceName = rig->book.LoadedVoiceName = name;
        const double before = residentMb();
        state.ResumeTiming();
        const bool opened = rig->player->OpenVoiceFile("B");
        state.PauseTiming();
        growth = residentMb() - before;
        unpacked = static_cast<double>(rig->player->VoiceBytes.size()) / (1024.0 * 1024.0);
        if (!opened || rig->player->VoiceStream == 0)
            state.SkipWithError("voice did not open");
        rig.reset();
        state.ResumeTiming();
    }
    state.counters["rss_growth_mb"] = growth;
    state.counters["unpacked_mb"] = unpacked;
    state.counters["allowed_mb"] = unpacked + 16;
}

BENCHMARK_CAPTURE(BM_UnpackBaseline, wav, &wavVoice)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(BM_OpenVoiceFile, wav, &wavVoice, "Long30")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK_CAPTURE(BM_UnpackBaseline, mp3, &mp3Voice)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(BM_OpenVoiceFile, mp3, &mp3Voice, "LongMp3")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

// ---- a range in the middle of a 30-minute MP3 ----

struct MemoryReader {
    const QByteArray* bytes;
    int64_t at = 0;
    static mpg123_ssize_t read(void* user, void* out, size_t count)
    {
        auto* r = static_cast<MemoryReader*>(user);
        const int64_t n = std::min<int64_t>(static_cast<int64_t>(count), r->bytes->size() - r->at);
        std::memcpy(out, r->bytes->constData() + r->at, static_cast<size_t>(n));
        r->at += n;
        return n;
    }
    static off_t seek(void* user, off_t offset, int whence)
    {
        auto* r = static_cast<MemoryReader*>(user);
        r->at = (whence == SEEK_CUR ? r->at : whence == SEEK_END ? r->bytes->size() : 0) + offset;
        return r->at;
    }
};

// Two targets near the middle, 0.5 s apart, so that every seek moves.
constexpr double kMiddleTenths[2] = {9000.0, 9005.0};

void BM_Mpg123SeekBaseline(benchmark::State& state)
{
    const QByteArray bytes = UnpackFile(mp3Voice());
    mpg123_init();
    mpg123_handle* mh = mpg123_new(nullptr, nullptr);
    mpg123_param(mh, MPG123_FLAGS, MPG123_GAPLESS | MPG123_QUIET, 0);
    mpg123_format_none(mh);
    mpg123_format(mh, kVoiceRate, MPG123_MONO, MPG123_ENC_FLOAT_32);
    MemoryReader reader{&bytes};
    mpg123_replace_reader_handle(mh, &MemoryReader::read, &MemoryReader::seek, nullptr);
    mpg123_open_handle(mh, &reader);
    mpg123_scan(mh);
    int which = 0;
    for (auto _ : state) {
        const off_t frame = static_cast<off_t>(kMiddleTenths[which] / 10.0 * kVoiceRate);
        benchmark::DoNotOptimize(mpg123_seek(mh, frame, SEEK_SET));
        which ^= 1;
    }
    mpg123_close(mh);
    mpg123_delete(mh);
}
BENCHMARK(BM_Mpg123SeekBaseline)->Unit(benchmark::kMicrosecond);

void BM_PlayRangeMiddleOfMp3(benchmark::State& state)
{
    Rig rig;
    rig.book.CurrentVoiceName = rig.book.LoadedVoiceName = "LongMp3";
    rig.player->OpenVoiceFile("B");
    int which = 0;
    for (auto _ : state) {
        rig.player->PlayRange(kMiddleTenths[which], kMiddleTenths[which] + 20);
        which ^= 1;
    }
}
BENCHMARK(BM_PlayRangeMiddleOfMp3)->Unit(benchmark::kMicrosecond);

// ---- mixing 60 s ----

constexpr int kMixSeconds = 60;
constexpr int kBlock = 1024;

void BM_ResampleBaseline(benchmark::State& state)
{
    // The voice at rate factor 1.5: 22050 Hz read at 33075 Hz into 44100 Hz.
    std::vector<short> shorts = voiceSamples(int64_t{kVoiceRate} * 95);
    std::vector<float> input(shorts.size());
    for (size_t i = 0; i < shorts.size(); ++i)
        input[i] = shorts[i] / 32768.0f;
    struct Feed {
        const std::vector<float>* input;
        size_t at = 0;
        static long callback(void* user, float** data)
        {
            auto* f = static_cast<Feed*>(user);
            const size_t n = std::min<size_t>(512, f->input->size() - f->at);
            *data = const_cast<float*>(f->input->data() + f->at);
            f->at += n;
            return static_cast<long>(n);
        }
    };
    std::vector<float> out(kBlock);
    const double ratio = 44100.0 / (1.5 * kVoiceRate);
    for (auto _ : state) {
        Feed feed{&input};
        int err = 0;
        SRC_STATE* src = src_callback_new(&Feed::callback, SRC_SINC_FASTEST, 1, &err, &feed);
        for (int done = 0; done < 44100 * kMixSeconds; done += kBlock)
            benchmark::DoNotOptimize(src_callback_read(src, ratio, kBlock, out.data()));
        src_delete(src);
    }
}
BENCHMARK(BM_ResampleBaseline)->Unit(benchmark::kMillisecond);

void BM_MixTwoStreams(benchmark::State& state)
{
    Rig rig;
    const QByteArray voice = fakes::WavBytes(kVoiceRate, 1, voiceSamples(int64_t{kVoiceRate} * 95));
    std::vector<short> music = voiceSamples(int64_t{44100} * 61 * 2);
    const QByteArray cue = fakes::WavBytes(44100, 2, music);
    state.counters["device_buffer_frames"] = rig.engine->PlaybackBufferFrames();
    for (auto _ : state) {
        state.PauseTiming();
        const HSTREAM v =
            rig.engine->BASS_StreamCreateFile(true, voice.constData(), 0, voice.size(), 0);
        const HSTREAM c =
            rig.engine->BASS_StreamCreateFile(true, cue.constData(), 0, cue.size(), 0);
        rig.engine->BASS_ChannelSlideAttribute(v, BASS_ATTRIB_FREQ, 1.5f * kVoiceRate, 0);
        rig.engine->BASS_ChannelPlay(v, false);
        rig.engine->BASS_ChannelPlay(c, false);
        state.ResumeTiming();
        for (int done = 0; done < 44100 * kMixSeconds; done += kBlock)
            benchmark::DoNotOptimize(rig.device->render(kBlock));
        state.PauseTiming();
        if (rig.engine->BASS_ChannelIsActive(v) != BASS_ACTIVE_PLAYING)
            state.SkipWithError("voice ended early");
        rig.engine->BASS_StreamFree(v);
        rig.engine->BASS_StreamFree(c);
        state.ResumeTiming();
    }
    state.counters["realtime_share_pct"] =
        benchmark::Counter(kMixSeconds / 100.0, benchmark::Counter::kIsIterationInvariantRate |
                                                    benchmark::Counter::kInvert);
}
BENCHMARK(BM_MixTwoStreams)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    gDataFolder = QFileInfo(QString::fromLocal8Bit(argv[0])).absolutePath() + "/audio_engine_data";
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}
