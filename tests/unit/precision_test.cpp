// Precision mode in the map: the grid step at each zoom, snapping of drags,
// arrow-key nudges and typed positions, and their undo.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "MapEditor.h"
#include "NumberFormat.h"
#include "Precision.h"

namespace {

// The initial map at zoom 1 and view offset (10, 10): the junction (10.5, 10)
// is drawn at (115, 110), segment 0's end handle is (10, 18) and segment 1's
// start handle (12, 8).
constexpr int junctionX = 115;
constexpr int junctionY = 110;
constexpr double degrees = 180.0 / 3.141592653589793;

void pressAndRelease(MapEditor& editor, int x, int y) {
    editor.mouse(ButtonAction::press, x, y);
    editor.mouse(ButtonAction::release, x, y);
}

TEST(Precision, GridStepIsTheSmallestOneTwoOrFiveTimesAPowerOfTenOfTenPixels) {
    struct Case {
        double zoom;
        double step;
    };
    const Case cases[] = {
        {1.0, 1.0},           {1.25, 1.0},       {2.0, 0.5},   {2.44140625, 0.5}, {1.953125, 1.0},
        {4.0, 0.5},           {5.0, 0.2},        {10.0, 0.1},  {16.0, 0.1},       {0.8, 2.0},
        {0.5, 2.0},           {0.4, 5.0},        {0.2, 5.0},   {0.1, 10.0},       {1.0 / 64.0, 100.0},
        {0.0152587890625, 100.0},
    };
    for (const Case& c : cases) EXPECT_EQ(gridStep(c.zoom), c.step) << "zoom " << c.zoom;
}

TEST(Precision, GridLinesAreTheStepsMultiplesInTheWindow) {
    struct Case {
        double offset, pixels;
        int length;
        std::vector<int> lines;
    };
    const Case cases[] = {
        {10.0, 10.0, 45, {0, 10, 20, 30, 40}},
        {-3.5, 12.5, 40, {9, 21, 34}},  // 12.5 - 3.5 = 9, 21.5, 34
        {7.0, 0.5, 40, {}},             // a step under a pixel draws nothing
        {0.0, std::nan(""), 40, {}},
        {1e300, 10.0, 40, {0}},         // far off the sums stop growing: one line, once, and an end
    };
    std::vector<int> lines = {99};
    for (const Case& c : cases) {
        gridLines(c.offset, c.pixels, c.length, lines);
        EXPECT_EQ(lines, c.lines) << c.offset << " by " << c.pixels;
    }
}

TEST(Precision, SnappingAndNextNodeGiveTheNumbersAsWritten) {
    struct Case {
        double value, step, snapped, right, left;
    };
    const Case cases[] = {
        {10.5, 1.0, 11.0, 11.0, 10.0},   // half way rounds away from zero, nudges go to the next node
        {0.31, 0.1, 0.3, 0.4, 0.3},      {0.3, 0.1, 0.3, 0.4, 0.2},  {-0.26, 0.05, -0.25, -0.25, -0.3},
        {123.4, 20.0, 120.0, 140.0, 120.0}, {-7.0, 5.0, -5.0, -5.0, -10.0}, {0.0, 0.5, 0.0, 0.5, -0.5},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(snapToStep(c.value, c.step), c.snapped) << c.value << " on " << c.step;
        EXPECT_EQ(nextGridNode(c.value, 1, c.step), c.right) << c.value << " on " << c.step;
        EXPECT_EQ(nextGridNode(c.value, -1, c.step), c.left) << c.value << " on " << c.step;
        EXPECT_EQ(nextGridNode(c.value, 0, c.step), c.value);
    }
    // Written with six digits, a node of a decimal step has no tail of rounding.
    EXPECT_EQ(formatNumber(snapToStep(0.7 + 0.0000001, 0.1)), "0.7");
}

TEST(Precision, ADraggedJunctionLandsOnTheNearestNodeWithItsHandlesAlong) {
    MapEditor editor;
    editor.precision().set(true);
    editor.mouse(ButtonAction::press, junctionX, junctionY);
    editor.motion(133, 127);  // map (12.3, 11.7): nearest node (12, 12)
    editor.mouse(ButtonAction::release, 133, 127);
    EXPECT_EQ(editor.segment(0).getEndPoint(), (ControlPoint{12, 12}));
    EXPECT_EQ(editor.segment(1).getStartPoint(), (ControlPoint{12, 12}));
    EXPECT_EQ(editor.segment(0).getEndHandle(), (ControlPoint{11.5, 20}));
    EXPECT_EQ(editor.segment(1).getStartHandle(), (ControlPoint{13.5, 10}));
    EXPECT_EQ(editor.getHistory().undoCount(), 1u);
}

TEST(Precision, ArrowNudgesMoveThePickedPointsAndAreOneUndoStep) {
    struct Case {
        const char* name;
        int zoomSteps;
        bool precise;
        bool large;
        int dx, dy, times;
        ControlPoint junction;  // where the junction ends
    };
    const Case cases[] = {
        {"plain", 0, false, false, 1, 0, 3, {10.8, 10}},
        {"Shift", 0, false, true, 0, -1, 2, {10.5, 8}},
        {"plain zoomed in", 3, false, false, -1, 0, 1, {10.5 - 0.1 / 1.953125, 10}},
        {"precision", 0, true, false, 1, 0, 2, {12, 10}},         // 10.5 goes to 11, then 12
        {"precision Shift", 0, true, true, 0, 1, 1, {10.5, 20}},  // Shift: ten nodes, the first one 11
        {"precision Shift twice", 0, true, true, -1, 0, 2, {-9, 10}},
        {"precision zoomed in", 4, true, false, -1, 0, 1, {10, 10}},
    };
    for (const Case& c : cases) {
        MapEditor editor;
        editor.zoomAt(junctionX, junctionY, c.zoomSteps);
        editor.precision().set(c.precise);
        pressAndRelease(editor, junctionX, junctionY);
        ASSERT_EQ(editor.precision().picked().size(), 2u) << c.name;
        const std::uint64_t before = editor.contentId();
        for (int i = 0; i < c.times; ++i) EXPECT_TRUE(editor.precision().nudge(c.dx, c.dy, c.large)) << c.name;
        const ControlPoint at = editor.segment(0).getEndPoint();
        EXPECT_NEAR(at.x, c.junction.x, 1e-12) << c.name;
        EXPECT_NEAR(at.y, c.junction.y, 1e-12) << c.name;
        EXPECT_EQ(editor.segment(1).getStartPoint(), at) << c.name;
        // Both handles keep their offsets.
        EXPECT_NEAR(editor.segment(0).getEndHandle().x - at.x, -0.5, 1e-9) << c.name;
        EXPECT_NEAR(editor.segment(1).getStartHandle().y - at.y, -2.0, 1e-9) << c.name;
        EXPECT_NE(editor.contentId(), before) << c.name;

        // One undo brings back the map before the first nudge, one redo the last.
        EXPECT_TRUE(editor.undo()) << c.name;
        EXPECT_EQ(editor.segment(0).getEndPoint(), (ControlPoint{10.5, 10})) << c.name;
        EXPECT_EQ(editor.segment(1).getStartHandle(), (ControlPoint{12, 8})) << c.name;
        EXPECT_EQ(editor.contentId(), before) << c.name;
        EXPECT_EQ(editor.getHistory().undoCount(), 0u) << c.name;
        EXPECT_TRUE(editor.redo()) << c.name;
        EXPECT_EQ(editor.segment(1).getStartPoint(), at) << c.name;
    }
}

TEST(Precision, NudgesNeedAPickAndBreakAtAPressOrACommand) {
    MapEditor editor;
    pressAndRelease(editor, 400, 400);  // nothing there
    EXPECT_FALSE(editor.precision().nudge(1, 0, false));
    EXPECT_EQ(editor.contentId(), 1u);
    // Two runs of nudges with a press between them are two steps; a slider
    // change after them is a third.
    pressAndRelease(editor, junctionX, junctionY);
    editor.precision().nudge(1, 0, false);
    editor.precision().nudge(1, 0, false);
    pressAndRelease(editor, junctionX + 2, junctionY);
    editor.precision().nudge(0, 1, false);
    editor.setResolutionOfSelected(7);
    editor.mouse(ButtonAction::press, 400, 400);
    EXPECT_EQ(editor.getHistory().undoCount(), 3u);
    // The press that picked nothing ends the remembered picks.
    EXPECT_TRUE(editor.precision().picked().empty());
}

TEST(Precision, ATypedPositionMovesThePointExactlyInOneStep) {
    MapEditor editor;
    pressAndRelease(editor, junctionX, junctionY);
    ASSERT_TRUE(editor.precision().movePickedTo({0.3, -1e-7}));
    EXPECT_EQ(editor.segment(0).getEndPoint(), (ControlPoint{0.3, -1e-7}));
    EXPECT_EQ(editor.segment(1).getStartPoint(), (ControlPoint{0.3, -1e-7}));
    EXPECT_NEAR(editor.segment(1).getStartHandle().x, 1.8, 1e-12);
    EXPECT_NEAR(editor.segment(1).getStartHandle().y, -2.0 - 1e-7, 1e-12);
    EXPECT_TRUE(editor.undo());
    // The slopes on each side of the junction: segment 0 arrives from its
    // handle (10, 18) going up 8 over 0.5, segment 1 leaves towards (12, 8).
    editor.mouse(ButtonAction::press, junctionX, junctionY);
    PrecisionMode::PointReadout readout;
    ASSERT_TRUE(editor.precision().activePoint(readout));
    ASSERT_TRUE(readout.hasSlopeBefore && readout.hasSlopeAfter);
    EXPECT_NEAR(readout.slopeBefore, std::atan2(8.0, 0.5) * degrees, 1e-9);
    EXPECT_NEAR(readout.slopeAfter, std::atan2(2.0, 1.5) * degrees, 1e-9);
}

}  // namespace
