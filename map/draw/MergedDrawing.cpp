#include "MergedDrawing.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <utility>

#include "PixelMath.h"

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
