#pragma once
// Shared helpers every subsystem uses: field splitting, the millisecond tick
// and the message-processing wait.

#include <QByteArray>
#include <QByteArrayView>
#include <cstdint>
#include <vector>

namespace zarelo {

// Splits text at a one-character separator, left to right. The rest after the
// last separator is always a part, even when empty: n separators give n + 1
// parts, and an empty text gives one empty part. The views point into text.
std::vector<QByteArrayView> SplitFields(QByteArrayView text, char separator);

// The millisecond tick count the waits and timer rules read. The real source
// wraps like a 32-bit system tick; tests hand in a ManualClock.
class TickSource {
public:
    virtual ~TickSource() = default;
    virtual uint32_t GetTickCount() const = 0;
};

// The real tick: milliseconds since the first call, truncated to 32 bits.
class SystemTicks final : public TickSource {
public:
    uint32_t GetTickCount() const override;
};

// Processes pending window messages until `milliseconds` have passed on
// `ticks`, or until the tick is found smaller than at the start (wrap-around).
// Messages are processed at least once. UI thread only.
void Delay(const TickSource& ticks, uint32_t milliseconds);

} // namespace zarelo
