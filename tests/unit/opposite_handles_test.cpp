// A junction's handles turned exactly opposite, judged by the ground check's
// exact orientation test.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "DragConstraint.h"
#include "GroundGeometry.h"
#include "OppositeHandles.h"
#include "View.h"

namespace {

int sideOf(double from, double to) { return (to > from) - (to < from); }

// On one line through p, on either side of it, as the readout decides it.
bool oppositeByGroundCheck(const ControlPoint& p, const ControlPoint& a, const ControlPoint& b) {
    const int ax = sideOf(p.x, a.x), ay = sideOf(p.y, a.y);
    return ax == -sideOf(p.x, b.x) && ay == -sideOf(p.y, b.y) && (ax != 0 || ay != 0) &&
           orientation({a.x, a.y}, {p.x, p.y}, {b.x, b.y}) == 0;
}

double distance(const ControlPoint& a, const ControlPoint& b) { return std::hypot(a.x - b.x, a.y - b.y); }

// Exactly opposite about p, the handle within `bound` of its length from the
// target and the partner's length kept within `bound` of it.
void expectOppositeNear(const ControlPoint& p, const ControlPoint& target, const ControlPoint& partner,
                        const HandlePair& got, double bound) {
    EXPECT_TRUE(oppositeByGroundCheck(p, got.handle, got.partner));
    EXPECT_LE(distance(got.handle, target) / distance(target, p), bound);
    EXPECT_LE(std::fabs(distance(got.partner, p) - distance(partner, p)) / distance(partner, p), bound);
}

}  // namespace

// Shift drags to pixel positions at several zooms, around coordinates from
// 0 to a million, junctions placed at pixels and junctions with every bit of
// their coordinates used (as smoothing leaves them).
TEST(OppositeHandles, SeededDragsComeOutExactlyOppositeAndNearWhatWasAsked) {
    std::mt19937_64 random(44);
    const auto unit = [&] { return static_cast<double>(random() >> 11) * 0x1p-53; };
    const double centers[] = {0, 0.001, 7.83333, -523.7, 3e-5, 1e6, -1e6};
    const double zooms[] = {1, 1.0 / 64, 16, 4, 0.25};
    for (int k = 0; k < 10000; ++k) {
        const double center = centers[random() % 7], zoom = zooms[random() % 5];
        const View view{{400 - center * 10 * zoom, 300 - center * 10 * zoom}, zoom};
        const auto pixel = [&] { return view.toMap({double(random() % 800), double(random() % 600)}); };
        ControlPoint p = pixel();
        if (random() % 2) p = {p.x + (unit() - 0.5) / zoom, p.y + (unit() - 0.5) / zoom};
        const double angle = unit() * 6.283185307179586, length = (1 + unit() * 200) / 10 / zoom;
        const ControlPoint partner{p.x + length * std::cos(angle), p.y + length * std::sin(angle)};
        const ControlPoint target = pixel();
        if (target == p) continue;
        const HandlePair got = opposedHandles(p, target, partner);
        SCOPED_TRACE(k);
        // Far from 0 the doubles are coarse next to a short handle.
        expectOppositeNear(p, target, partner, got, std::fabs(center) < 1e5 ? 2e-7 : 2e-5);
        // The exact test of the editor agrees with the ground check's, on
        // the near misses of plain floating point too.
        const ControlPoint plain = oppositeHandle(p, target, partner);
        ASSERT_EQ(exactlyOpposite(p, target, plain), oppositeByGroundCheck(p, target, plain));
    }
}

TEST(OppositeHandles, DegenerateAndExtremeInputs) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    enum class Expect { partnerStays, plain, opposite };
    struct Case {
        const char* name;
        ControlPoint junction, target, partner;
        Expect expect;
    };
    // clang-format off
    const std::vector<Case> cases{
        {"target on the junction", {10, 10}, {10, 10}, {7, 3}, Expect::partnerStays},
        {"partner on the junction", {10, 10}, {13, 12}, {10, 10}, Expect::partnerStays},
        {"target not a number", {10, 10}, {nan, 12}, {7, 3}, Expect::partnerStays},
        {"lengths beyond the doubles", {1e308, -1e308}, {-1e308, 1e308}, {1.5e308, -1.7e308}, Expect::partnerStays},
        {"turned past the largest double", {1.7e308, 1.7e308}, {1.6e308, 1.65e308}, {1.7e308, 1.55e308}, Expect::partnerStays},
        {"level: plain floating point is exact", {10.5, 10}, {13.5, 10}, {10, 18}, Expect::plain},
        {"already opposite: kept", {10, 10}, {13, 12}, {8.5, 9}, Expect::partnerStays},
        {"on the handle's side: turned across", {10, 10}, {13, 12}, {16, 14}, Expect::opposite},
        {"slanted from pixel positions", {10.5, 10}, {14, 12}, {10, 18}, Expect::opposite},
        // A lattice fine enough for the partner cannot reach the handle.
        {"partner 1e-300 of the handle", {0, 0}, {1e300, 3.7e299}, {-1, 2}, Expect::plain},
        // Steps of 2^-1074 at the junction against 2^-52 at the handles: no
        // exact pair within reach, the partner turned in floating point.
        {"subnormal junction", {5e-324, -1e-310}, {1, 1}, {-1, 2}, Expect::plain},
        {"partner a thousandth of the handle", {7.83333, 3.1}, {57.3, 41.9}, {7.8, 3.1}, Expect::opposite},
        // 45 degrees just below a power of two: the partner's x crosses it, so
        // that only directions of an odd number of the junction's x steps fit.
        {"partner across a power of two", {15.4, 55.7}, {15.1, 55.4}, {12.85186833688449, 64.98909277689539},
         Expect::opposite},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const HandlePair got = opposedHandles(c.junction, c.target, c.partner);
        switch (c.expect) {
            case Expect::partnerStays:
                EXPECT_EQ(got.partner, c.partner);
                break;
            case Expect::plain:
                EXPECT_EQ(got.handle, c.target);
                EXPECT_EQ(got.partner, oppositeHandle(c.junction, c.target, c.partner));
                break;
            case Expect::opposite:
                expectOppositeNear(c.junction, c.target, c.partner, got, 1e-7);
                break;
        }
    }
}
