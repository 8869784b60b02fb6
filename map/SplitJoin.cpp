#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>
#include <vector>

#include "SplitJoin.h"

#include "BezierMath.h"
#include "SampleBudget.h"

namespace {

// How near the drawn curve a Ctrl+click splits it, in pixels.
constexpr double splitReach = 6.0;
// The resolution slider's highest value.
constexpr long long highestResolution = 50;

Cubic cubicOf(const Segment& s) {
    return {s.getStartPoint(), s.getStartHandle(), s.getEndHandle(), s.getEndPoint()};
}

}  // namespace

bool SplitJoin::splitAt(int x, int y) {
    const std::vector<Segment>& segments = edit.chain();
    if (segments.empty()) return false;
    const ControlPoint pointer{static_cast<double>(x), static_cast<double>(y)};
    // The nearest drawn curve within reach, measured in window pixels.
    std::size_t nearest = segments.size();
    double nearestDistance = splitReach;
    std::vector<ControlPoint> drawn;
    for (std::size_t i : edit.segmentsNear(x - splitReach - 1.0, y - splitReach - 1.0, x + splitReach + 1.0,
                                           y + splitReach + 1.0)) {
        drawn.clear();
        for (const ControlPoint& p : segments[i].getSamples()) drawn.push_back(segments[i].toWindow(p));
        const double distance = distanceToPolyline(drawn, pointer);
        if (distance <= nearestDistance) {
            nearestDistance = distance;
            nearest = i;
        }
    }
    if (nearest == segments.size()) return false;
    const long long samples = static_cast<long long>(segments[nearest].getSamples().size());
    if (!edit.withinBudget(edit.sampleCount() + 2 * samplesAtResolution((samples - 2) / 2) - samples,
                           "Split"))
        return false;

    // A Ctrl+click is a press: it deselects what was selected before.
    edit.picked().clear();
    edit.selectOnly({});
    const double t = nearestParameter(cubicOf(segments[nearest]), edit.mapPointAt(x, y));
    std::pair<Segment, Segment> halves = segments[nearest].splitAt(t);
    halves.first.setSelected(true);
    halves.second.setSelected(true);
    edit.reshape([&](std::vector<Segment>& chain) {
        UndoStep step;
        std::vector<Segment> whole;
        whole.push_back(std::move(chain[nearest]));
        step.addRun(nearest, 2, std::move(whole));
        chain[nearest] = std::move(halves.first);
        chain.insert(chain.begin() + static_cast<std::ptrdiff_t>(nearest) + 1, std::move(halves.second));
        edit.picked() = {{nearest, PointRole::endPoint}, {nearest + 1, PointRole::startPoint}};
        edit.pickedNow();
        return step;
    });
    return true;
}

void SplitJoin::dissolvePicked() {
    edit.endGesture();
    const PickedPoints& picked = edit.picked();
    if (!edit.pickedInThisChain() || picked.empty()) return;
    const std::size_t length = edit.chain().size();
    // joins[i]: the junction after segment i is dissolved.
    std::vector<bool> joins(length, false);
    bool chainEnd = false;
    for (const auto& [i, role] : picked) {
        if (role == PointRole::endPoint) {
            if (i + 1 < length)
                joins[i] = true;
            else
                chainEnd = true;
        } else if (role == PointRole::startPoint) {
            if (i > 0)
                joins[i - 1] = true;
            else
                chainEnd = true;
        }
    }
    if (chainEnd) edit.refuse("An end of the ground cannot be dissolved: use Remove Point");
    if (std::find(joins.begin(), joins.end(), true) == joins.end()) return;

    // Each run of segments joined by dissolved junctions becomes one; the
    // step holds the run in place of it.
    edit.reshape([&](std::vector<Segment>& segments) {
        UndoStep step;
        std::vector<Segment> result;
        std::vector<Cubic> pieces;
        for (std::size_t i = 0; i < segments.size();) {
            std::size_t end = i;
            while (end + 1 < segments.size() && joins[end]) ++end;
            if (end == i) {
                result.push_back(std::move(segments[i]));
                ++i;
                continue;
            }
            pieces.clear();
            // The samples of the pieces and of the dissolved junctions, up to the
            // slider's highest resolution unless a piece had more: a split
            // and its dissolve give back the resolution.
            long long interior = 0;
            int largest = 0;
            for (std::size_t k = i; k <= end; ++k) {
                pieces.push_back(cubicOf(segments[k]));
                interior += static_cast<long long>(segments[k].getSamples().size()) - 2 + (k > i ? 1 : 0);
                largest = std::max(largest, segments[k].getResolution());
            }
            const Cubic joined = joinCubics(pieces);
            Segment one = segments[i];
            one.pick(ButtonAction::release, 0, 0);
            one.setResolution(std::max(largest, static_cast<int>(std::min(interior, highestResolution))));
            one.setPoints(joined[0].x, joined[0].y, joined[1].x, joined[1].y, joined[2].x, joined[2].y,
                          joined[3].x, joined[3].y);
            one.setSelected(true);
            step.addRun(
                result.size(), 1,
                std::vector<Segment>(
                    std::make_move_iterator(segments.begin() + static_cast<std::ptrdiff_t>(i)),
                    std::make_move_iterator(segments.begin() + static_cast<std::ptrdiff_t>(end) + 1)));
            result.push_back(std::move(one));
            i = end + 1;
        }
        segments = std::move(result);
        edit.picked().clear();
        return step;
    });
}
