#include <cmath>
#include <cstddef>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "MapEditor.h"
#include "SampleBudget.h"

namespace {

// target + (handle - end): where a handle lands when its point moves from `end`
// to `target`. Near the largest double the direct sum overflows; the sum of
// quarters cannot, and a result beyond the range saturates at the largest
// finite value, so a rejoin never makes a map that its file cannot hold.
double movedHandle(double target, double end, double handle) {
    const double direct = target - (end - handle);
    if (std::isfinite(direct)) return direct;
    constexpr double largest = std::numeric_limits<double>::max();
    const double quarter = target / 4 - end / 4 + handle / 4;
    return std::fabs(quarter) >= largest / 4 ? std::copysign(largest, quarter) : quarter * 4;
}

// Closes the gap left by removed segments: `before` ends where `after` starts
// and keeps the handle vector it had at its end, so its tangent there stays.
void rejoin(Segment& before, const Segment& after) {
    const ControlPoint& end = before.getEndPoint();
    const ControlPoint& endHandle = before.getEndHandle();
    const ControlPoint& target = after.getStartPoint();
    const ControlPoint& start = before.getStartPoint();
    const ControlPoint& startHandle = before.getStartHandle();
    before.setPoints(start.x, start.y, startHandle.x, startHandle.y,
                     movedHandle(target.x, end.x, endHandle.x), movedHandle(target.y, end.y, endHandle.y),
                     target.x, target.y);
}

}  // namespace

void MapEditor::appendSegment() {
    ChainEdit edit(*this);
    edit.endGesture();
    if (!edit.withinBudget(edit.sampleCount() + samplesAtResolution(Segment().getResolution()), "Append Point"))
        return;
    // An empty chain starts again at the level of the initial map.
    ControlPoint start{0.0, 10.0};
    if (!segments.empty()) start = segments.back().getEndPoint();
    const double x = start.x;
    const double y = start.y;
    Segment added;
    added.setPoints(x, y, x + 1.0, y + 1.0, x + 2.0, y + 1.0, x + 3.0, y);
    segments.push_back(added);
    segments.show(segments.size() - 1);
    index.append(segments.back());
    points += static_cast<int>(added.getSamples().size()) - 1;
    UndoStep step;
    step.addRun(segments.size() - 1, 1, {});
    edit.commitStep(std::move(step));
    edit.changed();
}

// Removing the selected segments one by one from the last to the first would
// rejoin, for every run of selected segments with survivors on both sides, the
// survivor before the run to the survivor after it; every other rejoin lands on
// a segment that is removed later. This single forward pass does exactly those
// rejoins while compacting the list in place.
void MapEditor::removeSelected() {
    ChainEdit edit(*this);
    edit.endGesture();
    // The step holds each run of removed segments, after the survivor before
    // it as that was when it is rejoined.
    UndoStep step;
    std::vector<Segment> removed;
    std::size_t kept = 0;
    for (std::size_t i = 0; i < segments.size(); ++i) {
        if (segments[i].isSelected()) {
            removed.push_back(std::move(segments[i]));
            continue;
        }
        if (!removed.empty()) {
            if (kept > 0) {
                removed.insert(removed.begin(), segments[kept - 1]);
                rejoin(segments[kept - 1], segments[i]);
                step.addRun(kept - 1, 1, std::move(removed));
            } else {
                step.addRun(kept, 0, std::move(removed));
            }
            removed.clear();
        }
        if (kept != i) segments[kept] = std::move(segments[i]);
        ++kept;
    }
    if (!removed.empty()) step.addRun(kept, 0, std::move(removed));
    segments.erase(segments.begin() + static_cast<std::ptrdiff_t>(kept), segments.end());
    edit.chainChanged();
    if (!step.getRuns().empty()) edit.commitStep(std::move(step));
}

// The slider runs this before every drag step: only the marked segments can
// be selected, and the point count changes by what they gain or lose.
void MapEditor::setResolutionOfSelected(int n) {
    // A slider gesture is a step of its own, apart from the nudges before it.
    ChainEdit edit(*this);
    if (precisionState.nudging) edit.endGesture();
    long long after = edit.sampleCount();
    for (std::size_t i : marked)
        if (segments[i].isSelected())
            after += samplesAtResolution(n) - static_cast<long long>(segments[i].getSamples().size());
    if (after > sampleBudget) {
        if (after != refusedSamples) edit.withinBudget(after, ("Resolution " + std::to_string(n)).c_str());
        refusedSamples = after;
        return;
    }
    refusedSamples = -1;
    bool resampled = false;
    for (std::size_t i : marked) {
        Segment& s = segments[i];
        if (!s.isSelected() || s.getResolution() == n) continue;
        edit.keep(i);
        const int before = static_cast<int>(s.getSamples().size());
        s.setResolution(n);
        points += static_cast<int>(s.getSamples().size()) - before;
        resampled = true;
    }
    if (resampled) edit.contentChanged();
}

void MapEditor::splitSelected() {
    ChainEdit edit(*this);
    edit.endGesture();
    std::size_t selectedCount = 0;
    long long after = edit.sampleCount();
    for (const Segment& s : segments) {
        if (!s.isSelected()) continue;
        ++selectedCount;
        // Each half gets half the interior samples, rounded down, and two ends.
        const long long samples = static_cast<long long>(s.getSamples().size());
        after += 2 * samplesAtResolution((samples - 2) / 2) - samples;
    }
    if (selectedCount == 0 || !edit.withinBudget(after, "Insert Point")) return;

    // The step holds each split segment whole, in place of its two halves.
    UndoStep step;
    std::vector<Segment> result;
    result.reserve(segments.size() + selectedCount);
    for (Segment& s : segments) {
        if (s.isSelected()) {
            std::pair<Segment, Segment> halves = s.split();
            std::vector<Segment> whole;
            whole.push_back(std::move(s));
            step.addRun(result.size(), 2, std::move(whole));
            result.push_back(std::move(halves.first));
            result.push_back(std::move(halves.second));
        } else {
            result.push_back(std::move(s));
        }
    }
    segments.swap(result);
    edit.chainChanged();
    edit.commitStep(std::move(step));
}
