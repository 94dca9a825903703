#pragma once
// The pupil's recording as a complete WAV file image in memory: the 44-byte
// PCM header followed by the recorded samples (44100 Hz, 2 channels, 16-bit
// little-endian). The header says "no data yet" while recording and gets its
// two sizes once the recording has stopped.

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace zarelo {

constexpr int kRecordRate = 44100;
constexpr int kRecordChannels = 2;
constexpr size_t kWavHeaderBytes = 44;

// Writes the 44-byte header at `to`: RIFF size 36 and data size 0.
void WriteWavHeader(uint8_t* to);
// Sets the two sizes of the header at the start of a `total`-byte file image:
// RIFF size total - 8 at offset 4, data size total - 44 at offset 40.
void WriteWavSizes(uint8_t* file, size_t total);

// A growable byte buffer that one thread appends to while another reads its
// size.
//
// Threads: append() runs on one thread at a time (the capture thread while
// recording). size() and empty() may be read from any thread at any time and
// never wait. data(), clear() and the destructor belong to the owner's thread
// and may only run while nothing appends (the recording has stopped).
//
// Memory: the buffer grows in place (realloc, which moves large blocks by
// remapping pages rather than copying them) and never holds more than 8 MB
// beyond what it stores.
class RecordingBuffer {
public:
    static constexpr size_t kMaxSlack = size_t{8} << 20;

    RecordingBuffer() = default;
    ~RecordingBuffer();
    RecordingBuffer(const RecordingBuffer&) = delete;
    RecordingBuffer& operator=(const RecordingBuffer&) = delete;

    // Appends `count` bytes. False, with nothing appended, when no memory is left.
    bool append(const void* bytes, size_t count);
    size_t size() const { return size_.load(std::memory_order_acquire); }
    bool empty() const { return size() == 0; }
    size_t capacity() const { return capacity_; }
    uint8_t* data() { return data_; }
    const uint8_t* data() const { return data_; }
    // Empties the buffer and gives its memory back.
    void clear();

private:
    uint8_t* data_ = nullptr;
    size_t capacity_ = 0;
    std::atomic<size_t> size_{0};
};

} // namespace zarelo
