#include <algorithm>
#include <cmath>

#include "MapPicture.h"

namespace {

struct Box {
    double minX = INFINITY, minY = INFINITY, maxX = -INFINITY, maxY = -INFINITY;

    void add(double x, double y) {
        minX = std::min(minX, x);
        maxX = std::max(maxX, x);
        minY = std::min(minY, y);
        maxY = std::max(maxY, y);
    }
};

// The range of the cubic with coefficients p0..p3 over t in [0, 1]: its end
// points and the points where its derivative is zero.
void cubicRange(double p0, double p1, double p2, double p3, double& low, double& high) {
    low = std::min(p0, p3);
    high = std::max(p0, p3);
    // The derivative over 3: a t^2 + b t + c.
    const double a = -p0 + 3 * p1 - 3 * p2 + p3, b = 2 * (p0 - 2 * p1 + p2), c = p1 - p0;
    const auto take = [&](double t) {
        if (!(t > 0 && t < 1)) return;
        const double u = 1 - t;
        const double v = u * u * u * p0 + 3 * u * u * t * p1 + 3 * u * t * t * p2 + t * t * t * p3;
        low = std::min(low, v);
        high = std::max(high, v);
    };
    if (a == 0) {
        if (b != 0) take(-c / b);
        return;
    }
    const double discriminant = b * b - 4 * a * c;
    if (discriminant < 0) return;
    const double root = std::sqrt(discriminant);
    take((-b + root) / (2 * a));
    take((-b - root) / (2 * a));
}

}  // namespace

std::string framePicture(const std::vector<Segment>& segments, int size, PictureFrame& frame) {
    Box box;
    for (const Segment& segment : segments) {
        const std::vector<ControlPoint> p = segment.controlPoints();
        double low, high;
        cubicRange(p[0].x, p[1].x, p[2].x, p[3].x, low, high);
        box.add(low, -p[0].y);
        box.add(high, -p[0].y);
        // The simulator's y is the map's negated.
        cubicRange(-p[0].y, -p[1].y, -p[2].y, -p[3].y, low, high);
        box.add(p[0].x, low);
        box.add(p[0].x, high);
    }
    const double width = box.maxX - box.minX, height = box.maxY - box.minY;
    const double margin = std::max(width, height) / 50;
    const double outerWidth = width + 2 * margin, outerHeight = height + 2 * margin;
    const double scale = size / std::max(outerWidth, outerHeight);
    if (!std::isfinite(outerWidth) || !std::isfinite(outerHeight)) return "the ground is too large to be drawn";
    if (width == 0 && height == 0) return "the ground has no extent to draw: all its points are one point";
    if (!std::isfinite(scale) || !(scale > 0)) return "the ground is too small to be drawn";
    frame.scale = scale;
    frame.left = box.minX - margin;
    frame.top = box.maxY + margin;
    frame.width = std::clamp(static_cast<int>(std::lround(outerWidth * scale)), 1, size);
    frame.height = std::clamp(static_cast<int>(std::lround(outerHeight * scale)), 1, size);
    return {};
}
