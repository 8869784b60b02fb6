#include "Segment.h"

#include <algorithm>
#include <cmath>

namespace {

// Halfway between a and b; coordinates near the largest double (a map file may
// hold them) would overflow the sum, so those are halved first.
double half(double a, double b) {
    const double m = (a + b) * 0.5;
    return std::isfinite(m) ? m : a * 0.5 + b * 0.5;
}

ControlPoint midpoint(const ControlPoint& a, const ControlPoint& b) {
    return {half(a.x, b.x), half(a.y, b.y)};
}

// The curve at t by de Casteljau's construction: every step is a weighted mean
// of finite values, so it stays finite for any finite control points.
double casteljau(double p0, double p1, double p2, double p3, double t) {
    const double s = 1.0 - t;
    const double a = s * p0 + t * p1, b = s * p1 + t * p2, c = s * p2 + t * p3;
    const double d = s * a + t * b, e = s * b + t * c;
    return s * d + t * e;
}

// The running sums of forward differencing along one axis of the curve.
struct AxisDifferences {
    double f, df, ddf, dddf;
};

AxisDifferences startDifferences(double p0, double p1, double p2, double p3, double h) {
    const double h2 = h * h;
    const double h3 = h2 * h;
    const double a = p0 - 2.0 * p1 + p2;
    const double b = 3.0 * (p1 - p2) - p0 + p3;
    return {p0, 3.0 * h * (p1 - p0) + 3.0 * h2 * a + h3 * b, 6.0 * h2 * a + 6.0 * h3 * b, 6.0 * h3 * b};
}

// The view of a segment not shown through any other, shared by all of them.
const std::shared_ptr<const View>& unmovedView() {
    static const std::shared_ptr<const View> unmoved = std::make_shared<const View>();
    return unmoved;
}

}  // namespace

Segment::Segment() : view(unmovedView()) { resample(); }

void Segment::setPoints(double x0, double y0, double x1, double y1, double x2, double y2, double x3,
                        double y3) {
    startPoint = {x0, y0};
    startHandle = {x1, y1};
    endHandle = {x2, y2};
    endPoint = {x3, y3};
    resample();
}

std::vector<ControlPoint> Segment::controlPoints() const {
    return {startPoint, startHandle, endHandle, endPoint};
}

void Segment::setResolution(int n) {
    resolution = n;
    resample();
}

void Segment::setViewOffset(double x, double y) { view = std::make_shared<const View>(View{{x, y}, view->zoom}); }

void Segment::setZoom(double value) { view = std::make_shared<const View>(View{view->offset, value}); }

ControlPoint& Segment::point(PointRole role) {
    switch (role) {
        case PointRole::startPoint:
            return startPoint;
        case PointRole::endPoint:
            return endPoint;
        case PointRole::startHandle:
            return startHandle;
        case PointRole::endHandle:
        default:
            return endHandle;
    }
}

// Cubic Bezier by forward differencing: three additions per axis and sample.
// The end points are stored as given, so the polyline always starts and ends
// exactly on the curve's end points whatever the rounding of the running sums.
void Segment::resample() {
    // A file may carry a negative resolution; it is kept as given, but it is
    // sampled as 0 so the loop never runs a negative count.
    const int interior = std::max(resolution, 0);
    const double h = 1.0 / (static_cast<double>(interior) + 1.0);
    const AxisDifferences dx = startDifferences(startPoint.x, startHandle.x, endHandle.x, endPoint.x, h);
    const AxisDifferences dy = startDifferences(startPoint.y, startHandle.y, endHandle.y, endPoint.y, h);
    // Both axes side by side, so that the compiler steps them together.
    double f[2] = {dx.f, dy.f};
    double df[2] = {dx.df, dy.df};
    double ddf[2] = {dx.ddf, dy.ddf};
    const double dddf[2] = {dx.dddf, dy.dddf};

    // Reuses the list's storage: a drag resamples on every pointer motion.
    samples.resize(static_cast<std::size_t>(interior) + 2);
    ControlPoint* out = samples.data();
    *out++ = startPoint;
    for (int k = 0; k < interior; ++k) {
        for (int axis = 0; axis < 2; ++axis) {
            f[axis] += df[axis];
            df[axis] += ddf[axis];
            ddf[axis] += dddf[axis];
        }
        *out++ = {f[0], f[1]};
    }
    *out = endPoint;

    // The differences of control points near the largest double overflow;
    // such a curve is evaluated point by point instead. A running sum that
    // stops being finite stays so (inf + x is inf or NaN, NaN + x is NaN),
    // so the last interior sample and the end points tell for the whole list.
    const auto finite = [](const ControlPoint& p) { return std::isfinite(p.x) && std::isfinite(p.y); };
    if (!finite(samples.front()) || !finite(samples.back()) || !finite(samples[samples.size() - 2])) {
        for (int k = 1; k <= interior; ++k) {
            const double t = k * h;
            samples[k] = {casteljau(startPoint.x, startHandle.x, endHandle.x, endPoint.x, t),
                          casteljau(startPoint.y, startHandle.y, endHandle.y, endPoint.y, t)};
        }
    }
}

bool Segment::pick(ButtonAction action, int x, int y) {
    if (action == ButtonAction::release) {
        dragPoint = PointRole::none;
        dragCompanion = PointRole::none;
        return false;
    }
    const double tolerance = pickTolerance();
    // The distance is truncated to whole pixels before the comparison, so
    // 5.9 pixels off still hits and 6.0 does not.
    auto hits = [&](const ControlPoint& p) {
        const ControlPoint w = toWindow(p);
        const double offX = std::trunc(w.x - x);
        const double offY = std::trunc(w.y - y);
        return std::fabs(offX) < tolerance && std::fabs(offY) < tolerance;
    };

    if (hits(startPoint)) {
        dragPoint = PointRole::startPoint;
        dragCompanion = PointRole::startHandle;
        companionOffset = {startPoint.x - startHandle.x, startPoint.y - startHandle.y};
    } else if (hits(endPoint)) {
        dragPoint = PointRole::endPoint;
        dragCompanion = PointRole::endHandle;
        companionOffset = {endPoint.x - endHandle.x, endPoint.y - endHandle.y};
    } else if (hits(startHandle)) {
        dragPoint = PointRole::startHandle;
        dragCompanion = PointRole::none;
    } else if (hits(endHandle)) {
        dragPoint = PointRole::endHandle;
        dragCompanion = PointRole::none;
    } else {
        dragPoint = PointRole::none;
        dragCompanion = PointRole::none;
        selected = false;
        return false;
    }
    selected = true;
    return true;
}

void Segment::drag(int x, int y) {
    if (dragPoint == PointRole::none) return;
    ControlPoint& moved = point(dragPoint);
    moved = toMap({static_cast<double>(x), static_cast<double>(y)});
    if (dragCompanion != PointRole::none) {
        point(dragCompanion) = {moved.x - companionOffset.x, moved.y - companionOffset.y};
    }
    resample();
}

void Segment::dragTo(const ControlPoint& p) {
    if (dragPoint == PointRole::none) return;
    ControlPoint& moved = point(dragPoint);
    moved = p;
    if (dragCompanion != PointRole::none) {
        point(dragCompanion) = {moved.x - companionOffset.x, moved.y - companionOffset.y};
    }
    resample();
}

const ControlPoint& Segment::pointOf(PointRole role) const { return const_cast<Segment*>(this)->point(role); }

void Segment::moveTo(PointRole role, const ControlPoint& target) {
    if (role == PointRole::none) return;
    ControlPoint& moved = point(role);
    const ControlPoint delta{target.x - moved.x, target.y - moved.y};
    moved = target;
    if (role == PointRole::startPoint || role == PointRole::endPoint) {
        ControlPoint& handle = point(role == PointRole::startPoint ? PointRole::startHandle : PointRole::endHandle);
        handle = {handle.x + delta.x, handle.y + delta.y};
    }
    resample();
}

void Segment::moveBy(PointRole role, const ControlPoint& delta) {
    if (role == PointRole::none) return;
    const ControlPoint& from = point(role);
    moveTo(role, {from.x + delta.x, from.y + delta.y});
}

std::pair<Segment, Segment> Segment::split() const { return halvesBy(midpoint); }

std::pair<Segment, Segment> Segment::splitAt(double t) const {
    const double s = 1.0 - t;
    return halvesBy([s, t](const ControlPoint& a, const ControlPoint& b) {
        return ControlPoint{s * a.x + t * b.x, s * a.y + t * b.y};
    });
}

template <class Between>
std::pair<Segment, Segment> Segment::halvesBy(Between between) const {
    const ControlPoint p01 = between(startPoint, startHandle);
    const ControlPoint p12 = between(startHandle, endHandle);
    const ControlPoint p23 = between(endHandle, endPoint);
    const ControlPoint p012 = between(p01, p12);
    const ControlPoint p123 = between(p12, p23);
    const ControlPoint middle = between(p012, p123);
    // An odd count r of interior samples has its middle one at t = 0.5: giving
    // each half (r - 1) / 2 keeps exactly the same sampled points. An even
    // count gets r / 2 per half and one extra point at the split. Integer
    // division gives both.
    const int halfResolution = std::max(resolution, 0) / 2;

    std::pair<Segment, Segment> halves{*this, *this};
    for (Segment* half : {&halves.first, &halves.second}) {
        half->dragPoint = PointRole::none;
        half->dragCompanion = PointRole::none;
        half->companionOffset = {};
        half->resolution = halfResolution;
    }
    halves.first.setPoints(startPoint.x, startPoint.y, p01.x, p01.y, p012.x, p012.y, middle.x, middle.y);
    halves.second.setPoints(middle.x, middle.y, p123.x, p123.y, p23.x, p23.y, endPoint.x, endPoint.y);
    return halves;
}

bool Segment::mayShowIn(int width, int height) const {
    const double minX = std::min({startPoint.x, startHandle.x, endHandle.x, endPoint.x});
    const double maxX = std::max({startPoint.x, startHandle.x, endHandle.x, endPoint.x});
    const double minY = std::min({startPoint.y, startHandle.y, endHandle.y, endPoint.y});
    const double maxY = std::max({startPoint.y, startHandle.y, endHandle.y, endPoint.y});
    // The curve and its samples lie inside the convex hull of the control
    // points. The squares reach handleSize beyond their centres; smoothed
    // lines of width 1.2 and points of size 3 spread a pixel or two, and the
    // handle lines' truncated vertices stay within a pixel of their points.
    const double margin = drawingMargin();
    const ControlPoint topLeft = toWindow({minX, minY});
    const ControlPoint bottomRight = toWindow({maxX, maxY});
    const double left = topLeft.x - margin;
    const double right = bottomRight.x + margin;
    const double top = topLeft.y - margin;
    const double bottom = bottomRight.y + margin;
    // Written so that a NaN anywhere keeps the segment: it is drawn as before.
    const bool outside = right < 0.0 || left > width || bottom < 0.0 || top > height;
    return !outside;
}
