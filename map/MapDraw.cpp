// The map's drawing, kept apart from the model so the model builds and tests
// without OpenGL.
#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <tuple>
#include <utility>

#include "MapDraw.h"
#include "MapEditor.h"
#include "Marker.h"
#include "PixelMath.h"
#include "GridPicture.h"
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

namespace {

struct Vertex {
    float x, y;
};

struct ColouredVertex {
    float x, y;
    float r, g, b;
};

struct HandleLine {
    int x0, y0, x1, y1;
    bool operator<(const HandleLine& o) const {
        return std::tie(x0, y0, x1, y1) < std::tie(o.x0, o.y0, o.x1, o.y1);
    }
    bool operator==(const HandleLine& o) const {
        return x0 == o.x0 && y0 == o.y0 && x1 == o.x1 && y1 == o.y1;
    }
};

// The map zoomed out, where many segments share each pixel: every kind of
// element gathered into one vertex array and drawn with one call, keeping one
// sample point and one square per pixel and one curve vertex each time the
// curve enters another pixel. Each control point keeps a square within a
// pixel of where it is picked.
class MergedDrawing {
public:
    void draw(const std::vector<Segment>& segments, const std::vector<std::size_t>& which);

private:
    // Pixels of the window and a margin wide enough for a square whose centre
    // lies outside the window but still reaches into it.
    static constexpr int margin = 8;
    static constexpr int gridWidth = mapWindowWidth + 2 * margin;
    static constexpr int gridHeight = mapWindowHeight + 2 * margin;

    // The grid cell of window point `w`, or -1 when it lies outside the grid.
    static int cellOf(const ControlPoint& w) {
        const double x = std::floor(w.x) + margin;
        const double y = std::floor(w.y) + margin;
        if (!(x >= 0 && x < gridWidth && y >= 0 && y < gridHeight)) return -1;
        return static_cast<int>(y) * gridWidth + static_cast<int>(x);
    }
    // The curve being gathered: a run of segments, each starting where the
    // one before ends, in one colour.
    struct CurveRun {
        bool running = false;
        bool selected = false;
        ControlPoint end{};    // where the last segment of the run ends
        Vertex drawnTo{};      // the last vertex drawn
        int cell = -1;         // and its pixel
        bool skipped = false;  // whether a vertex after it was skipped
        Vertex skippedTo{};    // the last one skipped
    };

    void gather(const std::vector<Segment>& segments, const std::vector<std::size_t>& which);
    void addCurveLine(const Vertex& to);
    void endCurveRun();
    void addSquare(const ControlPoint& w, double half, float r, float g, float b);
    void clear();

    CurveRun run;
    std::vector<ColouredVertex> curve;  // pairs of line ends
    std::vector<Vertex> points;
    std::vector<ColouredVertex> squares;  // four corners each
    std::vector<HandleLine> handleLines;
    // For each grid cell, whether it holds a sample point, and the first
    // corner of its square in `squares` (-1 for none); the cells to reset.
    std::vector<unsigned char> pointAt = std::vector<unsigned char>(gridWidth * gridHeight, 0);
    std::vector<int> squareAt = std::vector<int>(gridWidth * gridHeight, -1);
    std::vector<int> usedCells;
};

void MergedDrawing::addSquare(const ControlPoint& w, double half, float r, float g, float b) {
    const int cell = cellOf(w);
    if (cell < 0) return;
    int first = squareAt[cell];
    if (first < 0) {
        // The squares of one pixel show the colour of the last one drawn there.
        first = squareAt[cell] = static_cast<int>(squares.size());
        squares.resize(squares.size() + 4);
        usedCells.push_back(cell);
    }
    const float left = static_cast<float>(w.x - half), right = static_cast<float>(w.x + half);
    const float top = static_cast<float>(w.y - half), bottom = static_cast<float>(w.y + half);
    squares[first] = {left, top, r, g, b};
    squares[first + 1] = {right, top, r, g, b};
    squares[first + 2] = {right, bottom, r, g, b};
    squares[first + 3] = {left, bottom, r, g, b};
}

void MergedDrawing::addCurveLine(const Vertex& to) {
    const float blue = run.selected ? 1.0f : 0.0f;
    curve.push_back({run.drawnTo.x, run.drawnTo.y, 1.0f, 1.0f, blue});
    curve.push_back({to.x, to.y, 1.0f, 1.0f, blue});
    run.drawnTo = to;
}

void MergedDrawing::endCurveRun() {
    if (run.skipped) addCurveLine(run.skippedTo);
    run = CurveRun{};
}

void MergedDrawing::gather(const std::vector<Segment>& segments, const std::vector<std::size_t>& which) {
    for (std::size_t i : which) {
        const Segment& s = segments[i];
        const std::vector<ControlPoint>& samples = s.getSamples();
        // A segment that starts where the curve drawn so far ends, in the same colour, continues it.
        const ControlPoint first = s.toWindow(samples.front());
        if (!run.running || first.x != run.end.x || first.y != run.end.y || s.isSelected() != run.selected) {
            endCurveRun();
            run.running = true;
            run.selected = s.isSelected();
            run.drawnTo = {static_cast<float>(first.x), static_cast<float>(first.y)};
            run.cell = cellOf(first);
        }
        for (std::size_t k = 1; k < samples.size(); ++k) {
            const ControlPoint w = s.toWindow(samples[k]);
            const Vertex v{static_cast<float>(w.x), static_cast<float>(w.y)};
            const int cell = cellOf(w);
            // A vertex in the pixel of the last one drawn is skipped; the run's last vertex is drawn.
            if (cell == run.cell && cell >= 0) {
                run.skipped = true;
                run.skippedTo = v;
                continue;
            }
            addCurveLine(v);
            run.cell = cell;
            run.skipped = false;
        }
        run.end = s.toWindow(samples.back());

        for (const ControlPoint& p : samples) {
            const ControlPoint w = s.toWindow(p);
            const int cell = cellOf(w);
            if (cell < 0 || pointAt[cell] != 0) continue;
            pointAt[cell] = 1;
            usedCells.push_back(cell);
            points.push_back({static_cast<float>(w.x), static_cast<float>(w.y)});
        }

        const double half = s.getHandleSize();
        addSquare(s.toWindow(s.getStartPoint()), half, 1.0f, 0.0f, 1.0f);
        addSquare(s.toWindow(s.getEndPoint()), half, 1.0f, 0.0f, 1.0f);
        if (s.handlesShown()) {
            addSquare(s.toWindow(s.getStartHandle()), half, 0.0f, 1.0f, 0.0f);
            addSquare(s.toWindow(s.getEndHandle()), half, 0.0f, 1.0f, 0.0f);
            for (const auto& [from, to] : {std::pair(s.getStartPoint(), s.getStartHandle()),
                                           std::pair(s.getEndPoint(), s.getEndHandle())}) {
                const ControlPoint a = s.toWindow(from), b = s.toWindow(to);
                const HandleLine line{truncateToInt(a.x), truncateToInt(a.y), truncateToInt(b.x),
                                      truncateToInt(b.y)};
                // A line of no length draws nothing.
                if (line.x0 != line.x1 || line.y0 != line.y1) handleLines.push_back(line);
            }
        }
    }
    endCurveRun();
    // The handle lines are all white: their order does not matter, their repeats do.
    std::sort(handleLines.begin(), handleLines.end());
    handleLines.erase(std::unique(handleLines.begin(), handleLines.end()), handleLines.end());
}

void MergedDrawing::clear() {
    for (int cell : usedCells) {
        pointAt[cell] = 0;
        squareAt[cell] = -1;
    }
    usedCells.clear();
    curve.clear();
    points.clear();
    squares.clear();
    handleLines.clear();
}

void MergedDrawing::draw(const std::vector<Segment>& segments, const std::vector<std::size_t>& which) {
    gather(segments, which);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glVertexPointer(2, GL_FLOAT, sizeof(ColouredVertex), &curve.data()->x);
    glColorPointer(3, GL_FLOAT, sizeof(ColouredVertex), &curve.data()->r);
    glDrawArrays(GL_LINES, 0, static_cast<GLsizei>(curve.size()));
    glDisableClientState(GL_COLOR_ARRAY);

    if (!which.empty()) glPointSize(3.0f);
    glColor3f(1.0f, 0.0f, 0.0f);
    glVertexPointer(2, GL_FLOAT, sizeof(Vertex), points.data());
    glDrawArrays(GL_POINTS, 0, static_cast<GLsizei>(points.size()));

    glEnableClientState(GL_COLOR_ARRAY);
    glVertexPointer(2, GL_FLOAT, sizeof(ColouredVertex), &squares.data()->x);
    glColorPointer(3, GL_FLOAT, sizeof(ColouredVertex), &squares.data()->r);
    glDrawArrays(GL_QUADS, 0, static_cast<GLsizei>(squares.size()));
    glDisableClientState(GL_COLOR_ARRAY);

    // Last, so that the colour arrays leave a defined current colour behind.
    glColor3f(1.0f, 1.0f, 1.0f);
    glVertexPointer(2, GL_INT, 0, handleLines.data());
    glDrawArrays(GL_LINES, 0, static_cast<GLsizei>(handleLines.size() * 2));
    glDisableClientState(GL_VERTEX_ARRAY);
    clear();
}

}  // namespace

void drawMapMerged(const std::vector<Segment>& segments, const std::vector<std::size_t>& which,
                   const std::vector<Marker>& markers, const ControlPoint& viewOffset, double zoom) {
    // Kept between frames, so that a frame allocates nothing.
    static MergedDrawing merged;
    drawWithMapState([&] { merged.draw(segments, which); }, markers, viewOffset, zoom);
}

void drawGrid(const ControlPoint& viewOffset, double zoom, double step) {
    const double pixels = step * pixelsPerMapUnit * zoom;
    static std::vector<int> columns;
    static std::vector<int> rows;
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

void MapEditor::draw() const {
    if (precise) drawGrid(viewOffset, zoom, currentGridStep());
    drawMapOnly();
}

void MapEditor::drawMapOnly() const {
    visibleSegments(visible);
    // At zoom 1 and above every pixel is drawn as it always was.
    if (zoom < 1.0) {
        drawMapMerged(segments, visible, markers, viewOffset, zoom);
    } else {
        drawMapSegments(segments, visible, markers, viewOffset, zoom);
    }
}
