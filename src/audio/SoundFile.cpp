#include "audio/SoundFile.h"

#include "audio/Decoder.h"

namespace zarelo {

std::optional<MonoRecording> DecodeRecording(QByteArrayView bytes)
{
    std::unique_ptr<Decoder> decoder = OpenDecoder(MemorySource(bytes.data(), bytes.size()));
    if (!decoder)
        return std::nullopt;
    MonoRecording recording;
    recording.Rate = decoder->rate();
    const int channels = decoder->channels();
    recording.Frames.reserve(static_cast<size_t>(decoder->frames()));
    std::vector<float> block(size_t(4096) * channels);
    for (;;) {
        const int64_t got = decoder->read(block.data(), 4096);
        if (got <= 0)
            break;
        for (int64_t f = 0; f < got; ++f) {
            float sum = 0;
            for (int c = 0; c < channels; ++c)
                sum += block[size_t(f * channels + c)];
            recording.Frames.push_back(sum / channels);
        }
    }
    return recording;
}

} // namespace zarelo
