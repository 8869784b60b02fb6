#include "GridPicture.h"

#include <algorithm>
#include <cstddef>

#include "Precision.h"

const std::vector<std::uint32_t>& GridPicture::update(const ControlPoint& viewOffset, double zoom, double step,
                                                      int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    // Compared bit for bit in effect: a NaN never matches, so such a view is made each time.
    if (!pixels.empty() && viewOffset.x == madeOffset.x && viewOffset.y == madeOffset.y && zoom == madeZoom &&
        step == madeStep && width == madeWidth && height == madeHeight)
        return pixels;
    madeOffset = viewOffset;
    madeZoom = zoom;
    madeStep = step;
    madeWidth = width;
    madeHeight = height;

    constexpr std::uint32_t line = 0xff000000u | grey << 16 | grey << 8 | grey;
    const std::size_t w = static_cast<std::size_t>(width);
    // Every pixel is written below: no clearing first.
    pixels.resize(w * static_cast<std::size_t>(height));
    if (pixels.empty()) return pixels;
    const double pixelsPerStep = step * pixelsPerMapUnit * zoom;
    gridLines(viewOffset.x, pixelsPerStep, width, columns);
    gridLines(viewOffset.y, pixelsPerStep, height, rows);
    // Every row is black crossed by the vertical lines, or a horizontal line.
    std::uint32_t* const crossed = pixels.data();
    std::fill(crossed, crossed + w, 0u);
    for (int x : columns) crossed[x] = line;
    std::size_t nextRow = 0;
    for (int y = 0; y < height; ++y) {
        std::uint32_t* row = pixels.data() + w * static_cast<std::size_t>(y);
        const bool lineRow = nextRow < rows.size() && rows[nextRow] == y;
        if (lineRow) {
            ++nextRow;
            // Row 0 is the pattern the other rows copy: fill it last.
            if (y > 0) std::fill(row, row + w, line);
        } else if (y > 0) {
            std::copy(crossed, crossed + w, row);
        }
    }
    if (!rows.empty() && rows.front() == 0) std::fill(crossed, crossed + w, line);
    return pixels;
}
