#pragma once

#include <vector>

// How much of each pixel of a picture a stroke of lines covers, `half`
// pixels on each side of them with round joins and ends: each pixel keeps
// its centre's distance to the nearest line, and is covered as far as that
// lies within half + 0.5 (a ramp a pixel wide across the stroke's edge).
// Lines that overlap cover a pixel once, however many there are; the time
// goes with the pixels along the lines, the memory with the picture.
class StrokeRaster {
public:
    // A picture of `width` x `height` pixels (each at least 1); y runs down.
    // Throws std::bad_alloc when its pixels cannot be had.
    StrokeRaster(int width, int height, double half);

    // The line from (x0, y0) to (x1, y1), in pixels, anywhere (finite).
    void addLine(double x0, double y0, double x1, double y1);

    // The coverage of each pixel from 0 to 1, row after row from the top.
    std::vector<float> coverage() const;

private:
    int columns, rows;
    double half;
    // The distance of each pixel's centre to the nearest line, squared.
    std::vector<float> nearest;
};
