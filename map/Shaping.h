#pragma once

#include <cstddef>
#include <vector>

#include "ChainEdit.h"
#include "ControlPoint.h"
#include "DragConstraint.h"

// The editing that shapes how the chain runs through its points: the drags
// under Shift and Ctrl (DragConstraint.h), smoothing and straightening. The
// editor keeps its State; a Shaping is a handle over both.
class Shaping {
public:
    // The modifiers of the drag under way, and for each segment it moves
    // where its picked point was at the press and, for a handle whose
    // junction keeps smooth, the partner handle's segment and place then.
    struct HeldPoint {
        std::size_t segment = 0;
        ControlPoint origin;
        bool hasPartner = false;
        std::size_t partner = 0;
        ControlPoint partnerOrigin;
    };
    struct State {
        DragModifiers modifiers;
        std::vector<HeldPoint> held;
    };
    Shaping(ChainEdit edit, State& state) : edit(edit), state(state) {}

    // At a press: what the drag with `modifiers` holds on to.
    void startDrag(DragModifiers modifiers);
    // Whether the drag under way is shaped by modifiers.
    bool dragIsModified() const { return state.modifiers.keepSmooth || state.modifiers.snap; }
    // A drag step under modifiers; true when a point moved.
    bool drag(int x, int y);
    // Gives every junction between two selected segments the handles of a
    // Catmull-Rom curve through the end points: P -/+ (B - A) / 6, with A and
    // B the end points before and after junction P. One undo step; false
    // (nothing changes) when no two neighbouring segments are selected.
    bool smoothSelected();
    // Makes every selected segment straight: its handles at one and two
    // thirds of the way from its start to its end. One undo step; false
    // (nothing changes) when nothing is selected.
    bool straightenSelected();

private:
    // The index follows the segments a command changed, kept in `before`.
    void reindexKept(const std::vector<std::pair<std::size_t, Segment>>& before);

    ChainEdit edit;
    State& state;
};
