#pragma once

#include <cmath>
#include <cstdint>

namespace quillet {

// Nearest integer, a half going to the even neighbour (2.5 -> 2, 3.5 -> 4).
inline std::int32_t roundHalfEven(double value) {
    return static_cast<std::int32_t>(std::nearbyint(value)); // default rounding mode: to nearest, ties to even
}

// num / den (den > 0) taken to the nearest integer, a half going to the even neighbour; exact.
inline std::int64_t divRoundHalfEven(std::int64_t num, std::int64_t den) {
    std::int64_t q = num / den;
    std::int64_t r = num % den;
    if (r < 0) {
        r += den;
        --q;
    }
    const std::int64_t twice = 2 * r;
    if (twice > den || (twice == den && (q % 2 != 0)))
        ++q;
    return q;
}

} // namespace quillet
