#include <gtest/gtest.h>

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
// segment 1 on with handles at (130, 90) and (150, 90) to (170, 110).
namespace {

using Picks = std::vector<std::pair<std::size_t, PointRole>>;

std::vector<bool> selection(const MapEditor& editor) {
    std::vector<bool> out;
    for (const Segment& s : editor.getSegments()) out.push_back(s.isSelected());
    return out;
}

Cubic cubicOf(const Segment& s) { return {s.getStartPoint(), s.getStartHandle(), s.getEndHandle(), s.getEndPoint()}; }

double distance(const ControlPoint& a, const ControlPoint& b) { return std::hypot(a.x - b.x, a.y - b.y); }

}  // namespace

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
