// The pixels a large ground's picture gets without Cairo (CoverageRaster,
// fed through PixelPath) against Cairo's own fill and stroke of the whole
// path: within one pixel, on a table of small shapes.

#include <cairo.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "CoverageRaster.h"
#include "PixelPath.h"
#include "StrokeRaster.h"

namespace {

struct Point {
    double x, y;
};

// Cairo's coverage of `path` (closed and filled, or stroked `width` wide
// with round joins and ends) on a width x height picture, 0 to 1 a pixel.
std::vector<float> cairoCoverage(const std::vector<Point>& path, int width, int height, double strokeWidth) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_A8, width, height);
    cairo_t* cairo = cairo_create(surface);
    cairo_move_to(cairo, path[0].x, path[0].y);
    for (std::size_t k = 1; k < path.size(); ++k) cairo_line_to(cairo, path[k].x, path[k].y);
    if (strokeWidth > 0) {
        cairo_set_line_width(cairo, strokeWidth);
        cairo_set_line_join(cairo, CAIRO_LINE_JOIN_ROUND);
        cairo_set_line_cap(cairo, CAIRO_LINE_CAP_ROUND);
        cairo_stroke(cairo);
    } else {
        cairo_close_path(cairo);
        cairo_fill(cairo);
    }
    cairo_surface_flush(surface);
    std::vector<float> cover(static_cast<std::size_t>(width) * height);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    for (int r = 0; r < height; ++r)
        for (int c = 0; c < width; ++c)
            cover[r * width + c] = data[r * cairo_image_surface_get_stride(surface) + c] / 255.0f;
    cairo_destroy(cairo);
    cairo_surface_destroy(surface);
    return cover;
}

// The same by CoverageRaster, through PixelPath when `thin` is set, as the
// PNG of a large ground is drawn.
std::vector<float> rasterCoverage(const std::vector<Point>& path, int width, int height, double strokeWidth,
                                  bool thin) {
    CoverageRaster raster(width, height);
    StrokeRaster stroke(width, height, strokeWidth / 2);
    const auto line = [&](double x0, double y0, double x1, double y1) {
        if (strokeWidth > 0)
            stroke.addLine(x0, y0, x1, y1);
        else
            raster.addEdge(x0, y0, x1, y1);
    };
    std::vector<Point> closed = path;
    if (strokeWidth == 0) closed.push_back(path[0]);
    if (thin) {
        PixelPath<decltype(line)> thinned(line);
        thinned.moveTo(path[0].x, path[0].y);
        for (std::size_t k = 1; k < closed.size(); ++k) thinned.lineTo(closed[k].x, closed[k].y);
        thinned.finish();
    } else {
        for (std::size_t k = 1; k < closed.size(); ++k)
            line(closed[k - 1].x, closed[k - 1].y, closed[k].x, closed[k].y);
    }
    return strokeWidth > 0 ? stroke.coverage() : raster.coverage();
}

// Pixels of `a` that no pixel of `b` within one pixel of them matches within
// `tolerance`; with `halves` set, each pixel is taken as covered from 0.5 on
// (the shape, not its shading).
int unmatched(const std::vector<float>& a, const std::vector<float>& b, int width, int height,
              float tolerance, bool halves = false) {
    const auto value = [halves](float v) { return halves ? (v >= 0.5f ? 1.0f : 0.0f) : v; };
    int count = 0;
    for (int r = 0; r < height; ++r)
        for (int c = 0; c < width; ++c) {
            bool matched = false;
            for (int dr = -1; dr <= 1 && !matched; ++dr)
                for (int dc = -1; dc <= 1 && !matched; ++dc) {
                    const int rr = r + dr, cc = c + dc;
                    if (rr >= 0 && rr < height && cc >= 0 && cc < width)
                        matched = std::abs(value(a[r * width + c]) - value(b[rr * width + cc])) <= tolerance;
                }
            count += matched ? 0 : 1;
        }
    return count;
}

std::vector<Point> zigzag(int teeth, double left, double right, double top, double bottom, double shear) {
    std::vector<Point> path;
    for (int k = 0; k < teeth; ++k) {
        const double x = left + (right - left) * k / teeth;
        path.push_back({x, top});
        path.push_back({x + shear, bottom});
    }
    path.push_back({right, top});
    path.push_back({right, bottom + 5});
    path.push_back({left, bottom + 5});
    return path;
}

std::vector<Point> spiral(int turns, double cx, double cy, double step) {
    std::vector<Point> path;
    for (int k = 0; k <= 16 * turns; ++k) {
        const double angle = std::acos(-1.0) * k / 8, radius = 1 + step * k / 16;
        path.push_back({cx + radius * std::cos(angle), cy + radius * std::sin(angle)});
    }
    return path;
}

TEST(CoverageRaster, AgreesWithCairoWithinOnePixel) {
    const struct {
        const char* name;
        std::vector<Point> path;
        int width, height;
    } cases[] = {
        {"triangle", {{3.3, 2.1}, {40.7, 10.5}, {12.2, 37.9}}, 48, 40},
        {"square on the pixel edges", {{4, 4}, {20, 4}, {20, 20}, {4, 20}}, 24, 24},
        {"thin sliver", {{1, 1}, {47, 2}, {1, 1.4}}, 48, 8},
        // Winding 2 in the middle, filled as 1.
        {"star", {{24, 2}, {37, 44}, {2, 17}, {46, 17}, {11, 44}}, 48, 48},
        {"counter-clockwise", {{12.2, 37.9}, {40.7, 10.5}, {3.3, 2.1}}, 48, 40},
        // Far beyond every side of the picture, as the feet of a ground can be.
        {"beyond the picture", {{-1e6, -50}, {30.5, 10.25}, {1e6, 70}, {20, 1e6}}, 40, 30},
        {"left and right of it", {{-20, 5}, {60, 9.5}, {60, 20}, {-20, 25.5}}, 40, 30},
        // Hundreds of teeth a pixel, sheared and upright, as PixelPath thins them.
        {"sheared zigzag", zigzag(2000, 2, 30, 2, 40, 9.7), 40, 48},
        {"comb", zigzag(600, 3, 37, 3, 30, 0), 40, 40},
        {"spiral", spiral(12, 24, 24, 1.6), 48, 48},
    };
    for (const auto& c : cases) {
        // Filled, and stroked 2.5 pixels wide as the ground line is.
        for (const double stroke : {0.0, 2.5}) {
            const std::string what = std::string(c.name) + (stroke > 0 ? " stroked" : " filled");
            const std::vector<float> full = cairoCoverage(c.path, c.width, c.height, stroke);
            // Every line as it is: the same shading within one pixel.
            const std::vector<float> exact = rasterCoverage(c.path, c.width, c.height, stroke, false);
            const float tolerance = stroke > 0 ? 0.25f : 0.1f;
            EXPECT_EQ(unmatched(exact, full, c.width, c.height, tolerance), 0) << what;
            EXPECT_EQ(unmatched(full, exact, c.width, c.height, tolerance), 0) << what;
            // Thinned: the same shape within one pixel.
            const std::vector<float> thinned = rasterCoverage(c.path, c.width, c.height, stroke, true);
            EXPECT_EQ(unmatched(thinned, full, c.width, c.height, 0, true), 0) << what << ", thinned";
            EXPECT_EQ(unmatched(full, thinned, c.width, c.height, 0, true), 0) << what << ", thinned";
        }
    }
}

TEST(CoverageRaster, EdgesNotClosedOrFlatCoverNothingBeyondTheirRows) {
    // A flat edge and a vertical one on the right edge leave the picture empty.
    CoverageRaster raster(8, 4);
    raster.addEdge(0, 1, 8, 1);
    raster.addEdge(8, 0, 8, 4);
    raster.addEdge(1e300, 0, -1e300, 0);
    for (const float v : raster.coverage()) EXPECT_EQ(v, 0.0f);
    // One edge alone down the middle covers its right half, row by row.
    CoverageRaster half(8, 4);
    half.addEdge(4, 0, 4, 4);
    const std::vector<float>& cover = half.coverage();
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 8; ++c) EXPECT_EQ(cover[r * 8 + c], c < 4 ? 0.0f : 1.0f) << r << ", " << c;
}

}  // namespace
