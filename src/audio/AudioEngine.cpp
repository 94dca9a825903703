#include "audio/AudioEngine.h"

#include "audio/Decoder.h"

#include <kiss_fftr.h>
#include <samplerate.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

namespace zarelo {
namespace {

constexpr int kDeviceChannels = 2;
constexpr int kMaxBlockFrames = 1024;
constexpr int kFeedFrames = 512; // frames handed to the resampler per callback
constexpr int kFftSize = 1024;
constexpr DWORD kFailed = 0xFFFFFFFF;

// Peak of one sample on the 0..32768 scale.
int peakOf(float sample)
{
    const float magnitude = std::fabs(sample) * 32768.0f;
    return magnitude >= 32768.0f ? 32768 : static_cast<int>(std::lround(magnitude));
}

DWORD levelWord(int left, int right)
{
    return static_cast<DWORD>(left & 0xFFFF) | (static_cast<DWORD>(right & 0xFFFF) << 16);
}

// Peaks of interleaved frames; channel 0 left, channel 1 (or 0 for mono) right.
DWORD levelOf(const float* samples, int64_t frames, int channels)
{
    int left = 0, right = 0;
    for (int64_t i = 0; i < frames; ++i) {
        const float* frame = samples + i * channels;
        left = std::max(left, peakOf(frame[0]));
        right = std::max(right, peakOf(frame[channels > 1 ? 1 : 0]));
    }
    return levelWord(left, right);
}

int16_t toSample(float value)
{
    const float scaled = value * 32768.0f;
    if (scaled >= 32767.0f)
        return 32767;
    if (scaled <= -32768.0f)
        return -32768;
    return static_cast<int16_t>(std::lrintf(scaled));
}

struct Stream {
    std::unique_ptr<Decoder> decoder;
    bool decodeOnly = false;
    int channels = 0;
    int rate = 0;        // native, Hz
    int64_t length = 0;  // frames
    double position = 0; // frames heard (playable) or decoded (decode-only)
    float freq = 0;      // rate attribute, Hz
    bool playing = false;

    // Resampling from freq to the device rate; bypassed when they are equal.
    SRC_STATE* resampler = nullptr;
    double ratio = 1.0; // device rate / freq, as last applied
    bool resampling = false;
    std::vector<float> feed;
    std::vector<float> block; // one device block in the stream's channels

    // The last 20 ms sent to the mixer, stereo, for the level of a playing stream.
    std::vector<float> recent;
    size_t recentAt = 0;

    ~Stream()
    {
        if (resampler)
            src_delete(resampler);
    }

    int64_t bytesPerFrame() const { return static_cast<int64_t>(channels) * 2; }
};

long feedResampler(void* user, float** data)
{
    auto* stream = static_cast<Stream*>(user);
    const int64_t got = stream->decoder->read(stream->feed.data(), kFeedFrames);
    *data = stream->feed.data();
    return static_cast<long>(got);
}

} // namespace

struct AudioEngine::Impl final : AudioCallbacks {
    std::unique_ptr<AudioDevice> device;
    std::atomic<int> error{BASS_OK};

    // Playback: everything below is guarded by `mutex`, which the device
    // thread takes for each block it renders.
    std::recursive_mutex mutex;
    bool inited = false;
    int deviceRate = 44100;
    int bufferFrames = 0;
    std::unordered_map<DWORD, std::unique_ptr<Stream>> streams;
    std::vector<float> mix;
    std::atomic<DWORD> nextHandle{1};

    // Recording: `recordControl` orders the operations (init, start, stop,
    // free) against each other; `captureMutex` guards what the capture
    // thread reads and writes. Never held together with `mutex`, and never
    // held while the device closes capture (it waits for the capture thread).
    std::mutex recordControl;
    bool recordInited = false;
    std::vector<std::string> inputNames;
    std::vector<DWORD> inputFlags;
    std::vector<float> inputVolumes;
    std::mutex captureMutex;
    HRECORD recordHandle = 0;
    bool recording = false; // delivering to the callback
    bool captureOpen = false;
    DeviceFormat recordFormat;
    int recordInput = -1;
    RECORDPROC proc = nullptr;
    void* procUser = nullptr;
    float captureVolume = 1.0f;
    std::vector<int16_t> scaled;
    std::vector<float> fftRing = std::vector<float>(kFftSize, 0.0f); // mono, latest frames
    size_t fftAt = 0;
    std::vector<float> levelRing; // stereo, latest 20 ms
    size_t levelAt = 0;
    kiss_fftr_cfg fft = nullptr;
    std::vector<float> window;

    Impl()
    {
        fft = kiss_fftr_alloc(kFftSize, 0, nullptr, nullptr);
        window.resize(kFftSize);
        for (int i = 0; i < kFftSize; ++i)
            window[i] = 0.5f * (1.0f - std::cos(2.0f * static_cast<float>(M_PI) * i / kFftSize));
    }
    ~Impl() override { kiss_fftr_free(fft); }

    bool fail(int code)
    {
        error = code;
        return false;
    }

    Stream* find(DWORD handle)
    {
        auto it = streams.find(handle);
        if (it == streams.end()) {
            error = BASS_ERROR_HANDLE;
            return nullptr;
        }
        return it->second.get();
    }

    bool isRecordHandle(DWORD handle)
    {
        std::lock_guard lock(captureMutex);
        return handle != 0 && handle == recordHandle;
    }

    // Makes the decoder read from the heard position again, after a seek or
    // a switch between resampling and bypass.
    void restartPipeline(Stream& s)
    {
        const int64_t frame =
            std::clamp<int64_t>(static_cast<int64_t>(std::floor(s.position)), 0, s.length);
        s.position = static_cast<double>(frame);
        if (!s.decoder->seek(frame))
            s.position = static_cast<double>(s.decoder->position());
        if (s.resampler)
            src_reset(s.resampler);
    }

    void applyRate(Stream& s)
    {
        const double ratio = static_cast<double>(deviceRate) / s.freq;
        const bool resample = ratio != 1.0;
        if (resample && !s.resampler) {
            int err = 0;
            s.resampler = src_callback_new(feedResampler, SRC_SINC_FASTEST, s.channels, &err, &s);
            s.feed.resize(static_cast<size_t>(kFeedFrames) * s.channels);
        }
        if (resample != s.resampling) {
            s.resampling = resample;
            restartPipeline(s);
        }
        if (resample && s.resampler)
            src_set_ratio(s.resampler, ratio);
        s.ratio = ratio;
    }

    // Mixes up to `frames` frames of a playing stream into `out` (stereo).
    void renderStream(Stream& s, float* out, int frames)
    {
        s.block.resize(static_cast<size_t>(frames) * s.channels);
        int64_t made = 0;
        if (s.resampling && s.resampler)
            made = src_callback_read(s.resampler, s.ratio, frames, s.block.data());
        else if (!s.resampling)
            made = s.decoder->read(s.block.data(), frames);
        made = std::max<int64_t>(made, 0);
        const int right = s.channels > 1 ? 1 : 0;
        for (int64_t i = 0; i < made; ++i) {
            const float l = s.block[i * s.channels];
            const float r = s.block[i * s.channels + right];
            out[2 * i] += l;
            out[2 * i + 1] += r;
            s.recent[s.recentAt * 2] = l;
            s.recent[s.recentAt * 2 + 1] = r;
            s.recentAt = (s.recentAt + 1) % (s.recent.size() / 2);
        }
        s.position +=
            s.resampling ? static_cast<double>(made) / s.ratio : static_cast<double>(made);
        if (made < frames) {
            s.position = static_cast<double>(s.length);
            s.playing = false;
            std::fill(s.recent.begin(), s.recent.end(), 0.0f);
        } else if (s.position > static_cast<double>(s.length)) {
            s.position = static_cast<double>(s.length);
        }
    }

    void renderPlayback(int16_t* out, int frames, int channels) override
    {
        std::lock_guard lock(mutex);
        for (int done = 0; done < frames;) {
            const int n = std::min(kMaxBlockFrames, frames - done);
            mix.assign(static_cast<size_t>(n) * 2, 0.0f);
            for (auto& [handle, stream] : streams)
                if (stream->playing)
                    renderStream(*stream, mix.data(), n);
            int16_t* target = out + static_cast<size_t>(done) * channels;
            for (int i = 0; i < n; ++i)
                for (int c = 0; c < channels; ++c)
                    target[i * channels + c] = toSample(mix[i * 2 + std::min(c, 1)]);
            done += n;
        }
    }

    void captureArrived(const int16_t* in, int frames, int channels) override
    {
        std::lock_guard lock(captureMutex);
        if (!recording || frames <= 0)
            return;
        const int16_t* samples = in;
        const size_t count = static_cast<size_t>(frames) * channels;
        if (captureVolume != 1.0f) {
            scaled.resize(count);
            for (size_t i = 0; i < count; ++i)
                scaled[i] = toSample(in[i] / 32768.0f * captureVolume);
            samples = scaled.data();
        }
        const size_t levelFrames = levelRing.size() / 2;
        for (int i = 0; i < frames; ++i) {
            const float l = samples[i * channels] / 32768.0f;
            const float r = samples[i * channels + (channels > 1 ? 1 : 0)] / 32768.0f;
            fftRing[fftAt] = 0.5f * (l + r);
            fftAt = (fftAt + 1) % kFftSize;
            if (levelFrames > 0) {
                levelRing[levelAt * 2] = l;
                levelRing[levelAt * 2 + 1] = r;
                levelAt = (levelAt + 1) % levelFrames;
            }
        }
        if (proc &&
            !proc(recordHandle, samples, static_cast<DWORD>(count * sizeof(int16_t)), procUser))
            recording = false;
    }

    // Closes the capture device without holding captureMutex.
    void closeCapture()
    {
        bool wasOpen = false;
        {
            std::lock_guard lock(captureMutex);
            recording = false;
            wasOpen = captureOpen;
            captureOpen = false;
        }
        if (wasOpen && device)
            device->closeCapture();
    }
};

AudioEngine::AudioEngine(std::unique_ptr<AudioDevice> device) : impl_(std::make_unique<Impl>())
{
    impl_->device = std::move(device);
}

AudioEngine::~AudioEngine()
{
    BASS_Free();
}

AudioDevice* AudioEngine::device() const
{
    return impl_->device.get();
}

bool AudioEngine::BASS_Init(int device, DWORD freq, DWORD, void*, void*)
{
    Impl& d = *impl_;
    if (!d.device)
        return d.fail(BASS_ERROR_DEVICE);
    if (device != -1 && device != 1)
        return d.fail(BASS_ERROR_DEVICE);
    {
        std::lock_guard lock(d.mutex);
        if (d.inited)
            return d.fail(BASS_ERROR_ALREADY);
    }
    DeviceFormat format;
    format.rate = freq > 0 && freq <= 384000 ? static_cast<int>(freq) : 44100;
    format.channels = kDeviceChannels;
    format.bufferFrames = kMaxBlockFrames;
    if (!d.device->openPlayback(format, d))
        return d.fail(BASS_ERROR_DEVICE);
    std::lock_guard lock(d.mutex);
    d.inited = true;
    d.deviceRate = format.rate;
    d.bufferFrames = d.device->playbackBufferFrames();
    d.error = BASS_OK;
    return true;
}

bool AudioEngine::BASS_Start()
{
    Impl& d = *impl_;
    {
        std::lock_guard lock(d.mutex);
        if (!d.inited)
            return d.fail(BASS_ERROR_INIT);
    }
    d.device->startPlayback();
    return true;
}

bool AudioEngine::BASS_Free()
{
    Impl& d = *impl_;
    BASS_RecordFree();
    bool wasInited = false;
    {
        std::lock_guard lock(d.mutex);
        wasInited = d.inited;
        d.inited = false;
    }
    if (!wasInited)
        return d.fail(BASS_ERROR_INIT);
    d.device->closePlayback();
    std::lock_guard lock(d.mutex);
    d.streams.clear();
    d.bufferFrames = 0;
    return true;
}

HSTREAM AudioEngine::BASS_StreamCreateFile(bool mem, const void* file, QWORD offset, QWORD length,
                                           DWORD flags)
{
    Impl& d = *impl_;
    int deviceRate = 0;
    {
        std::lock_guard lock(d.mutex);
        if (!d.inited)
            return d.fail(BASS_ERROR_INIT), 0;
        deviceRate = d.deviceRate;
    }
    if (!file)
        return d.fail(BASS_ERROR_ILLPARAM), 0;
    std::unique_ptr<ByteSource> source;
    if (mem) {
        if (length == 0 || length > static_cast<QWORD>(INT64_MAX) || offset > length)
            return d.fail(BASS_ERROR_ILLPARAM), 0;
        source = MemorySource(static_cast<const uint8_t*>(file) + offset,
                              static_cast<int64_t>(length - offset));
    } else {
        source = FileSource(static_cast<const char*>(file), static_cast<int64_t>(offset),
                            static_cast<int64_t>(length));
        if (!source)
            return d.fail(BASS_ERROR_FILEOPEN), 0;
    }
    // Opening (an MP3 is scanned whole) happens outside the lock, so the
    // device goes on playing meanwhile.
    std::unique_ptr<Decoder> decoder = OpenDecoder(std::move(source));
    if (!decoder)
        return d.fail(BASS_ERROR_FILEFORM), 0;
    auto stream = std::make_unique<Stream>();
    stream->channels = decoder->channels();
    stream->rate = decoder->rate();
    stream->length = decoder->frames();
    stream->freq = static_cast<float>(stream->rate);
    stream->decodeOnly = (flags & BASS_STREAM_DECODE) != 0;
    stream->decoder = std::move(decoder);
    stream->recent.assign(static_cast<size_t>(deviceRate / 50) * 2, 0.0f);
    stream->block.reserve(static_cast<size_t>(kMaxBlockFrames) * stream->channels);
    std::lock_guard lock(d.mutex);
    if (!d.inited)
        return d.fail(BASS_ERROR_INIT), 0;
    if (!stream->decodeOnly)
        d.applyRate(*stream);
    DWORD handle = d.nextHandle++;
    if (handle == 0)
        handle = d.nextHandle++;
    d.streams.emplace(handle, std::move(stream));
    d.error = BASS_OK;
    return handle;
}

bool AudioEngine::BASS_StreamFree(HSTREAM handle)
{
    Impl& d = *impl_;
    std::unique_ptr<Stream> gone;
    {
        std::lock_guard lock(d.mutex);
        auto it = d.streams.find(handle);
        if (it == d.streams.end())
            return d.fail(BASS_ERROR_HANDLE);
        gone = std::move(it->second);
        d.streams.erase(it);
    }
    return true; // the decoder is closed here, outside the lock
}

bool AudioEngine::BASS_ChannelPlay(DWORD handle, bool restart)
{
    Impl& d = *impl_;
    if (d.isRecordHandle(handle)) {
        std::lock_guard control(d.recordControl);
        DeviceFormat format;
        int input = -1;
        {
            std::lock_guard lock(d.captureMutex);
            if (d.recording)
                return true;
            if (d.captureOpen) {
                d.recording = true;
                return true;
            }
            format = d.recordFormat;
            input = d.recordInput;
        }
        if (!d.device->openCapture(input, format, d))
            return d.fail(BASS_ERROR_DEVICE);
        std::lock_guard lock(d.captureMutex);
        d.captureOpen = true;
        d.recording = true;
        return true;
    }
    std::lock_guard lock(d.mutex);
    Stream* s = d.find(handle);
    if (!s)
        return false;
    if (s->decodeOnly)
        return d.fail(BASS_ERROR_DECODE);
    if (restart) {
        s->position = 0;
        d.restartPipeline(*s);
    }
    s->playing = true;
    return true;
}

bool AudioEngine::BASS_ChannelStop(DWORD handle)
{
    Impl& d = *impl_;
    if (d.isRecordHandle(handle)) {
        std::lock_guard control(d.recordControl);
        d.closeCapture();
        return true;
    }
    std::lock_guard lock(d.mutex);
    Stream* s = d.find(handle);
    if (!s)
        return false;
    if (s->decodeOnly)
        return d.fail(BASS_ERROR_DECODE);
    s->playing = false;
    std::fill(s->recent.begin(), s->recent.end(), 0.0f);
    return true;
}

DWORD AudioEngine::BASS_ChannelIsActive(DWORD handle)
{
    Impl& d = *impl_;
    {
        std::lock_guard lock(d.captureMutex);
        if (handle != 0 && handle == d.recordHandle)
            return d.recording ? BASS_ACTIVE_PLAYING : BASS_ACTIVE_STOPPED;
    }
    std::lock_guard lock(d.mutex);
    Stream* s = d.find(handle);
    return s && s->playing ? BASS_ACTIVE_PLAYING : BASS_ACTIVE_STOPPED;
}

QWORD AudioEngine::BASS_ChannelGetPosition(DWORD handle, DWORD mode)
{
    Impl& d = *impl_;
    if ((mode & 0xFFFF) != BASS_POS_BYTE)
        return d.fail(BASS_ERROR_NOTAVAIL), ~QWORD{0};
    std::lock_guard lock(d.mutex);
    Stream* s = d.find(handle);
    if (!s)
        return ~QWORD{0};
    return static_cast<QWORD>(static_cast<int64_t>(std::floor(s->position)) * s->bytesPerFrame());
}

QWORD AudioEngine::BASS_ChannelGetLength(DWORD handle, DWORD mode)
{
    Impl& d = *impl_;
    if ((mode & 0xFFFF) != BASS_POS_BYTE)
        return d.fail(BASS_ERROR_NOTAVAIL), ~QWORD{0};
    std::lock_guard lock(d.mutex);
    Stream* s = d.find(handle);
    if (!s)
        return ~QWORD{0};
    return static_cast<QWORD>(s->length * s->bytesPerFrame());
}

bool AudioEngine::BASS_ChannelSetPosition(DWORD handle, QWORD pos, DWORD mode)
{
    Impl& d = *impl_;
    if ((mode & 0xFFFF) != BASS_POS_BYTE)
        return d.fail(BASS_ERROR_NOTAVAIL);
    std::lock_guard lock(d.mutex);
    Stream* s = d.find(handle);
    if (!s)
        return false;
    const QWORD frame = std::min<QWORD>(pos / static_cast<QWORD>(s->bytesPerFrame()),
                                        static_cast<QWORD>(s->length));
    s->position = static_cast<double>(frame);
    d.restartPipeline(*s);
    return true;
}

QWORD AudioEngine::BASS_ChannelSeconds2Bytes(DWORD handle, double seconds)
{
    Impl& d = *impl_;
    std::lock_guard lock(d.mutex);
    Stream* s = d.find(handle);
    if (!s || !std::isfinite(seconds))
        return ~QWORD{0};
    // A hair of tolerance so that 12.3 s lands on frame 12.3 x rate, not one below.
    const double frames = std::floor(seconds * s->rate + 1e-6);
    const double limit = 9.0e15 / s->bytesPerFrame();
    const int64_t frame = static_cast<int64_t>(std::clamp(frames, -limit, limit));
    return static_cast<QWORD>(frame * s->bytesPerFrame());
}

double AudioEngine::BASS_ChannelBytes2Seconds(DWORD handle, QWORD pos)
{
    Impl& d = *impl_;
    std::lock_guard lock(d.mutex);
    Stream* s = d.find(handle);
    if (!s)
        return -1.0;
    const int64_t frames = static_cast<int64_t>(pos) / s->bytesPerFrame();
    return static_cast<double>(frames) / s->rate;
}

bool AudioEngine::BASS_ChannelGetAttribute(DWORD handle, DWORD attrib, float* value)
{
    Impl& d = *impl_;
    if (attrib != BASS_ATTRIB_FREQ || !value)
        return d.fail(BASS_ERROR_ILLTYPE);
    if (d.isRecordHandle(handle)) {
        std::lock_guard lock(d.captureMutex);
        *value = static_cast<float>(d.recordFormat.rate);
        return true;
    }
    std::lock_guard lock(d.mutex);
    Stream* s = d.find(handle);
    if (!s)
        return false;
    *value = s->freq;
    return true;
}

bool AudioEngine::BASS_ChannelSetAttribute(DWORD handle, DWORD attrib, float value)
{
    Impl& d = *impl_;
    if (attrib != BASS_ATTRIB_FREQ || !std::isfinite(value) || value < 0)
        return d.fail(BASS_ERROR_ILLPARAM);
    std::lock_guard lock(d.mutex);
    Stream* s = d.find(handle);
    if (!s)
        return false;
    if (value == 0)
        value = static_cast<float>(s->rate);
    // The resampler takes ratios between 1/256 and 256.
    const float lowest = static_cast<float>(d.deviceRate) / 255.0f;
    const float highest = static_cast<float>(d.deviceRate) * 255.0f;
    s->freq = std::clamp(value, std::max(lowest, 100.0f), highest);
    if (!s->decodeOnly)
        d.applyRate(*s);
    return true;
}

bool AudioEngine::BASS_ChannelSlideAttribute(DWORD handle, DWORD attrib, float value, DWORD)
{
    return BASS_ChannelSetAttribute(handle, attrib, value);
}

DWORD AudioEngine::BASS_ChannelGetLevel(DWORD handle)
{
    Impl& d = *impl_;
    {
        std::lock_guard lock(d.captureMutex);
        if (handle != 0 && handle == d.recordHandle) {
            if (!d.recording)
                return 0;
            return levelOf(d.levelRing.data(), static_cast<int64_t>(d.levelRing.size() / 2), 2);
        }
    }
    std::lock_guard lock(d.mutex);
    Stream* s = d.find(handle);
    if (!s)
        return kFailed;
    if (!s->decodeOnly) {
        if (!s->playing)
            return 0;
        return levelOf(s->recent.data(), static_cast<int64_t>(s->recent.size() / 2), 2);
    }
    // Decode-only: decode the next 20 ms and move on.
    const int64_t want = std::max(1, static_cast<int>(std::lround(s->rate / 50.0)));
    s->block.resize(static_cast<size_t>(want) * s->channels);
    const int64_t got = s->decoder->read(s->block.data(), want);
    s->position = static_cast<double>(s->decoder->position());
    return levelOf(s->block.data(), got, s->channels);
}

DWORD AudioEngine::BASS_ChannelGetData(DWORD handle, void* buffer, DWORD length)
{
    Impl& d = *impl_;
    if (length != BASS_DATA_FFT1024 || !buffer)
        return d.fail(BASS_ERROR_ILLPARAM), kFailed;
    std::vector<float> input(kFftSize);
    {
        std::lock_guard lock(d.captureMutex);
        if (handle == 0 || handle != d.recordHandle)
            return d.fail(BASS_ERROR_HANDLE), kFailed;
        for (int i = 0; i < kFftSize; ++i)
            input[i] = d.fftRing[(d.fftAt + i) % kFftSize] * d.window[i];
    }
    std::vector<kiss_fft_cpx> spectrum(kFftSize / 2 + 1);
    kiss_fftr(d.fft, input.data(), spectrum.data());
    // A sine of amplitude A gives A x N / 4 in its bin through the Hann window.
    auto* out = static_cast<float*>(buffer);
    for (int i = 0; i < kFftSize / 2; ++i)
        out[i] = std::hypot(spectrum[i].r, spectrum[i].i) * (4.0f / kFftSize);
    return (kFftSize / 2) * sizeof(float);
}

bool AudioEngine::BASS_RecordInit(int device)
{
    Impl& d = *impl_;
    std::lock_guard control(d.recordControl);
    if (!d.device || device < -1)
        return d.fail(BASS_ERROR_DEVICE);
    if (d.recordInited)
        return d.fail(BASS_ERROR_ALREADY);
    std::vector<std::string> names = d.device->captureNames();
    if (names.empty() || (device >= 0 && device >= static_cast<int>(names.size())))
        return d.fail(BASS_ERROR_DEVICE);
    d.inputNames = std::move(names);
    d.inputFlags.assign(d.inputNames.size(), BASS_INPUT_TYPE_MIC | BASS_INPUT_OFF);
    d.inputFlags[device >= 0 ? device : 0] = BASS_INPUT_TYPE_MIC;
    d.inputVolumes.assign(d.inputNames.size(), 1.0f);
    d.recordInited = true;
    return true;
}

bool AudioEngine::BASS_RecordFree()
{
    Impl& d = *impl_;
    std::lock_guard control(d.recordControl);
    if (!d.recordInited)
        return d.fail(BASS_ERROR_INIT);
    d.closeCapture();
    {
        std::lock_guard lock(d.captureMutex);
        d.recordHandle = 0;
        d.proc = nullptr;
    }
    d.recordInited = false;
    d.inputNames.clear();
    d.inputFlags.clear();
    d.inputVolumes.clear();
    return true;
}

const char* AudioEngine::BASS_RecordGetInputName(int input)
{
    Impl& d = *impl_;
    std::lock_guard control(d.recordControl);
    if (!d.recordInited)
        return d.fail(BASS_ERROR_INIT), nullptr;
    if (input < 0 || input >= static_cast<int>(d.inputNames.size()))
        return d.fail(BASS_ERROR_ILLPARAM), nullptr;
    return d.inputNames[input].c_str();
}

DWORD AudioEngine::BASS_RecordGetInput(int input, float* volume)
{
    Impl& d = *impl_;
    std::lock_guard control(d.recordControl);
    if (!d.recordInited)
        return d.fail(BASS_ERROR_INIT), kFailed;
    if (input < 0 || input >= static_cast<int>(d.inputNames.size()))
        return d.fail(BASS_ERROR_ILLPARAM), kFailed;
    if (volume)
        *volume = d.inputVolumes[input];
    return d.inputFlags[input];
}

bool AudioEngine::BASS_RecordSetInput(int input, DWORD flags, float volume)
{
    Impl& d = *impl_;
    std::lock_guard control(d.recordControl);
    if (!d.recordInited)
        return d.fail(BASS_ERROR_INIT);
    if (input < 0 || input >= static_cast<int>(d.inputNames.size()))
        return d.fail(BASS_ERROR_ILLPARAM);
    if (flags & BASS_INPUT_ON) {
        for (auto& f : d.inputFlags)
            f |= BASS_INPUT_OFF;
        d.inputFlags[input] &= ~BASS_INPUT_OFF;
    } else if (flags & BASS_INPUT_OFF) {
        d.inputFlags[input] |= BASS_INPUT_OFF;
    }
    if (volume >= 0.0f && std::isfinite(volume)) {
        d.inputVolumes[input] = std::min(volume, 1.0f);
        std::lock_guard lock(d.captureMutex);
        if (d.captureOpen && d.recordInput == input)
            d.captureVolume = d.inputVolumes[input];
    }
    return true;
}

HRECORD AudioEngine::BASS_RecordStart(DWORD freq, DWORD chans, DWORD flags, RECORDPROC proc,
                                      void* user)
{
    Impl& d = *impl_;
    std::lock_guard control(d.recordControl);
    if (!d.recordInited)
        return d.fail(BASS_ERROR_INIT), 0;
    if (freq == 0 || freq > 384000 || chans == 0 || chans > 2 || flags != 0)
        return d.fail(BASS_ERROR_FORMAT), 0;
    d.closeCapture(); // one recording at a time: a new start ends the last one
    int input = -1;
    for (size_t i = 0; i < d.inputFlags.size(); ++i)
        if (!(d.inputFlags[i] & BASS_INPUT_OFF)) {
            input = static_cast<int>(i);
            break;
        }
    DeviceFormat format;
    format.rate = static_cast<int>(freq);
    format.channels = static_cast<int>(chans);
    format.bufferFrames = static_cast<int>(freq / 100); // 10 ms blocks
    {
        std::lock_guard lock(d.captureMutex);
        d.recordHandle = d.nextHandle++;
        d.recordFormat = format;
        d.recordInput = input;
        d.proc = proc;
        d.procUser = user;
        d.captureVolume = input >= 0 ? d.inputVolumes[input] : 1.0f;
        std::fill(d.fftRing.begin(), d.fftRing.end(), 0.0f);
        d.fftAt = 0;
        d.levelRing.assign(static_cast<size_t>(freq / 50) * 2, 0.0f);
        d.levelAt = 0;
        d.recording = true;
        d.captureOpen = true;
    }
    if (!d.device->openCapture(input, format, d)) {
        std::lock_guard lock(d.captureMutex);
        d.recording = false;
        d.captureOpen = false;
        d.recordHandle = 0;
        return d.fail(BASS_ERROR_DEVICE), 0;
    }
    std::lock_guard lock(d.captureMutex);
    return d.recordHandle;
}

int AudioEngine::BASS_ErrorGetCode() const
{
    return impl_->error;
}

std::unique_lock<std::recursive_mutex> AudioEngine::HoldDevice()
{
    return std::unique_lock(impl_->mutex);
}

int AudioEngine::PlaybackBufferFrames() const
{
    std::lock_guard lock(impl_->mutex);
    return impl_->bufferFrames;
}

} // namespace zarelo
