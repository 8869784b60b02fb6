#pragma once

#include <cstdint>
#include <vector>

#include "ControlPoint.h"

// Precision mode's grid as a picture of window pixels, made on the processor.
// A software renderer shades every tile a line crosses, so drawing the grid's
// lines costs about as much as filling the window; the map layer starts from
// this picture instead of its clear and pays only for a copy. The picture is
// what clearing to black and drawing the grid's lines gives, pixel for pixel.
class GridPicture {
public:
    // The grid's colour, a dim grey, in each of red, green and blue.
    static constexpr std::uint8_t grey = 0x38;

    // The picture of the whole `width` x `height` window for the view: top
    // row first, one 0xAARRGGBB word a pixel (black with alpha 0 between the
    // lines, as the clear leaves it). Made again only when the view offset,
    // zoom, step or size changed since the last call.
    const std::vector<std::uint32_t>& update(const ControlPoint& viewOffset, double zoom, double step, int width,
                                             int height);

private:
    std::vector<std::uint32_t> pixels;
    std::vector<int> columns;
    std::vector<int> rows;
    ControlPoint madeOffset;
    double madeZoom = 0.0;
    double madeStep = 0.0;
    int madeWidth = 0;
    int madeHeight = 0;
};
