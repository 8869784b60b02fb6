#pragma once

#include "ChainEdit.h"
#include "ControlPoint.h"

// Precision mode: a drag puts the picked point on the nearest node of the
// grid, whose step is gridStep(zoom), and the map draws the grid under it;
// the nudges and typed positions of the picked points, and what the readout
// shows of the point being moved. The editor keeps its State; a
// PrecisionMode is a handle over both.
class PrecisionMode {
public:
    struct State {
        bool on = false;
        // The open gesture is a run of nudges.
        bool nudging = false;
        // A nudge moved the picked points since the last press.
        bool nudged = false;
    };
    PrecisionMode(ChainEdit edit, State& state) : edit(edit), state(state) {}

    void set(bool on);
    bool isOn() const { return state.on; }
    double gridStep() const;
    // The map point under window pixel (x, y).
    ControlPoint mapPointAt(double x, double y) const { return edit.mapPointAt(x, y); }
    // The control points the last press picked, remembered from the release
    // until the next press (empty when it picked none).
    const PickedPoints& picked() const { return edit.picked(); }

    // Moves the last picked points `dx`, `dy` steps (-1, 0 or 1 each): one
    // pixel's worth of map units, ten with `large`, one grid step (onto the
    // grid) in precision mode, ten grid steps with `large`. Consecutive
    // nudges are one undo step. False when no point was picked.
    bool nudge(int dx, int dy, bool large);
    // Moves the first of the last picked points exactly to `target`, the
    // others by the same offset (their handles along): one undo step.
    bool movePickedTo(const ControlPoint& target);

    // What the readout shows of the point being dragged or nudged.
    struct PointReadout {
        ControlPoint point;
        // At a start or end point: the ground's slope in degrees on each side
        // (before and after it along the chain) where there is one.
        bool hasSlopeBefore = false;
        bool hasSlopeAfter = false;
        double slopeBefore = 0.0;
        double slopeAfter = 0.0;
        // At a junction or one of its handles: the junction and its two
        // handles, the one before it and the one after it along the chain.
        bool atJunction = false;
        ControlPoint junction;
        ControlPoint handleBefore;
        ControlPoint handleAfter;
    };
    // False unless a picked point is being dragged or was nudged since the last press.
    bool activePoint(PointReadout& out) const;

private:
    // The junction of the first picked point and its handles, when it is one.
    void readJunction(PointReadout& out) const;
    // The index follows the picked points' segments after they moved.
    void reindexPicked();

    ChainEdit edit;
    State& state;
};
