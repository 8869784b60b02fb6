#include <cmath>
#include <cstddef>
#include <cstdlib>

#include "PrecisionMode.h"

#include "Precision.h"

void PrecisionMode::set(bool on) {
    if (on == state.on) return;
    state.on = on;
    edit.changed();
}

double PrecisionMode::gridStep() const { return ::gridStep(edit.view().zoom); }

bool PrecisionMode::nudge(int dx, int dy, bool large) {
    const PickedPoints& picked = edit.picked();
    if (picked.empty() || (dx == 0 && dy == 0)) return false;
    // A run of nudges is one gesture, which the next press, command or undo ends.
    if (!state.nudging) {
        edit.endGesture();
        state.nudging = true;
    }
    const bool precise = state.on;
    const bool bandPicked = edit.pickedByBand();
    const double step = precise ? gridStep() : (large ? 10.0 : 1.0) / (pixelsPerMapUnit * edit.view().zoom);
    const int nodes = large ? 10 : 1;
    const std::vector<Segment>& segments = edit.chain();
    const ControlPoint first = segments[picked.front().first].pointOf(picked.front().second);
    ControlPoint firstTo = first;
    for (int node = 0; node < nodes; ++node) {
        firstTo.x = nextGridNode(firstTo.x, dx, step);
        firstTo.y = nextGridNode(firstTo.y, dy, step);
    }
    const ControlPoint bandStep{firstTo.x - first.x, firstTo.y - first.y};
    for (const auto& [i, role] : picked) {
        Segment& s = edit.keep(i);
        ControlPoint to = s.pointOf(role);
        if (precise && bandPicked) {
            // A band selection keeps its shape: every point moves by the first one's step onto the grid.
            to.x += bandStep.x;
            to.y += bandStep.y;
        } else if (precise) {
            // Shift goes ten nodes, as it goes ten steps outside precision mode.
            for (int node = 0; node < nodes; ++node) {
                to.x = nextGridNode(to.x, dx, step);
                to.y = nextGridNode(to.y, dy, step);
            }
        } else {
            to.x += dx * step;
            to.y += dy * step;
        }
        s.moveTo(role, to);
    }
    reindexPicked();
    edit.setPickedMoved(true);
    edit.contentChanged();
    return true;
}

void PrecisionMode::reindexPicked() {
    std::vector<std::size_t> changed;
    changed.reserve(edit.picked().size());
    for (const auto& entry : edit.picked()) changed.push_back(entry.first);
    edit.reindex(changed);
}

bool PrecisionMode::movePickedTo(const ControlPoint& target) {
    const PickedPoints& picked = edit.picked();
    if (picked.empty()) return false;
    edit.endGesture();
    const ControlPoint first = edit.chain()[picked.front().first].pointOf(picked.front().second);
    for (const auto& [i, role] : picked) {
        Segment& s = edit.keep(i);
        const ControlPoint at = s.pointOf(role);
        // The copies of a junction land exactly on the typed numbers too.
        s.moveTo(role,
                 at == first ? target : ControlPoint{at.x + target.x - first.x, at.y + target.y - first.y});
    }
    reindexPicked();
    edit.contentChanged();
    edit.endGesture();
    return true;
}

bool PrecisionMode::activePoint(PointReadout& out) const {
    const PickedPoints& picked = edit.picked();
    if (picked.empty()) return false;
    const std::vector<Segment>& segments = edit.chain();
    const auto& [i, role] = picked.front();
    if (!state.nudged && segments[i].getDragPoint() == PointRole::none) return false;
    out = PointReadout{};
    out.point = segments[i].pointOf(role);
    // The tangent on each side of a start or end point; a handle on its point gives none.
    const auto slope = [](const ControlPoint& from, const ControlPoint& to, bool& has, double& value) {
        const ControlPoint d{to.x - from.x, to.y - from.y};
        has = d.x != 0.0 || d.y != 0.0;
        if (has) value = slopeDegrees(d);
    };
    for (const auto& [j, r] : picked) {
        const Segment& s = segments[j];
        if (r == PointRole::endPoint && s.getEndPoint() == out.point)
            slope(s.getEndHandle(), s.getEndPoint(), out.hasSlopeBefore, out.slopeBefore);
        if (r == PointRole::startPoint && s.getStartPoint() == out.point)
            slope(s.getStartPoint(), s.getStartHandle(), out.hasSlopeAfter, out.slopeAfter);
    }
    readJunction(out);
    return true;
}

void PrecisionMode::readJunction(PointReadout& out) const {
    const std::vector<Segment>& segments = edit.chain();
    const auto& [i, role] = edit.picked().front();
    const bool fromEnd = role == PointRole::endPoint || role == PointRole::endHandle;
    if (!fromEnd && i == 0) return;
    // The segment that ends at the junction; the next one starts there.
    const std::size_t before = fromEnd ? i : i - 1;
    if (before + 1 >= segments.size()) return;
    const Segment& a = segments[before];
    const Segment& b = segments[before + 1];
    if (a.getEndPoint() != b.getStartPoint()) return;
    out.atJunction = true;
    out.junction = a.getEndPoint();
    out.handleBefore = a.getEndHandle();
    out.handleAfter = b.getStartHandle();
}
