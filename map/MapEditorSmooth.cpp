// The drags under modifiers, smoothing and straightening: the editing that
// shapes how the chain runs through its points.
#include <cmath>
#include <cstddef>
#include <utility>
#include <vector>

#include "DragConstraint.h"
#include "MapEditor.h"
#include "Precision.h"

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

void MapEditor::startModifiedDrag(DragModifiers modifiers) {
    dragModifiers = modifiers;
    heldPoints.clear();
    if (!modifiers.keepSmooth && !modifiers.snap) return;
    for (const auto& [i, role] : picked) {
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
        heldPoints.push_back(held);
    }
}

bool MapEditor::dragWithModifiers(int x, int y) {
    // The grid first, then the modifiers' constraints.
    ControlPoint pointer = mapPointAt(x, y);
    if (precise) pointer = snapToGrid(pointer, currentGridStep());
    bool moved = false;
    for (const HeldPoint& held : heldPoints) {
        if (held.segment >= segments.size()) continue;
        Segment& s = segments[held.segment];
        const PointRole role = s.getDragPoint();
        if (role == PointRole::none) continue;
        ControlPoint target = pointer;
        if (dragModifiers.snap)
            target = isHandle(role) ? snapHandleDirection(s.pointOf(pointOfHandle(role)), pointer)
                                    : holdOnAxis(held.origin, pointer);
        const bool partnered = held.hasPartner && held.partner < segments.size();
        keepBefore(held.segment);
        s.dragTo(target);
        index.update(held.segment, s);
        moved = true;
        if (!partnered) continue;
        const PointRole partnerRole =
            role == PointRole::endHandle ? PointRole::startHandle : PointRole::endHandle;
        keepBefore(held.partner);
        Segment& other = segments[held.partner];
        // Opposite the handle at its own distance; turned past the largest
        // double, it stays where it was.
        ControlPoint partner = oppositeHandle(s.pointOf(pointOfHandle(role)), target, held.partnerOrigin);
        if (!finite(partner)) partner = held.partnerOrigin;
        other.moveTo(partnerRole, partner);
        index.update(held.partner, other);
    }
    return moved;
}

void MapEditor::readJunction(PointReadout& out) const {
    const auto& [i, role] = picked.front();
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

void MapEditor::commitInPlace(std::vector<std::pair<std::size_t, Segment>> before) {
    UndoStep step;
    for (std::size_t k = 0; k < before.size();) {
        const std::size_t at = before[k].first;
        std::vector<Segment> run;
        while (k < before.size() && before[k].first == at + run.size())
            run.push_back(std::move(before[k++].second));
        const std::size_t length = run.size();
        step.addRun(at, length, std::move(run));
    }
    commitStep(std::move(step));
    changed();
}

bool MapEditor::smoothSelected() {
    endGesture();
    bool found = false;
    std::vector<std::pair<std::size_t, Segment>> before;
    for (std::size_t i = 0; i + 1 < segments.size(); ++i) {
        Segment& a = segments[i];
        Segment& b = segments[i + 1];
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
        a.moveTo(PointRole::endHandle, in);
        b.moveTo(PointRole::startHandle, out);
        index.update(i, a);
        index.update(i + 1, b);
    }
    if (!before.empty()) commitInPlace(std::move(before));
    return found;
}

bool MapEditor::straightenSelected() {
    endGesture();
    bool found = false;
    std::vector<std::pair<std::size_t, Segment>> before;
    for (std::size_t i = 0; i < segments.size(); ++i) {
        Segment& s = segments[i];
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
        s.setPoints(start.x, start.y, first.x, first.y, second.x, second.y, end.x, end.y);
        index.update(i, s);
    }
    if (!before.empty()) commitInPlace(std::move(before));
    return found;
}
