#include "CoverageRaster.h"

#include <algorithm>
#include <cmath>

CoverageRaster::CoverageRaster(int width, int height)
    : columns(width),
      rows(height),
      cells(static_cast<std::size_t>(width + 2) * static_cast<std::size_t>(height), 0.0) {}

void CoverageRaster::addEdge(double x0, double y0, double x1, double y1) {
    if (y0 == y1) return;
    // Parts left of the picture count as if on its left edge and parts right
    // of it as if on its right edge: for the pixels inside, only how far the
    // winding changes along each row matters there, not where.
    const double w = columns;
    double cuts[2];
    int cutCount = 0;
    for (const double at : {0.0, w})
        if ((x0 < at) != (x1 < at) && x0 != x1) cuts[cutCount++] = (at - x0) / (x1 - x0);
    if (cutCount == 2 && cuts[0] > cuts[1]) std::swap(cuts[0], cuts[1]);
    double fromX = x0, fromY = y0, t = 0;
    for (int k = 0; k <= cutCount; ++k) {
        const double next = k < cutCount ? cuts[k] : 1.0;
        const double toX = k < cutCount ? x0 + (x1 - x0) * next : x1;
        const double toY = k < cutCount ? y0 + (y1 - y0) * next : y1;
        if (next > t) addClippedEdge(std::clamp(fromX, 0.0, w), fromY, std::clamp(toX, 0.0, w), toY);
        fromX = toX;
        fromY = toY;
        t = next;
    }
}

void CoverageRaster::addClippedEdge(double xa, double ya, double xb, double yb) {
    if (ya == yb) return;
    // Downwards from (x0, y0) to (x1, y1), the winding's sign in `direction`.
    const double direction = ya < yb ? 1.0 : -1.0;
    const double x0 = ya < yb ? xa : xb, y0 = std::min(ya, yb), x1 = ya < yb ? xb : xa, y1 = std::max(ya, yb);
    const double slope = (x1 - x0) / (y1 - y0);
    const int firstRow = static_cast<int>(std::max(0.0, std::floor(y0)));
    const int endRow = static_cast<int>(std::min(static_cast<double>(rows), std::ceil(y1)));
    const std::size_t stride = static_cast<std::size_t>(columns) + 2;
    for (int r = firstRow; r < endRow; ++r) {
        const double top = std::max<double>(r, y0), bottom = std::min<double>(r + 1, y1);
        if (!(bottom > top)) continue;
        // The edge's part within this row, from xs to xe, and the winding it
        // adds below it times the height it passes.
        const double xs = std::clamp(x0 + (top - y0) * slope, 0.0, static_cast<double>(columns));
        const double xe = std::clamp(x0 + (bottom - y0) * slope, 0.0, static_cast<double>(columns));
        const double d = (bottom - top) * direction;
        double* row = cells.data() + stride * static_cast<std::size_t>(r);
        const double left = std::min(xs, xe), right = std::max(xs, xe);
        const double leftFloor = std::floor(left), rightCeil = std::ceil(right);
        const int l = static_cast<int>(leftFloor), rc = static_cast<int>(rightCeil);
        if (rc <= l + 1) {
            // Within one pixel: its share there by the mean x, the rest to the next.
            const double inside = 0.5 * (xs + xe) - leftFloor;
            row[l] += d * (1 - inside);
            row[l + 1] += d * inside;
            continue;
        }
        // Across pixels: the area right of the edge in each pixel it passes.
        const double s = 1 / (right - left);
        const double leftFraction = left - leftFloor;
        const double first = 0.5 * s * (1 - leftFraction) * (1 - leftFraction);
        const double rightFraction = right - rightCeil + 1;
        const double last = 0.5 * s * rightFraction * rightFraction;
        row[l] += d * first;
        if (rc == l + 2) {
            row[l + 1] += d * (1 - first - last);
        } else {
            const double second = s * (1.5 - leftFraction);
            row[l + 1] += d * (second - first);
            for (int c = l + 2; c < rc - 1; ++c) row[c] += d * s;
            const double beforeLast = second + (rc - l - 3) * s;
            row[rc - 1] += d * (1 - beforeLast - last);
        }
        row[rc] += d * last;
    }
}

const std::vector<float>& CoverageRaster::coverage() {
    if (!covered.empty() || cells.empty()) return covered;
    covered.resize(static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows));
    const std::size_t stride = static_cast<std::size_t>(columns) + 2;
    for (int r = 0; r < rows; ++r) {
        const double* row = cells.data() + stride * static_cast<std::size_t>(r);
        float* out = covered.data() + static_cast<std::size_t>(columns) * static_cast<std::size_t>(r);
        double sum = 0;
        for (int c = 0; c < columns; ++c) {
            sum += row[c];
            out[c] = static_cast<float>(std::min(1.0, std::abs(sum)));
        }
    }
    std::vector<double>().swap(cells);
    return covered;
}
