#pragma once
// Decoders that turn encoded audio into float frames on the fly, reading
// their input through a ByteSource: the caller's memory in place, or a file.
// Not thread-safe: the engine uses each decoder under its lock.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

namespace zarelo {

// Random-access bytes. Reads never go past size().
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual int64_t size() const = 0;
    // Copies up to `count` bytes from `offset`; returns how many (0 at the end).
    virtual int64_t read(int64_t offset, void* out, int64_t count) = 0;
    // First bytes, for telling formats apart.
    int64_t peek(void* out, int64_t count) { return read(0, out, count); }
};

// The caller's bytes, never copied; they must outlive the source.
std::unique_ptr<ByteSource> MemorySource(const void* data, int64_t size);
// A file, read as needed; null when it cannot be opened. `offset`/`length`
// select part of it (length 0: to the end).
std::unique_ptr<ByteSource> FileSource(const std::string& path, int64_t offset, int64_t length);

class Decoder {
public:
    virtual ~Decoder() = default;
    int rate() const { return rate_; }         // frames per second
    int channels() const { return channels_; } // 1 or more
    int64_t frames() const { return frames_; } // exact length
    // Next frame to be decoded.
    int64_t position() const { return position_; }
    // Moves to `frame` (0..frames()), exact to the sample. False on failure.
    virtual bool seek(int64_t frame) = 0;
    // Decodes up to `frames` interleaved frames into `out` (range -1..1);
    // returns how many, 0 at the end or on damage.
    virtual int64_t read(float* out, int64_t frames) = 0;

protected:
    int rate_ = 0;
    int channels_ = 0;
    int64_t frames_ = 0;
    int64_t position_ = 0;
};

// Finds the format from the first bytes (RIFF/RF64 WAV, OggS, fLaC and the
// other libsndfile formats; MP3 behind an ID3 tag or an MPEG frame header)
// and opens a decoder; null when the bytes are not audio it can decode.
std::unique_ptr<Decoder> OpenDecoder(std::unique_ptr<ByteSource> source);

} // namespace zarelo
