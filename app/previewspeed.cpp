#include "previewspeed.h"

#include "rounding.h"

#include <algorithm>

namespace quillet {

std::int32_t PreviewIntervalFromPosition(std::int32_t position) {
    const std::int64_t p = std::clamp(position, kSpeedBarMin, kSpeedBarMax);
    return static_cast<std::int32_t>(10 * divRoundHalfEven(p * p + 30, 30));
}

std::int32_t SpeedBarPositionFromSpeed(std::int32_t speed) {
    const std::int64_t radicand = 3 * static_cast<std::int64_t>(speed) - 30;
    if (radicand <= 0)
        return kSpeedBarMin;
    // The root of an integer is never exactly n + 1/2, so the nearest integer is the n with
    // (n - 1/2)^2 < radicand < (n + 1/2)^2, that is n^2 - n < radicand <= n^2 + n.
    std::int32_t n = 0;
    while (n < kSpeedBarMax && static_cast<std::int64_t>(n) * n + n < radicand)
        ++n;
    return n;
}

} // namespace quillet
