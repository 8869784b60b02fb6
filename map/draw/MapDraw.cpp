// The map's drawing with OpenGL: a library of its own over the model, so that
// the model and what reads and writes maps link no OpenGL.
#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <tuple>
#include <utility>

#include "GridPicture.h"
#include "MapDraw.h"
#include "MapEditor.h"
#include "Marker.h"
#include "MergedDrawing.h"
#include "PixelMath.h"
#include "Precision.h"
#include "Segment.h"

void Segment::draw() const {
    auto square = [&](const ControlPoint& p) {
        const ControlPoint w = toWindow(p);
        glRectd(w.x - handleSize, w.y - handleSize, w.x + handleSize, w.y + handleSize);
    };
    auto handleLine = [&](const ControlPoint& from, const ControlPoint& to) {
        const ControlPoint a = toWindow(from);
        const ControlPoint b = toWindow(to);
        glBegin(GL_LINES);
        glVertex2i(truncateToInt(a.x), truncateToInt(a.y));
        glVertex2i(truncateToInt(b.x), truncateToInt(b.y));
        glEnd();
    };

    if (selected) {
        glColor3f(1.0f, 1.0f, 1.0f);
    } else {
        glColor3f(1.0f, 1.0f, 0.0f);
    }
    // Each inner sample ends one line and starts the next: transformed once.
    glBegin(GL_LINES);
    ControlPoint previous;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const ControlPoint current = toWindow(samples[i]);
        if (i > 0) {
            glVertex2d(previous.x, previous.y);
            glVertex2d(current.x, current.y);
        }
        previous = current;
    }
    glEnd();

    glPointSize(3.0f);
    glColor3f(1.0f, 0.0f, 0.0f);
    glBegin(GL_POINTS);
    for (const ControlPoint& s : samples) {
        const ControlPoint w = toWindow(s);
        glVertex2d(w.x, w.y);
    }
    glEnd();

    glColor3f(1.0f, 0.0f, 1.0f);
    square(startPoint);
    square(endPoint);

    if (showHandles) {
        glColor3f(0.0f, 1.0f, 0.0f);
        square(startHandle);
        square(endHandle);
        glColor3f(1.0f, 1.0f, 1.0f);
        handleLine(startPoint, startHandle);
        handleLine(endPoint, endHandle);
    }
}

void Marker::draw(const View& view) const {
    const Rectangle r = rectangle(view);
    glColor3f(1.0f, 1.0f, 1.0f);
    glRectd(r.left, r.top, r.right, r.bottom);
}

namespace {

// A software renderer such as llvmpipe bins every primitive of a batch before
// it rasterises any, and keeps the memory of its largest batch for the rest of
// the process: about 180 bytes for each smoothed line. A window full of segments
// made one batch of hundreds of thousands of lines. Waiting for the renderer
// after every few thousand samples bounds that memory without changing a
// pixel; a map of a few dozen segments never waits.
class RendererPacing {
public:
    void drawn(const Segment& s) {
        pending += s.getSamples().size();
        if (pending >= samplesPerBatch) {
            glFinish();
            pending = 0;
        }
    }

private:
    static constexpr std::size_t samplesPerBatch = 2048;
    std::size_t pending = 0;
};

// The map's state around `drawSegments`, then the markers over the segments.
template <typename DrawSegments>
void drawWithMapState(DrawSegments drawSegments, const std::vector<Marker>& markers,
                      const ControlPoint& viewOffset, double zoom) {
    glEnable(GL_LINE_SMOOTH);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glHint(GL_LINE_SMOOTH_HINT, GL_DONT_CARE);
    glLineWidth(1.2f);
    drawSegments();
    for (const Marker& m : markers) m.draw(View{viewOffset, zoom});
    glDisable(GL_LINE_SMOOTH);
    glDisable(GL_BLEND);
}

}  // namespace

void drawMap(const std::vector<Segment>& segments, const std::vector<Marker>& markers,
             const ControlPoint& viewOffset, double zoom, Culling culling) {
    drawWithMapState(
        [&] {
            RendererPacing pacing;
            for (const Segment& s : segments) {
                if (culling == Culling::off || s.mayShowIn(mapWindowWidth, mapWindowHeight)) {
                    s.draw();
                    pacing.drawn(s);
                }
            }
        },
        markers, viewOffset, zoom);
}

void drawMapSegments(const std::vector<Segment>& segments, const std::vector<std::size_t>& which,
                     const std::vector<Marker>& markers, const ControlPoint& viewOffset, double zoom) {
    drawWithMapState(
        [&] {
            RendererPacing pacing;
            for (std::size_t i : which) {
                segments[i].draw();
                pacing.drawn(segments[i]);
            }
        },
        markers, viewOffset, zoom);
}

void drawMapMerged(const std::vector<Segment>& segments, const std::vector<std::size_t>& which,
                   const std::vector<Marker>& markers, const ControlPoint& viewOffset, double zoom,
                   MergedDrawing& merged) {
    drawWithMapState([&] { merged.draw(segments, which); }, markers, viewOffset, zoom);
}

void drawGrid(const ControlPoint& viewOffset, double zoom, double step, MapDrawCache& cache) {
    const double pixels = step * pixelsPerMapUnit * zoom;
    std::vector<int>& columns = cache.gridColumns;
    std::vector<int>& rows = cache.gridRows;
    gridLines(viewOffset.x, pixels, mapWindowWidth, columns);
    gridLines(viewOffset.y, pixels, mapWindowHeight, rows);
    glColor3ub(GridPicture::grey, GridPicture::grey, GridPicture::grey);
    // Each line a rectangle one pixel wide: the renderer fills rectangles
    // much faster than it draws long lines.
    glBegin(GL_QUADS);
    for (int x : columns) {
        glVertex2i(x, 0);
        glVertex2i(x + 1, 0);
        glVertex2i(x + 1, mapWindowHeight);
        glVertex2i(x, mapWindowHeight);
    }
    for (int y : rows) {
        glVertex2i(0, y);
        glVertex2i(mapWindowWidth, y);
        glVertex2i(mapWindowWidth, y + 1);
        glVertex2i(0, y + 1);
    }
    glEnd();
}

void MapEditor::draw(MapDrawCache& cache) const {
    if (precisionState.on) drawGrid(viewOffset, zoom, gridStep(zoom), cache);
    drawMapOnly(cache);
}

void MapEditor::drawMapOnly(MapDrawCache& cache) const {
    visibleSegments(visible);
    // At zoom 1 and above every pixel is drawn as it always was.
    if (zoom < 1.0) {
        drawMapMerged(segments, visible, markers, viewOffset, zoom, cache.merged);
    } else {
        drawMapSegments(segments, visible, markers, viewOffset, zoom);
    }
}

void drawBand(const ControlPoint& from, const ControlPoint& to) {
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
    glDisable(GL_BLEND);
    glColor3f(0.0f, 1.0f, 1.0f);
    // Each edge a filled rectangle one pixel across: exact pixels whatever
    // the rasteriser does with the ends of lines.
    const double left = std::floor(std::min(from.x, to.x)), right = std::floor(std::max(from.x, to.x));
    const double top = std::floor(std::min(from.y, to.y)), bottom = std::floor(std::max(from.y, to.y));
    glRectd(left, top, right + 1.0, top + 1.0);
    glRectd(left, bottom, right + 1.0, bottom + 1.0);
    glRectd(left, top, left + 1.0, bottom + 1.0);
    glRectd(right, top, right + 1.0, bottom + 1.0);
    glPopAttrib();
}

void drawPicked(const std::vector<ControlPoint>& points) {
    if (points.empty()) return;
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
    glDisable(GL_BLEND);
    glColor3f(0.0f, 1.0f, 1.0f);
    // Segment::draw's square of a control point, three pixels each way.
    for (const ControlPoint& w : points) glRectd(w.x - 3.0, w.y - 3.0, w.x + 3.0, w.y + 3.0);
    glPopAttrib();
}
