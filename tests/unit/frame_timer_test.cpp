// The frame timing decisions, with made-up tick readings.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <random>

#include "FrameTimer.h"

namespace {

TEST(FrameTimer, DrawsOnlyWhenMoreThanFrameIntervalHasPassed) {
    FrameTimer timer;
    timer.start(5000);
    EXPECT_FALSE(timer.frameDue(5000));
    EXPECT_FALSE(timer.frameDue(5010));
    EXPECT_TRUE(timer.frameDue(5011));

    // The next interval runs from the reading taken after the frame.
    timer.frameDrawn(5014);
    EXPECT_EQ(timer.getFrameCount(), 1);
    EXPECT_FALSE(timer.frameDue(5024));
    EXPECT_TRUE(timer.frameDue(5025));
}

TEST(FrameTimer, RefreshesFpsOnlyWhenMoreThanFpsIntervalHasPassed) {
    FrameTimer timer;
    timer.start(200);
    timer.frameDrawn(211);
    timer.frameDrawn(222);
    EXPECT_FALSE(timer.fpsDue(1200));
    EXPECT_TRUE(timer.fpsDue(1201));

    EXPECT_EQ(timer.closeFpsPeriod(1203), 2);
    EXPECT_EQ(timer.getFrameCount(), 0);
    EXPECT_FALSE(timer.fpsDue(2203));
    EXPECT_TRUE(timer.fpsDue(2204));
}

TEST(FrameTimer, KeepsGoingAcrossTheWrapOfTheTickCounter) {
    FrameTimer timer;
    timer.start(UINT32_MAX - 4);  // 10 ms later the counter reads 5
    EXPECT_FALSE(timer.frameDue(5));
    EXPECT_TRUE(timer.frameDue(6));
    EXPECT_FALSE(timer.fpsDue(995));
    EXPECT_TRUE(timer.fpsDue(996));
    EXPECT_EQ(timer.timeUntilFrame(0), 6u);
}

TEST(FrameTimer, FollowsTheIntervalsItWasGiven) {
    FrameTimer timer(25, 40);
    timer.start(0);
    EXPECT_FALSE(timer.frameDue(25));
    EXPECT_TRUE(timer.frameDue(26));
    EXPECT_EQ(timer.timeUntilFrame(0), 25u);
    EXPECT_FALSE(timer.fpsDue(40));
    EXPECT_TRUE(timer.fpsDue(41));
}

// Random start times over the whole 32-bit range, checked against 64-bit arithmetic.
TEST(FrameTimer, DecisionsAndWaitsMatchWideArithmetic) {
    std::mt19937 random(20261207);
    std::uniform_int_distribution<std::uint32_t> anyTick(0, UINT32_MAX);
    std::uniform_int_distribution<std::uint32_t> smallStep(0, 30);
    std::uniform_int_distribution<std::uint32_t> largeStep(950, 1050);
    for (int i = 0; i < 20000; ++i) {
        const std::uint32_t start = anyTick(random);
        const std::uint32_t frameStep = smallStep(random);
        const std::uint32_t fpsStep = largeStep(random);
        FrameTimer timer;
        timer.start(start);
        const std::uint32_t now = static_cast<std::uint32_t>(std::uint64_t{start} + frameStep);
        const std::uint32_t fpsNow = static_cast<std::uint32_t>(std::uint64_t{start} + fpsStep);
        ASSERT_EQ(timer.frameDue(now), frameStep > 10u) << start << " + " << frameStep;
        ASSERT_EQ(timer.fpsDue(fpsNow), fpsStep > 1000u) << start << " + " << fpsStep;

        // Never sleeps past frameInterval; sleeping the wait makes a frame due
        // (unless the wait is capped), and one millisecond less would not.
        const std::uint32_t wait = timer.timeUntilFrame(now);
        ASSERT_LE(wait, 10u);
        ASSERT_EQ(wait == 0, timer.frameDue(now));
        if (wait > 0 && wait < 10u) {
            ASSERT_TRUE(timer.frameDue(now + wait));
            ASSERT_FALSE(timer.frameDue(now + wait - 1));
        }
    }
}

}  // namespace
