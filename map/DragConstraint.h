#pragma once

#include "ControlPoint.h"

// What the modifiers held at a press make of the drag that follows: Shift
// keeps a junction smooth while one of its handles moves, Ctrl snaps a
// handle's direction to steps of 15 degrees or holds a point on the
// horizontal or vertical through where it was.
struct DragModifiers {
    bool keepSmooth = false;
    bool snap = false;
};

// The handle of end point `end` snapped for the pointer at map point
// `pointer`: its direction from `end` the nearest multiple of 15 degrees to
// the pointer's, its distance the pointer's offset projected on that direction.
ControlPoint snapHandleDirection(const ControlPoint& end, const ControlPoint& pointer);

// The point on the horizontal or the vertical through `origin`, whichever is
// nearer `pointer`, under the pointer.
ControlPoint holdOnAxis(const ControlPoint& origin, const ControlPoint& pointer);

// Where the other handle `partner` of junction `junction` goes so that it lies
// opposite `handle`, on the line through the junction and at its own distance.
// A handle on the junction has no direction: the partner stays.
ControlPoint oppositeHandle(const ControlPoint& junction, const ControlPoint& handle,
                            const ControlPoint& partner);
