#pragma once

#include <cstdint>

// The memory of the last tap, for telling a double tap: a second tap within 200 ms and less than
// 20 pixels away in both directions. Before the first tap there is no previous one, and the tick
// difference is taken unsigned, so the 49-day wrap of the tick changes nothing.
namespace uikit {

class TapMemory {
public:
    static constexpr uint32_t kWindowMs = 200;
    static constexpr int kRadius = 20;

    // True when this tap completes a double tap; the tap is remembered either way.
    bool Tap(uint16_t x, uint16_t y, uint32_t tick)
    {
        const bool twice = has_ && uint32_t(tick - tick_) < kWindowMs && Near(x, x_) && Near(y, y_);
        has_ = true;
        x_ = x;
        y_ = y;
        tick_ = tick;
        return twice;
    }
    void Forget() { has_ = false; }

private:
    static bool Near(uint16_t a, uint16_t b) { return (a > b ? a - b : b - a) < kRadius; }

    bool has_ = false;
    uint16_t x_ = 0;
    uint16_t y_ = 0;
    uint32_t tick_ = 0;
};

}  // namespace uikit
