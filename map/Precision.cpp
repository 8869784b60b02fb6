#include "Precision.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

namespace {

// A grid step as mantissa (1, 2 or 5) times 10^exponent.
struct Step {
    double mantissa;
    int exponent;
};

Step decompose(double step) {
    int exponent = static_cast<int>(std::floor(std::log10(step)));
    double mantissa = step / std::pow(10.0, exponent);
    // log10 of an exact power of ten may come out a hair below it.
    if (mantissa >= 9.5) {
        ++exponent;
        mantissa /= 10.0;
    }
    return {std::round(mantissa), exponent};
}

}  // namespace

double gridStep(double zoom) {
    // At least 10 pixels: step * pixelsPerMapUnit * zoom >= 10, so step >= 1 / zoom.
    const double least = 10.0 / (pixelsPerMapUnit * zoom);
    int exponent = static_cast<int>(std::floor(std::log10(least))) - 1;
    for (;; ++exponent) {
        for (double mantissa : {1.0, 2.0, 5.0}) {
            const double power = std::pow(10.0, std::abs(exponent));
            const double step = exponent < 0 ? mantissa / power : mantissa * power;
            if (step * pixelsPerMapUnit * zoom >= 10.0 * (1.0 - 1e-12)) return step;
        }
    }
}

double snapToStep(double value, double step) {
    if (!std::isfinite(value) || !(step > 0.0)) return value;
    const double n = std::round(value / step);
    const Step s = decompose(step);
    const double power = std::pow(10.0, std::abs(s.exponent));
    const double snapped = s.exponent < 0 ? n * s.mantissa / power : n * s.mantissa * power;
    // A value beyond the range the multiples reach stays where it is.
    return std::isfinite(snapped) ? snapped : value;
}

ControlPoint snapToGrid(const ControlPoint& p, double step) { return {snapToStep(p.x, step), snapToStep(p.y, step)}; }

double nextGridNode(double value, int direction, double step) {
    if (direction == 0 || !std::isfinite(value) || !(step > 0.0)) return value;
    double n = value / step;
    // A node written as 0.3 is 2.9999999999999996 steps of 0.1: it counts as on the grid.
    const double nearest = std::round(n);
    if (std::fabs(n - nearest) < 1e-9 * std::max(1.0, std::fabs(n))) n = nearest;
    const double k = direction > 0 ? std::floor(n) + 1.0 : std::ceil(n) - 1.0;
    // Far from the origin a step may be below the spacing of doubles: the value stays.
    const double snapped = snapToStep(k * step, step);
    return std::isfinite(snapped) ? snapped : value;
}

void gridLines(double offset, double pixels, int length, std::vector<int>& lines) {
    lines.clear();
    if (!(pixels >= 1.0) || !std::isfinite(pixels)) return;
    // The first line at the first multiple of the step at or after the window's edge.
    const double first = std::ceil(-offset / pixels);
    if (!std::isfinite(first)) return;
    // Bounded by count too: far from the origin the sums may stop growing.
    const int count = static_cast<int>(length / pixels) + 2;
    for (int k = 0; k < count; ++k) {
        const double at = std::floor((first + k) * pixels + offset);
        if (at >= length) break;
        if (at < 0.0) continue;
        // A sum that stopped growing gives the same column again: drawn once.
        if (!lines.empty() && lines.back() == static_cast<int>(at)) continue;
        lines.push_back(static_cast<int>(at));
    }
}

double slopeDegrees(const ControlPoint& direction) {
    constexpr double degreesPerRadian = 57.29577951308232;
    // Read from left to right whichever way the chain runs.
    const double sign = direction.x < 0.0 ? -1.0 : 1.0;
    return std::atan2(-direction.y * sign, direction.x * sign) * degreesPerRadian;
}
