#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>
#include <vector>

#include "SelectionTransform.h"

namespace {

constexpr double pi = 3.14159265358979323846;

bool isEndPoint(PointRole role) { return role == PointRole::startPoint || role == PointRole::endPoint; }

PointRole handleOf(PointRole point) {
    return point == PointRole::startPoint ? PointRole::startHandle : PointRole::endHandle;
}

PointRole pointOfHandle(PointRole handle) {
    return handle == PointRole::startHandle ? PointRole::startPoint : PointRole::endPoint;
}

// The place of `role` in Segment::controlPoints.
std::size_t indexOf(PointRole role) {
    switch (role) {
        case PointRole::startPoint:
            return 0;
        case PointRole::startHandle:
            return 1;
        case PointRole::endHandle:
            return 2;
        default:
            return 3;
    }
}

bool finite(const ControlPoint& p) { return std::isfinite(p.x) && std::isfinite(p.y); }

// The map's y grows downward, so a positive angle here turns clockwise on the screen.
struct Affine {
    PickTransform kind;
    ControlPoint centre;
    double cosine = 1.0, sine = 0.0, scale = 1.0;

    ControlPoint operator()(const ControlPoint& p) const {
        const double dx = p.x - centre.x, dy = p.y - centre.y;
        switch (kind) {
            case PickTransform::flipLeftRight:
                return {centre.x - dx, p.y};
            case PickTransform::flipTopBottom:
                return {p.x, centre.y - dy};
            case PickTransform::turnLeft:
            case PickTransform::turnRight:
                return {centre.x + dx * cosine - dy * sine, centre.y + dx * sine + dy * cosine};
            case PickTransform::shrink:
            case PickTransform::grow:
                return {centre.x + dx * scale, centre.y + dy * scale};
        }
        return p;
    }
};

}  // namespace

bool SelectionTransform::ofKey(unsigned char key, PickTransform& out) {
    switch (key) {
        case 'h':
            out = PickTransform::flipLeftRight;
            return true;
        case 'v':
            out = PickTransform::flipTopBottom;
            return true;
        case '[':
            out = PickTransform::turnLeft;
            return true;
        case ']':
            out = PickTransform::turnRight;
            return true;
        case '<':
        case ',':
            out = PickTransform::shrink;
            return true;
        case '>':
        case '.':
            out = PickTransform::grow;
            return true;
        default:
            return false;
    }
}

bool SelectionTransform::apply(PickTransform kind) {
    edit.endGesture();
    const std::vector<Segment>& segments = edit.chain();
    const PickedPoints& picked = edit.picked();
    // The box of the picked points (a handle picked alone counts as a point).
    ControlPoint low{0, 0}, high{0, 0};
    std::size_t distinct = 0;
    if (edit.pickedInThisChain()) {
        for (const auto& [i, role] : picked) {
            if (i >= segments.size()) continue;
            const ControlPoint& p = segments[i].pointOf(role);
            if (distinct == 0) {
                low = high = p;
                distinct = 1;
            } else if (p != low || p != high) {
                distinct = 2;
            }
            low = {std::min(low.x, p.x), std::min(low.y, p.y)};
            high = {std::max(high.x, p.x), std::max(high.y, p.y)};
        }
    }
    if (distinct < 2 || low == high) {
        edit.refuse("Pick two or more points first: Shift+click them or draw a band");
        return false;
    }
    Affine move{kind, {low.x / 2 + high.x / 2, low.y / 2 + high.y / 2}};
    if (kind == PickTransform::turnLeft || kind == PickTransform::turnRight) {
        const double angle = (kind == PickTransform::turnLeft ? -turnDegrees : turnDegrees) * pi / 180.0;
        move.cosine = std::cos(angle);
        move.sine = std::sin(angle);
    }
    move.scale = kind == PickTransform::shrink ? 1.0 / scaleStep : scaleStep;

    // Each picked point once, with its handle when it is an end point; a
    // handle whose point is picked too goes with the point.
    std::vector<std::pair<std::size_t, PointRole>> moving;
    for (const auto& [i, role] : picked) {
        if (i >= segments.size()) continue;
        if (isEndPoint(role)) {
            moving.emplace_back(i, role);
            moving.emplace_back(i, handleOf(role));
        } else if (std::find(picked.begin(), picked.end(), std::make_pair(i, pointOfHandle(role))) ==
                   picked.end()) {
            moving.emplace_back(i, role);
        }
    }
    std::sort(moving.begin(), moving.end(), [](const auto& a, const auto& b) {
        return a.first < b.first || (a.first == b.first && a.second < b.second);
    });
    moving.erase(std::unique(moving.begin(), moving.end()), moving.end());

    std::vector<std::pair<std::size_t, ControlPoint>> targets;
    for (const auto& [i, role] : moving) {
        const ControlPoint to = move(segments[i].pointOf(role));
        if (!finite(to)) {
            edit.refuse("That would move points beyond the map's numbers: nothing changed");
            return false;
        }
        targets.emplace_back(i, to);
    }
    if (!edit.withinBudget(edit.sampleCount(), "The transform")) return false;

    // Each segment set once, with all its moved points.
    std::vector<std::pair<std::size_t, Segment>> before;
    for (std::size_t k = 0; k < moving.size();) {
        const std::size_t i = moving[k].first;
        std::vector<ControlPoint> points = segments[i].controlPoints();
        for (; k < moving.size() && moving[k].first == i; ++k)
            points[indexOf(moving[k].second)] = targets[k].second;
        if (points == segments[i].controlPoints()) continue;
        before.emplace_back(i, segments[i]);
        edit.change(i).setPoints(points[0].x, points[0].y, points[1].x, points[1].y, points[2].x, points[2].y,
                                 points[3].x, points[3].y);
        edit.reindex(i);
    }
    if (before.empty()) return false;
    edit.commitInPlace(std::move(before));
    return true;
}
