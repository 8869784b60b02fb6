#pragma once

#include "ControlPoint.h"

// An affine map of the plane: x' = a x + c y + e, y' = b x + d y + f.
struct Affine {
    double a = 1, b = 0, c = 0, d = 1, e = 0, f = 0;

    // This map after `inner`: inner is applied first.
    Affine then(const Affine& inner) const {
        return {a * inner.a + c * inner.b, b * inner.a + d * inner.b,     a * inner.c + c * inner.d,
                b * inner.c + d * inner.d, a * inner.e + c * inner.f + e, b * inner.e + d * inner.f + f};
    }
    ControlPoint apply(const ControlPoint& p) const { return {a * p.x + c * p.y + e, b * p.x + d * p.y + f}; }
};
