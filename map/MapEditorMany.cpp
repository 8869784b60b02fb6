#include <algorithm>
#include <cmath>
#include <cstddef>
#include <iterator>
#include <vector>

#include "MapEditor.h"
#include "MapWindow.h"
#include "Precision.h"

namespace {

// The map area above the bottom band, and the margin a fitted view keeps in it.
constexpr double fitAreaHeight = 500.0;
constexpr double fitMargin = 20.0;
constexpr double fitMinZoom = 1.0 / 64.0;
constexpr double fitMaxZoom = 16.0;

constexpr PointRole roles[] = {PointRole::startPoint, PointRole::startHandle, PointRole::endHandle,
                               PointRole::endPoint};

}  // namespace

void MapEditor::fitView() {
    // The index's root holds the box of every control point, so a fit costs
    // what a view key costs on a map of any length. Segments with a
    // coordinate that is not finite cannot be shown and are not counted.
    ControlPoint low, high;
    if (!index.bounds(low, high)) return;
    const double minX = low.x, minY = low.y, maxX = high.x, maxY = high.y;
    const double width = (maxX - minX) * pixelsPerMapUnit;
    const double height = (maxY - minY) * pixelsPerMapUnit;
    if (!std::isfinite(width) || !std::isfinite(height)) return;
    const double room = std::min(width > 0.0 ? (mapWindowWidth - 2.0 * fitMargin) / width : fitMaxZoom,
                                 height > 0.0 ? (fitAreaHeight - 2.0 * fitMargin) / height : fitMaxZoom);
    zoom = std::clamp(room, fitMinZoom, fitMaxZoom);
    // The wheel goes on from the nearest of its own steps.
    zoomLevel = static_cast<int>(std::lround(std::log(zoom) / std::log(1.25)));
    const double centreX = (minX / 2 + maxX / 2) * pixelsPerMapUnit * zoom;
    const double centreY = (minY / 2 + maxY / 2) * pixelsPerMapUnit * zoom;
    viewOffset = {mapWindowWidth / 2.0 - centreX, fitAreaHeight / 2.0 - centreY};
    applyViewOffset();
}

void MapEditor::selectOnly(const std::vector<std::size_t>& chosen) {
    endGesture();
    touched.clear();
    std::set_union(marked.begin(), marked.end(), chosen.begin(), chosen.end(), std::back_inserter(touched));
    if (history.isOn()) gesture.start(markers, currentContentId);
    for (std::size_t i : touched) {
        if (history.isOn()) gesture.keep(i, segments[i]);
        segments[i].setSelected(false);
    }
    for (std::size_t i : chosen) segments[i].setSelected(true);
    marked = chosen;
    pickedChainLength = segments.size();
    nudged = false;
    bandPicked = !picked.empty();
    endGesture();
    changed();
}

void MapEditor::pickAllEndPoints() {
    picked.clear();
    std::vector<std::size_t> all;
    for (std::size_t i = 0; i < segments.size(); ++i) {
        picked.emplace_back(i, PointRole::startPoint);
        picked.emplace_back(i, PointRole::endPoint);
        all.push_back(i);
    }
    selectOnly(all);
}

bool MapEditor::pointOrMarkerAt(int x, int y) const {
    for (const Marker& m : markers) {
        const Marker::Rectangle r = m.rectangle(View{viewOffset, zoom});
        if (x > r.left && x < r.right && y > r.top && y < r.bottom) return true;
    }
    if (segments.empty()) return false;
    const double tolerance = segments.front().pickTolerance();
    segmentsNearPixels(x - tolerance - 1.0, y - tolerance - 1.0, x + tolerance + 1.0, y + tolerance + 1.0,
                       candidates);
    for (std::size_t i : candidates) {
        for (PointRole role : roles) {
            // Segment::pick's rule: the offset truncated to whole pixels is below the tolerance.
            const ControlPoint w = segments[i].toWindow(segments[i].pointOf(role));
            if (std::fabs(std::trunc(w.x - x)) < tolerance && std::fabs(std::trunc(w.y - y)) < tolerance)
                return true;
        }
    }
    return false;
}

bool MapEditor::pressMany(int x, int y, bool shift, bool ctrl) {
    if (shift && !ctrl && !pointOrMarkerAt(x, y)) {
        endGesture();
        banding = true;
        // The band is drawn over the map's picture, which stays as it is.
        bandFrom = bandTo = {static_cast<double>(x), static_cast<double>(y)};
        return true;
    }
    if (ctrl && !shift && !pointOrMarkerAt(x, y) && splitAt(x, y)) return true;
    if (shift || ctrl || !bandPicked || picked.empty() || segments.size() != pickedChainLength) {
        bandPicked = false;
        return false;
    }
    const double tolerance = segments.front().pickTolerance();
    for (std::size_t k = 0; k < picked.size(); ++k) {
        const auto [i, role] = picked[k];
        const ControlPoint w = segments[i].toWindow(segments[i].pointOf(role));
        if (std::fabs(std::trunc(w.x - x)) >= tolerance || std::fabs(std::trunc(w.y - y)) >= tolerance) continue;
        // The pressed point goes first: typed positions and the readout are its.
        std::rotate(picked.begin(), picked.begin() + static_cast<std::ptrdiff_t>(k),
                    picked.begin() + static_cast<std::ptrdiff_t>(k) + 1);
        endGesture();
        bandOrigins.clear();
        for (const auto& [j, r] : picked) bandOrigins.push_back(segments[j].pointOf(r));
        bandPressPoint = bandOrigins.front();
        bandPressPointer = mapPointAt(x, y);
        bandMoving = true;
        nudged = false;
        return true;
    }
    bandPicked = false;
    return false;
}

bool MapEditor::motionMany(int x, int y) {
    if (banding) {
        bandTo = {static_cast<double>(x), static_cast<double>(y)};
        return true;
    }
    if (!bandMoving) return false;
    const ControlPoint pointer = mapPointAt(x, y);
    ControlPoint target{bandPressPoint.x + pointer.x - bandPressPointer.x,
                        bandPressPoint.y + pointer.y - bandPressPointer.y};
    if (precise) target = snapToGrid(target, currentGridStep());
    const ControlPoint offset{target.x - bandPressPoint.x, target.y - bandPressPoint.y};
    for (std::size_t k = 0; k < picked.size(); ++k) {
        const auto [i, role] = picked[k];
        keepBefore(i);
        const ControlPoint& from = bandOrigins[k];
        segments[i].moveTo(role, k == 0 ? target : ControlPoint{from.x + offset.x, from.y + offset.y});
        index.update(i, segments[i]);
    }
    nudged = true;
    currentContentId = ++lastContentId;
    changed();
    return true;
}

bool MapEditor::releaseMany() {
    if (bandMoving) {
        bandMoving = false;
        endGesture();
        return true;
    }
    if (!banding) return false;
    banding = false;
    const double left = std::min(bandFrom.x, bandTo.x), right = std::max(bandFrom.x, bandTo.x);
    const double top = std::min(bandFrom.y, bandTo.y), bottom = std::max(bandFrom.y, bandTo.y);
    segmentsNearPixels(left, top, right, bottom, candidates);
    picked.clear();
    std::vector<std::size_t> chosen;
    for (std::size_t i : candidates) {
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
            if (inside[r]) picked.emplace_back(i, roles[r]);
        if (inside[0] || inside[1] || inside[2] || inside[3]) chosen.push_back(i);
    }
    selectOnly(chosen);
    return true;
}

bool MapEditor::band(ControlPoint& from, ControlPoint& to) const {
    if (!banding) return false;
    from = bandFrom;
    to = bandTo;
    return true;
}
