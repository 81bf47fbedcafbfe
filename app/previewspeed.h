#pragma once

#include <cstdint>

namespace quillet {

// The speed bar's range.
constexpr std::int32_t kSpeedBarMin = 0;
constexpr std::int32_t kSpeedBarMax = 100;

// Milliseconds between two preview frames for a speed bar position: 10 x ((p x p + 30) / 30) taken
// to the nearest integer, a half going to the even neighbour; exact. 0 gives 10, 15 gives 80,
// 100 gives 3340. A position outside 0..100 counts as the nearer end.
std::int32_t PreviewIntervalFromPosition(std::int32_t position);

// The speed bar position for a stored page speed s: the square root of 3 x s - 30 taken to the
// nearest integer (exact), limited to 0..100. A speed below 10 gives 0.
std::int32_t SpeedBarPositionFromSpeed(std::int32_t speed);

} // namespace quillet
