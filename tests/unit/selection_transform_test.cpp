#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "MapEditor.h"
#include "MapFile.h"
#include "SegmentFactory.h"

// The initial map at view offset (10, 10), in map units: segment 0 from
// (0, 10) with handles (0.5, 18) and (10, 18) to the junction (10.5, 10);
// segment 1 on with handles (12, 8) and (14, 8) to (16, 10).
namespace {

std::vector<ControlPoint> allPoints(const MapEditor& editor) {
    std::vector<ControlPoint> out;
    for (const Segment& s : editor.getSegments())
        for (const ControlPoint& p : s.controlPoints()) out.push_back(p);
    return out;
}

// A Shift band from window pixel (x0, y0) to (x1, y1).
void band(MapEditor& editor, int x0, int y0, int x1, int y1) {
    ASSERT_TRUE(editor.many().press(x0, y0, true, false));
    editor.many().motion(x1, y1);
    ASSERT_TRUE(editor.many().release());
}

struct Refusals {
    std::string said;
    explicit Refusals(MapEditor& editor) {
        editor.setRefusalSink([this](const std::string& line) { said += line + "\n"; });
    }
};

}  // namespace

TEST(SelectionTransform, EachKeyOnThePickedPointsAboutTheirBox) {
    const double c = std::cos(15.0 * 3.14159265358979323846 / 180.0);
    const double s = std::sin(15.0 * 3.14159265358979323846 / 180.0);
    struct Case {
        char key;
        bool all;  // Ctrl+A; otherwise a band around segment 0's start and the junction
        std::vector<ControlPoint> expected;
    };
    const std::vector<Case> cases = {
        // All end points: box (0, 10) to (16, 10), centre (8, 10).
        {'h', true, {{16, 10}, {15.5, 18}, {6, 18}, {5.5, 10}, {5.5, 10}, {4, 8}, {2, 8}, {0, 10}}},
        {'v', true, {{0, 10}, {0.5, 2}, {10, 2}, {10.5, 10}, {10.5, 10}, {12, 12}, {14, 12}, {16, 10}}},
        {'>',
         true,
         {{-0.8, 10},
          {-0.25, 18.8},
          {10.2, 18.8},
          {10.75, 10},
          {10.75, 10},
          {12.4, 7.8},
          {14.6, 7.8},
          {16.8, 10}}},
        {']',
         true,
         {{8 - 8 * c, 10 - 8 * s},
          {8 - 7.5 * c - 8 * s, 10 - 7.5 * s + 8 * c},
          {8 + 2 * c - 8 * s, 10 + 2 * s + 8 * c},
          {8 + 2.5 * c, 10 + 2.5 * s},
          {8 + 2.5 * c, 10 + 2.5 * s},
          {8 + 4 * c + 2 * s, 10 + 4 * s - 2 * c},
          {8 + 6 * c + 2 * s, 10 + 6 * s - 2 * c},
          {8 + 8 * c, 10 + 8 * s}}},
        // Segment 0's start and both copies of the junction: box (0, 10) to
        // (10.5, 10). Segment 1's end and its handle stay.
        {'h', false, {{10.5, 10}, {10, 18}, {0.5, 18}, {0, 10}, {0, 10}, {-1.5, 8}, {14, 8}, {16, 10}}},
        {',',
         false,
         {{5.25 - 5.25 / 1.1, 10},
          {5.25 - 4.75 / 1.1, 10 + 8 / 1.1},
          {5.25 + 4.75 / 1.1, 10 + 8 / 1.1},
          {5.25 + 5.25 / 1.1, 10},
          {5.25 + 5.25 / 1.1, 10},
          {5.25 + 6.75 / 1.1, 10 - 2 / 1.1},
          {14, 8},
          {16, 10}}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(std::string(1, test.key) + (test.all ? " all" : " band"));
        MapEditor editor;
        if (test.all)
            editor.many().pickAllEndPoints();
        else
            band(editor, 2, 102, 122, 118);
        PickTransform kind;
        ASSERT_TRUE(SelectionTransform::ofKey(static_cast<unsigned char>(test.key), kind));
        const std::uint64_t before = editor.contentId();
        ASSERT_TRUE(editor.transform().apply(kind));
        EXPECT_NE(editor.contentId(), before);
        const std::vector<ControlPoint> got = allPoints(editor);
        ASSERT_EQ(got.size(), test.expected.size());
        for (std::size_t k = 0; k < got.size(); ++k) {
            EXPECT_NEAR(got[k].x, test.expected[k].x, 1e-12) << k;
            EXPECT_NEAR(got[k].y, test.expected[k].y, 1e-12) << k;
        }
        // The junction's copies stay one point, and one undo brings all back.
        EXPECT_EQ(editor.segment(0).getEndPoint(), editor.segment(1).getStartPoint());
        ASSERT_TRUE(editor.undo());
        EXPECT_EQ(formatMapFile(editor.getSegments()), formatMapFile(MapEditor().getSegments()));
        EXPECT_EQ(editor.contentId(), before);
    }
}

TEST(SelectionTransform, RepeatsAndInversesComeBack) {
    for (int seed = 1; seed <= 4; ++seed) {
        SCOPED_TRACE(seed);
        MapEditor editor;
        editor.replaceChain(wanderingChain(static_cast<unsigned>(seed), 12, Walk{3, 2, 4, 0, 80, 0, 60}));
        editor.many().pickAllEndPoints();
        const std::string start = formatMapFile(editor.getSegments());
        const std::vector<ControlPoint> origin = allPoints(editor);
        for (PickTransform flip : {PickTransform::flipLeftRight, PickTransform::flipTopBottom}) {
            ASSERT_TRUE(editor.transform().apply(flip));
            EXPECT_NE(formatMapFile(editor.getSegments()), start);
            ASSERT_TRUE(editor.transform().apply(flip));
            EXPECT_EQ(formatMapFile(editor.getSegments()), start);
        }
        auto near = [&](double tolerance) {
            const std::vector<ControlPoint> now = allPoints(editor);
            for (std::size_t k = 0; k < now.size(); ++k) {
                EXPECT_NEAR(now[k].x, origin[k].x, tolerance) << k;
                EXPECT_NEAR(now[k].y, origin[k].y, tolerance) << k;
            }
        };
        for (int k = 0; k < 24; ++k) ASSERT_TRUE(editor.transform().apply(PickTransform::turnRight));
        near(1e-9);
        for (int k = 0; k < 24; ++k) ASSERT_TRUE(editor.transform().apply(PickTransform::turnLeft));
        ASSERT_TRUE(editor.transform().apply(PickTransform::grow));
        ASSERT_TRUE(editor.transform().apply(PickTransform::shrink));
        near(1e-9);
        // Every press was a step of its own.
        for (int k = 0; k < 2 + 48 + 2; ++k) ASSERT_TRUE(editor.undo()) << k;
        EXPECT_EQ(formatMapFile(editor.getSegments()), start);
    }
}

TEST(SelectionTransform, RefusesWithoutTwoPointsOrWithNumbersBeyondTheMap) {
    const std::vector<Segment> huge = {
        makeSegment(-1.7e308, -1.7e308, -1e308, -1e308, 1e308, 1e308, 1.7e308, 1.7e308)};
    struct Case {
        const char* name;
        bool hugeMap;
        int pick;  // 0 nothing, 1 one end by a band, 2 both copies of the junction, 3 all
        PickTransform kind;
        const char* says;
    };
    const std::vector<Case> cases = {
        {"nothing", false, 0, PickTransform::flipLeftRight, "Pick two or more points"},
        {"one end", false, 1, PickTransform::turnLeft, "Pick two or more points"},
        {"one junction", false, 2, PickTransform::grow, "Pick two or more points"},
        {"overflow", true, 3, PickTransform::grow, "nothing changed"},
        {"overflow turned", true, 3, PickTransform::turnRight, "nothing changed"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        MapEditor editor;
        if (test.hugeMap) editor.replaceChain(huge);
        Refusals refusals(editor);
        if (test.pick == 1) band(editor, 2, 102, 18, 118);
        if (test.pick == 2) band(editor, 107, 102, 123, 118);
        if (test.pick == 3) editor.many().pickAllEndPoints();
        const std::string before = formatMapFile(editor.getSegments());
        const std::size_t steps = editor.getHistory().undoCount();
        EXPECT_FALSE(editor.transform().apply(test.kind));
        EXPECT_NE(refusals.said.find(test.says), std::string::npos) << refusals.said;
        EXPECT_EQ(formatMapFile(editor.getSegments()), before);
        EXPECT_EQ(editor.getHistory().undoCount(), steps);
    }
}
