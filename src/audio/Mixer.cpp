#include "audio/Mixer.h"

#include "audio/Decoder.h"
#include "audio/Samples.h"

#include <samplerate.h>

#include <algorithm>
#include <cmath>

namespace zarelo {
namespace {

constexpr int kDeviceChannels = 2;
constexpr int kMaxBlockFrames = 1024;
constexpr int kFeedFrames = 512; // frames handed to the resampler per callback

} // namespace

struct Mixer::Stream {
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

    Stream(std::unique_ptr<Decoder> opened, bool onlyDecode, int deviceRate)
        : decoder(std::move(opened)), decodeOnly(onlyDecode), channels(decoder->channels()),
          rate(decoder->rate()), length(decoder->frames()), freq(static_cast<float>(rate)),
          recent(static_cast<size_t>(deviceRate / 50) * 2, 0.0f)
    {
        block.reserve(static_cast<size_t>(kMaxBlockFrames) * channels);
    }
    ~Stream()
    {
        if (resampler)
            src_delete(resampler);
    }
    Stream(const Stream&) = delete;
    Stream& operator=(const Stream&) = delete;

    int64_t bytesPerFrame() const { return static_cast<int64_t>(channels) * 2; }

    static long feedResampler(void* user, float** data)
    {
        auto* stream = static_cast<Stream*>(user);
        const int64_t got = stream->decoder->read(stream->feed.data(), kFeedFrames);
        *data = stream->feed.data();
        return static_cast<long>(got);
    }

    // Makes the decoder read from the heard position again, after a seek or
    // a switch between resampling and bypass.
    void restartPipeline()
    {
        const int64_t frame =
            std::clamp<int64_t>(static_cast<int64_t>(std::floor(position)), 0, length);
        position = static_cast<double>(frame);
        if (!decoder->seek(frame))
            position = static_cast<double>(decoder->position());
        if (resampler)
            src_reset(resampler);
    }

    void applyRate(int deviceRate)
    {
        const double newRatio = static_cast<double>(deviceRate) / freq;
        const bool resample = newRatio != 1.0;
        if (resample && !resampler) {
            int err = 0;
            resampler = src_callback_new(feedResampler, SRC_SINC_FASTEST, channels, &err, this);
            feed.resize(static_cast<size_t>(kFeedFrames) * channels);
        }
        if (resample != resampling) {
            resampling = resample;
            restartPipeline();
        }
        if (resample && resampler)
            src_set_ratio(resampler, newRatio);
        ratio = newRatio;
    }

    // Mixes up to `frames` frames of this playing stream into `out` (stereo).
    void render(float* out, int frames)
    {
        block.resize(static_cast<size_t>(frames) * channels);
        int64_t made = 0;
        if (resampling && resampler)
            made = src_callback_read(resampler, ratio, frames, block.data());
        else if (!resampling)
            made = decoder->read(block.data(), frames);
        made = std::max<int64_t>(made, 0);
        const int right = channels > 1 ? 1 : 0;
        for (int64_t i = 0; i < made; ++i) {
            const float l = block[i * channels];
            const float r = block[i * channels + right];
            out[2 * i] += l;
            out[2 * i + 1] += r;
            recent[recentAt * 2] = l;
            recent[recentAt * 2 + 1] = r;
            recentAt = (recentAt + 1) % (recent.size() / 2);
        }
        position += resampling ? static_cast<double>(made) / ratio : static_cast<double>(made);
        if (made < frames) {
            position = static_cast<double>(length);
            playing = false;
            std::fill(recent.begin(), recent.end(), 0.0f);
        } else if (position > static_cast<double>(length)) {
            position = static_cast<double>(length);
        }
    }
};

Mixer::Mixer(AudioDevice* device, std::atomic<int>& error, HandleCounter& handles)
    : device_(device), error_(error), streams_(handles)
{
}

Mixer::~Mixer() = default;

bool Mixer::fail(int code)
{
    error_ = code;
    return false;
}

Mixer::Stream* Mixer::find(DWORD handle)
{
    Stream* s = streams_.find(handle);
    if (!s)
        error_ = BASS_ERROR_HANDLE;
    return s;
}

bool Mixer::open(DWORD freq)
{
    if (!device_)
        return fail(BASS_ERROR_DEVICE);
    {
        std::lock_guard lock(mutex_);
        if (open_)
            return fail(BASS_ERROR_ALREADY);
    }
    DeviceFormat format;
    format.rate = freq > 0 && freq <= 384000 ? static_cast<int>(freq) : 44100;
    format.channels = kDeviceChannels;
    format.bufferFrames = kMaxBlockFrames;
    // Without the lock: the device may start its thread, which takes it.
    if (!device_->openPlayback(format, *this))
        return fail(BASS_ERROR_DEVICE);
    std::lock_guard lock(mutex_);
    open_ = true;
    deviceRate_ = format.rate;
    bufferFrames_ = device_->playbackBufferFrames();
    error_ = BASS_OK;
    return true;
}

bool Mixer::start()
{
    {
        std::lock_guard lock(mutex_);
        if (!open_)
            return fail(BASS_ERROR_INIT);
    }
    device_->startPlayback();
    return true;
}

bool Mixer::close()
{
    bool wasOpen = false;
    {
        std::lock_guard lock(mutex_);
        wasOpen = open_;
        open_ = false;
    }
    if (!wasOpen)
        return fail(BASS_ERROR_INIT);
    // Without the lock: closing waits for a renderPlayback that may be waiting for it.
    device_->closePlayback();
    std::lock_guard lock(mutex_);
    streams_.clear();
    bufferFrames_ = 0;
    return true;
}

bool Mixer::isOpen() const
{
    std::lock_guard lock(mutex_);
    return open_;
}

int Mixer::bufferFrames() const
{
    std::lock_guard lock(mutex_);
    return bufferFrames_;
}

std::unique_lock<std::recursive_mutex> Mixer::hold()
{
    return std::unique_lock(mutex_);
}

HSTREAM Mixer::add(std::unique_ptr<Decoder> decoder, bool decodeOnly)
{
    int deviceRate = 0;
    {
        std::lock_guard lock(mutex_);
        if (!open_)
            return fail(BASS_ERROR_INIT), 0;
        deviceRate = deviceRate_;
    }
    auto stream = std::make_unique<Stream>(std::move(decoder), decodeOnly, deviceRate);
    std::lock_guard lock(mutex_);
    if (!open_)
        return fail(BASS_ERROR_INIT), 0;
    if (!stream->decodeOnly)
        stream->applyRate(deviceRate_);
    const HSTREAM handle = streams_.add(std::move(stream));
    error_ = BASS_OK;
    return handle;
}

bool Mixer::remove(HSTREAM handle)
{
    std::unique_ptr<Stream> gone;
    {
        std::lock_guard lock(mutex_);
        gone = streams_.take(handle);
        if (!gone)
            return fail(BASS_ERROR_HANDLE);
    }
    return true; // the decoder is closed here, outside the lock
}

Mixer::Stream* Mixer::playable(DWORD handle)
{
    Stream* s = find(handle);
    if (s && s->decodeOnly) {
        fail(BASS_ERROR_DECODE);
        return nullptr;
    }
    return s;
}

bool Mixer::play(DWORD handle, bool restart)
{
    std::lock_guard lock(mutex_);
    Stream* s = playable(handle);
    if (!s)
        return false;
    if (restart) {
        s->position = 0;
        s->restartPipeline();
    }
    s->playing = true;
    return true;
}

bool Mixer::stop(DWORD handle)
{
    std::lock_guard lock(mutex_);
    Stream* s = playable(handle);
    if (!s)
        return false;
    s->playing = false;
    std::fill(s->recent.begin(), s->recent.end(), 0.0f);
    return true;
}

bool Mixer::isPlaying(DWORD handle)
{
    std::lock_guard lock(mutex_);
    Stream* s = find(handle);
    return s && s->playing;
}

QWORD Mixer::position(DWORD handle)
{
    std::lock_guard lock(mutex_);
    Stream* s = find(handle);
    if (!s)
        return ~QWORD{0};
    return static_cast<QWORD>(static_cast<int64_t>(std::floor(s->position)) * s->bytesPerFrame());
}

QWORD Mixer::length(DWORD handle)
{
    std::lock_guard lock(mutex_);
    Stream* s = find(handle);
    if (!s)
        return ~QWORD{0};
    return static_cast<QWORD>(s->length * s->bytesPerFrame());
}

bool Mixer::setPosition(DWORD handle, QWORD pos)
{
    std::lock_guard lock(mutex_);
    Stream* s = find(handle);
    if (!s)
        return false;
    const QWORD frame = std::min<QWORD>(pos / static_cast<QWORD>(s->bytesPerFrame()),
                                        static_cast<QWORD>(s->length));
    s->position = static_cast<double>(frame);
    s->restartPipeline();
    return true;
}

QWORD Mixer::secondsToBytes(DWORD handle, double seconds)
{
    std::lock_guard lock(mutex_);
    Stream* s = find(handle);
    if (!s || !std::isfinite(seconds))
        return ~QWORD{0};
    // A hair of tolerance so that 12.3 s lands on frame 12.3 x rate, not one below.
    const double frames = std::floor(seconds * s->rate + 1e-6);
    const double limit = 9.0e15 / s->bytesPerFrame();
    const int64_t frame = static_cast<int64_t>(std::clamp(frames, -limit, limit));
    return static_cast<QWORD>(frame * s->bytesPerFrame());
}

double Mixer::bytesToSeconds(DWORD handle, QWORD pos)
{
    std::lock_guard lock(mutex_);
    Stream* s = find(handle);
    if (!s)
        return -1.0;
    const int64_t frames = static_cast<int64_t>(pos) / s->bytesPerFrame();
    return static_cast<double>(frames) / s->rate;
}

bool Mixer::rate(DWORD handle, float* value)
{
    std::lock_guard lock(mutex_);
    Stream* s = find(handle);
    if (!s)
        return false;
    *value = s->freq;
    return true;
}

bool Mixer::setRate(DWORD handle, float value)
{
    std::lock_guard lock(mutex_);
    Stream* s = find(handle);
    if (!s)
        return false;
    if (value == 0)
        value = static_cast<float>(s->rate);
    // The resampler takes ratios between 1/256 and 256.
    const float lowest = static_cast<float>(deviceRate_) / 255.0f;
    const float highest = static_cast<float>(deviceRate_) * 255.0f;
    s->freq = std::clamp(value, std::max(lowest, 100.0f), highest);
    if (!s->decodeOnly)
        s->applyRate(deviceRate_);
    return true;
}

DWORD Mixer::level(DWORD handle)
{
    std::lock_guard lock(mutex_);
    Stream* s = find(handle);
    if (!s)
        return ~DWORD{0};
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

void Mixer::renderPlayback(int16_t* out, int frames, int channels)
{
    std::lock_guard lock(mutex_);
    for (int done = 0; done < frames;) {
        const int n = std::min(kMaxBlockFrames, frames - done);
        mix_.assign(static_cast<size_t>(n) * 2, 0.0f);
        streams_.forEach([&](Stream& s) {
            if (s.playing)
                s.render(mix_.data(), n);
        });
        int16_t* target = out + static_cast<size_t>(done) * channels;
        for (int i = 0; i < n; ++i)
            for (int c = 0; c < channels; ++c)
                target[i * channels + c] = toSample(mix_[i * 2 + std::min(c, 1)]);
        done += n;
    }
}

} // namespace zarelo
