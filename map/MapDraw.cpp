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
    const double pixelsPerUnit = scale * zoom;
    auto windowX = [&](const ControlPoint& p) { return p.x * pixelsPerUnit + viewOffset.x; };
    auto windowY = [&](const ControlPoint& p) { return p.y * pixelsPerUnit + viewOffset.y; };
    auto square = [&](const ControlPoint& p) {
        const double wx = windowX(p);
        const double wy = windowY(p);
        glRectd(wx - handleSize, wy - handleSize, wx + handleSize, wy + handleSize);
    };
    auto handleLine = [&](const ControlPoint& from, const ControlPoint& to) {
        glBegin(GL_LINES);
        glVertex2i(truncateToInt(windowX(from)), truncateToInt(windowY(from)));
        glVertex2i(truncateToInt(windowX(to)), truncateToInt(windowY(to)));
        glEnd();
    };

    if (selected) {
        glColor3f(1.0f, 1.0f, 1.0f);
    } else {
        glColor3f(1.0f, 1.0f, 0.0f);
    }
    glBegin(GL_LINES);
    for (std::size_t i = 1; i < samples.size(); ++i) {
        glVertex2d(windowX(samples[i - 1]), windowY(samples[i - 1]));
        glVertex2d(windowX(samples[i]), windowY(samples[i]));
    }
    glEnd();

    glPointSize(3.0f);
    glColor3f(1.0f, 0.0f, 0.0f);
    glBegin(GL_POINTS);
    for (const ControlPoint& s : samples) glVertex2d(windowX(s), windowY(s));
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

void Marker::draw(double ox, double oy) const {
    const int w2 = width / 2;
    const int h2 = height / 2;
    glColor3f(1.0f, 1.0f, 1.0f);
    glRectd(x - w2 + ox, y - h2 + oy, x + w2 + ox, y + h2 + oy);
}

bool Segment::mayShowIn(int width, int height) const {
    const double pixelsPerUnit = scale * zoom;
    const double minX = std::min({startPoint.x, startHandle.x, endHandle.x, endPoint.x});
    const double maxX = std::max({startPoint.x, startHandle.x, endHandle.x, endPoint.x});
    const double minY = std::min({startPoint.y, startHandle.y, endHandle.y, endPoint.y});
    const double maxY = std::max({startPoint.y, startHandle.y, endHandle.y, endPoint.y});
    // The curve and its samples lie inside the convex hull of the control
    // points. The squares reach handleSize beyond their centres; smoothed
    // lines of width 1.2 and points of size 3 spread a pixel or two, and the
    // handle lines' truncated vertices stay within a pixel of their points.
    const double margin = handleSize + 3.0;
    const double left = minX * pixelsPerUnit + viewOffset.x - margin;
    const double right = maxX * pixelsPerUnit + viewOffset.x + margin;
    const double top = minY * pixelsPerUnit + viewOffset.y - margin;
    const double bottom = maxY * pixelsPerUnit + viewOffset.y + margin;
    // Written so that a NaN anywhere keeps the segment: it is drawn as before.
    const bool outside = right < 0.0 || left > width || bottom < 0.0 || top > height;
    return !outside;
}

void drawMap(const std::vector<Segment>& segments, const std::vector<Marker>& markers,
             const ControlPoint& viewOffset, Culling culling) {
    glEnable(GL_LINE_SMOOTH);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glHint(GL_LINE_SMOOTH_HINT, GL_DONT_CARE);
    glLineWidth(1.2f);
    for (const Segment& s : segments) {
        if (culling == Culling::off || s.mayShowIn(mapWindowWidth, mapWindowHeight)) s.draw();
    }
    for (const Marker& m : markers) m.draw(viewOffset.x, viewOffset.y);
    // Line width and point size stay set for the widgets drawn after the map.
    glDisable(GL_LINE_SMOOTH);
    glDisable(GL_BLEND);
}

void MapEditor::draw() const { drawMap(segments, markers, viewOffset, Culling::on); }
