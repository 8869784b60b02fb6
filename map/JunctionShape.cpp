#include "JunctionShape.h"

#include <cmath>
#include <limits>

namespace {

constexpr double pi = 3.14159265358979323846;

// How far writing `p` can move it.
double reach(const ControlPoint& p) { return std::hypot(halfSixthDigit(p.x), halfSixthDigit(p.y)); }

// The largest turn of a direction `length` long when its ends move by
// `moved` together: a handle shorter than that can point anywhere.
double turn(double moved, double length) { return moved >= length ? pi / 2 : std::asin(moved / length); }

bool finite(const ControlPoint& p) { return std::isfinite(p.x) && std::isfinite(p.y); }

}  // namespace

double halfSixthDigit(double value) {
    const double magnitude = std::fabs(value);
    if (!(magnitude > 0.0) || !std::isfinite(magnitude)) return 0.0;
    int exponent = static_cast<int>(std::floor(std::log10(magnitude)));
    // The logarithm may land one off next to a power of ten.
    if (std::pow(10.0, exponent) > magnitude)
        --exponent;
    else if (std::pow(10.0, exponent + 1) <= magnitude)
        ++exponent;
    // With the doubles' finest step on top: reading a number back rounds it
    // once more, which only counts among the subnormal numbers.
    return 0.5 * std::pow(10.0, exponent - 5) + std::numeric_limits<double>::denorm_min();
}

JunctionShape junctionShape(const ControlPoint& before, const ControlPoint& junction,
                            const ControlPoint& after) {
    ControlPoint a{before.x - junction.x, before.y - junction.y};
    ControlPoint b{after.x - junction.x, after.y - junction.y};
    double scale = 1.0;
    // Halved where a difference overflows: directions and ratios stay.
    if (!finite(a) || !finite(b)) {
        scale = 0.5;
        a = {before.x * scale - junction.x * scale, before.y * scale - junction.y * scale};
        b = {after.x * scale - junction.x * scale, after.y * scale - junction.y * scale};
    }
    const double lengthA = std::hypot(a.x, a.y);
    const double lengthB = std::hypot(b.x, b.y);
    JunctionShape shape;
    if (!(lengthA > 0.0) || !(lengthB > 0.0) || !std::isfinite(lengthA) || !std::isfinite(lengthB))
        return shape;
    shape.defined = true;
    const ControlPoint ua{a.x / lengthA, a.y / lengthA};
    const ControlPoint ub{b.x / lengthB, b.y / lengthB};
    const double kink = std::atan2(std::fabs(ua.x * ub.y - ua.y * ub.x), -(ua.x * ub.x + ua.y * ub.y));
    shape.kinkDegrees = kink * (180.0 / pi);
    const double moved = reach(junction) * scale;
    const double allowed =
        turn(reach(before) * scale + moved, lengthA) + turn(reach(after) * scale + moved, lengthB);
    // A millionth to spare covers the last bits of the doubles: reading a
    // written number back, the differences and the angle itself.
    shape.smooth = kink <= allowed * (1.0 + 1e-6);
    return shape;
}
