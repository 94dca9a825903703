#include "audio/Decoder.h"

#include <mpg123.h>
#include <sndfile.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

namespace zarelo {
namespace {

// Longest stream taken: a day at 768 kHz; larger lengths (libsndfile reports
// an unknown one as SF_COUNT_MAX) mark damaged headers.
constexpr int64_t kMaxFrames = int64_t{768000} * 86400;

class MemoryBytes final : public ByteSource {
public:
    MemoryBytes(const void* data, int64_t size)
        : data_(static_cast<const uint8_t*>(data)), size_(size)
    {
    }
    int64_t size() const override { return size_; }
    int64_t read(int64_t offset, void* out, int64_t count) override
    {
        if (offset < 0 || offset >= size_ || count <= 0)
            return 0;
        const int64_t n = std::min(count, size_ - offset);
        std::memcpy(out, data_ + offset, static_cast<size_t>(n));
        return n;
    }

private:
    const uint8_t* data_;
    int64_t size_;
};

class FileBytes final : public ByteSource {
public:
    FileBytes(std::FILE* file, int64_t offset, int64_t size)
        : file_(file), offset_(offset), size_(size)
    {
    }
    ~FileBytes() override { std::fclose(file_); }
    int64_t size() const override { return size_; }
    int64_t read(int64_t offset, void* out, int64_t count) override
    {
        if (offset < 0 || offset >= size_ || count <= 0)
            return 0;
        const int64_t n = std::min(count, size_ - offset);
        if (fseeko(file_, static_cast<off_t>(offset_ + offset), SEEK_SET) != 0)
            return 0;
        return static_cast<int64_t>(std::fread(out, 1, static_cast<size_t>(n), file_));
    }

private:
    std::FILE* file_;
    int64_t offset_;
    int64_t size_;
};

// A read/seek cursor over a ByteSource, as both libraries want one.
struct Cursor {
    std::unique_ptr<ByteSource> source;
    int64_t at = 0;

    int64_t seek(int64_t offset, int whence)
    {
        int64_t base = whence == SEEK_CUR ? at : whence == SEEK_END ? source->size() : 0;
        const int64_t target = base + offset;
        if (target < 0)
            return -1;
        at = target;
        return at;
    }
    int64_t read(void* out, int64_t count)
    {
        const int64_t n = source->read(at, out, count);
        at += n;
        return n;
    }
};

// ---- libsndfile: WAV, OGG, FLAC and whatever else it knows ----

sf_count_t sfLength(void* user)
{
    return static_cast<Cursor*>(user)->source->size();
}
sf_count_t sfSeek(sf_count_t offset, int whence, void* user)
{
    return static_cast<Cursor*>(user)->seek(offset, whence);
}
sf_count_t sfRead(void* out, sf_count_t count, void* user)
{
    return static_cast<Cursor*>(user)->read(out, count);
}
sf_count_t sfWrite(const void*, sf_count_t, void*)
{
    return 0;
}
sf_count_t sfTell(void* user)
{
    return static_cast<Cursor*>(user)->at;
}

class SndfileDecoder final : public Decoder {
public:
    ~SndfileDecoder() override
    {
        if (file_)
            sf_close(file_);
    }

    // False when libsndfile does not take the bytes, or takes them as MP3
    // (its MP3 lengths are not exact; libmpg123 reads those).
    bool open(std::unique_ptr<ByteSource> source)
    {
        cursor_.source = std::move(source);
        SF_VIRTUAL_IO io{sfLength, sfSeek, sfRead, sfWrite, sfTell};
        SF_INFO info{};
        file_ = sf_open_virtual(&io, SFM_READ, &info, &cursor_);
        if (!file_)
            return false;
        isMpeg = (info.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_MPEG;
        if (isMpeg || info.channels <= 0 || info.samplerate <= 0 || info.samplerate > 768000 ||
            info.channels > 64 || info.frames < 0 || info.frames > kMaxFrames)
            return false;
        sf_command(file_, SFC_SET_CLIPPING, nullptr, SF_TRUE);
        rate_ = info.samplerate;
        channels_ = info.channels;
        frames_ = info.frames;
        return true;
    }

    bool seek(int64_t frame) override
    {
        frame = std::clamp<int64_t>(frame, 0, frames_);
        if (frame == position_)
            return true;
        if (sf_seek(file_, frame, SEEK_SET) < 0)
            return false;
        position_ = frame;
        return true;
    }

    int64_t read(float* out, int64_t frames) override
    {
        frames = std::min(frames, frames_ - position_);
        if (frames <= 0)
            return 0;
        const sf_count_t got = sf_readf_float(file_, out, frames);
        if (got <= 0)
            return 0;
        position_ += got;
        return got;
    }

    // The bytes back, after a failed open (for the MP3 decoder).
    std::unique_ptr<ByteSource> release()
    {
        if (file_)
            sf_close(file_);
        file_ = nullptr;
        return std::move(cursor_.source);
    }

    bool isMpeg = false;

private:
    Cursor cursor_;
    SNDFILE* file_ = nullptr;
};

// ---- libmpg123: MP3, gapless, scanned length, exact seek ----

mpg123_ssize_t mpgRead(void* user, void* out, size_t count)
{
    return static_cast<mpg123_ssize_t>(
        static_cast<Cursor*>(user)->read(out, static_cast<int64_t>(count)));
}
off_t mpgSeek(void* user, off_t offset, int whence)
{
    return static_cast<off_t>(static_cast<Cursor*>(user)->seek(offset, whence));
}

class Mpg123Decoder final : public Decoder {
public:
    ~Mpg123Decoder() override
    {
        if (handle_) {
            mpg123_close(handle_);
            mpg123_delete(handle_);
        }
    }

    bool open(std::unique_ptr<ByteSource> source)
    {
        static std::once_flag once;
        std::call_once(once, [] { mpg123_init(); });
        cursor_.source = std::move(source);
        int error = MPG123_OK;
        handle_ = mpg123_new(nullptr, &error);
        if (!handle_)
            return false;
        mpg123_param(handle_, MPG123_FLAGS, MPG123_GAPLESS | MPG123_QUIET, 0);
        mpg123_param(handle_, MPG123_RESYNC_LIMIT, 65536, 0);
        mpg123_format_none(handle_);
        const long* rates = nullptr;
        size_t count = 0;
        mpg123_rates(&rates, &count);
        for (size_t i = 0; i < count; ++i)
            mpg123_format(handle_, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_FLOAT_32);
        if (mpg123_replace_reader_handle(handle_, mpgRead, mpgSeek, nullptr) != MPG123_OK)
            return false;
        if (mpg123_open_handle(handle_, &cursor_) != MPG123_OK)
            return false;
        // Scanning reads every frame header (no decoding) for the exact length
        // and the seek index.
        if (mpg123_scan(handle_) != MPG123_OK)
            return false;
        long rate = 0;
        int channels = 0, encoding = 0;
        if (mpg123_getformat(handle_, &rate, &channels, &encoding) != MPG123_OK ||
            encoding != MPG123_ENC_FLOAT_32 || rate <= 0 || channels <= 0)
            return false;
        const off_t length = mpg123_length(handle_);
        if (length <= 0 || length > kMaxFrames)
            return false;
        rate_ = static_cast<int>(rate);
        channels_ = channels;
        frames_ = length;
        return mpg123_seek(handle_, 0, SEEK_SET) == 0;
    }

    bool seek(int64_t frame) override
    {
        frame = std::clamp<int64_t>(frame, 0, frames_);
        if (frame == position_)
            return true;
        const off_t at = mpg123_seek(handle_, static_cast<off_t>(frame), SEEK_SET);
        if (at < 0)
            return false;
        position_ = at;
        return at == frame;
    }

    int64_t read(float* out, int64_t frames) override
    {
        frames = std::min(frames, frames_ - position_);
        int64_t total = 0;
        const size_t frameBytes = sizeof(float) * static_cast<size_t>(channels_);
        while (total < frames) {
            size_t done = 0;
            const int result =
                mpg123_read(handle_, reinterpret_cast<unsigned char*>(out + total * channels_),
                            static_cast<size_t>(frames - total) * frameBytes, &done);
            total += static_cast<int64_t>(done / frameBytes);
            if (result == MPG123_NEW_FORMAT) {
                long rate = 0;
                int channels = 0, encoding = 0;
                mpg123_getformat(handle_, &rate, &channels, &encoding);
                if (rate != rate_ || channels != channels_)
                    break; // a change of format mid-file ends the stream
                continue;
            }
            if (result != MPG123_OK || done == 0)
                break;
        }
        position_ += total;
        return total;
    }

private:
    Cursor cursor_;
    mpg123_handle* handle_ = nullptr;
};

// An MPEG audio frame header: sync, a valid version, layer, bitrate and rate.
bool isMpegHeader(const uint8_t* b)
{
    if (b[0] != 0xFF || (b[1] & 0xE0) != 0xE0)
        return false;
    const int version = (b[1] >> 3) & 3, layer = (b[1] >> 1) & 3;
    const int bitrate = b[2] >> 4, rate = (b[2] >> 2) & 3;
    return version != 1 && layer != 0 && bitrate != 15 && bitrate != 0 && rate != 3;
}

bool looksLikeMp3(ByteSource& source)
{
    uint8_t head[10] = {};
    if (source.peek(head, 10) < 4)
        return false;
    if (std::memcmp(head, "ID3", 3) == 0)
        return true;
    return isMpegHeader(head);
}

} // namespace

std::unique_ptr<ByteSource> MemorySource(const void* data, int64_t size)
{
    if (!data || size < 0)
        return nullptr;
    return std::make_unique<MemoryBytes>(data, size);
}

std::unique_ptr<ByteSource> FileSource(const std::string& path, int64_t offset, int64_t length)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return nullptr;
    if (fseeko(file, 0, SEEK_END) != 0) {
        std::fclose(file);
        return nullptr;
    }
    const int64_t fileSize = ftello(file);
    if (offset < 0 || offset > fileSize) {
        std::fclose(file);
        return nullptr;
    }
    const int64_t size = length > 0 ? std::min(length, fileSize - offset) : fileSize - offset;
    return std::make_unique<FileBytes>(file, offset, size);
}

std::unique_ptr<Decoder> OpenDecoder(std::unique_ptr<ByteSource> source)
{
    if (!source || source->size() < 4)
        return nullptr;
    if (looksLikeMp3(*source)) {
        auto mp3 = std::make_unique<Mpg123Decoder>();
        if (mp3->open(std::move(source)))
            return mp3;
        return nullptr;
    }
    auto other = std::make_unique<SndfileDecoder>();
    if (other->open(std::move(source)))
        return other;
    if (other->isMpeg) {
        auto mp3 = std::make_unique<Mpg123Decoder>();
        if (mp3->open(other->release()))
            return mp3;
    }
    return nullptr;
}

} // namespace zarelo
