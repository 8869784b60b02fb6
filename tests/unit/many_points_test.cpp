#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "BezierMath.h"
#include "MapEditor.h"
#include "SampleBudget.h"
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

Cubic cubicOf(const Segment& s) { return {s.getStartPoint(), s.getStartHandle(), s.getEndHandle(), s.getEndPoint()}; }

double distance(const ControlPoint& a, const ControlPoint& b) { return std::hypot(a.x - b.x, a.y - b.y); }

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
        {"junction and its handles: the handles go with it", 100, 80, 135, 195, {{0, end}, {1, start}}, {true, true}},
        {"the marker", 5, 12, 25, 30, {}, {false, false}},
        {"nothing", 300, 300, 350, 350, {}, {false, false}},
        {"everything: the points carry their handles", 0, 0, 799, 499, {{0, start}, {0, end}, {1, start}, {1, end}},
         {true, true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MapEditor editor;
        // Segment 1's end point picked beforehand: the band replaces it.
        editor.mouse(ButtonAction::press, 170, 110);
        editor.mouse(ButtonAction::release, 170, 110);
        dragBand(editor, c.x0, c.y0, c.x1, c.y1);
        EXPECT_EQ(editor.precision().picked(), c.picks);
        EXPECT_EQ(selection(editor), c.selected);
        ControlPoint from, to;
        EXPECT_FALSE(editor.many().band(from, to));
    }
}

TEST(BandSelection, ShiftOnAPointAndPressesOutsideAreTheMapsOwn) {
    MapEditor editor;
    EXPECT_FALSE(editor.many().press(115, 110, true, false));  // on the junction
    EXPECT_FALSE(editor.many().press(15, 20, true, false));    // on the marker
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
    for (std::size_t i = 0; i < 2; ++i) EXPECT_EQ(editor.segment(i).controlPoints(), before[i].controlPoints());
    // A press elsewhere ends the band selection: the map acts as always.
    EXPECT_FALSE(editor.many().press(300, 300, false, false));
}

TEST(BandSelection, InPrecisionModeThePressedPointSnapsAndTheOthersFollow) {
    MapEditor editor;
    editor.precision().set(true);  // a grid step of one unit at zoom 1
    dragBand(editor, 100, 80, 155, 120);
    ASSERT_TRUE(editor.many().press(150, 90, false, false));  // the handle at (14, 8)
    ASSERT_TRUE(editor.many().motion(157, 96));              // towards (14.7, 8.6)
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
    for (int k = 0; k < 40; ++k) chain.push_back(makeSegment(3 * k, 10, 3 * k + 1, 7, 3 * k + 2, 13, 3 * k + 3, 10));
    MapEditor initial, wide = mapOf(chain), tall = mapOf({makeSegment(-5, -400, -5, -100, 5, 100, 5, 300)}),
                       dot = mapOf({makeSegment(7, 7, 7, 7, 7, 7, 7, 7)}),
                       huge = mapOf({makeSegment(0, 0, 1, 0, 2, 0, 1e6, 0)});
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
    } cases[] = {{"initial", initial, 0}, {"edited", edited, 0}, {"wide", wide, 0}, {"tall", tall, 0}, {"a dot", dot, 16},
                 {"beyond the farthest zoom", huge, 1.0 / 64}};
    for (Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.editor.many().fitView();
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
        EXPECT_NEAR((top + bottom) / 2, 250, 1e-6);
        if (c.zoom != 0) {
            EXPECT_EQ(c.editor.getZoom(), c.zoom);
            continue;
        }
        EXPECT_GE(left, 20 - 1e-9);
        EXPECT_LE(right, 780 + 1e-9);
        EXPECT_GE(top, 20 - 1e-9);
        EXPECT_LE(bottom, 480 + 1e-9);
        // One of the two directions fills its room.
        EXPECT_TRUE(std::fabs(right - left - 760) < 1e-6 || std::fabs(bottom - top - 460) < 1e-6);
    }
}

TEST(SplitAtPointer, SplitsAtTheNearestPointOfTheCurve) {
    const Segment original = MapEditor().segment(0);
    const Cubic curve = cubicOf(original);
    const View view{{10, 10}, 1.0};
    // Points on the curve, rounded to pixels, and some pixels beside it.
    for (double t : {0.13, 0.3, 0.5, 0.71, 0.9}) {
        for (int beside : {0, 3, -4}) {
            SCOPED_TRACE(std::to_string(t) + " " + std::to_string(beside));
            MapEditor editor;
            const ControlPoint w = view.toWindow(cubicAt(curve, t));
            const int x = static_cast<int>(std::lround(w.x)), y = static_cast<int>(std::lround(w.y)) + beside;
            ASSERT_TRUE(editor.many().press(x, y, false, true));
            ASSERT_EQ(editor.segmentCount(), 3);
            const Segment& first = editor.segment(0);
            const Segment& second = editor.segment(1);
            const ControlPoint junction = first.getEndPoint();
            EXPECT_EQ(junction, second.getStartPoint());
            // Nothing on the curve is nearer the pointer than the junction.
            const ControlPoint pointer = view.toMap({static_cast<double>(x), static_cast<double>(y)});
            for (int k = 0; k <= 4000; ++k)
                ASSERT_GE(distance(cubicAt(curve, k / 4000.0), pointer), distance(junction, pointer) - 1e-9);
            // The halves trace the original curve.
            const double at = nearestParameter(curve, junction);
            for (int k = 0; k <= 20; ++k) {
                const double s = k / 20.0;
                EXPECT_LT(distance(cubicAt(cubicOf(first), s), cubicAt(curve, at * s)), 1e-12);
                EXPECT_LT(distance(cubicAt(cubicOf(second), s), cubicAt(curve, at + (1 - at) * s)), 1e-12);
            }
            EXPECT_EQ(first.getResolution(), 2);
            EXPECT_EQ(editor.precision().picked(), (Picks{{0, PointRole::endPoint}, {1, PointRole::startPoint}}));
            EXPECT_TRUE(editor.undo());
            EXPECT_EQ(editor.segmentCount(), 2);
            EXPECT_EQ(editor.segment(0).controlPoints(), original.controlPoints());
        }
    }
    MapEditor editor;
    EXPECT_FALSE(editor.many().press(300, 300, false, true));  // far from every curve
    EXPECT_FALSE(editor.many().press(10, 110, false, true));   // on a control point
    EXPECT_EQ(editor.segmentCount(), 2);
}

TEST(SplitAtPointer, PastThePointBudgetItIsRefused) {
    MapEditor editor;
    Segment big = makeSegment(0, 10, 10, 10, 20, 10, 30, 10, static_cast<int>(sampleBudget - 2));
    editor.replaceChain({big});
    std::string said;
    editor.setRefusalSink([&said](const std::string& line) { said += line; });
    EXPECT_FALSE(editor.splitJoin().splitAt(150, 101));
    EXPECT_EQ(editor.segmentCount(), 1);
    EXPECT_NE(said.find("Split refused"), std::string::npos);
}

TEST(Dissolve, SplitThenDissolveGivesBackTheSegment) {
    const View view{{10, 10}, 1.0};
    for (double t : {0.04, 0.33, 0.5, 0.62, 0.97}) {
        SCOPED_TRACE(t);
        MapEditor editor;
        const Segment original = editor.segment(0);
        const ControlPoint w = view.toWindow(cubicAt(cubicOf(original), t));
        ASSERT_TRUE(editor.splitJoin().splitAt(static_cast<int>(std::lround(w.x)), static_cast<int>(std::lround(w.y))));
        ASSERT_EQ(editor.segmentCount(), 3);
        editor.splitJoin().dissolvePicked();
        ASSERT_EQ(editor.segmentCount(), 2);
        const std::vector<ControlPoint> a = editor.segment(0).controlPoints(), b = original.controlPoints();
        for (int k = 0; k < 4; ++k) EXPECT_LT(distance(a[k], b[k]), 1e-9 * 18);  // the extent is 18 units
        EXPECT_EQ(editor.segment(0).getResolution(), original.getResolution());
        EXPECT_TRUE(editor.undo());
        EXPECT_EQ(editor.segmentCount(), 3);
    }
}

TEST(Dissolve, AnEndOfTheChainStays) {
    MapEditor editor;
    std::string said;
    editor.setRefusalSink([&said](const std::string& line) { said += line; });
    editor.mouse(ButtonAction::press, 10, 110);
    editor.mouse(ButtonAction::release, 10, 110);
    editor.splitJoin().dissolvePicked();
    EXPECT_EQ(editor.segmentCount(), 2);
    EXPECT_EQ(said, "An end of the ground cannot be dissolved: use Remove Point");
    // Ctrl+A: the inner junction goes, the two ends stay.
    editor.many().pickAllEndPoints();
    EXPECT_EQ(editor.precision().picked(), (Picks{{0, PointRole::startPoint}, {0, PointRole::endPoint},
                                          {1, PointRole::startPoint}, {1, PointRole::endPoint}}));
    EXPECT_EQ(selection(editor), (std::vector<bool>{true, true}));
    editor.splitJoin().dissolvePicked();
    EXPECT_EQ(editor.segmentCount(), 1);
    EXPECT_EQ(editor.segment(0).getEndPoint(), (ControlPoint{16, 10}));
}
