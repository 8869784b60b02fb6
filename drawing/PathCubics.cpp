#include "PathCubics.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double pi = 3.14159265358979323846;
}

void PathCubics::path_move_to(double x, double y, svgpp::tag::coordinate::absolute) {
    current = start = {x, y};
}

void PathCubics::path_elliptical_arc_to(double rx, double ry, double rotation, bool largeArc, bool sweep,
                                        double x, double y, svgpp::tag::coordinate::absolute) {
    arc(std::fabs(rx), std::fabs(ry), rotation * pi / 180, largeArc, sweep, {x, y});
}

void PathCubics::path_close_subpath() {
    // The closing line; none when the subpath already ends at its start.
    if (current != start) line(start);
    current = start;
}

void PathCubics::add(const Cubic& cubic) {
    if (++drawn <= maxCubics) cubics.push_back(cubic);
    current = cubic[3];
}

void PathCubics::line(const ControlPoint& to) {
    const ControlPoint from = current;
    add({from,
         {from.x + (to.x - from.x) / 3, from.y + (to.y - from.y) / 3},
         {from.x + 2 * (to.x - from.x) / 3, from.y + 2 * (to.y - from.y) / 3},
         to});
}

void PathCubics::arc(double rx, double ry, double rotation, bool largeArc, bool sweep,
                     const ControlPoint& to) {
    if (to == current) return;  // SVG draws nothing
    if (rx == 0 || ry == 0 || !std::isfinite(rx * ry * rotation)) return line(to);
    double cx = 0, cy = 0, theta1 = 0, theta2 = 0;
    svgpp::arc_endpoint_to_center(current.x, current.y, to.x, to.y, rx, ry, rotation, largeArc, sweep, cx, cy,
                                  theta1, theta2);
    if (sweep && theta2 < theta1) theta2 += 2 * pi;
    if (!sweep && theta2 > theta1) theta2 -= 2 * pi;
    const double sweepAngle = theta2 - theta1;
    if (!std::isfinite(sweepAngle)) return line(to);
    // A tolerance so that half a turn makes two pieces, not three.
    const int pieces = std::max(1, static_cast<int>(std::ceil(std::fabs(sweepAngle) / (pi / 2) - 1e-9)));
    const double step = sweepAngle / pieces;
    const double k = 4.0 / 3.0 * std::tan(step / 4);
    const double cosR = std::cos(rotation), sinR = std::sin(rotation);
    auto onEllipse = [&](double x, double y) {
        return ControlPoint{cx + rx * cosR * x - ry * sinR * y, cy + rx * sinR * x + ry * cosR * y};
    };
    for (int i = 0; i < pieces; ++i) {
        const double t0 = theta1 + step * i, t1 = theta1 + step * (i + 1);
        // Rounding noise dropped, so that the quarters of an upright ellipse have upright handles.
        auto clean = [](double v) { return std::fabs(v) < 1e-12 ? 0.0 : v; };
        const double c0 = clean(std::cos(t0)), s0 = clean(std::sin(t0));
        const double c1 = clean(std::cos(t1)), s1 = clean(std::sin(t1));
        // The ends are exact: the current point, and the arc's end point.
        const ControlPoint end = i + 1 == pieces ? to : onEllipse(c1, s1);
        add({current, onEllipse(c0 - k * s0, s0 + k * c0), onEllipse(c1 + k * s1, s1 - k * c1), end});
    }
}
