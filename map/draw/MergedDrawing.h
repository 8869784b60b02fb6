#pragma once

#include <cmath>
#include <cstddef>
#include <tuple>
#include <vector>

#include "ControlPoint.h"
#include "MapWindow.h"
#include "Segment.h"

// The map zoomed out, where many segments share each pixel: every kind of
// element gathered into one vertex array and drawn with one call, keeping one
// sample point and one square per pixel and one curve vertex each time the
// curve enters another pixel. Each control point keeps a square within a
// pixel of where it is picked.
class MergedDrawing {
public:
    void draw(const std::vector<Segment>& segments, const std::vector<std::size_t>& which);

private:
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
