// The map's drawing, kept apart from the model so the model builds and tests
// without OpenGL.
#include <GL/gl.h>

#include <algorithm>

#include "MapDraw.h"
#include "MapEditor.h"
#include "Marker.h"
#include "PixelMath.h"
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

void Marker::draw(double ox, double oy, double zoom) const {
    const int w2 = width / 2;
    const int h2 = height / 2;
    const double cx = x * zoom;
    const double cy = y * zoom;
    glColor3f(1.0f, 1.0f, 1.0f);
    glRectd(cx - w2 + ox, cy - h2 + oy, cx + w2 + ox, cy + h2 + oy);
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

namespace {

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
    for (const Marker& m : markers) m.draw(viewOffset.x, viewOffset.y, zoom);
    // Line width and point size stay set for the widgets drawn after the map.
    glDisable(GL_LINE_SMOOTH);
    glDisable(GL_BLEND);
}

}  // namespace

void drawMap(const std::vector<Segment>& segments, const std::vector<Marker>& markers,
             const ControlPoint& viewOffset, double zoom, Culling culling) {
    drawWithMapState(
        [&] {
            for (const Segment& s : segments) {
                if (culling == Culling::off || s.mayShowIn(mapWindowWidth, mapWindowHeight)) s.draw();
            }
        },
        markers, viewOffset, zoom);
}

void drawMapSegments(const std::vector<Segment>& segments, const std::vector<std::size_t>& which,
                     const std::vector<Marker>& markers, const ControlPoint& viewOffset, double zoom) {
    drawWithMapState(
        [&] {
            for (std::size_t i : which) segments[i].draw();
        },
        markers, viewOffset, zoom);
}

void MapEditor::draw() const {
    visibleSegments(visible);
    drawMapSegments(segments, visible, markers, viewOffset, zoom);
}
