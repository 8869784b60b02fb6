#pragma once

#include <vector>

#include "ControlPoint.h"
#include "View.h"

// The grid of precision mode: its step, snapping to it, nudging along it and
// the window lines it is drawn on. Pixels and map units convert in View.h.

// The smallest grid step, in map units, that is 1, 2 or 5 times a power of
// ten and spans at least 10 pixels at `zoom` (1 map unit at zoom 1).
double gridStep(double zoom);

// `value` on the nearest multiple of `step` (a gridStep): computed as
// n * mantissa / 10^k or n * mantissa * 10^k, so that a step of 0.1 gives
// 0.3 rather than 0.30000000000000004.
double snapToStep(double value, double step);
ControlPoint snapToGrid(const ControlPoint& p, double step);
// The next multiple of `step` from `value` in `direction` (-1, 0 or 1): one
// step on from a value on the grid, the nearest node that way from one off it.
double nextGridNode(double value, int direction, double step);

// The window columns (or rows) from 0 to `length` on which the grid draws a
// line, into `lines`: the multiples of `pixels` (a grid step in window
// pixels) shifted by `offset` (the view offset) and rounded down. None when a
// step is under a pixel.
void gridLines(double offset, double pixels, int length, std::vector<int>& lines);

// The slope of the direction (dx, dy) in map units (y downward) in degrees,
// positive where the ground rises to the right.
double slopeDegrees(const ControlPoint& direction);
