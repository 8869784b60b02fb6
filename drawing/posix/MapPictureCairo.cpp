#include <cairo-pdf.h>
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "GroundFile.h"
#include "MapPicture.h"

// The picture drawn with Cairo, whose surfaces write PNG and PDF to a stream:
// the bytes are collected here and the caller saves them as every file is saved.

namespace {

// The colours: a light background, the ground's earth, its line.
constexpr double background[3] = {0.96, 0.96, 0.93};
constexpr double earth[3] = {0.55, 0.45, 0.32};
constexpr double line[3] = {0.12, 0.12, 0.12};

cairo_status_t collect(void* closure, const unsigned char* data, unsigned int length) {
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
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
    {
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
