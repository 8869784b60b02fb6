#include "BezierMath.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace {

// Evenly spaced parameters tried before the refinement, and points per piece in a join.
constexpr int coarseSteps = 64;
constexpr int fitSteps = 16;

double length(const ControlPoint& a, const ControlPoint& b) { return std::hypot(b.x - a.x, b.y - a.y); }

double squaredDistance(const Cubic& c, double t, const ControlPoint& p) {
    const ControlPoint q = cubicAt(c, t);
    return (q.x - p.x) * (q.x - p.x) + (q.y - p.y) * (q.y - p.y);
}

}  // namespace

ControlPoint cubicAt(const Cubic& c, double t) {
    const double s = 1.0 - t;
    const auto between = [s, t](const ControlPoint& a, const ControlPoint& b) {
        return ControlPoint{s * a.x + t * b.x, s * a.y + t * b.y};
    };
    const ControlPoint a = between(c[0], c[1]), b = between(c[1], c[2]), d = between(c[2], c[3]);
    return between(between(a, b), between(b, d));
}

double nearestParameter(const Cubic& c, const ControlPoint& p) {
    int best = 0;
    double bestDistance = squaredDistance(c, 0.0, p);
    for (int k = 1; k <= coarseSteps; ++k) {
        const double d = squaredDistance(c, static_cast<double>(k) / coarseSteps, p);
        if (d < bestDistance) {
            bestDistance = d;
            best = k;
        }
    }
    // Golden-section search in the two steps around the best sample.
    double lo = std::max(0.0, (best - 1.0) / coarseSteps);
    double hi = std::min(1.0, (best + 1.0) / coarseSteps);
    const double ratio = (std::sqrt(5.0) - 1.0) / 2.0;
    double a = hi - ratio * (hi - lo), b = lo + ratio * (hi - lo);
    double fa = squaredDistance(c, a, p), fb = squaredDistance(c, b, p);
    for (int i = 0; i < 80 && hi - lo > 1e-15; ++i) {
        if (fa < fb) {
            hi = b;
            b = a;
            fb = fa;
            a = hi - ratio * (hi - lo);
            fa = squaredDistance(c, a, p);
        } else {
            lo = a;
            a = b;
            fa = fb;
            b = lo + ratio * (hi - lo);
            fb = squaredDistance(c, b, p);
        }
    }
    return (lo + hi) / 2.0;
}

double distanceToPolyline(const std::vector<ControlPoint>& points, const ControlPoint& p) {
    double best = length(points.front(), p);
    for (std::size_t i = 1; i < points.size(); ++i) {
        const ControlPoint& a = points[i - 1];
        const ControlPoint& b = points[i];
        const double dx = b.x - a.x, dy = b.y - a.y;
        const double lengthSquared = dx * dx + dy * dy;
        double t = lengthSquared > 0.0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / lengthSquared : 0.0;
        t = std::clamp(t, 0.0, 1.0);
        best = std::min(best, length({a.x + t * dx, a.y + t * dy}, p));
    }
    return best;
}

Cubic joinCubics(const std::vector<Cubic>& pieces) {
    // A cubic split at t has handles of lengths t * |B'(t)| / 3 and
    // (1 - t) * |B'(t)| / 3 at the junction: their ratio is that of the
    // pieces' parameter spans.
    std::vector<double> spans(pieces.size(), 1.0);
    for (std::size_t k = 0; k + 1 < pieces.size(); ++k) {
        const double out = length(pieces[k][2], pieces[k][3]);
        const double in = length(pieces[k + 1][0], pieces[k + 1][1]);
        spans[k + 1] = out > 0.0 && in > 0.0 ? spans[k] * in / out : spans[k];
    }
    double total = 0.0;
    for (double s : spans) total += s;
    const ControlPoint p0 = pieces.front()[0];
    const ControlPoint p3 = pieces.back()[3];
    const ControlPoint d1{pieces.front()[1].x - p0.x, pieces.front()[1].y - p0.y};
    const ControlPoint d2{pieces.back()[2].x - p3.x, pieces.back()[2].y - p3.y};

    // The joined curve is base(t) + a * b1(t) * d1 + b * b2(t) * d2; the
    // normal equations of a and b over the pieces' points.
    double uu = 0.0, uv = 0.0, vv = 0.0, ur = 0.0, vr = 0.0;
    double start = 0.0;
    for (std::size_t k = 0; k < pieces.size(); ++k) {
        const double span = spans[k] / total;
        for (int j = 0; j <= fitSteps; ++j) {
            const double s = static_cast<double>(j) / fitSteps;
            const double t = start + span * s;
            const double w = 1.0 - t;
            const double b1 = 3.0 * w * w * t, b2 = 3.0 * w * t * t;
            const double outer0 = w * w * w + b1, outer3 = t * t * t + b2;
            const ControlPoint target = cubicAt(pieces[k], s);
            const ControlPoint r{target.x - outer0 * p0.x - outer3 * p3.x, target.y - outer0 * p0.y - outer3 * p3.y};
            const ControlPoint u{b1 * d1.x, b1 * d1.y}, v{b2 * d2.x, b2 * d2.y};
            uu += u.x * u.x + u.y * u.y;
            uv += u.x * v.x + u.y * v.y;
            vv += v.x * v.x + v.y * v.y;
            ur += u.x * r.x + u.y * r.y;
            vr += v.x * r.x + v.y * r.y;
        }
        start += span;
    }
    double a = 0.0, b = 0.0;
    const double det = uu * vv - uv * uv;
    if (uu > 0.0 && vv > 0.0 && det > 1e-12 * uu * vv) {
        a = (ur * vv - vr * uv) / det;
        b = (vr * uu - ur * uv) / det;
    } else {
        a = uu > 0.0 ? ur / uu : 0.0;
        b = vv > 0.0 ? vr / vv : 0.0;
    }
    // A handle keeps its direction: a negative length becomes none, and the
    // other is fitted alone.
    if (a < 0.0) {
        a = 0.0;
        b = vv > 0.0 ? std::max(0.0, vr / vv) : 0.0;
    } else if (b < 0.0) {
        b = 0.0;
        a = uu > 0.0 ? std::max(0.0, ur / uu) : 0.0;
    }
    if (!std::isfinite(a) || !std::isfinite(b)) {
        // The parameter shares alone: what undoes a split exactly.
        a = total / spans.front();
        b = total / spans.back();
    }
    return {p0, ControlPoint{p0.x + a * d1.x, p0.y + a * d1.y}, ControlPoint{p3.x + b * d2.x, p3.y + b * d2.y}, p3};
}
