#pragma once

#include <cstddef>
#include <deque>

#include "UndoStep.h"

// The steps that can be undone, oldest first, followed by those that can be
// redone. Bounded in steps and in bytes: adding a step drops the oldest ones
// until both bounds hold again, or until only the newest step is left: that
// one stays whatever its size, so the last change (a load of a huge map
// included) can always be undone.
class UndoHistory {
public:
    static constexpr std::size_t defaultMaxSteps = 1000;
    static constexpr std::size_t defaultMaxBytes = std::size_t{256} << 20;

    // No bound of zero steps keeps anything: the history is off.
    void setLimits(std::size_t steps, std::size_t bytes);
    bool isOn() const { return maxSteps > 0; }

    // Adds a step after the last one done, dropping every step that could be
    // redone, then the oldest ones beyond the bounds. A step larger than the
    // byte bound on its own is kept, alone.
    void push(UndoStep step);
    // Adds segment i, whose version before the last step done is `other`, to
    // that step (UndoStep::amend); nothing when no step is done.
    void amendLastDone(std::size_t i, const Segment& other);
    // The step the next undo or redo exchanges, or null when there is none.
    UndoStep* nextUndo() { return done > 0 ? &steps[done - 1].step : nullptr; }
    UndoStep* nextRedo() { return done < steps.size() ? &steps[done].step : nullptr; }
    // After the step of nextUndo or nextRedo was exchanged.
    void undone();
    void redone();
    void clear();

    std::size_t undoCount() const { return done; }
    std::size_t redoCount() const { return steps.size() - done; }
    std::size_t bytes() const { return totalBytes; }

private:
    struct Entry {
        UndoStep step;
        std::size_t bytes;
    };
    void recount(Entry& entry);
    void dropOldest();
    // Drops the oldest steps while a bound is passed, keeping the newest.
    void trim();

    std::deque<Entry> steps;
    // Steps [0, done) can be undone, [done, size) redone.
    std::size_t done = 0;
    std::size_t totalBytes = 0;
    std::size_t maxSteps = defaultMaxSteps;
    std::size_t maxBytes = defaultMaxBytes;
};
