#pragma once

#include "Segment.h"

// A segment with the given control points, in curve order, and resolution.
inline Segment makeSegment(double x0, double y0, double x1, double y1, double x2, double y2, double x3,
                           double y3, int resolution = 5) {
    Segment s;
    s.setResolution(resolution);
    s.setPoints(x0, y0, x1, y1, x2, y2, x3, y3);
    return s;
}
