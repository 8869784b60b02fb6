#include <cmath>
#include <cstddef>
#include <utility>
#include <vector>

#include "Shaping.h"

#include "DragConstraint.h"

namespace {

bool isHandle(PointRole role) { return role == PointRole::startHandle || role == PointRole::endHandle; }

// The start or end point a handle belongs to.
PointRole pointOfHandle(PointRole handle) {
    return handle == PointRole::startHandle ? PointRole::startPoint : PointRole::endPoint;
}

// (to - from) / divisor, each coordinate; by parts where the difference
// itself would overflow. False when the result is not finite either.
bool fraction(const ControlPoint& from, const ControlPoint& to, double divisor, ControlPoint& out) {
    out = {(to.x - from.x) / divisor, (to.y - from.y) / divisor};
    if (!std::isfinite(out.x)) out.x = to.x / divisor - from.x / divisor;
    if (!std::isfinite(out.y)) out.y = to.y / divisor - from.y / divisor;
    return std::isfinite(out.x) && std::isfinite(out.y);
}

bool finite(const ControlPoint& p) { return std::isfinite(p.x) && std::isfinite(p.y); }

// Keeps segment i as it was before its first change of a command.
void keepOnce(std::vector<std::pair<std::size_t, Segment>>& before, std::size_t i, const Segment& s) {
    if (before.empty() || before.back().first != i) before.emplace_back(i, s);
}

}  // namespace

void Shaping::startDrag(DragModifiers modifiers) {
    state.modifiers = modifiers;
    state.held.clear();
    if (!dragIsModified()) return;
    const std::vector<Segment>& segments = edit.chain();
    for (const auto& [i, role] : edit.picked()) {
        HeldPoint held;
        held.segment = i;
        held.origin = segments[i].pointOf(role);
        // A handle's partner lies across its point, in the neighbouring
        // segment that meets it there; one that is dragged itself stays free.
        const bool atEnd = role == PointRole::endHandle;
        if (modifiers.keepSmooth && isHandle(role) && (atEnd ? i + 1 < segments.size() : i > 0)) {
            const std::size_t j = atEnd ? i + 1 : i - 1;
            const Segment& other = segments[j];
            const ControlPoint& junction = segments[i].pointOf(pointOfHandle(role));
            const bool meets = (atEnd ? other.getStartPoint() : other.getEndPoint()) == junction;
            if (meets && other.getDragPoint() == PointRole::none) {
                held.hasPartner = true;
                held.partner = j;
                held.partnerOrigin = atEnd ? other.getStartHandle() : other.getEndHandle();
            }
        }
        state.held.push_back(held);
    }
}

bool Shaping::drag(int x, int y) {
    // The grid first, then the modifiers' constraints.
    const ControlPoint pointer = edit.snap(edit.mapPointAt(x, y));
    const std::vector<Segment>& segments = edit.chain();
    bool moved = false;
    for (const HeldPoint& held : state.held) {
        if (held.segment >= segments.size()) continue;
        const PointRole role = segments[held.segment].getDragPoint();
        if (role == PointRole::none) continue;
        const ControlPoint& junction = segments[held.segment].pointOf(pointOfHandle(role));
        ControlPoint target = pointer;
        if (state.modifiers.snap)
            target =
                isHandle(role) ? snapHandleDirection(junction, pointer) : holdOnAxis(held.origin, pointer);
        const bool partnered = held.hasPartner && held.partner < segments.size();
        edit.keep(held.segment).dragTo(target);
        edit.reindex(held.segment);
        moved = true;
        if (!partnered) continue;
        const PointRole partnerRole =
            role == PointRole::endHandle ? PointRole::startHandle : PointRole::endHandle;
        // Opposite the handle at its own distance; turned past the largest
        // double, it stays where it was.
        ControlPoint partner =
            oppositeHandle(segments[held.segment].pointOf(pointOfHandle(role)), target, held.partnerOrigin);
        if (!finite(partner)) partner = held.partnerOrigin;
        edit.keep(held.partner).moveTo(partnerRole, partner);
        edit.reindex(held.partner);
    }
    return moved;
}

void Shaping::reindexKept(const std::vector<std::pair<std::size_t, Segment>>& before) {
    std::vector<std::size_t> changed;
    changed.reserve(before.size());
    for (const auto& entry : before) changed.push_back(entry.first);
    edit.reindex(changed);
}

bool Shaping::smoothSelected() {
    edit.endGesture();
    bool found = false;
    std::vector<std::pair<std::size_t, Segment>> before;
    const std::vector<Segment>& segments = edit.chain();
    for (std::size_t i = 0; i + 1 < segments.size(); ++i) {
        const Segment& a = segments[i];
        const Segment& b = segments[i + 1];
        if (!a.isSelected() || !b.isSelected()) continue;
        found = true;
        const ControlPoint& p = a.getEndPoint();
        ControlPoint tangent;
        if (p != b.getStartPoint() || !fraction(a.getStartPoint(), b.getEndPoint(), 6.0, tangent)) continue;
        const ControlPoint in{p.x - tangent.x, p.y - tangent.y};
        const ControlPoint out{p.x + tangent.x, p.y + tangent.y};
        if (!finite(in) || !finite(out) || (a.getEndHandle() == in && b.getStartHandle() == out)) continue;
        keepOnce(before, i, a);
        keepOnce(before, i + 1, b);
        edit.change(i).moveTo(PointRole::endHandle, in);
        edit.change(i + 1).moveTo(PointRole::startHandle, out);
    }
    reindexKept(before);
    if (!before.empty()) edit.commitInPlace(std::move(before));
    return found;
}

bool Shaping::straightenSelected() {
    edit.endGesture();
    bool found = false;
    std::vector<std::pair<std::size_t, Segment>> before;
    const std::vector<Segment>& segments = edit.chain();
    for (std::size_t i = 0; i < segments.size(); ++i) {
        const Segment& s = segments[i];
        if (!s.isSelected()) continue;
        found = true;
        const ControlPoint& start = s.getStartPoint();
        const ControlPoint& end = s.getEndPoint();
        ControlPoint third;
        if (!fraction(start, end, 3.0, third)) continue;
        const ControlPoint first{start.x + third.x, start.y + third.y};
        const ControlPoint second{end.x - third.x, end.y - third.y};
        if (s.getStartHandle() == first && s.getEndHandle() == second) continue;
        keepOnce(before, i, s);
        edit.change(i).setPoints(start.x, start.y, first.x, first.y, second.x, second.y, end.x, end.y);
    }
    reindexKept(before);
    if (!before.empty()) edit.commitInPlace(std::move(before));
    return found;
}
