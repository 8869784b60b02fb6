#pragma once

#include "ChainEdit.h"

// Splitting a segment where its curve is clicked and dissolving picked
// junctions, over the free functions of BezierMath. It keeps no state.
class SplitJoin {
public:
    explicit SplitJoin(ChainEdit edit) : edit(edit) {}

    // Splits the segment whose drawn curve passes within 6 pixels of window
    // pixel (x, y) at the curve's point nearest it, and picks the new
    // junction: one undo step. False when no curve is that near or the
    // point budget refuses it.
    bool splitAt(int x, int y);
    // Removes every picked junction, its two segments becoming one that
    // follows them most closely (joinCubics): one undo step. A picked end of
    // the chain stays, and the refusal sink hears why.
    void dissolvePicked();

private:
    ChainEdit edit;
};
