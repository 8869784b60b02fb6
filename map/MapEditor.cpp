#include "MapEditor.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <utility>

#include "MapWindow.h"
#include "Precision.h"

namespace {

// Pixels the view moves for one of the view keys.
constexpr double viewStep = 15.0;

// The zoom of one wheel step, its bounds, and the levels at which it reaches
// them: 1.25^13 is above 16 and 1.25^-19 below 1/64.
constexpr double zoomFactor = 1.25;
constexpr double minZoom = 1.0 / 64.0;
constexpr double maxZoom = 16.0;
constexpr int minZoomLevel = -19;
constexpr int maxZoomLevel = 13;

// 1.25^level, clamped. Powers of 1.25 up to the 13th are exact in a double,
// so a negative level costs one rounding (the division) and level 0 is 1.
// Below the wheel's lowest level (where only Home's fit of a long map goes)
// it is not clamped, so that the wheel zooms in from there in its steps.
double zoomOfLevel(int level) {
    double power = 1.0;
    for (int i = 0; i < std::abs(level); ++i) power *= zoomFactor;
    const double value = level < 0 ? 1.0 / power : power;
    return level < minZoomLevel ? value : std::clamp(value, minZoom, maxZoom);
}

// The two segments of a new editor's map.
std::vector<Segment> initialChain() {
    std::vector<Segment> chain(2);
    chain[0].setPoints(0.0, 10.0, 0.5, 18.0, 10.0, 18.0, 10.5, 10.0);
    chain[1].setPoints(10.5, 10.0, 12.0, 8.0, 14.0, 8.0, 16.0, 10.0);
    return chain;
}

}  // namespace

ShownChain::ShownChain(const ShownChain& other)
    : std::vector<Segment>(other), view(std::make_shared<View>(*other.view)) {
    showAll();
}

ShownChain& ShownChain::operator=(const ShownChain& other) {
    if (this == &other) return *this;
    std::vector<Segment>::operator=(other);
    view = std::make_shared<View>(*other.view);
    showAll();
    return *this;
}

ShownChain::ShownChain(ShownChain&& other)
    : std::vector<Segment>(std::move(other)),
      view(std::exchange(other.view, std::make_shared<View>(*other.view))) {}

ShownChain& ShownChain::operator=(ShownChain&& other) {
    if (this == &other) return *this;
    std::vector<Segment>::operator=(std::move(other));
    view = std::exchange(other.view, std::make_shared<View>(*other.view));
    return *this;
}

void ShownChain::showAll() {
    for (Segment& s : *this) s.showThrough(view);
}

MapEditor::MapEditor() {
    markers.push_back(Marker());
    segments = initialChain();
    segments.showAll();
    ChainEdit(*this).chainChanged();
    restLocation = initialRestLocation;
    viewOffset = {10.0, 10.0};
    ChainEdit(*this).setView(viewOffset, zoomLevel, zoom);
}

const PrecisionMode MapEditor::precision() const {
    // Only the const queries can be called on the handle.
    MapEditor& self = const_cast<MapEditor&>(*this);
    return {ChainEdit(self), self.precisionState};
}

void MapEditor::segmentsNearPixels(double left, double top, double right, double bottom,
                                   std::vector<std::size_t>& out) const {
    out.clear();
    if (segments.empty()) return;
    // Every segment has the same view transform: the first one's converts.
    const Segment& first = segments.front();
    const ControlPoint a = first.toMap({left, top});
    const ControlPoint b = first.toMap({right, bottom});
    const double minX = std::min(a.x, b.x), maxX = std::max(a.x, b.x);
    const double minY = std::min(a.y, b.y), maxY = std::max(a.y, b.y);
    if (!std::isfinite(minX) || !std::isfinite(maxX) || !std::isfinite(minY) || !std::isfinite(maxY)) {
        // A view transform that is not finite: the caller decides for every segment.
        for (std::size_t i = 0; i < segments.size(); ++i) out.push_back(i);
        return;
    }
    // Far from the origin one pixel may be below the spacing of doubles.
    const double slackX = 1e-9 * std::max(std::fabs(minX), std::fabs(maxX));
    const double slackY = 1e-9 * std::max(std::fabs(minY), std::fabs(maxY));
    index.query(minX - slackX, minY - slackY, maxX + slackX, maxY + slackY, out);
}

void MapEditor::visibleSegments(std::vector<std::size_t>& out) const {
    out.clear();
    if (segments.empty()) return;
    // The window, widened by what mayShowIn allows and one pixel more for rounding.
    const double reach = segments.front().drawingMargin() + 1.0;
    segmentsNearPixels(-reach, -reach, mapWindowWidth + reach, mapWindowHeight + reach, candidates);
    for (std::size_t i : candidates)
        if (segments[i].mayShowIn(mapWindowWidth, mapWindowHeight)) out.push_back(i);
}

void MapEditor::replaceChain(std::vector<Segment> loaded) {
    gesture.discard();
    history.clear();
    ChainEdit(*this).setChain(std::move(loaded));
    currentContentId = ++lastContentId;
}

void MapEditor::loadChain(std::vector<Segment> loaded) {
    ChainEdit edit(*this);
    edit.endGesture();
    UndoStep step;
    step.holdMarkers(markers);
    step.holdRestLocation(restLocation);
    std::vector<Segment> previous;
    previous.swap(segments);
    edit.setChain(std::move(loaded));
    step.addRun(0, segments.size(), std::move(previous));
    edit.commitStep(std::move(step));
}

void MapEditor::shiftView(double dx, double dy) {
    ChainEdit(*this).setView({viewOffset.x + dx, viewOffset.y + dy}, zoomLevel, zoom);
}

void MapEditor::zoomAt(double x, double y, int steps) {
    // A fitted view may lie below the wheel's lowest level: it goes no further out.
    const int level = std::clamp(zoomLevel + steps, std::min(minZoomLevel, zoomLevel), maxZoomLevel);
    if (level == zoomLevel) return;
    const double newZoom = zoomOfLevel(level);
    // The map point under (x, y) is (x - offset) / (10 * zoom) before and after.
    const double ratio = newZoom / zoom;
    ChainEdit(*this).setView({x - (x - viewOffset.x) * ratio, y - (y - viewOffset.y) * ratio}, level,
                             newZoom);
}

void MapEditor::mouse(ButtonAction action, int x, int y, DragModifiers modifiers) {
    // Every segment takes the event as if each saw it (a press on a junction
    // picks both copies), but only two kinds can change: the marked ones,
    // which may lose their selection or picked point, and on a press those
    // whose box lies within the pick tolerance of the pointer (one pixel more
    // for rounding). Every other segment is unselected and unpicked, and would
    // stay so.
    ChainEdit edit(*this);
    if (action == ButtonAction::press) edit.endGesture();
    touched.clear();
    if (action == ButtonAction::press && !segments.empty()) {
        const double reach = segments.front().pickTolerance() + 1.0;
        segmentsNearPixels(x - reach, y - reach, x + reach, y + reach, candidates);
        std::set_union(candidates.begin(), candidates.end(), marked.begin(), marked.end(),
                       std::back_inserter(touched));
    } else {
        touched = marked;
    }
    // A press starts a gesture: the segments it may change are kept as they are.
    if (action == ButtonAction::press && history.isOn()) {
        gesture.start(markers, currentContentId);
        for (std::size_t i : touched) gesture.keep(i, segments[i]);
    }
    marked.clear();
    bool picksChanged = false;
    for (std::size_t i : touched) {
        Segment& s = segments[i];
        const bool wasSelected = s.isSelected();
        const PointRole wasPicked = s.getDragPoint();
        s.pick(action, x, y);
        picksChanged = picksChanged || s.isSelected() != wasSelected || s.getDragPoint() != wasPicked;
        if (s.getDragPoint() != PointRole::none || s.isSelected()) marked.push_back(i);
    }
    for (Marker& m : markers) m.press(action, x, y, View{viewOffset, zoom});
    if (action == ButtonAction::press) {
        picked.clear();
        pickedChainLength = segments.size();
        edit.setPickedMoved(false);
        for (std::size_t i : marked)
            if (segments[i].getDragPoint() != PointRole::none)
                picked.emplace_back(i, segments[i].getDragPoint());
        shaping().startDrag(modifiers);
    } else {
        shaping().startDrag({});
    }
    // A press that selects and picks what already was leaves the picture alone.
    if (picksChanged) edit.changed();
    if (action == ButtonAction::release) edit.endGesture();
}

void MapEditor::motion(int x, int y) {
    // Only picked segments move, and all of them are marked; the index
    // follows each of them.
    ChainEdit edit(*this);
    Shaping shaped = shaping();
    const bool modified = shaped.dragIsModified();
    bool moved = modified && shaped.drag(x, y);
    for (std::size_t i : marked) {
        if (modified || segments[i].getDragPoint() == PointRole::none) continue;
        Segment& s = edit.keep(i);
        if (precisionState.on) {
            s.dragTo(edit.snap(edit.mapPointAt(x, y)));
        } else {
            s.drag(x, y);
        }
        edit.reindex(i);
        moved = true;
    }
    if (moved) currentContentId = ++lastContentId;
    for (Marker& m : markers) {
        moved = moved || m.isGrabbed();
        m.dragTo(x, y, View{viewOffset, zoom});
    }
    if (moved) edit.changed();
}

void MapEditor::keyboard(unsigned char key) {
    switch (key) {
        case 'a':
            shiftView(viewStep, 0.0);
            break;
        case 'd':
            shiftView(-viewStep, 0.0);
            break;
        case 'w':
            shiftView(0.0, viewStep);
            break;
        case 's':
            shiftView(0.0, -viewStep);
            break;
        default:
            break;
    }
}

bool MapEditor::undo() { return ChainEdit(*this).travel(false); }

bool MapEditor::redo() { return ChainEdit(*this).travel(true); }
