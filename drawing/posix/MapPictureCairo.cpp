#include <cairo-pdf.h>
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <new>

#include "CoverageRaster.h"
#include "GroundFile.h"
#include "PixelPath.h"
#include "StrokeRaster.h"
#include "MapPicture.h"

// The picture drawn with Cairo, whose surfaces write PNG and PDF to a stream:
// the bytes are collected here and the caller saves them as every file is saved.

namespace {

// The colours: a light background, the ground's earth, its line.
constexpr double background[3] = {0.96, 0.96, 0.93};
constexpr double earth[3] = {0.55, 0.45, 0.32};
constexpr double line[3] = {0.12, 0.12, 0.12};

// Called from within Cairo, which is C: no exception may leave it.
cairo_status_t collect(void* closure, const unsigned char* data, unsigned int length) {
    try {
        static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    } catch (const std::bad_alloc&) {
        return CAIRO_STATUS_NO_MEMORY;
    }
    return CAIRO_STATUS_SUCCESS;
}

struct SurfaceEnd {
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
struct ContextEnd {
    void operator()(cairo_t* cairo) const { cairo_destroy(cairo); }
};
using Surface = std::unique_ptr<cairo_surface_t, SurfaceEnd>;
using Context = std::unique_ptr<cairo_t, ContextEnd>;

// How far apart, in pixels, two points of a path must be for both to be
// handed to Cairo: a course of millions of points has hundreds in a pixel,
// and a path of only what can be seen keeps the drawing within the budget.
constexpr double seenStep = 0.25;

// Builds a path of lines and curves on `cairo`, leaving out what lies within
// seenStep of the point before it.
class SeenPath {
public:
    explicit SeenPath(cairo_t* cairo) : cairo(cairo) {}

    void moveTo(double x, double y) {
        flush();
        cairo_move_to(cairo, x, y);
        lastX = x;
        lastY = y;
    }
    void lineTo(double x, double y) {
        if (near(x, y)) {
            pendingX = x;
            pendingY = y;
            pending = true;
            return;
        }
        pending = false;
        cairo_line_to(cairo, x, y);
        lastX = x;
        lastY = y;
    }
    // A curve whose control points all lie within seenStep of the point
    // before it is a line there.
    void curveTo(double x1, double y1, double x2, double y2, double x3, double y3) {
        if (near(x1, y1) && near(x2, y2)) return lineTo(x3, y3);
        flush();
        cairo_curve_to(cairo, x1, y1, x2, y2, x3, y3);
        lastX = x3;
        lastY = y3;
    }
    // Draws the last point left out, so that the path ends where it ends.
    void flush() {
        if (pending) cairo_line_to(cairo, pendingX, pendingY);
        pending = false;
    }

private:
    bool near(double x, double y) const { return std::abs(x - lastX) < seenStep && std::abs(y - lastY) < seenStep; }

    cairo_t* cairo;
    double lastX = 0, lastY = 0, pendingX = 0, pendingY = 0;
    bool pending = false;
};

// Draws the ground on `cairo`, whose user space is the picture's pixels.
void drawGround(cairo_t* cairo, const std::vector<Segment>& segments, const PictureFrame& frame) {
    cairo_set_source_rgb(cairo, background[0], background[1], background[2]);
    cairo_paint(cairo);

    // The area under the ground: the closed outline as the ground points
    // file gives it to the simulator.
    SeenPath outline(cairo);
    bool started = false;
    forEachOutlinePoint(segments, [&](OutlineLine, std::size_t, double x, double y) {
        if (started) {
            outline.lineTo(frame.pixelX(x), frame.pixelY(y));
        } else {
            outline.moveTo(frame.pixelX(x), frame.pixelY(y));
            started = true;
        }
    });
    outline.flush();
    cairo_close_path(cairo);
    cairo_set_source_rgb(cairo, earth[0], earth[1], earth[2]);
    cairo_fill(cairo);

    // The ground line: the segments' own curves, a new start where a segment
    // does not begin where the one before ends.
    SeenPath ground(cairo);
    for (std::size_t i = 0; i < segments.size(); ++i) {
        const std::vector<ControlPoint> p = segments[i].controlPoints();
        if (i == 0 || !(p[0] == segments[i - 1].getEndPoint()))
            ground.moveTo(frame.pixelX(p[0].x), frame.pixelY(-p[0].y));
        ground.curveTo(frame.pixelX(p[1].x), frame.pixelY(-p[1].y), frame.pixelX(p[2].x), frame.pixelY(-p[2].y),
                       frame.pixelX(p[3].x), frame.pixelY(-p[3].y));
    }
    ground.flush();
    cairo_set_source_rgb(cairo, line[0], line[1], line[2]);
    cairo_set_line_width(cairo, std::max(1.0, std::max(frame.width, frame.height) / 400.0));
    cairo_set_line_join(cairo, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_cap(cairo, CAIRO_LINE_CAP_ROUND);
    cairo_stroke(cairo);
}

// Grounds of more points than this are drawn into a PNG by CoverageRaster:
// Cairo's fill sorts the edges it crosses along every row, which for a
// zigzag of long edges overlapping in bulk took minutes, and its stroke
// keeps a polygon of every piece; CoverageRaster's time goes with the pixels
// the edges pass and its memory with the picture.
constexpr std::size_t cairoDrawsUpTo = 4096;

std::size_t outlinePointCount(const std::vector<Segment>& segments) {
    std::size_t count = 3;
    for (const Segment& segment : segments) count += static_cast<std::size_t>(std::max(0, segment.getResolution())) + 2;
    return count;
}

// The distance from (x, y) to the line from (x0, y0) to (x1, y1).
double distanceToLine(double x, double y, double x0, double y0, double x1, double y1) {
    const double dx = x1 - x0, dy = y1 - y0, lengthSquared = dx * dx + dy * dy;
    const double t = lengthSquared > 0 ? std::clamp(((x - x0) * dx + (y - y0) * dy) / lengthSquared, 0.0, 1.0) : 0;
    return std::hypot(x0 + dx * t - x, y0 + dy * t - y);
}

// The curve from (x0, y0) through the handles to (x3, y3), in pixels, as
// lines within about a tenth of a pixel of it, each end handed to `line`:
// the curve lies within its handles' hull, so the handles' distance from the
// chord bounds how far it strays, and each halving of the steps quarters that.
template <class Line>
void flatten(const double (&x)[4], const double (&y)[4], Line&& line) {
    const double stray = std::max(distanceToLine(x[1], y[1], x[0], y[0], x[3], y[3]),
                                  distanceToLine(x[2], y[2], x[0], y[0], x[3], y[3]));
    const int n = static_cast<int>(std::clamp(std::ceil(std::sqrt(stray / 0.1)), 1.0, 1024.0));
    for (int k = 1; k <= n; ++k) {
        const double t = static_cast<double>(k) / n, u = 1 - t;
        const double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
        line(a * x[0] + b * x[1] + c * x[2] + d * x[3], a * y[0] + b * y[1] + c * y[2] + d * y[3]);
    }
}

// The same picture as drawGround, its pixels worked out by CoverageRaster
// and written into `surface`'s own. Throws std::bad_alloc.
void rasterGround(cairo_surface_t* surface, const std::vector<Segment>& segments, const PictureFrame& frame) {
    const int width = frame.width, height = frame.height;
    // The area under the ground, thinned by PixelPath to what the picture shows.
    CoverageRaster fill(width, height);
    const auto fillLine = [&fill](double x0, double y0, double x1, double y1) { fill.addEdge(x0, y0, x1, y1); };
    PixelPath<decltype(fillLine)> outline(fillLine);
    bool started = false;
    double firstX = 0, firstY = 0;
    forEachOutlinePoint(segments, [&](OutlineLine, std::size_t, double x, double y) {
        const double px = frame.pixelX(x), py = frame.pixelY(y);
        if (started) {
            outline.lineTo(px, py);
        } else {
            outline.moveTo(px, py);
            firstX = px;
            firstY = py;
            started = true;
        }
    });
    outline.lineTo(firstX, firstY);
    outline.finish();
    const std::vector<float>& earthCover = fill.coverage();

    // The ground line, thinned the same way, with round joins and ends.
    StrokeRaster stroke(width, height, std::max(1.0, std::max(width, height) / 400.0) / 2);
    const auto strokeLine = [&stroke](double x0, double y0, double x1, double y1) { stroke.addLine(x0, y0, x1, y1); };
    PixelPath<decltype(strokeLine)> ground(strokeLine);
    const auto lineTo = [&ground](double x, double y) { ground.lineTo(x, y); };
    for (std::size_t i = 0; i < segments.size(); ++i) {
        const std::vector<ControlPoint> p = segments[i].controlPoints();
        const double x[4] = {frame.pixelX(p[0].x), frame.pixelX(p[1].x), frame.pixelX(p[2].x), frame.pixelX(p[3].x)};
        const double y[4] = {frame.pixelY(-p[0].y), frame.pixelY(-p[1].y), frame.pixelY(-p[2].y),
                             frame.pixelY(-p[3].y)};
        if (i == 0 || !(p[0] == segments[i - 1].getEndPoint())) {
            ground.moveTo(x[0], y[0]);
            stroke.addLine(x[0], y[0], x[0], y[0]);
        }
        flatten(x, y, lineTo);
    }
    ground.finish();
    const std::vector<float> lineCover = stroke.coverage();

    cairo_surface_flush(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int rowBytes = cairo_image_surface_get_stride(surface);
    for (int r = 0; r < height; ++r) {
        auto* out = reinterpret_cast<std::uint32_t*>(data + static_cast<std::ptrdiff_t>(rowBytes) * r);
        for (int c = 0; c < width; ++c) {
            const std::size_t k = static_cast<std::size_t>(r) * static_cast<std::size_t>(width) + c;
            const double e = earthCover[k], l = lineCover[k];
            std::uint32_t pixel = 0;
            for (int channel = 0; channel < 3; ++channel) {
                const double under = background[channel] * (1 - e) + earth[channel] * e;
                const double v = under * (1 - l) + line[channel] * l;
                // As Cairo turns a colour into bytes: 16 bits, the high 8 kept.
                pixel = pixel << 8 | static_cast<std::uint32_t>(std::lround(std::clamp(v, 0.0, 1.0) * 65535)) >> 8;
            }
            out[c] = pixel;
        }
    }
    cairo_surface_mark_dirty(surface);
}

MapPicture failure(cairo_status_t status) {
    MapPicture picture;
    picture.error = std::string("the picture could not be drawn: ") + cairo_status_to_string(status);
    return picture;
}

}  // namespace

MapPicture drawMapPicture(const std::vector<Segment>& segments, PictureFormat format, int size) {
    PictureFrame frame;
    if (std::string problem = framePicture(segments, size, frame); !problem.empty()) {
        MapPicture picture;
        picture.error = std::move(problem);
        return picture;
    }
    MapPicture picture;
    Surface surface(format == PictureFormat::png
                        ? cairo_image_surface_create(CAIRO_FORMAT_RGB24, frame.width, frame.height)
                        : cairo_pdf_surface_create_for_stream(collect, &picture.bytes, frame.width, frame.height));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS)
        return failure(cairo_surface_status(surface.get()));
    if (format == PictureFormat::png && outlinePointCount(segments) > cairoDrawsUpTo) {
        try {
            rasterGround(surface.get(), segments, frame);
        } catch (const std::bad_alloc&) {
            return failure(CAIRO_STATUS_NO_MEMORY);
        }
    } else {
        Context cairo(cairo_create(surface.get()));
        drawGround(cairo.get(), segments, frame);
        if (cairo_status(cairo.get()) != CAIRO_STATUS_SUCCESS) return failure(cairo_status(cairo.get()));
    }
    const cairo_status_t status = format == PictureFormat::png
                                      ? cairo_surface_write_to_png_stream(surface.get(), collect, &picture.bytes)
                                      : (cairo_surface_finish(surface.get()), cairo_surface_status(surface.get()));
    if (status != CAIRO_STATUS_SUCCESS) return failure(status);
    return picture;
}
