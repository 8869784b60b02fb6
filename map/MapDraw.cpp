// The map's drawing, kept apart from the model so the model builds and tests
// without OpenGL.
#include <GL/gl.h>

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

void MapEditor::draw() const {
    glEnable(GL_LINE_SMOOTH);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glHint(GL_LINE_SMOOTH_HINT, GL_DONT_CARE);
    glLineWidth(1.2f);
    for (const Segment& s : segments) s.draw();
    for (const Marker& m : markers) m.draw(viewOffset.x, viewOffset.y);
    // Line width and point size stay set for the widgets drawn after the map.
    glDisable(GL_LINE_SMOOTH);
    glDisable(GL_BLEND);
}
