#include <cmath>
#include <cstddef>
#include <limits>
#include <utility>
#include <vector>

#include "MapEditor.h"

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
    // An empty chain starts again at the level of the initial map.
    ControlPoint start{0.0, 10.0};
    if (!segments.empty()) start = segments.back().getEndPoint();
    const double x = start.x;
    const double y = start.y;
    Segment added;
    added.setPoints(x, y, x + 1.0, y + 1.0, x + 2.0, y + 1.0, x + 3.0, y);
    added.setViewOffset(viewOffset.x, viewOffset.y);
    added.setZoom(zoom);
    segments.push_back(added);
    index.append(segments.back());
    points += static_cast<int>(added.getSamples().size()) - 1;
    ++contentCounter;
}

// Removing the selected segments one by one from the last to the first would
// rejoin, for every run of selected segments with survivors on both sides, the
// survivor before the run to the survivor after it; every other rejoin lands on
// a segment that is removed later. This single forward pass does exactly those
// rejoins while compacting the list in place.
void MapEditor::removeSelected() {
    std::size_t kept = 0;
    bool gapBefore = false;
    for (std::size_t i = 0; i < segments.size(); ++i) {
        if (segments[i].isSelected()) {
            gapBefore = true;
            continue;
        }
        if (gapBefore && kept > 0) rejoin(segments[kept - 1], segments[i]);
        gapBefore = false;
        if (kept != i) segments[kept] = std::move(segments[i]);
        ++kept;
    }
    if (kept != segments.size()) ++contentCounter;
    segments.erase(segments.begin() + static_cast<std::ptrdiff_t>(kept), segments.end());
    chainChanged();
}

// The slider runs this before every drag step: only the marked segments can
// be selected, and the point count changes by what they gain or lose.
void MapEditor::setResolutionOfSelected(int n) {
    for (std::size_t i : marked) {
        Segment& s = segments[i];
        if (!s.isSelected()) continue;
        const int before = static_cast<int>(s.getSamples().size());
        if (s.getResolution() != n) ++contentCounter;
        s.setResolution(n);
        points += static_cast<int>(s.getSamples().size()) - before;
    }
}

void MapEditor::splitSelected() {
    std::size_t selectedCount = 0;
    for (const Segment& s : segments) selectedCount += s.isSelected() ? 1 : 0;
    if (selectedCount == 0) return;

    std::vector<Segment> result;
    result.reserve(segments.size() + selectedCount);
    for (Segment& s : segments) {
        if (s.isSelected()) {
            std::pair<Segment, Segment> halves = s.split();
            result.push_back(std::move(halves.first));
            result.push_back(std::move(halves.second));
        } else {
            result.push_back(std::move(s));
        }
    }
    segments.swap(result);
    chainChanged();
    ++contentCounter;
}
