// Precision mode: the grid step, nudging the picked points and placing one
// exactly, and what the readout tells of the point being moved.
#include <cmath>
#include <cstddef>
#include <cstdlib>

#include "MapEditor.h"
#include "Precision.h"

void MapEditor::setPrecision(bool on) {
    if (on == precise) return;
    precise = on;
    changed();
}

double MapEditor::currentGridStep() const { return gridStep(zoom); }

// The view's own conversion, so a snapped drag starts from the point a plain drag would reach.
ControlPoint MapEditor::mapPointAt(double x, double y) const { return View{viewOffset, zoom}.toMap({x, y}); }

bool MapEditor::nudge(int dx, int dy, bool large) {
    if (picked.empty() || (dx == 0 && dy == 0)) return false;
    // A run of nudges is one gesture, which the next press, command or undo ends.
    if (!nudging) {
        endGesture();
        nudging = true;
    }
    const double step = precise ? currentGridStep() : (large ? 10.0 : 1.0) / (pixelsPerMapUnit * zoom);
    const int nodes = large ? 10 : 1;
    const ControlPoint first = segments[picked.front().first].pointOf(picked.front().second);
    ControlPoint firstTo = first;
    for (int node = 0; node < nodes; ++node) {
        firstTo.x = nextGridNode(firstTo.x, dx, step);
        firstTo.y = nextGridNode(firstTo.y, dy, step);
    }
    const ControlPoint bandStep{firstTo.x - first.x, firstTo.y - first.y};
    for (const auto& [i, role] : picked) {
        keepBefore(i);
        Segment& s = segments[i];
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
        index.update(i, s);
    }
    nudged = true;
    currentContentId = ++lastContentId;
    changed();
    return true;
}

bool MapEditor::movePickedTo(const ControlPoint& target) {
    if (picked.empty()) return false;
    endGesture();
    const ControlPoint first = segments[picked.front().first].pointOf(picked.front().second);
    for (const auto& [i, role] : picked) {
        keepBefore(i);
        Segment& s = segments[i];
        const ControlPoint at = s.pointOf(role);
        // The copies of a junction land exactly on the typed numbers too.
        s.moveTo(role, at == first ? target : ControlPoint{at.x + target.x - first.x, at.y + target.y - first.y});
        index.update(i, s);
    }
    currentContentId = ++lastContentId;
    endGesture();
    changed();
    return true;
}

bool MapEditor::activePoint(PointReadout& out) const {
    if (picked.empty()) return false;
    const auto& [i, role] = picked.front();
    if (!nudged && segments[i].getDragPoint() == PointRole::none) return false;
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
