#pragma once
// A tick source that moves only when the test says so. With a step set, every
// reading also advances it, so that a Delay ends without real waiting.

#include "base/uFunc.h"

namespace zarelo::fakes {

class ManualClock final : public TickSource {
public:
    explicit ManualClock(uint32_t start = 1000, uint32_t stepPerRead = 0)
        : now_(start), step_(stepPerRead)
    {
    }
    uint32_t GetTickCount() const override
    {
        const uint32_t value = now_;
        now_ += step_;
        return value;
    }
    void advance(uint32_t milliseconds) { now_ += milliseconds; }
    void set(uint32_t ticks) { now_ = ticks; }
    void setStepPerRead(uint32_t step) { step_ = step; }

private:
    mutable uint32_t now_;
    uint32_t step_;
};

} // namespace zarelo::fakes
