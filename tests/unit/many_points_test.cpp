#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "MapEditor.h"
#include "MapFile.h"
#include "SegmentFactory.h"

// The initial map at view offset (10, 10): segment 0 from pixel (10, 110)
// with handles at (15, 190) and (110, 190) to the junction at (115, 110);
// segment 1 on with handles at (130, 90) and (150, 90) to (170, 110). The
// marker's square is centred at (13, 20).
namespace {

using Picks = std::vector<std::pair<std::size_t, PointRole>>;

void dragBand(MapEditor& editor, int x0, int y0, int x1, int y1) {
    ASSERT_TRUE(editor.many().press(x0, y0, true, false));
    ASSERT_TRUE(editor.many().motion(x1, y1));
    ASSERT_TRUE(editor.many().release());
}

std::vector<bool> selection(const MapEditor& editor) {
    std::vector<bool> out;
    for (const Segment& s : editor.getSegments()) out.push_back(s.isSelected());
    return out;
}

}  // namespace

TEST(BandSelection, PicksThePointsInsideAndSelectsTheirSegments) {
    const PointRole end = PointRole::endPoint, start = PointRole::startPoint;
    struct Case {
        const char* what;
        int x0, y0, x1, y1;
        Picks picks;
        std::vector<bool> selected;
    } cases[] = {
        {"around the junction", 105, 100, 125, 120, {{0, end}, {1, start}}, {true, true}},
        {"drawn backwards", 125, 120, 105, 100, {{0, end}, {1, start}}, {true, true}},
        {"a handle alone", 140, 80, 160, 100, {{1, PointRole::endHandle}}, {false, true}},
        // A point exactly on an edge is inside.
        {"the junction on the left edge", 115, 100, 125, 120, {{0, end}, {1, start}}, {true, true}},
        {"the junction on the right edge", 105, 100, 115, 120, {{0, end}, {1, start}}, {true, true}},
        {"the junction on the top edge", 105, 110, 125, 120, {{0, end}, {1, start}}, {true, true}},
        {"the junction on the bottom edge", 105, 100, 125, 110, {{0, end}, {1, start}}, {true, true}},
        {"junction and its handles: the handles go with it",
         100,
         80,
         135,
         195,
         {{0, end}, {1, start}},
         {true, true}},
        {"the marker", 5, 12, 25, 30, {}, {false, false}},
        {"nothing", 300, 300, 350, 350, {}, {false, false}},
        {"everything: the points carry their handles",
         0,
         0,
         799,
         499,
         {{0, start}, {0, end}, {1, start}, {1, end}},
         {true, true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // Segment 1's end point picked beforehand: the band adds to it; a
        // press on the empty map first clears it, and the band picks alone.
        for (bool cleared : {false, true}) {
            MapEditor editor;
            editor.mouse(ButtonAction::press, 170, 110);
            editor.mouse(ButtonAction::release, 170, 110);
            if (cleared) {
                editor.mouse(ButtonAction::press, 400, 300);
                editor.mouse(ButtonAction::release, 400, 300);
            }
            dragBand(editor, c.x0, c.y0, c.x1, c.y1);
            Picks picks = c.picks;
            std::vector<bool> selected = c.selected;
            if (!cleared) {
                picks.erase(std::remove(picks.begin(), picks.end(), std::make_pair(std::size_t{1}, end)),
                            picks.end());
                picks.insert(picks.begin(), {1, end});
                selected[1] = true;
            }
            EXPECT_EQ(editor.precision().picked(), picks) << cleared;
            EXPECT_EQ(selection(editor), selected) << cleared;
            ControlPoint from, to;
            EXPECT_FALSE(editor.many().band(from, to));
        }
    }
}

TEST(BandSelection, ShiftOnAPointAndPressesOutsideAreTheMapsOwn) {
    MapEditor editor;
    EXPECT_FALSE(editor.many().press(150, 90, true, false));    // on a handle
    EXPECT_FALSE(editor.many().press(15, 20, true, false));     // on the marker
    EXPECT_FALSE(editor.many().press(300, 300, false, false));  // no band selection
    EXPECT_FALSE(editor.many().release());
}

TEST(BandSelection, ADragMovesAllPickedPointsTogetherAsOneStep) {
    MapEditor editor;
    const std::vector<Segment> before = editor.getSegments();
    dragBand(editor, 100, 80, 155, 120);  // the junction and segment 1's end handle
    const std::size_t steps = editor.getHistory().undoCount();
    // Pressed on the handle, moved 10 and 20 pixels: one and two map units.
    ASSERT_TRUE(editor.many().press(150, 90, false, false));
    ASSERT_TRUE(editor.many().motion(155, 100));
    ASSERT_TRUE(editor.many().motion(160, 110));
    ASSERT_TRUE(editor.many().release());
    EXPECT_EQ(editor.getHistory().undoCount(), steps + 1);
    const auto moved = [](const ControlPoint& p) { return ControlPoint{p.x + 1, p.y + 2}; };
    const std::vector<ControlPoint> b0 = before[0].controlPoints(), b1 = before[1].controlPoints();
    using Points = std::vector<ControlPoint>;
    EXPECT_EQ(editor.segment(0).controlPoints(), (Points{b0[0], b0[1], moved(b0[2]), moved(b0[3])}));
    EXPECT_EQ(editor.segment(1).controlPoints(), (Points{moved(b1[0]), moved(b1[1]), moved(b1[2]), b1[3]}));
    // The pressed handle comes first: a typed position is its.
    EXPECT_EQ(editor.precision().picked().front(), std::make_pair(std::size_t{1}, PointRole::endHandle));
    ASSERT_TRUE(editor.precision().movePickedTo({20, 20}));
    EXPECT_EQ(editor.segment(1).getEndHandle(), (ControlPoint{20, 20}));
    EXPECT_EQ(editor.segment(0).getEndPoint(), (ControlPoint{20 - 14 + 10.5, 20 - 8 + 10}));
    // Nudges move them all by one offset too; then undo walks back step by step.
    ASSERT_TRUE(editor.precision().nudge(1, 0, true));
    EXPECT_EQ(editor.segment(1).getStartPoint().x, editor.segment(0).getEndPoint().x);
    for (int k = 0; k < 3; ++k) EXPECT_TRUE(editor.undo());
    for (std::size_t i = 0; i < 2; ++i)
        EXPECT_EQ(editor.segment(i).controlPoints(), before[i].controlPoints());
    // A press elsewhere ends the band selection: the map acts as always.
    EXPECT_FALSE(editor.many().press(300, 300, false, false));
}

TEST(BandSelection, ADragOfEveryPointThenItsUndoGivesTheMapBackByteForByte) {
    for (double zoomSteps : {0.0, -6.0}) {
        MapEditor editor;
        editor.replaceChain(wanderingChain(7, 300, {9.0, 5.0, 9, -120, 200, -90, 150}));
        editor.zoomAt(400, 300, static_cast<int>(zoomSteps));
        const std::string before = formatMapFile(editor.getSegments());
        editor.many().pickAllEndPoints();
        const ControlPoint p = editor.segment(0).toWindow(editor.segment(0).getStartPoint());
        ASSERT_TRUE(editor.many().press(static_cast<int>(p.x), static_cast<int>(p.y), false, false));
        for (int step = 1; step <= 5; ++step) ASSERT_TRUE(editor.many().motion(17 * step + 3, -11 * step));
        ASSERT_TRUE(editor.many().release());
        ASSERT_NE(formatMapFile(editor.getSegments()), before);
        ASSERT_TRUE(editor.undo());
        EXPECT_EQ(formatMapFile(editor.getSegments()), before) << "zoom steps " << zoomSteps;
        ASSERT_TRUE(editor.redo());
        ASSERT_TRUE(editor.undo());
        EXPECT_EQ(formatMapFile(editor.getSegments()), before) << "zoom steps " << zoomSteps;
    }
}

TEST(BandSelection, InPrecisionModeThePressedPointSnapsAndTheOthersFollow) {
    MapEditor editor;
    editor.precision().set(true);  // a grid step of one unit at zoom 1
    dragBand(editor, 100, 80, 155, 120);
    ASSERT_TRUE(editor.many().press(150, 90, false, false));  // the handle at (14, 8)
    ASSERT_TRUE(editor.many().motion(157, 96));               // towards (14.7, 8.6)
    ASSERT_TRUE(editor.many().release());
    EXPECT_EQ(editor.segment(1).getEndHandle(), (ControlPoint{15, 9}));
    EXPECT_EQ(editor.segment(0).getEndPoint(), (ControlPoint{11.5, 11}));
    EXPECT_EQ(editor.segment(1).getStartPoint(), (ControlPoint{11.5, 11}));
}

TEST(FitView, ShowsEveryControlPointCentredWithinTheMargin) {
    const auto mapOf = [](std::vector<Segment> chain) {
        MapEditor editor;
        editor.replaceChain(std::move(chain));
        return editor;
    };
    std::vector<Segment> chain;
    for (int k = 0; k < 40; ++k)
        chain.push_back(makeSegment(3 * k, 10, 3 * k + 1, 7, 3 * k + 2, 13, 3 * k + 3, 10));
    MapEditor initial, wide = mapOf(chain), tall = mapOf({makeSegment(-5, -400, -5, -100, 5, 100, 5, 300)}),
                       dot = mapOf({makeSegment(7, 7, 7, 7, 7, 7, 7, 7)}),
                       huge = mapOf({makeSegment(0, 0, 1, 0, 2, 0, 1e6, 0)});
    // A course of 10,000 segments, far wider than the wheel's farthest zoom shows.
    std::vector<Segment> long_;
    for (int k = 0; k < 10000; ++k)
        long_.push_back(makeSegment(3 * k, 10, 3 * k + 1, 7, 3 * k + 2, 13, 3 * k + 3, 10));
    MapEditor course = mapOf(long_);
    // An end point moved far out and back: the fit follows the map as it is now.
    MapEditor edited;
    edited.mouse(ButtonAction::press, 170, 110);
    edited.mouse(ButtonAction::release, 170, 110);
    ASSERT_TRUE(edited.precision().movePickedTo({500, -300}));
    ASSERT_TRUE(edited.precision().movePickedTo({16, 10}));
    struct Case {
        const char* what;
        MapEditor& editor;
        double zoom;  // 0: fitted within the margin
        double top;   // the bottom of the open bars: 35 the file bar, 70 the point bar
    } cases[] = {{"initial", initial, 0, 0},
                 {"edited", edited, 0, 0},
                 {"wide", wide, 0, 0},
                 {"tall", tall, 0, 0},
                 {"a dot", dot, 16, 0},
                 {"beyond the wheel's farthest zoom", huge, 0, 0},
                 {"initial under the file bar", initial, 0, 35},
                 {"tall under both bars", tall, 0, 70},
                 {"a long course under the file bar", course, 0, 35}};
    for (Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.editor.many().fitView(c.top);
        const View view{c.editor.getViewOffset(), c.editor.getZoom()};
        double left = 1e300, right = -1e300, top = 1e300, bottom = -1e300;
        for (const Segment& s : c.editor.getSegments())
            for (const ControlPoint& p : s.controlPoints()) {
                const ControlPoint w = view.toWindow(p);
                left = std::min(left, w.x);
                right = std::max(right, w.x);
                top = std::min(top, w.y);
                bottom = std::max(bottom, w.y);
            }
        EXPECT_NEAR((left + right) / 2, 400, 1e-6);
        EXPECT_NEAR((top + bottom) / 2, c.top + (500 - c.top) / 2, 1e-6);
        if (c.zoom != 0) {
            EXPECT_EQ(c.editor.getZoom(), c.zoom);
            continue;
        }
        EXPECT_GE(left, 20 - 1e-9);
        EXPECT_LE(right, 780 + 1e-9);
        EXPECT_GE(top, c.top + 20 - 1e-9);
        EXPECT_LE(bottom, 480 + 1e-9);
        // One of the two directions fills its room.
        EXPECT_TRUE(std::fabs(right - left - 760) < 1e-6 || std::fabs(bottom - top - (460 - c.top)) < 1e-6);
    }
    // From a fit below the wheel's farthest zoom the wheel goes no further
    // out, and zooms in by one step from the fit.
    course.many().fitView();
    const double fitted = course.getZoom();
    ASSERT_LT(fitted, 1.0 / 64);
    course.zoomAt(400, 250, -1);
    EXPECT_EQ(course.getZoom(), fitted);
    course.zoomAt(400, 250, 1);
    EXPECT_GT(course.getZoom(), fitted * 1.1);
    EXPECT_LT(course.getZoom(), fitted * 1.4);
    for (int k = 0; k < 40; ++k) course.zoomAt(400, 250, 1);
    EXPECT_EQ(course.getZoom(), 16);
}

TEST(ShiftClick, AddsAndTakesOutEndPointsWithBothCopiesOfAJunction) {
    const PointRole end = PointRole::endPoint, start = PointRole::startPoint;
    struct Click {
        int x, y;
        bool shift;
        Picks picks;
        std::vector<bool> selected;
    };
    const std::vector<std::vector<Click>> runs = {
        {{115, 110, true, {{0, end}, {1, start}}, {true, true}},
         {10, 110, true, {{0, end}, {1, start}, {0, start}}, {true, true}},
         {115, 110, true, {{0, start}}, {true, false}},
         {10, 110, true, {}, {false, false}},
         // Off by five pixels still hits, six does not (the press's rule).
         {175, 115, true, {{1, end}}, {false, true}},
         {176, 110, true, {{1, end}}, {false, true}}},
        // After a plain click the picks grow from it; a plain press on the map clears them.
        {{170, 110, false, {{1, end}}, {false, true}},
         {10, 110, true, {{1, end}, {0, start}}, {true, true}},
         {400, 300, false, {}, {false, false}}},
    };
    for (std::size_t r = 0; r < runs.size(); ++r) {
        MapEditor editor;
        const std::vector<Segment> before = editor.getSegments();
        for (std::size_t k = 0; k < runs[r].size(); ++k) {
            SCOPED_TRACE(std::to_string(r) + ":" + std::to_string(k));
            const Click& c = runs[r][k];
            if (!editor.many().press(c.x, c.y, c.shift, false)) {
                editor.mouse(ButtonAction::press, c.x, c.y, {c.shift, false});
                editor.motion(c.x + 1, c.y + 1);  // a slip of the hand moves nothing
            }
            if (!editor.many().release()) editor.mouse(ButtonAction::release, c.x, c.y);
            EXPECT_EQ(editor.precision().picked(), c.picks);
            EXPECT_EQ(selection(editor), c.selected);
        }
        if (r == 0) {
            for (std::size_t i = 0; i < 2; ++i)
                EXPECT_EQ(editor.segment(i).controlPoints(), before[i].controlPoints());
        }
    }
    // Shift-clicked points move together when one of them is dragged.
    MapEditor editor;
    ASSERT_TRUE(editor.many().press(10, 110, true, false));
    ASSERT_TRUE(editor.many().press(170, 110, true, false));
    ASSERT_TRUE(editor.many().press(10, 110, false, false));
    ASSERT_TRUE(editor.many().motion(20, 100));
    ASSERT_TRUE(editor.many().release());
    EXPECT_EQ(editor.segment(0).getStartPoint(), (ControlPoint{1, 9}));
    EXPECT_EQ(editor.segment(1).getEndPoint(), (ControlPoint{17, 9}));
    EXPECT_EQ(editor.segment(0).getEndPoint(), (ControlPoint{10.5, 10}));
}

TEST(BandSelection, CtrlAtThePressHoldsTheGroupOnAnAxis) {
    struct Case {
        int x, y;
        ControlPoint offset;  // of every picked point, in map units
    } cases[] = {
        {175, 97, {2.5, 0}},  // more across than down: the horizontal
        {152, 130, {0, 4}},   // more down: the vertical
        {130, 60, {0, -3}},   // up and left, more up
    };
    MapEditor editor;
    const std::vector<Segment> before = editor.getSegments();
    dragBand(editor, 100, 80, 155, 120);  // the junction and segment 1's end handle
    const std::size_t steps = editor.getHistory().undoCount();
    ASSERT_TRUE(editor.many().press(150, 90, false, true));
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
        ASSERT_TRUE(editor.many().motion(c.x, c.y));
        const auto moved = [&](const ControlPoint& p) {
            return ControlPoint{p.x + c.offset.x, p.y + c.offset.y};
        };
        const std::vector<ControlPoint> b0 = before[0].controlPoints(), b1 = before[1].controlPoints();
        using Points = std::vector<ControlPoint>;
        EXPECT_EQ(editor.segment(0).controlPoints(), (Points{b0[0], b0[1], moved(b0[2]), moved(b0[3])}));
        EXPECT_EQ(editor.segment(1).controlPoints(),
                  (Points{moved(b1[0]), moved(b1[1]), moved(b1[2]), b1[3]}));
    }
    ASSERT_TRUE(editor.many().motion(175, 97));
    ASSERT_TRUE(editor.many().release());
    EXPECT_EQ(editor.getHistory().undoCount(), steps + 1);
    // Without Ctrl the next drag is free again.
    ASSERT_TRUE(editor.many().press(175, 90, false, false));
    ASSERT_TRUE(editor.many().motion(185, 100));
    ASSERT_TRUE(editor.many().release());
    EXPECT_EQ(editor.segment(1).getEndHandle(), (ControlPoint{14 + 3.5, 8 + 1}));
}

TEST(PickCount, CountsJunctionsOnceAndOnlyForAGroup) {
    struct Case {
        const char* what;
        std::vector<Segment> chain;  // empty: the initial map
        int how;  // 0 a plain click, 1 Ctrl+A, 2 a band around the junction, 3 Shift+click an end
        bool group;
        std::size_t picked, all;
    };
    const std::vector<Segment> apart = {makeSegment(0, 10, 1, 8, 2, 8, 3, 10),
                                        makeSegment(4, 10, 5, 8, 6, 8, 7, 10)};
    const std::vector<Case> cases = {
        {"a plain click", {}, 0, false, 0, 0},    {"Ctrl+A", {}, 1, true, 3, 3},
        {"the junction", {}, 2, true, 1, 3},      {"one end", {}, 3, true, 1, 3},
        {"segments apart", apart, 1, true, 4, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MapEditor editor;
        if (!c.chain.empty()) editor.replaceChain(c.chain);
        if (c.how == 0) {
            editor.mouse(ButtonAction::press, 170, 110);
            editor.mouse(ButtonAction::release, 170, 110);
        }
        if (c.how == 1) editor.many().pickAllEndPoints();
        if (c.how == 2) dragBand(editor, 105, 100, 125, 120);
        if (c.how == 3) {
            ASSERT_TRUE(editor.many().press(170, 110, true, false));
        }
        std::size_t picked = 0, all = 0;
        ASSERT_EQ(editor.many().pickCount(picked, all), c.group);
        if (!c.group) continue;
        EXPECT_EQ(picked, c.picked);
        EXPECT_EQ(all, c.all);
    }
}
