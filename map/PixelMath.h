#pragma once

#include <climits>
#include <cmath>

// Drops the fraction of a pixel coordinate (toward zero) and clamps it to the
// int range, so a point dragged or loaded far outside the window still gives a
// defined integer instead of an out-of-range conversion. NaN gives 0.
inline int truncateToInt(double v) {
    if (std::isnan(v)) return 0;
    const double t = std::trunc(v);
    if (t <= static_cast<double>(INT_MIN)) return INT_MIN;
    if (t >= static_cast<double>(INT_MAX)) return INT_MAX;
    return static_cast<int>(t);
}
