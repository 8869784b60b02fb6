#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "Segment.h"
#include "SegmentFactory.h"

namespace {

void expectSamples(const Segment& s, const std::vector<ControlPoint>& expected, double tolerance) {
    const std::vector<ControlPoint>& samples = s.getSamples();
    ASSERT_EQ(samples.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_NEAR(samples[i].x, expected[i].x, tolerance) << "sample " << i;
        EXPECT_NEAR(samples[i].y, expected[i].y, tolerance) << "sample " << i;
    }
}

// The cubic Bezier evaluated from its Bernstein form, independent of the sampler.
ControlPoint bezierAt(const std::vector<ControlPoint>& p, double t) {
    const double u = 1.0 - t;
    const double b0 = u * u * u, b1 = 3 * u * u * t, b2 = 3 * u * t * t, b3 = t * t * t;
    return {b0 * p[0].x + b1 * p[1].x + b2 * p[2].x + b3 * p[3].x,
            b0 * p[0].y + b1 * p[1].y + b2 * p[2].y + b3 * p[3].y};
}

Segment randomSegment(std::mt19937& rng, int resolution) {
    std::uniform_real_distribution<double> coord(-100.0, 100.0);
    double c[8];
    for (double& v : c) v = coord(rng);
    return makeSegment(c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], resolution);
}

// A segment placed in the view as the editor places it: offset (10, 10).
Segment viewSegment(double x0, double y0, double x1, double y1, double x2, double y2, double x3, double y3) {
    Segment s = makeSegment(x0, y0, x1, y1, x2, y2, x3, y3);
    s.setViewOffset(10.0, 10.0);
    return s;
}

}  // namespace

TEST(SegmentSampling, InitialSegmentsToFourDecimals) {
    expectSamples(makeSegment(0, 10, 0.5, 18, 10, 18, 10.5, 10),
                  {{0, 10},
                   {0.9167, 13.3333},
                   {2.8333, 15.3333},
                   {5.25, 16},
                   {7.6667, 15.3333},
                   {9.5833, 13.3333},
                   {10.5, 10}},
                  5e-5);
    expectSamples(makeSegment(10.5, 10, 12, 8, 14, 8, 16, 10),
                  {{10.5, 10},
                   {11.2894, 9.1667},
                   {12.1481, 8.6667},
                   {13.0625, 8.5},
                   {14.0185, 8.6667},
                   {15.0023, 9.1667},
                   {16, 10}},
                  5e-5);
}

TEST(SegmentSampling, ArchAtResolutionTwoAndFive) {
    expectSamples(makeSegment(0, 0, 1, 1, 2, 1, 3, 0, 2), {{0, 0}, {1, 2.0 / 3}, {2, 2.0 / 3}, {3, 0}},
                  1e-12);
    expectSamples(makeSegment(0, 0, 1, 1, 2, 1, 3, 0, 5),
                  {{0, 0}, {0.5, 5.0 / 12}, {1, 2.0 / 3}, {1.5, 0.75}, {2, 2.0 / 3}, {2.5, 5.0 / 12}, {3, 0}},
                  1e-12);
}

TEST(SegmentSampling, ZeroAndNegativeResolutionGiveTheEndPointsAlone) {
    Segment straight = makeSegment(0, 0, 1, 1, 2, 1, 3, 0, 0);
    ASSERT_EQ(straight.getSamples().size(), 2u);
    EXPECT_EQ(straight.getSamples()[0], (ControlPoint{0, 0}));
    EXPECT_EQ(straight.getSamples()[1], (ControlPoint{3, 0}));

    Segment negative = makeSegment(0, 0, 1, 1, 2, 1, 3, 0, -3);
    EXPECT_EQ(negative.getResolution(), -3);
    ASSERT_EQ(negative.getSamples().size(), 2u);
    EXPECT_EQ(negative.getSamples()[0], (ControlPoint{0, 0}));
    EXPECT_EQ(negative.getSamples()[1], (ControlPoint{3, 0}));
}

TEST(SegmentSampling, EndSamplesAreExactlyTheEndPointsAndInteriorFollowsTheCurve) {
    std::mt19937 rng(20261207);
    std::uniform_int_distribution<int> resolution(0, 60);
    for (int round = 0; round < 200; ++round) {
        const int r = resolution(rng);
        Segment s = randomSegment(rng, r);
        const std::vector<ControlPoint>& samples = s.getSamples();
        ASSERT_EQ(samples.size(), static_cast<std::size_t>(r) + 2);
        EXPECT_EQ(samples.front(), s.getStartPoint());
        EXPECT_EQ(samples.back(), s.getEndPoint());
        const std::vector<ControlPoint> p = s.controlPoints();
        for (int k = 1; k <= r; ++k) {
            const ControlPoint expected = bezierAt(p, static_cast<double>(k) / (r + 1));
            EXPECT_NEAR(samples[k].x, expected.x, 1e-9);
            EXPECT_NEAR(samples[k].y, expected.y, 1e-9);
        }
    }
}

TEST(SegmentSampling, ResamplingKeepsTheSampleStorage) {
    Segment s = makeSegment(0, 0, 1, 1, 2, 1, 3, 0, 20);
    const ControlPoint* storage = s.getSamples().data();
    s.setPoints(1, 1, 2, 3, 4, 5, 6, 7);
    s.setResolution(10);
    s.setResolution(20);
    EXPECT_EQ(s.getSamples().data(), storage);
    EXPECT_EQ(s.getSamples().size(), 22u);
}

TEST(SegmentModel, ControlPointsInCurveOrder) {
    Segment s = makeSegment(0, 10, 0.5, 18, 10, 18, 10.5, 10);
    const std::vector<ControlPoint> expected = {{0, 10}, {0.5, 18}, {10, 18}, {10.5, 10}};
    EXPECT_EQ(s.controlPoints(), expected);
    EXPECT_EQ(s.getStartHandle(), (ControlPoint{0.5, 18}));
    EXPECT_EQ(s.getEndHandle(), (ControlPoint{10, 18}));
}

TEST(SegmentPick, ToleranceIsSixPixelsAfterTruncation) {
    // End point (10.5, 10) lies at window pixel (115, 110).
    Segment s = viewSegment(0, 10, 0.5, 18, 10, 18, 10.5, 10);
    EXPECT_TRUE(s.pick(ButtonAction::press, 120, 110));
    EXPECT_TRUE(s.pick(ButtonAction::press, 110, 105));
    EXPECT_FALSE(s.pick(ButtonAction::press, 121, 110));
    EXPECT_FALSE(s.pick(ButtonAction::press, 115, 104));

    // Offset 10.1 puts the end point at x = 115.1: 5.9 pixels off truncates to 5 and hits,
    // 6.9 truncates to 6 and misses.
    s.setViewOffset(10.1, 10.0);
    EXPECT_TRUE(s.pick(ButtonAction::press, 121, 110));
    EXPECT_FALSE(s.pick(ButtonAction::press, 122, 110));
    EXPECT_TRUE(s.pick(ButtonAction::press, 110, 110));  // 5.1 to the left
    EXPECT_FALSE(s.pick(ButtonAction::press, 109, 110));
}

TEST(SegmentPick, OrderOfTheControlPointsDecides) {
    // End handle 2 pixels from the end point: the end point wins and carries its handle.
    Segment s = viewSegment(0, 0, 1, 1, 3, 0.2, 3, 0);
    ASSERT_TRUE(s.pick(ButtonAction::press, 40, 11));
    EXPECT_EQ(s.getDragPoint(), PointRole::endPoint);
    EXPECT_EQ(s.getDragCompanion(), PointRole::endHandle);
    EXPECT_TRUE(s.isSelected());

    // All four at one place: the start point wins.
    Segment collapsed = viewSegment(2, 2, 2, 2, 2, 2, 2, 2);
    ASSERT_TRUE(collapsed.pick(ButtonAction::press, 30, 30));
    EXPECT_EQ(collapsed.getDragPoint(), PointRole::startPoint);
    EXPECT_EQ(collapsed.getDragCompanion(), PointRole::startHandle);

    // A handle picked alone has no companion.
    ASSERT_TRUE(s.pick(ButtonAction::press, 20, 20));
    EXPECT_EQ(s.getDragPoint(), PointRole::startHandle);
    EXPECT_EQ(s.getDragCompanion(), PointRole::none);
}

TEST(SegmentPick, ReleaseEndsThePickAndMissDeselects) {
    Segment s = viewSegment(0, 10, 0.5, 18, 10, 18, 10.5, 10);
    ASSERT_TRUE(s.pick(ButtonAction::press, 10, 110));
    EXPECT_FALSE(s.pick(ButtonAction::release, 10, 110));
    EXPECT_EQ(s.getDragPoint(), PointRole::none);
    EXPECT_EQ(s.getDragCompanion(), PointRole::none);
    EXPECT_TRUE(s.isSelected());

    s.drag(300, 300);
    EXPECT_EQ(s.getStartPoint(), (ControlPoint{0, 10}));

    ASSERT_TRUE(s.pick(ButtonAction::press, 10, 110));
    EXPECT_FALSE(s.pick(ButtonAction::press, 400, 400));
    EXPECT_FALSE(s.isSelected());
    EXPECT_EQ(s.getDragPoint(), PointRole::none);
}

TEST(SegmentDrag, EndPointCarriesItsHandleAndHandleMovesAlone) {
    Segment s = viewSegment(0, 10, 0.5, 18, 10, 18, 10.5, 10);
    // Pressed 3 pixels off the start point: the point still jumps exactly under the pointer.
    ASSERT_TRUE(s.pick(ButtonAction::press, 13, 108));
    s.drag(50, 60);
    EXPECT_EQ(s.getStartPoint(), (ControlPoint{4, 5}));
    EXPECT_EQ(s.getStartHandle(), (ControlPoint{4.5, 13}));
    EXPECT_EQ(s.getEndPoint(), (ControlPoint{10.5, 10}));
    EXPECT_EQ(s.getSamples().front(), (ControlPoint{4, 5}));

    ASSERT_TRUE(s.pick(ButtonAction::press, 110, 190));
    s.drag(210, 30);
    EXPECT_EQ(s.getEndHandle(), (ControlPoint{20, 2}));
    EXPECT_EQ(s.getEndPoint(), (ControlPoint{10.5, 10}));
    EXPECT_EQ(s.getStartHandle(), (ControlPoint{4.5, 13}));
    const ControlPoint expected = bezierAt(s.controlPoints(), 0.5);
    EXPECT_NEAR(s.getSamples()[3].x, expected.x, 1e-12);
    EXPECT_NEAR(s.getSamples()[3].y, expected.y, 1e-12);
}

TEST(SegmentSplit, HalvesTraceTheOriginalCurve) {
    std::mt19937 rng(7);
    for (int round = 0; round < 100; ++round) {
        const Segment whole = randomSegment(rng, 5);
        const auto [left, right] = whole.split();
        const std::vector<ControlPoint> p = whole.controlPoints();
        const std::vector<ControlPoint> l = left.controlPoints();
        const std::vector<ControlPoint> r = right.controlPoints();
        EXPECT_EQ(l[0], p[0]);
        EXPECT_EQ(r[3], p[3]);
        EXPECT_EQ(l[3], r[0]);
        for (int k = 0; k <= 64; ++k) {
            const double u = k / 64.0;
            const ControlPoint a = bezierAt(l, u), b = bezierAt(p, u / 2);
            const ControlPoint c = bezierAt(r, u), d = bezierAt(p, 0.5 + u / 2);
            EXPECT_NEAR(a.x, b.x, 1e-12);
            EXPECT_NEAR(a.y, b.y, 1e-12);
            EXPECT_NEAR(c.x, d.x, 1e-12);
            EXPECT_NEAR(c.y, d.y, 1e-12);
        }
    }
}

TEST(SegmentSplit, OddResolutionKeepsTheSampledPoints) {
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> half(0, 25);
    for (int round = 0; round < 100; ++round) {
        const int r = 2 * half(rng) + 1;
        const Segment whole = randomSegment(rng, r);
        const auto [left, right] = whole.split();
        ASSERT_EQ(left.getResolution(), (r - 1) / 2);
        ASSERT_EQ(right.getResolution(), (r - 1) / 2);
        std::vector<ControlPoint> joined = left.getSamples();
        EXPECT_EQ(joined.back(), right.getSamples().front());
        joined.insert(joined.end(), right.getSamples().begin() + 1, right.getSamples().end());
        const std::vector<ControlPoint>& before = whole.getSamples();
        ASSERT_EQ(joined.size(), before.size());
        for (std::size_t i = 0; i < before.size(); ++i) {
            EXPECT_NEAR(joined[i].x, before[i].x, 1e-9) << "r " << r << " sample " << i;
            EXPECT_NEAR(joined[i].y, before[i].y, 1e-9) << "r " << r << " sample " << i;
        }
    }
}

TEST(SegmentSplit, EvenAndNegativeResolutions) {
    const Segment even = makeSegment(0, 0, 1, 1, 2, 1, 3, 0, 4);
    const auto evenHalves = even.split();
    EXPECT_EQ(evenHalves.first.getResolution(), 2);
    EXPECT_EQ(evenHalves.second.getResolution(), 2);
    // The extra point sits at the split, t = 0.5 of the original.
    EXPECT_NEAR(evenHalves.first.getSamples().back().x, 1.5, 1e-12);
    EXPECT_NEAR(evenHalves.first.getSamples().back().y, 0.75, 1e-12);

    const auto zeroHalves = makeSegment(0, 0, 1, 1, 2, 1, 3, 0, 0).split();
    EXPECT_EQ(zeroHalves.first.getResolution(), 0);
    EXPECT_EQ(zeroHalves.second.getSamples().size(), 2u);

    const auto negativeHalves = makeSegment(0, 0, 1, 1, 2, 1, 3, 0, -3).split();
    EXPECT_EQ(negativeHalves.first.getResolution(), 0);
    EXPECT_EQ(negativeHalves.second.getResolution(), 0);
}

TEST(SegmentSplit, HalvesAreIdleAndKeepSelectionAndView) {
    Segment s = viewSegment(0, 10, 0.5, 18, 10, 18, 10.5, 10);
    s.setViewOffset(25, 40);
    ASSERT_TRUE(s.pick(ButtonAction::press, 25, 140));
    const auto [left, right] = s.split();
    for (const Segment* half : {&left, &right}) {
        EXPECT_TRUE(half->isSelected());
        EXPECT_EQ(half->getDragPoint(), PointRole::none);
        EXPECT_EQ(half->getDragCompanion(), PointRole::none);
        EXPECT_EQ(half->getViewOffset(), (ControlPoint{25, 40}));
    }
}

// Squares and the pick tolerance stay in pixels; map coordinates scale.
TEST(SegmentZoom, PickAndDragAtZoomTwoAndAQuarter) {
    struct Case {
        double zoom;
        int startX, startY;  // where the start point (0, 10) is drawn
        ControlPoint draggedTo50And90;
    };
    for (const Case& c : std::vector<Case>{{2.0, 10, 210, {2, 4}}, {0.25, 10, 35, {16, 32}}}) {
        Segment s = viewSegment(0, 10, 0.5, 18, 10, 18, 10.5, 10);
        s.setZoom(c.zoom);
        EXPECT_FALSE(s.pick(ButtonAction::press, c.startX + 6, c.startY)) << c.zoom;
        EXPECT_FALSE(s.pick(ButtonAction::press, c.startX, c.startY - 6)) << c.zoom;
        ASSERT_TRUE(s.pick(ButtonAction::press, c.startX - 5, c.startY + 5)) << c.zoom;
        ASSERT_EQ(s.getDragPoint(), PointRole::startPoint);
        s.drag(50, 90);
        EXPECT_EQ(s.getStartPoint(), c.draggedTo50And90) << c.zoom;
        // The handle keeps its offset in map units.
        EXPECT_EQ(s.getStartHandle(), (ControlPoint{c.draggedTo50And90.x + 0.5, c.draggedTo50And90.y + 8}));
    }
}
