#include <algorithm>
#include <cmath>
#include <cstddef>
#include <iterator>
#include <vector>

#include "DragConstraint.h"
#include "ManyPoints.h"
#include "MapWindow.h"
#include "SplitJoin.h"
#include "View.h"

namespace {

// The map area above the bottom band, and the margin a fitted view keeps in it.
constexpr double fitAreaHeight = 500.0;
constexpr double fitMargin = 20.0;
// As far out as a fit goes: a map of any coordinates the view can hold fits.
constexpr double fitMinZoom = 1e-300;
constexpr double fitMaxZoom = 16.0;

constexpr PointRole roles[] = {PointRole::startPoint, PointRole::startHandle, PointRole::endHandle,
                               PointRole::endPoint};

}  // namespace

void ManyPoints::fitView(double top) {
    // The index's root holds the box of every control point, so a fit costs
    // what a view key costs on a map of any length. Segments with a
    // coordinate that is not finite cannot be shown and are not counted.
    ControlPoint low, high;
    if (!edit.bounds(low, high)) return;
    const double minX = low.x, minY = low.y, maxX = high.x, maxY = high.y;
    const double width = (maxX - minX) * pixelsPerMapUnit;
    const double height = (maxY - minY) * pixelsPerMapUnit;
    if (!std::isfinite(width) || !std::isfinite(height)) return;
    const double room =
        std::min(width > 0.0 ? (mapWindowWidth - 2.0 * fitMargin) / width : fitMaxZoom,
                 height > 0.0 ? (fitAreaHeight - top - 2.0 * fitMargin) / height : fitMaxZoom);
    const double zoom = std::clamp(room, fitMinZoom, fitMaxZoom);
    // The wheel goes on from the nearest of its own steps.
    const int zoomLevel = static_cast<int>(std::lround(std::log(zoom) / std::log(1.25)));
    const double centreX = (minX / 2 + maxX / 2) * pixelsPerMapUnit * zoom;
    const double centreY = (minY / 2 + maxY / 2) * pixelsPerMapUnit * zoom;
    edit.setView({mapWindowWidth / 2.0 - centreX, top + (fitAreaHeight - top) / 2.0 - centreY}, zoomLevel,
                 zoom);
}

void ManyPoints::pickAllEndPoints() {
    PickedPoints& picked = edit.picked();
    picked.clear();
    std::vector<std::size_t> all;
    for (std::size_t i = 0; i < edit.chain().size(); ++i) {
        picked.emplace_back(i, PointRole::startPoint);
        picked.emplace_back(i, PointRole::endPoint);
        all.push_back(i);
    }
    edit.selectOnly(all);
}

bool ManyPoints::pointOrMarkerAt(int x, int y) const {
    for (const Marker& m : edit.markers()) {
        const Marker::Rectangle r = m.rectangle(edit.view());
        if (x > r.left && x < r.right && y > r.top && y < r.bottom) return true;
    }
    const std::vector<Segment>& segments = edit.chain();
    if (segments.empty()) return false;
    const double tolerance = segments.front().pickTolerance();
    for (std::size_t i : edit.segmentsNear(x - tolerance - 1.0, y - tolerance - 1.0, x + tolerance + 1.0,
                                           y + tolerance + 1.0)) {
        for (PointRole role : roles) {
            // Segment::pick's rule: the offset truncated to whole pixels is below the tolerance.
            const ControlPoint w = segments[i].toWindow(segments[i].pointOf(role));
            if (std::fabs(std::trunc(w.x - x)) < tolerance && std::fabs(std::trunc(w.y - y)) < tolerance)
                return true;
        }
    }
    return false;
}

bool ManyPoints::shiftClick(int x, int y) {
    for (const Marker& m : edit.markers()) {
        const Marker::Rectangle r = m.rectangle(edit.view());
        if (x > r.left && x < r.right && y > r.top && y < r.bottom) return false;
    }
    const std::vector<Segment>& segments = edit.chain();
    if (segments.empty()) return false;
    // Every start and end point under the pointer, as a press would pick
    // them: both copies of a junction.
    PickedPoints hits;
    const double tolerance = segments.front().pickTolerance();
    for (std::size_t i : edit.segmentsNear(x - tolerance - 1.0, y - tolerance - 1.0, x + tolerance + 1.0,
                                           y + tolerance + 1.0)) {
        for (PointRole role : {PointRole::startPoint, PointRole::endPoint}) {
            const ControlPoint w = segments[i].toWindow(segments[i].pointOf(role));
            if (std::fabs(std::trunc(w.x - x)) < tolerance && std::fabs(std::trunc(w.y - y)) < tolerance) {
                hits.emplace_back(i, role);
                break;
            }
        }
    }
    if (hits.empty()) return false;
    edit.endGesture();
    PickedPoints& picked = edit.picked();
    if (!edit.pickedInThisChain()) picked.clear();
    const bool taking = std::find(picked.begin(), picked.end(), hits.front()) != picked.end();
    for (const auto& hit : hits) {
        const auto at = std::find(picked.begin(), picked.end(), hit);
        if (taking && at != picked.end()) picked.erase(at);
        if (!taking && at == picked.end()) picked.push_back(hit);
    }
    selectHoldersOfPicks();
    return true;
}

void ManyPoints::selectHoldersOfPicks() {
    std::vector<std::size_t> chosen;
    for (const auto& pick : edit.picked()) chosen.push_back(pick.first);
    std::sort(chosen.begin(), chosen.end());
    chosen.erase(std::unique(chosen.begin(), chosen.end()), chosen.end());
    edit.selectOnly(chosen);
}

bool ManyPoints::press(int x, int y, bool shift, bool ctrl) {
    if (shift && !ctrl && shiftClick(x, y)) return true;
    if (shift && !ctrl && !pointOrMarkerAt(x, y)) {
        edit.endGesture();
        state.banding = true;
        // The band is drawn over the map's picture, which stays as it is.
        state.bandFrom = state.bandTo = {static_cast<double>(x), static_cast<double>(y)};
        return true;
    }
    if (ctrl && !shift && !pointOrMarkerAt(x, y) && SplitJoin(edit).splitAt(x, y)) return true;
    PickedPoints& picked = edit.picked();
    if (shift || !state.bandPicked || picked.empty() || !edit.pickedInThisChain()) {
        state.bandPicked = false;
        return false;
    }
    const std::vector<Segment>& segments = edit.chain();
    const double tolerance = segments.front().pickTolerance();
    for (std::size_t k = 0; k < picked.size(); ++k) {
        const auto [i, role] = picked[k];
        const ControlPoint w = segments[i].toWindow(segments[i].pointOf(role));
        if (std::fabs(std::trunc(w.x - x)) >= tolerance || std::fabs(std::trunc(w.y - y)) >= tolerance)
            continue;
        // The pressed point goes first: typed positions and the readout are its.
        std::rotate(picked.begin(), picked.begin() + static_cast<std::ptrdiff_t>(k),
                    picked.begin() + static_cast<std::ptrdiff_t>(k) + 1);
        edit.endGesture();
        state.origins.clear();
        for (const auto& [j, r] : picked) state.origins.push_back(segments[j].pointOf(r));
        state.pressPoint = state.origins.front();
        state.pressPointer = edit.mapPointAt(x, y);
        state.bandMoving = true;
        holdMovingSegments();
        // Ctrl holds the whole group on the horizontal or the vertical.
        state.onAxis = ctrl;
        edit.setPickedMoved(false);
        return true;
    }
    state.bandPicked = false;
    return false;
}

bool ManyPoints::motion(int x, int y) {
    if (state.banding) {
        state.bandTo = {static_cast<double>(x), static_cast<double>(y)};
        return true;
    }
    if (!state.bandMoving) return false;
    const ControlPoint pointer = edit.mapPointAt(x, y);
    ControlPoint target = edit.snap({state.pressPoint.x + pointer.x - state.pressPointer.x,
                                     state.pressPoint.y + pointer.y - state.pressPointer.y});
    if (state.onAxis) target = holdOnAxis(state.pressPoint, target);
    const ControlPoint offset{target.x - state.pressPoint.x, target.y - state.pressPoint.y};
    const PickedPoints& picked = edit.picked();
    for (std::size_t k = 0; k < picked.size(); ++k) {
        const auto [i, role] = picked[k];
        const ControlPoint& from = state.origins[k];
        edit.keep(i).moveTo(role, k == 0 ? target : ControlPoint{from.x + offset.x, from.y + offset.y});
    }
    edit.movedBy(offset);
    edit.setPickedMoved(true);
    edit.contentChanged();
    return true;
}

void ManyPoints::holdMovingSegments() {
    // A segment with both end points picked moves whole (its handles follow
    // them); one with fewer changes shape.
    std::vector<std::pair<std::size_t, unsigned>> roleBits;
    roleBits.reserve(edit.picked().size());
    for (const auto& [i, role] : edit.picked()) roleBits.emplace_back(i, 1u << static_cast<unsigned>(role));
    std::sort(roleBits.begin(), roleBits.end());
    const unsigned whole = (1u << static_cast<unsigned>(PointRole::startPoint)) |
                           (1u << static_cast<unsigned>(PointRole::endPoint));
    std::vector<std::size_t> translated, reshaped;
    for (std::size_t k = 0; k < roleBits.size();) {
        const std::size_t i = roleBits[k].first;
        unsigned bits = 0;
        for (; k < roleBits.size() && roleBits[k].first == i; ++k) bits |= roleBits[k].second;
        (bits == whole ? translated : reshaped).push_back(i);
    }
    edit.holdMoving(translated, reshaped);
}

bool ManyPoints::release() {
    if (state.bandMoving) {
        state.bandMoving = false;
        edit.endGesture();
        return true;
    }
    if (!state.banding) return false;
    state.banding = false;
    const ControlPoint& from = state.bandFrom;
    const ControlPoint& to = state.bandTo;
    const double left = std::min(from.x, to.x), right = std::max(from.x, to.x);
    const double top = std::min(from.y, to.y), bottom = std::max(from.y, to.y);
    const std::vector<Segment>& segments = edit.chain();
    PickedPoints& picked = edit.picked();
    // The band adds to the picks made in this chain.
    if (!edit.pickedInThisChain()) picked.clear();
    for (std::size_t i : edit.segmentsNear(left, top, right, bottom)) {
        const Segment& s = segments[i];
        bool inside[4];
        for (int r = 0; r < 4; ++r) {
            const ControlPoint w = s.toWindow(s.pointOf(roles[r]));
            inside[r] = w.x >= left && w.x <= right && w.y >= top && w.y <= bottom;
        }
        // A handle inside moves with its point when that is picked too.
        inside[1] = inside[1] && !inside[0];
        inside[2] = inside[2] && !inside[3];
        for (int r = 0; r < 4; ++r)
            if (inside[r] &&
                std::find(picked.begin(), picked.end(), std::make_pair(i, roles[r])) == picked.end())
                picked.emplace_back(i, roles[r]);
    }
    selectHoldersOfPicks();
    return true;
}

bool ManyPoints::band(ControlPoint& from, ControlPoint& to) const {
    if (!state.banding) return false;
    from = state.bandFrom;
    to = state.bandTo;
    return true;
}

bool ManyPoints::pickCount(std::size_t& pickedPoints, std::size_t& allPoints) const {
    const PickedPoints& picked = edit.picked();
    if (!state.bandPicked || picked.empty() || !edit.pickedInThisChain()) return false;
    const std::vector<Segment>& segments = edit.chain();
    allPoints = segments.empty() ? 0 : segments.size() + 1;
    for (std::size_t i = 0; i + 1 < segments.size(); ++i)
        if (segments[i].getEndPoint() != segments[i + 1].getStartPoint()) ++allPoints;
    pickedPoints = picked.size();
    for (const auto& [i, role] : picked) {
        const bool copyPicked = role == PointRole::endPoint && i + 1 < segments.size() &&
                                segments[i].getEndPoint() == segments[i + 1].getStartPoint() &&
                                std::find(picked.begin(), picked.end(),
                                          std::make_pair(i + 1, PointRole::startPoint)) != picked.end();
        if (copyPicked) --pickedPoints;
    }
    return true;
}

void ManyPoints::pickedInWindow(std::vector<ControlPoint>& out) const {
    out.clear();
    if (!state.bandPicked || !edit.pickedInThisChain()) return;
    const std::vector<Segment>& segments = edit.chain();
    for (const auto& [i, role] : edit.picked())
        if (i < segments.size()) out.push_back(segments[i].toWindow(segments[i].pointOf(role)));
}
