#include "UndoHistory.h"

#include <utility>

void UndoHistory::setLimits(std::size_t steps, std::size_t bytes) {
    maxSteps = steps;
    maxBytes = bytes;
    if (maxSteps == 0)
        clear();
    else
        trim();
}

void UndoHistory::push(UndoStep step) {
    while (steps.size() > done) {
        totalBytes -= steps.back().bytes;
        steps.pop_back();
    }
    const std::size_t size = step.bytes();
    steps.push_back({std::move(step), size});
    totalBytes += size;
    ++done;
    trim();
}

void UndoHistory::trim() {
    while (steps.size() > 1 && (steps.size() > maxSteps || totalBytes > maxBytes)) dropOldest();
}

void UndoHistory::dropOldest() {
    totalBytes -= steps.front().bytes;
    steps.pop_front();
    if (done > 0) --done;
}

// An exchange may leave a step holding more or less than before (a load's
// step holds whichever chain is not shown).
void UndoHistory::recount(Entry& entry) {
    totalBytes -= entry.bytes;
    entry.bytes = entry.step.bytes();
    totalBytes += entry.bytes;
}

void UndoHistory::amendLastDone(std::size_t i, const Segment& other) {
    if (done == 0) return;
    steps[done - 1].step.amend(i, other);
    recount(steps[done - 1]);
}

void UndoHistory::undone() { recount(steps[--done]); }

void UndoHistory::redone() { recount(steps[done++]); }

void UndoHistory::clear() {
    steps.clear();
    done = 0;
    totalBytes = 0;
}
