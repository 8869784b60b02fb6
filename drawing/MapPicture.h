#pragma once

#include <string>
#include <vector>

#include "Segment.h"

// A picture of a map's ground, for reviews, documents and file managers: the
// area under the ground filled as the simulator sees it (the closed outline
// of the ground points file), the ground line drawn over it from the
// segments' own curves, on an opaque light background with a margin.

enum class PictureFormat { png, pdf };

// The longer side of a picture, in pixels (PNG) or points (PDF), and its bounds.
constexpr int defaultPictureSize = 1024;
constexpr int minPictureSize = 16;
constexpr int maxPictureSize = 4096;

// Where the picture's pixels come from: the frame around the ground.
struct PictureFrame {
    // The picture's size in pixels, the longer side as asked, at least 1 each.
    int width = 0;
    int height = 0;
    // Pixels per map unit, and the map point (simulator frame: y up) that
    // lands on the picture's top left corner.
    double scale = 0.0;
    double left = 0.0;
    double top = 0.0;

    // The picture's x and y of the simulator-frame point (x, y), kept within
    // a million pixels of it, where the drawing library's numbers still hold
    // (only the far feet of a tiny ground come near).
    double pixelX(double x) const { return bounded((x - left) * scale); }
    double pixelY(double y) const { return bounded((top - y) * scale); }
    static double bounded(double v) { return v < -1e6 ? -1e6 : v > 1e6 ? 1e6 : v; }
};

// The frame of `segments` (not empty) at `size` pixels on the longer side:
// the box of the curves themselves, with a margin of a fiftieth of the box's
// longer side all round; the filled outline goes on below it to the feet. A
// box without extent in one direction (a flat ground) gets the margin alone
// there. Empty when framed; otherwise why not, one line: a coordinate too
// large to be framed, or a box of one point (no extent to draw) or too small
// for its scale to be finite.
std::string framePicture(const std::vector<Segment>& segments, int size, PictureFrame& frame);

// What drawMapPicture made.
struct MapPicture {
    // The bytes of the PNG file or the PDF document.
    std::string bytes;
    // Empty when the picture was made; otherwise why not, one line.
    std::string error;

    bool ok() const { return error.empty(); }
};

// The picture of `segments` (not empty) in `format`, `size` pixels (or
// points) on its longer side. Refused when the ground cannot be framed or the
// drawing library fails (out of memory), or in a build without one.
MapPicture drawMapPicture(const std::vector<Segment>& segments, PictureFormat format, int size);
