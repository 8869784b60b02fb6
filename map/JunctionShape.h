#pragma once

#include "ControlPoint.h"

// How a junction's two handles meet, judged at the precision the map file
// keeps. The file writes every coordinate with six significant digits, which
// can move a point by half a unit of its sixth digit on each axis; a handle's
// direction can then turn by as much as that movement, together with the
// junction's, seen from the handle's length. The junction is smooth when its
// handles point in opposite directions within the sum of those two turns, so
// that handles placed opposite stay smooth through any number of saves and
// loads, while a kink larger than the file's rounding can make is a kink.
struct JunctionShape {
    // False when a handle lies on the junction: it has no direction.
    bool defined = false;
    bool smooth = false;
    // The angle by which the handles miss pointing in opposite directions,
    // 0 to 180 degrees.
    double kinkDegrees = 0.0;
};

// The shape of the junction `junction` with the handle `before` of the
// segment that ends there and `after` of the one that starts there.
JunctionShape junctionShape(const ControlPoint& before, const ControlPoint& junction,
                            const ControlPoint& after);

// Half a unit of the sixth significant digit of `value` and the smallest
// double: the most that writing it with six significant digits and reading
// it back moves it (0 for 0).
double halfSixthDigit(double value);
