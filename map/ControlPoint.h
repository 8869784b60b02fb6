#pragma once

// A point of the map in map units: x to the right, y downward.
struct ControlPoint {
    double x = 0.0;
    double y = 0.0;
};

inline bool operator==(const ControlPoint& a, const ControlPoint& b) { return a.x == b.x && a.y == b.y; }
inline bool operator!=(const ControlPoint& a, const ControlPoint& b) { return !(a == b); }
