#pragma once

#include <cmath>

// Thins a path of points, in pixels, to what a picture can show, handing
// each line kept to `Line` (called as line(x0, y0, x1, y1)): a point in the
// same pixel as the one before replaces it, and a path going back and forth
// between two pixels (A, B, A, B) goes from the first A to the last B at
// once. Each change leaves out a loop within the two pixels' hull, so what
// is filled or stroked differs only within a pixel of the path kept; a
// zigzag of thousands of teeth across each pixel becomes a few lines.
template <class Line>
class PixelPath {
public:
    explicit PixelPath(Line line) : line(line) {}

    // Starts a new path at (x, y), ending the one before.
    void moveTo(double x, double y) {
        finish();
        kept[0] = {x, y, cellOf(x), cellOf(y)};
        count = 1;
    }
    void lineTo(double x, double y) {
        const Point q{x, y, cellOf(x), cellOf(y)};
        if (count >= 2 && same(q, kept[count - 1])) {
            kept[count - 1] = q;
            return;
        }
        if (count >= 3 && same(q, kept[count - 2]) && same(kept[count - 1], kept[count - 3])) {
            kept[count - 2] = q;
            --count;
            return;
        }
        if (count == 4) {
            // The first line can no longer change.
            line(kept[0].x, kept[0].y, kept[1].x, kept[1].y);
            for (int k = 0; k < 3; ++k) kept[k] = kept[k + 1];
            count = 3;
        }
        kept[count++] = q;
    }
    // Hands over the lines still kept back.
    void finish() {
        for (int k = 0; k + 1 < count; ++k) line(kept[k].x, kept[k].y, kept[k + 1].x, kept[k + 1].y);
        if (count > 0) kept[0] = kept[count - 1];
        count = count > 0 ? 1 : 0;
    }

private:
    struct Point {
        double x, y;
        double cellX, cellY;
    };
    static double cellOf(double v) { return std::floor(v); }
    static bool same(const Point& a, const Point& b) { return a.cellX == b.cellX && a.cellY == b.cellY; }

    Line line;
    Point kept[4] = {};
    int count = 0;
};
