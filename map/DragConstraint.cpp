#include "DragConstraint.h"

#include <cmath>

namespace {

constexpr double degreesPerStep = 15.0;
constexpr double radiansPerDegree = 0.017453292519943295;

// The unit vector at `steps` times 15 degrees; the quarter turns exactly, so
// that a horizontal or vertical handle keeps its other coordinate unchanged.
ControlPoint unitAtStep(long steps) {
    const long turn = static_cast<long>(360.0 / degreesPerStep);
    const long k = ((steps % turn) + turn) % turn;
    switch (k) {
        case 0:
            return {1.0, 0.0};
        case 6:
            return {0.0, 1.0};
        case 12:
            return {-1.0, 0.0};
        case 18:
            return {0.0, -1.0};
        default: {
            const double angle = static_cast<double>(k) * degreesPerStep * radiansPerDegree;
            return {std::cos(angle), std::sin(angle)};
        }
    }
}

}  // namespace

ControlPoint snapHandleDirection(const ControlPoint& end, const ControlPoint& pointer) {
    const ControlPoint offset{pointer.x - end.x, pointer.y - end.y};
    if (offset.x == 0.0 && offset.y == 0.0) return end;
    const double angle = std::atan2(offset.y, offset.x) / radiansPerDegree;
    if (!std::isfinite(angle)) return pointer;
    const ControlPoint unit = unitAtStep(std::lround(angle / degreesPerStep));
    const double along = offset.x * unit.x + offset.y * unit.y;
    // A zero component stays exactly the end point's coordinate.
    return {unit.x == 0.0 ? end.x : end.x + along * unit.x, unit.y == 0.0 ? end.y : end.y + along * unit.y};
}

ControlPoint holdOnAxis(const ControlPoint& origin, const ControlPoint& pointer) {
    if (std::fabs(pointer.x - origin.x) >= std::fabs(pointer.y - origin.y)) return {pointer.x, origin.y};
    return {origin.x, pointer.y};
}

ControlPoint oppositeHandle(const ControlPoint& junction, const ControlPoint& handle,
                            const ControlPoint& partner) {
    const double hx = handle.x - junction.x;
    const double hy = handle.y - junction.y;
    const double length = std::hypot(hx, hy);
    if (length == 0.0 || !std::isfinite(length)) return partner;
    const double keep = std::hypot(partner.x - junction.x, partner.y - junction.y);
    const double scale = keep / length;
    // A zero component keeps the junction's coordinate exactly: a level or
    // upright handle gets a partner exactly on its line.
    return {hx == 0.0 ? junction.x : junction.x - hx * scale,
            hy == 0.0 ? junction.y : junction.y - hy * scale};
}
