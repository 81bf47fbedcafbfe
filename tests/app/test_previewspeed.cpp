#include "previewspeed.h"
#include "rounding.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

using namespace quillet;

TEST(PreviewSpeed, IntervalFromBarPosition) {
    EXPECT_EQ(PreviewIntervalFromPosition(0), 10);
    EXPECT_EQ(PreviewIntervalFromPosition(16), 100);
    EXPECT_EQ(PreviewIntervalFromPosition(60), 1210);
    EXPECT_EQ(PreviewIntervalFromPosition(100), 3340);
    // Halves go to the even neighbour.
    EXPECT_EQ(PreviewIntervalFromPosition(15), 80);
    EXPECT_EQ(PreviewIntervalFromPosition(45), 680);
    EXPECT_EQ(PreviewIntervalFromPosition(75), 1880);
    EXPECT_EQ(PreviewIntervalFromPosition(-1), 10);
    EXPECT_EQ(PreviewIntervalFromPosition(INT_MIN), 10);
    EXPECT_EQ(PreviewIntervalFromPosition(101), 3340);
    EXPECT_EQ(PreviewIntervalFromPosition(INT_MAX), 3340);
}

TEST(PreviewSpeed, IntervalGrowsAndMatchesTheRoundedQuotientEverywhere) {
    for (int p = kSpeedBarMin; p <= kSpeedBarMax; ++p) {
        EXPECT_EQ(PreviewIntervalFromPosition(p), 10 * roundHalfEven((p * p + 30) / 30.0)) << p;
        if (p > 0) {
            EXPECT_GE(PreviewIntervalFromPosition(p), PreviewIntervalFromPosition(p - 1)) << p;
        }
    }
}

TEST(PreviewSpeed, BarPositionFromStoredSpeed) {
    EXPECT_EQ(SpeedBarPositionFromSpeed(100), 16);
    EXPECT_EQ(SpeedBarPositionFromSpeed(1210), 60);
    EXPECT_EQ(SpeedBarPositionFromSpeed(150), 20);
    EXPECT_EQ(SpeedBarPositionFromSpeed(3310), 99);
    EXPECT_EQ(PreviewIntervalFromPosition(SpeedBarPositionFromSpeed(3310)), 3280);
    EXPECT_EQ(SpeedBarPositionFromSpeed(3311), 100);
    EXPECT_EQ(PreviewIntervalFromPosition(SpeedBarPositionFromSpeed(3311)), 3340);
    EXPECT_EQ(SpeedBarPositionFromSpeed(INT_MAX), 100);
    EXPECT_EQ(SpeedBarPositionFromSpeed(11), 2);
    // No square root of a negative number: a speed below 10 puts the bar at its start.
    EXPECT_EQ(SpeedBarPositionFromSpeed(10), 0);
    EXPECT_EQ(SpeedBarPositionFromSpeed(9), 0);
    EXPECT_EQ(SpeedBarPositionFromSpeed(0), 0);
    EXPECT_EQ(SpeedBarPositionFromSpeed(-100), 0);
    EXPECT_EQ(SpeedBarPositionFromSpeed(INT_MIN), 0);
}

TEST(PreviewSpeed, BarPositionIsTheNearestRootForEverySpeedInRange) {
    for (int s = 10; s <= 3400; ++s) {
        const int expected = std::min(100, static_cast<int>(std::lround(std::sqrt(3.0 * s - 30))));
        ASSERT_EQ(SpeedBarPositionFromSpeed(s), expected) << s;
    }
}
