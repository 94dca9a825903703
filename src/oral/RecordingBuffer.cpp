#include "oral/RecordingBuffer.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace zarelo {
namespace {

void put32(uint8_t* at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        at[i] = uint8_t(value >> (8 * i));
}

void put16(uint8_t* at, uint16_t value)
{
    at[0] = uint8_t(value);
    at[1] = uint8_t(value >> 8);
}

} // namespace

void WriteWavHeader(uint8_t* to)
{
    constexpr int blockAlign = kRecordChannels * 2;
    std::memcpy(to, "RIFF", 4);
    put32(to + 4, 36);
    std::memcpy(to + 8, "WAVE", 4);
    std::memcpy(to + 12, "fmt ", 4);
    put32(to + 16, 16);
    put16(to + 20, 1); // PCM
    put16(to + 22, kRecordChannels);
    put32(to + 24, kRecordRate);
    put32(to + 28, kRecordRate * blockAlign);
    put16(to + 32, blockAlign);
    put16(to + 34, 16);
    std::memcpy(to + 36, "data", 4);
    put32(to + 40, 0);
}

void WriteWavSizes(uint8_t* file, size_t total)
{
    // A RIFF file cannot say more than 4 GB; a longer recording keeps the
    // largest sizes the header can hold.
    const auto bounded = [](size_t value) { return uint32_t(std::min<size_t>(value, UINT32_MAX)); };
    put32(file + 4, bounded(total - 8));
    put32(file + 40, bounded(total - kWavHeaderBytes));
}

RecordingBuffer::~RecordingBuffer()
{
    std::free(data_);
}

bool RecordingBuffer::append(const void* bytes, size_t count)
{
    const size_t size = size_.load(std::memory_order_relaxed);
    if (count == 0)
        return true;
    if (count > SIZE_MAX - size)
        return false;
    const size_t needed = size + count;
    if (needed > capacity_) {
        // Doubling while small, then steps of kMaxSlack.
        const size_t step = std::clamp(capacity_, size_t{64} << 10, kMaxSlack);
        const size_t grown = std::max(needed, capacity_ + step);
        auto* moved = static_cast<uint8_t*>(std::realloc(data_, grown));
        if (!moved)
            return false;
        data_ = moved;
        capacity_ = grown;
    }
    std::memcpy(data_ + size, bytes, count);
    size_.store(needed, std::memory_order_release);
    return true;
}

void RecordingBuffer::clear()
{
    std::free(data_);
    data_ = nullptr;
    capacity_ = 0;
    size_.store(0, std::memory_order_release);
}

} // namespace zarelo
