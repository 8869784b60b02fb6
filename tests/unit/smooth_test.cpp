// Drags under Shift and Ctrl, smoothing and straightening, and what the
// precision readout says of a junction.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

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

// What the readout says of the junction after segment k of `chain`.
std::string readoutAt(const std::vector<Segment>& chain, std::size_t k) {
    PrecisionMode::PointReadout readout;
    readout.atJunction = true;
    readout.junction = chain[k].getEndPoint();
    readout.handleBefore = chain[k].getEndHandle();
    readout.handleAfter = chain[k + 1].getStartHandle();
    return junctionReadout(readout);
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
        editor.precision().set(c.precise);
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
        EXPECT_EQ(e.shaping().smoothSelected(), c.done);
        EXPECT_EQ(e.getHistory().undoCount(), steps + (c.done ? 1 : 0));
        for (std::size_t i = 0; i < 3; ++i) {
            EXPECT_EQ(e.segment(static_cast<int>(i)).getStartHandle(), c.handles[2 * i]) << i;
            EXPECT_EQ(e.segment(static_cast<int>(i)).getEndHandle(), c.handles[2 * i + 1]) << i;
        }
        // Smoothing again changes nothing and adds no step.
        e.shaping().smoothSelected();
        EXPECT_EQ(e.getHistory().undoCount(), steps + (c.done ? 1 : 0));
    }
}

TEST(SmoothCommands, SmoothedHandlesArePlacedInFloatingPoint) {
    MapEditor e =
        chainOf({makeSegment(0, 0, 1, 1, 2, 1, 3, 1), makeSegment(3, 1, 4, 2, 5, 2, 7, 3)}, {true, true});
    ASSERT_TRUE(e.shaping().smoothSelected());
    EXPECT_EQ(e.segment(0).getEndHandle(), (ControlPoint{3 - 7.0 / 6, 1 - 0.5}));
    EXPECT_EQ(e.segment(1).getStartHandle(), (ControlPoint{3 + 7.0 / 6, 1 + 0.5}));
    // Smoothing again finds them in place: no second step.
    e.shaping().smoothSelected();
    EXPECT_EQ(e.getHistory().undoCount(), 1u);

    MapEditor initial =
        chainOf({makeSegment(0, 10, 0.5, 18, 10, 18, 10.5, 10), makeSegment(10.5, 10, 12, 8, 14, 8, 16, 10)},
                {true, true});
    ASSERT_TRUE(initial.shaping().smoothSelected());
    EXPECT_EQ(formatMapFile(initial.getSegments()),
              "0 10 0.5 18\n7.83333 10 10.5 10\n5\n10.5 10 13.1667 10\n14 8 16 10\n5");
}

TEST(SmoothCommands, StraighteningPutsHandlesAtThirds) {
    const std::vector<Segment> chain{makeSegment(0, 0, 1, 1, 2, 1, 3, 0),
                                     makeSegment(3, 0, 4, -1, 5, -1, 6, 3)};
    MapEditor e = chainOf(chain, {false, true});
    ASSERT_TRUE(e.shaping().straightenSelected());
    EXPECT_EQ(formatMapFile(e.getSegments()), "0 0 1 1\n2 1 3 0\n5\n3 0 4 1\n5 2 6 3\n5");

    MapEditor none = chainOf(chain, {false, false});
    EXPECT_FALSE(none.shaping().straightenSelected());
    EXPECT_EQ(none.getHistory().undoCount(), 0u);

    // Ends near the largest double: the difference overflows, the thirds do not.
    MapEditor far = chainOf({makeSegment(-1.5e308, 0, 0, 0, 0, 0, 1.5e308, 0)}, {true});
    ASSERT_TRUE(far.shaping().straightenSelected());
    EXPECT_DOUBLE_EQ(far.segment(0).getStartHandle().x, -0.5e308);
    EXPECT_DOUBLE_EQ(far.segment(0).getEndHandle().x, 0.5e308);
}

// Junctions placed opposite by Ctrl+M and by a Shift drag, over seeded slanted
// chains at several scales, read "smooth", and still do after saves and
// loads; a kink the file keeps reads "kink".
TEST(SmoothReadout, PlacedOppositeStaysSmoothThroughSavesAndKinksStayKinks) {
    std::mt19937 rng(52);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    // Where the chains lie, how long their segments are, and whether the view
    // can show their handles apart for a drag.
    // clang-format off
    const std::tuple<double, double, bool> scales[] = {
        {1e-3, 1e-4, false}, {0.5, 0.37, true}, {30, 1, true}, {1000, 3, true}, {2.5e6, 400, true}, {3e7, 2e5, false}};
    // clang-format on
    for (const auto& [reach, step, drag] : scales)
        for (int chain = 0; chain < 50; ++chain) {
            SCOPED_TRACE(testing::Message() << "reach " << reach << ", chain " << chain);
            std::vector<Segment> segments;
            ControlPoint at{unit(rng) * reach, unit(rng) * reach};
            for (int k = 0; k < 6; ++k, at = segments.back().getEndPoint())
                segments.push_back(makeSegment(at.x, at.y, at.x, at.y, at.x + (1.5 + unit(rng)) * step,
                                               at.y + unit(rng) * step, at.x + 2.5 * step, at.y + step));
            MapEditor editor = chainOf(segments, std::vector<bool>(segments.size(), true));
            ASSERT_TRUE(editor.shaping().smoothSelected());
            if (drag) {  // junction 3's second handle pulled with Shift to a seeded pixel near it
                editor.many().fitView();
                const ControlPoint h = View{editor.getViewOffset(), editor.getZoom()}.toWindow(
                    editor.segment(3).getStartHandle());
                const ControlPoint partner = editor.segment(2).getEndHandle();
                editor.mouse(press, static_cast<int>(std::lround(h.x)), static_cast<int>(std::lround(h.y)),
                             shift);
                editor.motion(static_cast<int>(h.x + unit(rng) * 9),
                              static_cast<int>(h.y + 3 + unit(rng) * 9));
                editor.mouse(release, 0, 0);
                EXPECT_NE(editor.segment(2).getEndHandle(), partner) << "the partner did not follow";
            }
            std::vector<Segment> now = editor.getSegments();
            for (int save = 0; save < 3;
                 ++save, now = segmentsFromRecords(parseMapFile(formatMapFile(now)).records))
                for (std::size_t k = 0; k + 1 < now.size(); ++k)
                    EXPECT_EQ(readoutAt(now, k), "smooth")
                        << "junction " << k << " after " << save << " saves";
        }

    // Handles turned from opposite by an angle, saved and loaded: a kink reads
    // as one, about as large; within what six digits can turn, smooth.
    // clang-format off
    const std::tuple<double, double, double, bool> turns[] = {
        {10.5, 1, 0.05, false}, {-30, 1, 0.05, false}, {10.5, 0.1, 0.5, false}, {1000, 10, 0.2, false},
        {10.5, 2, 90, false}, {10.5, 2, 180, false}, {10.5, 1, 0.005, true}, {1000, 1, 0.2, true}};
    // clang-format on
    for (const auto& [x, length, degrees, smooth] : turns) {
        const double in = std::atan2(-0.6, -0.8), out = in + std::acos(-1.0) * (1 - degrees / 180);
        std::vector<Segment> chain{
            makeSegment(x - 5, 20, x - 4, 20, x + std::cos(in) * length, 20 + std::sin(in) * length, x, 20),
            makeSegment(x, 20, x + std::cos(out) * 2 * length, 20 + std::sin(out) * 2 * length, x + 4, 20,
                        x + 5, 20)};
        const std::string said =
            readoutAt(segmentsFromRecords(parseMapFile(formatMapFile(chain)).records), 0);
        double read = 0;
        EXPECT_EQ(said == "smooth", smooth) << said << " at " << x << ", " << length << ", " << degrees;
        if (!smooth) {
            ASSERT_EQ(std::sscanf(said.c_str(), "kink %lf deg", &read), 1) << said;
            EXPECT_NEAR(read, degrees, degrees * 0.02) << said;
        }
    }
}

// What the readout writes: angles whose size reads at a glance, negative zero
// as 0, every cell's longest text whole (ten pixels a character).
TEST(SmoothReadout, TextIsWholeAndTrue) {
    // clang-format off
    const std::pair<double, std::string> angles[] = {
        {2.5097, "2.51"}, {0.02, "0.02"}, {0.000713985, "0.000714"}, {90, "90"}, {179.6, "180"}, {9.996, "10"},
        {1.01e-5, "0.0000101"}, {45.26, "45.3"}, {2.5097e-14, "2.51e-14"}};
    // clang-format on
    for (const auto& [degrees, text] : angles) EXPECT_EQ(angleText(degrees), text) << degrees;
    for (const auto& [value, text] : std::vector<std::pair<double, std::string>>{
             {-0.0, "0"}, {-1e-300, "-1e-300"}, {1234567, "1.23457e+06"}})
        EXPECT_EQ(readoutNumber(value), text) << value;

    buildPrecisionTools();
    const auto fits = [](const Label& cell, const std::string& text) {
        return text.size() * 10 < cell.getWidth() + 10u;
    };
    for (const auto& [before, after, said] : std::vector<std::tuple<double, double, std::string>>{
             {-0.0, 0.0, "slope 0 deg"},
             {12.5, 14.75, "slope 12.5 / 14.75 deg"},
             // Six digits would not fit the cell: three.
             {-0.000572958, 0.000572958, "slope -0.000573 / 0.000573 deg"},
             {-1.23456789e-100, 1.5e-300, "slope -1.23e-100 / 1.5e-300 deg"}}) {
        PrecisionMode::PointReadout readout;
        readout.hasSlopeBefore = readout.hasSlopeAfter = true;
        readout.slopeBefore = before;
        readout.slopeAfter = after;
        EXPECT_EQ(slopeReadout(readout), said);
        EXPECT_TRUE(fits(slopeCell, said)) << said;
    }
    EXPECT_TRUE(fits(pointerRow, "at -1.23457e-308, -1.23457e-308"));
    EXPECT_TRUE(fits(pointRow, "point -1.23457e-308, -1.23457e-308"));
    EXPECT_TRUE(fits(junctionCell, "kink " + angleText(1.01e-5) + " deg"));
    EXPECT_TRUE(fits(gridCell, "grid " + readoutNumber(100)));
}
