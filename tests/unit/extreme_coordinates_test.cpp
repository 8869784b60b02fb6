// Maps whose coordinates lie near the largest double: a map file may hold any
// finite value, and the curves sampled from it must stay finite.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "MapEditor.h"
#include "MapFile.h"
#include "Segment.h"
#include "SegmentFactory.h"

namespace {

constexpr double big = std::numeric_limits<double>::max();

void expectFiniteInsideHull(const Segment& s) {
    const std::vector<ControlPoint> points = s.controlPoints();
    double lowX = big, highX = -big, lowY = big, highY = -big;
    for (const ControlPoint& p : points) {
        lowX = std::min(lowX, p.x), highX = std::max(highX, p.x);
        lowY = std::min(lowY, p.y), highY = std::max(highY, p.y);
    }
    ASSERT_EQ(s.getSamples().size(), static_cast<std::size_t>(std::max(s.getResolution(), 0)) + 2);
    for (const ControlPoint& p : s.getSamples()) {
        ASSERT_TRUE(std::isfinite(p.x) && std::isfinite(p.y)) << p.x << ", " << p.y;
        // A Bezier curve lies inside the hull of its control points.
        EXPECT_GE(p.x, lowX);
        EXPECT_LE(p.x, highX);
        EXPECT_GE(p.y, lowY);
        EXPECT_LE(p.y, highY);
    }
    EXPECT_EQ(s.getSamples().front().x, points[0].x);
    EXPECT_EQ(s.getSamples().back().y, points[3].y);
}

TEST(ExtremeCoordinates, SamplesStayFiniteForTheLargestDoubles) {
    Segment s;
    s.setPoints(big, -big, -big, big, big, big, -big, -big);
    for (int resolution : {0, 1, 5, 50, 10000}) {
        SCOPED_TRACE(resolution);
        s.setResolution(resolution);
        expectFiniteInsideHull(s);
    }
    // Ordinary curves keep their exact middle: (0,0) (0,8) (8,8) (8,0) at t = 0.5 is (4, 6).
    Segment plain;
    plain.setPoints(0, 0, 0, 8, 8, 8, 8, 0);
    plain.setResolution(1);
    EXPECT_DOUBLE_EQ(plain.getSamples()[1].x, 4.0);
    EXPECT_DOUBLE_EQ(plain.getSamples()[1].y, 6.0);
}

TEST(ExtremeCoordinates, SplittingAHugeCurveGivesFiniteHalves) {
    Segment s;
    s.setPoints(big, big, big, big, big, -big, big, -big);
    s.setResolution(6);
    const auto [first, second] = s.split();
    for (const Segment* half : {&first, &second}) {
        for (const ControlPoint& p : half->controlPoints())
            EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y));
        expectFiniteInsideHull(*half);
    }
    EXPECT_EQ(first.getEndPoint().x, second.getStartPoint().x);
    EXPECT_EQ(first.getEndPoint().y, second.getStartPoint().y);
}

TEST(ExtremeCoordinates, ALoadedMapNearTheLimitIsSampledFinite) {
    const MapFileParse parsed = parseMapFile(
        "1.79769e+308 -1.79769e+308 -1.79769e+308 1.79769e+308\n"
        "1.79769e+308 1.79769e+308 -1.79769e+308 -1.79769e+308\n50");
    ASSERT_TRUE(parsed.ok()) << parsed.error;
    const std::vector<Segment> chain = segmentsFromRecords(parsed.records);
    ASSERT_EQ(chain.size(), 1u);
    expectFiniteInsideHull(chain[0]);
    // The sampled map saves and loads back.
    EXPECT_TRUE(parseMapFile(formatMapFile(chain)).ok());
}

TEST(ExtremeCoordinates, RemovesRejoinFiniteAndTheSavedMapLoadsBack) {
    // S1's end handle lies a whole range away from its end point, and S3
    // starts at the other end of the range: the moved handle is far outside it.
    struct Case {
        double end, handle, target, expectedHandle;
    } cases[] = {
        {big, -big, big, -big},                                       // representable: big - 2 big
        {-big, big, big, big},                                        // saturates: big + 2 big
        {big, -big, -big, -big}, {0.5 * big, -big, big, -0.5 * big},  // representable: big - 1.5 big
        {1, 3, 10, 12},  // ordinary values take the direct sum exactly
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.end << " " << c.handle << " " << c.target);
        std::vector<Segment> chain = {makeSegment(0, 0, 1, 1, c.handle, c.handle, c.end, c.end),
                                      makeSegment(c.end, c.end, 0, 0, 0, 0, c.target, c.target),
                                      makeSegment(c.target, c.target, 0, 0, 0, 0, 1, 1)};
        chain[1].setSelected(true);
        MapEditor editor;
        editor.replaceChain(chain);
        editor.removeSelected();
        ASSERT_EQ(editor.getSegments().size(), 2u);
        const Segment& rejoined = editor.getSegments()[0];
        EXPECT_EQ(rejoined.getEndHandle().x, c.expectedHandle);
        EXPECT_EQ(rejoined.getEndHandle().y, c.expectedHandle);
        EXPECT_EQ(rejoined.getEndPoint().x, c.target);
        expectFiniteInsideHull(rejoined);
        // What the editor saves, it loads back: the same text again.
        const std::string text = formatMapFile(editor.getSegments());
        const MapFileParse parsed = parseMapFile(text);
        ASSERT_TRUE(parsed.ok()) << parsed.error;
        EXPECT_EQ(formatMapFile(segmentsFromRecords(parsed.records)), text);
    }
}

}  // namespace
