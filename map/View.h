#pragma once

#include "ControlPoint.h"

// Window pixels per map unit at zoom 1.
constexpr double pixelsPerMapUnit = 10.0;

// Where the map shows in the window: map point p is drawn and picked at
// window pixel p * pixelsPerMapUnit * zoom + offset. The one place that
// converts between window pixels and map units.
struct View {
    ControlPoint offset;
    double zoom = 1.0;

    // The window pixel at which map point `p` is drawn and picked.
    ControlPoint toWindow(const ControlPoint& p) const {
        const double pixelsPerUnit = pixelsPerMapUnit * zoom;
        return {p.x * pixelsPerUnit + offset.x, p.y * pixelsPerUnit + offset.y};
    }
    // The map point drawn at window pixel `w`: the inverse of toWindow.
    ControlPoint toMap(const ControlPoint& w) const {
        return {(w.x - offset.x) / pixelsPerMapUnit / zoom, (w.y - offset.y) / pixelsPerMapUnit / zoom};
    }
};
