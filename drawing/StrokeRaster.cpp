#include "StrokeRaster.h"

#include <algorithm>
#include <cmath>
#include <limits>

StrokeRaster::StrokeRaster(int width, int height, double half)
    : columns(width),
      rows(height),
      half(half),
      nearest(static_cast<std::size_t>(width) * static_cast<std::size_t>(height),
              std::numeric_limits<float>::infinity()) {}

void StrokeRaster::addLine(double x0, double y0, double x1, double y1) {
    // Pixels whose centre lies within `reach` of the line are touched.
    const double reach = half + 0.5;
    const double dx = x1 - x0, dy = y1 - y0, lengthSquared = dx * dx + dy * dy;
    const double top = std::max(0.0, std::floor(std::min(y0, y1) - reach));
    const double bottom = std::min(static_cast<double>(rows), std::ceil(std::max(y0, y1) + reach));
    for (double r = top; r < bottom; ++r) {
        const double cy = r + 0.5;
        // The part of the line within `reach` of this row's centres, in x.
        double tLow = 0, tHigh = 1;
        if (dy != 0) {
            const double ta = (cy - reach - y0) / dy, tb = (cy + reach - y0) / dy;
            tLow = std::max(0.0, std::min(ta, tb));
            tHigh = std::min(1.0, std::max(ta, tb));
        } else if (std::abs(cy - y0) > reach) {
            continue;
        }
        if (tLow > tHigh) continue;
        const double xa = x0 + dx * tLow, xb = x0 + dx * tHigh;
        const double left = std::max(0.0, std::floor(std::min(xa, xb) - reach));
        const double right = std::min(static_cast<double>(columns), std::ceil(std::max(xa, xb) + reach));
        float* row = nearest.data() + static_cast<std::size_t>(r) * static_cast<std::size_t>(columns);
        for (double c = left; c < right; ++c) {
            const double cx = c + 0.5;
            double t = lengthSquared > 0 ? ((cx - x0) * dx + (cy - y0) * dy) / lengthSquared : 0;
            t = std::clamp(t, 0.0, 1.0);
            const double ex = x0 + dx * t - cx, ey = y0 + dy * t - cy;
            float& d = row[static_cast<std::size_t>(c)];
            d = std::min(d, static_cast<float>(ex * ex + ey * ey));
        }
    }
}

std::vector<float> StrokeRaster::coverage() const {
    std::vector<float> cover(nearest.size());
    for (std::size_t k = 0; k < nearest.size(); ++k)
        cover[k] =
            static_cast<float>(std::clamp(half + 0.5 - std::sqrt(static_cast<double>(nearest[k])), 0.0, 1.0));
    return cover;
}
