// The frame function with made-up tick readings: when it draws, and what it
// puts into the counters.
#include <gtest/gtest.h>

#include <cstdint>

#include "FrameLoop.h"
#include "FrameTimer.h"
#include "Globals.h"

namespace {

std::uint32_t fakeNow = 0;
int framesDrawn = 0;
std::uint32_t drawDuration = 0;

std::uint32_t readFakeTicks() { return fakeNow; }

void fakeDraw() {
    ++framesDrawn;
    fakeNow += drawDuration;
}

class FrameFunction : public testing::Test {
protected:
    void SetUp() override {
        mapEditor = MapEditor();
        pointsCounter.setNumber(0);
        fpsCounter.setNumber(0);
        framesDrawn = 0;
        drawDuration = 0;
    }
    // Runs the frame function once a millisecond from fakeNow up to `end` inclusive.
    void runUntil(std::uint32_t end) {
        for (; fakeNow != end + 1; ++fakeNow) runFrame(timer, readFakeTicks, fakeDraw);
    }
    FrameTimer timer;
};

TEST_F(FrameFunction, DrawsAtMostOncePerIntervalAndCountsFramesPerFpsPeriod) {
    fakeNow = 100;
    timer.start(fakeNow);
    runUntil(110);
    EXPECT_EQ(framesDrawn, 0);
    runUntil(111);
    EXPECT_EQ(framesDrawn, 1);
    EXPECT_STREQ(pointsCounter.getText(), "13");

    runUntil(1100);
    EXPECT_STREQ(fpsCounter.getText(), "0") << "no refresh at exactly fpsInterval";
    runUntil(1101);
    // A frame every 11 ms: 111, 122, ..., 1101. The one at 1101 is drawn before
    // the fps check and so belongs to the closing period.
    EXPECT_EQ(framesDrawn, 91);
    EXPECT_STREQ(fpsCounter.getText(), "91");
    EXPECT_EQ(timer.getFrameCount(), 0);
    const int firstPeriod = framesDrawn;

    mapEditor.appendSegment();
    runUntil(2101);
    EXPECT_EQ(timer.getLastFpsTime(), 1101u);
    runUntil(2102);
    EXPECT_EQ(timer.getLastFpsTime(), 2102u);
    EXPECT_STREQ(fpsCounter.getText(), std::to_string(framesDrawn - firstPeriod).c_str());
    EXPECT_STREQ(pointsCounter.getText(), "19");
}

TEST_F(FrameFunction, MeasuresTheIntervalFromTheEndOfAFrame) {
    fakeNow = 0;
    timer.start(fakeNow);
    drawDuration = 5;
    fakeNow = 11;
    EXPECT_EQ(runFrame(timer, readFakeTicks, fakeDraw), 10u);
    EXPECT_EQ(fakeNow, 16u);
    fakeNow = 26;
    EXPECT_EQ(runFrame(timer, readFakeTicks, fakeDraw), 1u);
    EXPECT_EQ(framesDrawn, 1);
    fakeNow = 27;
    runFrame(timer, readFakeTicks, fakeDraw);
    EXPECT_EQ(framesDrawn, 2);
}

TEST_F(FrameFunction, KeepsDrawingAndRefreshingAcrossTheWrap) {
    fakeNow = UINT32_MAX - 500;
    timer.start(fakeNow);
    runUntil(2000);
    // 2501 ms have passed: a frame every 11 ms, fps periods closed at 500 and 1501.
    EXPECT_EQ(framesDrawn, 227);
    EXPECT_EQ(timer.getLastFpsTime(), 1501u);
    EXPECT_STREQ(fpsCounter.getText(), "91");
}

// Hidden, nothing is drawn and the fps counter keeps its last figure however
// long; shown again (and hidden and shown twice over, as a window manager may
// report it), a frame is drawn at the next call and the counter's next figure
// counts only frames drawn since.
TEST_F(FrameFunction, DrawsNothingWhileHiddenAndCountsAfreshWhenShown) {
    fakeNow = 0;
    timer.start(fakeNow);
    runUntil(1001);
    EXPECT_STREQ(fpsCounter.getText(), "91");
    timer.hide();
    timer.hide();
    const int before = framesDrawn;
    runUntil(60000);
    EXPECT_EQ(framesDrawn, before);
    EXPECT_STREQ(fpsCounter.getText(), "91");
    EXPECT_EQ(runFrame(timer, readFakeTicks, fakeDraw), 10u) << "the wait while hidden";

    const std::uint32_t shown = fakeNow;
    timer.show(shown);
    timer.show(shown + 5);
    runFrame(timer, readFakeTicks, fakeDraw);
    EXPECT_EQ(framesDrawn, before + 1) << "the first frame once shown";
    runUntil(shown + 1000);
    EXPECT_STREQ(fpsCounter.getText(), "91")
        << "the period runs from the showing, not from before the hiding";
    // Frames at shown, shown + 11, ..., shown + 1001.
    runUntil(shown + 1001);
    EXPECT_STREQ(fpsCounter.getText(), "92");
}

}  // namespace
