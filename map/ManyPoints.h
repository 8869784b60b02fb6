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
        // Ctrl was held at the press of that move: it keeps to an axis.
        bool onAxis = false;
        // Where the band-picked points were at the press, and the pressed point and pointer there.
        std::vector<ControlPoint> origins;
        ControlPoint pressPoint;
        ControlPoint pressPointer;
    };
    ManyPoints(ChainEdit edit, State& state) : edit(edit), state(state) {}

    // Sets the zoom (any value up to 16, below the wheel's 1/64 for a long
    // map) and the view offset so that every control point shows within the
    // map above the bottom band and below window row `top` (what open bars
    // cover) with a margin of 20 pixels, centred. The markers do not count.
    void fitView(double top = 0.0);
    // Picks every start and end point and selects every segment, as a band
    // around the whole map does.
    void pickAllEndPoints();
    // A press in the map before the editor sees it. With Shift on a start
    // or end point it adds that point to the picks or takes it out; with
    // Shift where no control point or marker is hit it starts a band; with
    // Ctrl on a drawn curve away from control points it splits there
    // (SplitJoin::splitAt); without Shift on a point of a band selection it
    // starts moving all of them, with Ctrl held on an axis. True when the press was taken; otherwise the
    // editor acts on it as always, and a band selection ends.
    bool press(int x, int y, bool shift, bool ctrl);
    // The motion of a press that press() took: the band follows the
    // pointer, or the band selection moves by the pressed point's offset
    // (onto the grid in precision mode). False for any other press.
    bool motion(int x, int y);
    // At the release a band adds every control point inside it to the picks
    // (a handle whose point is picked moves along with it, so it is not
    // picked itself) and selects the segments holding picks, all others deselected.
    bool release();
    // While a group is picked (by a band, Ctrl+A or Shift+click): how many
    // distinct points are picked and how many start and end points the map
    // has, both copies of a junction counting once; false otherwise.
    bool pickCount(std::size_t& pickedPoints, std::size_t& allPoints) const;
    // While a group is picked: the picked points in window pixels, else nothing.
    void pickedInWindow(std::vector<ControlPoint>& out) const;
    // The band being drawn, from its press to the pointer in window pixels.
    bool band(ControlPoint& from, ControlPoint& to) const;

private:
    // Shift+click: the start or end point under (x, y), with the junction's
    // other copy, joins the picks, or leaves them when it was picked. False
    // when no such point (or a marker) is there.
    bool shiftClick(int x, int y);
    // Selects exactly the segments that hold a picked point.
    void selectHoldersOfPicks();
    // Whether the press at (x, y) hits a control point or a marker.
    bool pointOrMarkerAt(int x, int y) const;
    // The index keeps the picked points' segments aside until the release.
    void holdMovingSegments();

    ChainEdit edit;
    State& state;
};
