#pragma once

#include <array>
#include <vector>

#include "ControlPoint.h"

// A cubic Bezier curve by its four control points in curve order.
using Cubic = std::array<ControlPoint, 4>;

// The curve at parameter t, by de Casteljau's construction.
ControlPoint cubicAt(const Cubic& c, double t);

// The parameter in [0, 1] of the curve's point nearest `p`: the best of
// evenly spaced parameters, refined by golden-section search between its
// neighbours, so the answer lies on the curve, not only at its samples.
double nearestParameter(const Cubic& c, const ControlPoint& p);

// The distance from `p` to the polyline through `points` (at least one).
double distanceToPolyline(const std::vector<ControlPoint>& points, const ControlPoint& p);

// One cubic in place of `pieces` (at least one) joined end to end: from the
// first's start point to the last's end point, its handles along the
// directions of the outer handles, with the lengths that follow the pieces
// most closely (least squares over points of every piece). Each piece's share
// of the parameter comes from the handle lengths at the junctions, which is
// exact for pieces that de Casteljau split from one cubic: those give it back.
Cubic joinCubics(const std::vector<Cubic>& pieces);
