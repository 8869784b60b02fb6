#pragma once

#include <cstddef>
#include <vector>

#include "ChainEdit.h"
#include "Segment.h"

// Copy, cut, paste and duplicate of stretches of the chain. The stretch is
// the segments whose both ends are picked or, without picked points, the
// selected segments; runs of it that are not neighbours are taken in chain
// order, each later run moved to start where the one before it ends, so a
// stretch is always joined. Every change is one undo step and keeps the
// ground joined.
class Stretches {
public:
    // The copied stretch, joined, as its segments were (selection and drag state cleared).
    struct State {
        std::vector<Segment> copied;
    };

    Stretches(ChainEdit edit, State& state) : edit(edit), state(&state) {}

    // The chain positions of the stretch, ascending; empty when nothing is picked or selected.
    std::vector<std::size_t> positions() const;
    // The stretch as a joined run of segments, each keeping its shape.
    std::vector<Segment> stretch() const;

    // Each says the notice of what to pick and returns false when there is no stretch.
    bool copy();
    // Removes the stretch; the chain after each removed run moves back by
    // the run's displacement so the ground stays joined where it began.
    bool cut();
    // Inserts the copied stretch after the stretch's last segment (see paste(run)).
    bool duplicate();
    // Inserts the copied stretch (false, with a notice, when nothing was copied).
    bool paste();
    // Inserts `run` after the last selected segment, or at the chain's end
    // when nothing is selected, moved to start where that segment ends; the
    // rest of the chain moves by the run's displacement. The pasted segments
    // become the selection. False, with the budget's notice, past the point budget.
    bool paste(std::vector<Segment> run);

    const std::vector<Segment>& copied() const { return state->copied; }
    // What the desktop clipboard brought in becomes the copied stretch.
    void setCopied(std::vector<Segment> run);

private:
    // Pastes `run` after position `after` (chain length: at the start), moved to join it.
    bool insertAfter(std::size_t after, std::vector<Segment> run, const char* what);
    bool nothingPicked(const char* what) const;

    ChainEdit edit;
    State* state;
};
