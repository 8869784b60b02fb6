#include "GestureRecord.h"

#include <algorithm>
#include <cstring>

namespace {

// Bit for bit, so that -0 and 0, which a map file writes differently, differ.
bool sameBits(const ControlPoint& a, const ControlPoint& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

bool sameContent(const Segment& a, const Segment& b) {
    return a.getResolution() == b.getResolution() && sameBits(a.getStartPoint(), b.getStartPoint()) &&
           sameBits(a.getStartHandle(), b.getStartHandle()) && sameBits(a.getEndHandle(), b.getEndHandle()) &&
           sameBits(a.getEndPoint(), b.getEndPoint());
}

bool markersMoved(const std::vector<Marker>& a, const std::vector<Marker>& b) {
    if (a.size() != b.size()) return true;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].getX() != b[i].getX() || a[i].getY() != b[i].getY()) return true;
    return false;
}

}  // namespace

void GestureRecord::start(const std::vector<Marker>& markers, std::uint64_t contentId) {
    discard();
    open = true;
    contentIdBefore = contentId;
    markersBefore = markers;
}

void GestureRecord::keep(std::size_t i, const Segment& segment) {
    const auto at =
        std::lower_bound(kept.begin(), kept.end(), i,
                         [](const auto& entry, std::size_t position) { return entry.first < position; });
    if (at != kept.end() && at->first == i) return;
    kept.insert(at, {i, segment});
}

UndoStep GestureRecord::finish(const std::vector<Segment>& chain, const std::vector<Marker>& markers,
                               bool& contentChanged) {
    UndoStep step;
    contentChanged = false;
    // Neighbouring changed segments (both sides of a junction) share one run.
    std::vector<Segment> run;
    std::size_t runStart = 0;
    for (auto& [i, before] : kept) {
        const Segment& now = chain[i];
        const bool sameSegment = sameContent(before, now);
        if (sameSegment && before.isSelected() == now.isSelected()) continue;
        contentChanged = contentChanged || !sameSegment;
        if (!run.empty() && runStart + run.size() != i) {
            const std::size_t length = run.size();
            step.addRun(runStart, length, std::move(run));
            run.clear();
        }
        if (run.empty()) runStart = i;
        run.push_back(std::move(before));
    }
    if (!run.empty()) {
        const std::size_t length = run.size();
        step.addRun(runStart, length, std::move(run));
    }
    if (markersMoved(markersBefore, markers)) step.holdMarkers(std::move(markersBefore));
    step.holdContentId(contentIdBefore);
    discard();
    return step;
}

void GestureRecord::discard() {
    open = false;
    kept.clear();
    markersBefore.clear();
}
