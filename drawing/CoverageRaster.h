#pragma once

#include <vector>

// How much of each pixel of a picture a set of closed polygons covers,
// worked out per pixel from the signed area each edge leaves in the cells it
// passes (no edge list is kept, and no edge is sorted against another), so
// that the time is in proportion to the pixels the edges pass and the memory
// to the picture, however many edges overlap. Nonzero filling: a pixel is
// covered as far as the polygons' winding there is not zero; where windings
// of both signs, or of 0 and 2, share one pixel, that pixel alone may be off.
class CoverageRaster {
public:
    // A picture of `width` x `height` pixels (each at least 1); y runs down.
    // Throws std::bad_alloc when its cells cannot be had.
    CoverageRaster(int width, int height);

    // The edge from (x0, y0) to (x1, y1), in pixels, of a closed polygon:
    // only closed polygons (every edge's end the start of another) fill.
    // Coordinates may lie anywhere, beyond the picture included, as long as
    // they are finite.
    void addEdge(double x0, double y0, double x1, double y1);
    // The coverage of each pixel from 0 to 1, row after row from the top:
    // the cells are summed along the rows once, at the first call.
    const std::vector<float>& coverage();

    int width() const { return columns; }
    int height() const { return rows; }

private:
    void addClippedEdge(double x0, double y0, double x1, double y1);

    int columns, rows;
    // Per row, columns + 2 cells of signed area left by the edges.
    std::vector<double> cells;
    std::vector<float> covered;
};
