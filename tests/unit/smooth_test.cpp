// Drags under Shift and Ctrl, smoothing and straightening, and what the
// precision readout says of a junction.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "GroundGeometry.h"
#include "InitialMap.h"
#include "MapEditor.h"
#include "MapFile.h"
#include "PrecisionTools.h"
#include "SegmentFactory.h"

namespace {

constexpr ButtonAction press = ButtonAction::press;
constexpr ButtonAction release = ButtonAction::release;
constexpr DragModifiers shift{true, false};
constexpr DragModifiers ctrl{false, true};
constexpr DragModifiers both{true, true};

// The initial map's eight control points in curve order, segment by segment.
std::vector<ControlPoint> pointsOf(const MapEditor& editor) {
    std::vector<ControlPoint> all;
    for (const Segment& s : editor.getSegments())
        for (const ControlPoint& p : s.controlPoints()) all.push_back(p);
    return all;
}

// A chain of the given segments, each selected or not.
MapEditor chainOf(std::vector<Segment> segments, const std::vector<bool>& selected) {
    for (std::size_t i = 0; i < segments.size(); ++i) segments[i].setSelected(selected[i]);
    MapEditor editor;
    editor.replaceChain(std::move(segments));
    return editor;
}

}  // namespace

// The initial map at zoom 1 and offset (10, 10): the junction (10.5, 10) at
// pixel (115, 110), the second segment's start handle (12, 8) at (130, 90),
// the first start handle (0.5, 18) at (15, 190), the first start point at
// (10, 110), the last end point (16, 10) at (170, 110).
TEST(SmoothDrag, ModifiersShapeTheDragFromPressToRelease) {
    const double partner = 2.4843902290593007;  // 10.5 - |(10, 18) - (10.5, 10)|
    struct Change {
        std::size_t index;  // into pointsOf
        ControlPoint to;
    };
    struct Case {
        const char* name;
        DragModifiers modifiers;
        bool precise;
        int fromX, fromY, toX, toY;
        std::vector<Change> changes;
    };
    // clang-format off
    const std::vector<Case> cases{
        {"Shift, junction handle level", shift, false, 130, 90, 145, 110, {{5, {13.5, 10}}, {2, {partner, 10}}}},
        {"Shift, junction handle slanted", shift, false, 130, 90, 145, 130,
         {{5, {13.5, 12}}, {2, {3.830609530791495, 5.55373968719433}}}},
        {"Shift, handle at the chain's start", shift, false, 15, 190, 40, 150, {{1, {3, 14}}}},
        {"Shift on a point: a plain drag", shift, false, 10, 110, 40, 150, {{0, {3, 14}}, {1, {3.5, 22}}}},
        {"Ctrl, handle near 0 deg", ctrl, false, 130, 90, 145, 112, {{5, {13.5, 10}}}},
        {"Ctrl, handle near -45 deg", ctrl, false, 130, 90, 135, 89, {{5, {12.55, 7.95}}}},
        {"Ctrl, handle near -90 deg", ctrl, false, 130, 90, 118, 70, {{5, {10.5, 6}}}},
        {"Ctrl, handle near -165 deg", ctrl, false, 130, 90, 75, 100, {{5, {6.5179491924311215, 8.933012701892219}}}},
        {"Ctrl, start point sideways", ctrl, false, 10, 110, 60, 120, {{0, {5, 10}}, {1, {5.5, 18}}}},
        {"Ctrl, start point upright", ctrl, false, 10, 110, 20, 160, {{0, {0, 15}}, {1, {0.5, 23}}}},
        {"Ctrl, junction upright", ctrl, false, 115, 110, 125, 150,
         {{3, {10.5, 14}}, {2, {10, 22}}, {4, {10.5, 14}}, {5, {12, 12}}}},
        {"Shift and Ctrl, junction handle", both, false, 130, 90, 145, 112, {{5, {13.5, 10}}, {2, {partner, 10}}}},
        {"precision, Shift and Ctrl: the grid node (14, 10) first", both, true, 130, 90, 145, 112,
         {{5, {14, 10}}, {2, {partner, 10}}}},
        {"precision, Ctrl, end point: (18, 11) held level", ctrl, true, 170, 110, 193, 117,
         {{7, {18, 10}}, {6, {16, 8}}}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MapEditor editor;
        editor.setPrecision(c.precise);
        std::vector<ControlPoint> expected = pointsOf(editor);
        for (const Change& change : c.changes) expected[change.index] = change.to;
        editor.mouse(press, c.fromX, c.fromY, c.modifiers);
        editor.motion((c.fromX + c.toX) / 2, (c.fromY + c.toY) / 2);
        editor.motion(c.toX, c.toY);
        editor.mouse(release, c.toX, c.toY);
        const std::vector<ControlPoint> got = pointsOf(editor);
        for (std::size_t k = 0; k < expected.size(); ++k) {
            EXPECT_NEAR(got[k].x, expected[k].x, 1e-12) << "point " << k;
            EXPECT_NEAR(got[k].y, expected[k].y, 1e-12) << "point " << k;
        }
        // The drag ended at the release: a later motion moves nothing.
        editor.motion(300, 300);
        EXPECT_EQ(pointsOf(editor)[5].x, got[5].x);
    }
}

TEST(SmoothCommands, SmoothingGivesCatmullRomHandlesAtSelectedJunctions) {
    const std::vector<Segment> chain{makeSegment(0, 0, 1, 1, 2, 1, 3, 0),
                                     makeSegment(3, 0, 4, -1, 5, -1, 6, 3),
                                     makeSegment(6, 3, 7, 3, 8, 3, 9, 3)};
    struct Case {
        std::vector<bool> selected;
        bool done;
        std::vector<ControlPoint> handles;  // the six handles afterwards, in chain order
    };
    const std::vector<Case> cases{
        {{true, true, true}, true, {{1, 1}, {2, -0.5}, {4, 0.5}, {5, 2.5}, {7, 3.5}, {8, 3}}},
        {{false, true, true}, true, {{1, 1}, {2, 1}, {4, -1}, {5, 2.5}, {7, 3.5}, {8, 3}}},
        // No two neighbours selected, or nothing: no junction to smooth.
        {{true, false, true}, false, {{1, 1}, {2, 1}, {4, -1}, {5, -1}, {7, 3}, {8, 3}}},
        {{false, false, false}, false, {{1, 1}, {2, 1}, {4, -1}, {5, -1}, {7, 3}, {8, 3}}},
    };
    for (const Case& c : cases) {
        MapEditor e = chainOf(chain, c.selected);
        const std::size_t steps = e.getHistory().undoCount();
        EXPECT_EQ(e.smoothSelected(), c.done);
        EXPECT_EQ(e.getHistory().undoCount(), steps + (c.done ? 1 : 0));
        for (std::size_t i = 0; i < 3; ++i) {
            EXPECT_EQ(e.segment(static_cast<int>(i)).getStartHandle(), c.handles[2 * i]) << i;
            EXPECT_EQ(e.segment(static_cast<int>(i)).getEndHandle(), c.handles[2 * i + 1]) << i;
        }
        // Smoothing again changes nothing and adds no step.
        e.smoothSelected();
        EXPECT_EQ(e.getHistory().undoCount(), steps + (c.done ? 1 : 0));
    }
}

TEST(SmoothCommands, SmoothedHandlesAreExactlyOpposite) {
    // P -/+ (B - A) / 6 rounded one by one miss the line through P here.
    MapEditor e =
        chainOf({makeSegment(0, 0, 1, 1, 2, 1, 3, 1), makeSegment(3, 1, 4, 2, 5, 2, 7, 3)}, {true, true});
    ASSERT_TRUE(e.smoothSelected());
    const ControlPoint in = e.segment(0).getEndHandle(), out = e.segment(1).getStartHandle();
    EXPECT_EQ(orientation({in.x, in.y}, {3, 1}, {out.x, out.y}), 0);
    EXPECT_NEAR(in.x, 3 - 7.0 / 6, 1e-12);
    EXPECT_NEAR(out.y, 1 + 0.5, 1e-12);
    // Smoothing again finds them in place: no second step.
    e.smoothSelected();
    EXPECT_EQ(e.getHistory().undoCount(), 1u);

    // Level handles are exactly opposite as floating point gives them.
    MapEditor initial =
        chainOf({makeSegment(0, 10, 0.5, 18, 10, 18, 10.5, 10), makeSegment(10.5, 10, 12, 8, 14, 8, 16, 10)},
                {true, true});
    ASSERT_TRUE(initial.smoothSelected());
    EXPECT_EQ(formatMapFile(initial.getSegments()),
              "0 10 0.5 18\n7.83333 10 10.5 10\n5\n10.5 10 13.1667 10\n14 8 16 10\n5");
}

TEST(SmoothCommands, StraighteningPutsHandlesAtThirds) {
    const std::vector<Segment> chain{makeSegment(0, 0, 1, 1, 2, 1, 3, 0),
                                     makeSegment(3, 0, 4, -1, 5, -1, 6, 3)};
    MapEditor e = chainOf(chain, {false, true});
    ASSERT_TRUE(e.straightenSelected());
    EXPECT_EQ(formatMapFile(e.getSegments()), "0 0 1 1\n2 1 3 0\n5\n3 0 4 1\n5 2 6 3\n5");

    MapEditor none = chainOf(chain, {false, false});
    EXPECT_FALSE(none.straightenSelected());
    EXPECT_EQ(none.getHistory().undoCount(), 0u);

    // Ends near the largest double: the difference overflows, the thirds do not.
    MapEditor far = chainOf({makeSegment(-1.5e308, 0, 0, 0, 0, 0, 1.5e308, 0)}, {true});
    ASSERT_TRUE(far.straightenSelected());
    EXPECT_DOUBLE_EQ(far.segment(0).getStartHandle().x, -0.5e308);
    EXPECT_DOUBLE_EQ(far.segment(0).getEndHandle().x, 0.5e308);
}

TEST(SmoothReadout, ExactlyOppositeHandlesAreSmoothAndAnythingElseAKink) {
    struct Case {
        ControlPoint before, after;  // about the junction (10, 10)
        std::string said;
    };
    const std::vector<Case> cases{
        {{7, 10}, {13, 10}, "smooth"},
        {{8, 9}, {14, 12}, "smooth"},
        {{7, 10}, {10, 7}, "kink 90 deg"},
        // On the line but on the same side: a cusp.
        {{7, 10}, {8, 10}, "kink 180 deg"},
        // A miss no tolerance would see is still a kink.
        {{9, 10}, {11, 10 + 1e-15}, "kink 1.01778e-13 deg"},
        {{10, 10}, {13, 10}, ""},
    };
    for (const Case& c : cases) {
        MapEditor::PointReadout readout;
        readout.atJunction = true;
        readout.junction = {10, 10};
        readout.handleBefore = c.before;
        readout.handleAfter = c.after;
        EXPECT_EQ(junctionReadout(readout), c.said) << c.after.x << " " << c.after.y;
    }

    // A junction's handle dragged level with Shift: the other follows exactly.
    MapEditor editor;
    editor.setPrecision(true);
    editor.mouse(press, 130, 90, shift);
    editor.motion(150, 110);
    MapEditor::PointReadout readout;
    ASSERT_TRUE(editor.activePoint(readout));
    ASSERT_TRUE(readout.atJunction);
    EXPECT_EQ(readout.junction, (ControlPoint{10.5, 10}));
    EXPECT_EQ(junctionReadout(readout), "smooth");

    // Slanted, to the grid node (14, 12): floating point alone would leave a
    // kink of about 1e-14 degrees.
    editor.motion(150, 130);
    ASSERT_TRUE(editor.activePoint(readout));
    EXPECT_EQ(readout.junction, (ControlPoint{10.5, 10}));
    EXPECT_EQ(readout.handleAfter, (ControlPoint{14, 12}));
    EXPECT_EQ(junctionReadout(readout), "smooth");
}
