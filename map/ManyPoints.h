#pragma once

#include <cstddef>
#include <vector>

#include "ChainEdit.h"
#include "ControlPoint.h"

// The editing of many points at once: the band that picks every control
// point inside it, moving band-picked points together, Ctrl+A and fitting
// the view. The editor keeps its State; a ManyPoints is a handle over both.
class ManyPoints {
public:
    struct State {
        // A band in progress, its corners in window pixels.
        bool banding = false;
        ControlPoint bandFrom;
        ControlPoint bandTo;
        // The picks came from a band or Ctrl+A, and a press on one of them is moving them all.
        bool bandPicked = false;
        bool bandMoving = false;
        // Where the band-picked points were at the press, and the pressed point and pointer there.
        std::vector<ControlPoint> origins;
        ControlPoint pressPoint;
        ControlPoint pressPointer;
    };
    ManyPoints(ChainEdit edit, State& state) : edit(edit), state(state) {}

    // Sets the zoom (any value from 1/64 to 16) and the view offset so that
    // every control point shows within the map above the bottom band with a
    // margin of 20 pixels, centred. The markers do not count.
    void fitView();
    // Picks every start and end point and selects every segment, as a band
    // around the whole map does.
    void pickAllEndPoints();
    // A press in the map before the editor sees it. With Shift where no
    // control point or marker is hit it starts a band; with Ctrl on a drawn
    // curve away from control points it splits there (SplitJoin::splitAt);
    // without either on a point of a band selection it starts moving all of
    // them. True when the press was taken; otherwise the editor acts on it
    // as always, and a band selection ends.
    bool press(int x, int y, bool shift, bool ctrl);
    // The motion of a press that press() took: the band follows the
    // pointer, or the band selection moves by the pressed point's offset
    // (onto the grid in precision mode). False for any other press.
    bool motion(int x, int y);
    // At the release a band picks every control point inside it (a handle
    // whose point is picked moves along with it, so it is not picked
    // itself) and selects the segments holding them, all others deselected.
    bool release();
    // The band being drawn, from its press to the pointer in window pixels.
    bool band(ControlPoint& from, ControlPoint& to) const;

private:
    // Whether the press at (x, y) hits a control point or a marker.
    bool pointOrMarkerAt(int x, int y) const;
    // The index keeps the picked points' segments aside until the release.
    void holdMovingSegments();

    ChainEdit edit;
    State& state;
};
