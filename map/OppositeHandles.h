#pragma once

#include "ControlPoint.h"

// A junction's two handles: the one the user places and the one across the
// junction from it.
struct HandlePair {
    ControlPoint handle;
    ControlPoint partner;
};

// Whether `a` and `b` lie exactly opposite about `junction`: on one line
// through it, on either side of it, neither on it. Decided on the exact
// values, without a tolerance.
bool exactlyOpposite(const ControlPoint& junction, const ControlPoint& a, const ControlPoint& b);

// The handle placed at `target` and `partner` turned across `junction`,
// keeping its distance from it, so that the two are exactly opposite. Exact
// opposition wins over exact placement: the handle may land a tiny distance
// off the target and the partner's distance change as little, while the
// junction never moves. A pair already exactly opposite, and the partner
// turned in plain floating point where that happens to be exact (a level or
// upright handle), are returned as they are. A target on the junction, or a
// partner on it, gives no direction, and a partner turned past the largest
// double has no place: the partner stays.
HandlePair opposedHandles(const ControlPoint& junction, const ControlPoint& target,
                          const ControlPoint& partner);
