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

// The last revision given to any editor.
std::uint64_t lastRevision = 0;

// The zoom of one wheel step, its bounds, and the levels at which it reaches
// them: 1.25^13 is above 16 and 1.25^-19 below 1/64.
constexpr double zoomFactor = 1.25;
constexpr double minZoom = 1.0 / 64.0;
constexpr double maxZoom = 16.0;
constexpr int minZoomLevel = -19;
constexpr int maxZoomLevel = 13;

// 1.25^level, clamped. Powers of 1.25 up to the 13th are exact in a double,
// so a negative level costs one rounding (the division) and level 0 is 1.
double zoomOfLevel(int level) {
    double power = 1.0;
    for (int i = 0; i < std::abs(level); ++i) power *= zoomFactor;
    const double value = level < 0 ? 1.0 / power : power;
    return std::clamp(value, minZoom, maxZoom);
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
    buildInitialMap();
    restLocation = initialRestLocation;
    viewOffset = {10.0, 10.0};
    applyViewOffset();
}

void MapEditor::buildInitialMap() {
    Segment first;
    first.setPoints(0.0, 10.0, 0.5, 18.0, 10.0, 18.0, 10.5, 10.0);
    segments.push_back(first);
    Segment second;
    second.setPoints(10.5, 10.0, 12.0, 8.0, 14.0, 8.0, 16.0, 10.0);
    segments.push_back(second);
    segments.showAll();
    chainChanged();
}

void MapEditor::applyViewOffset() {
    segments.setView({viewOffset, zoom});
    changed();
}

void MapEditor::changed() { drawnRevision = ++lastRevision; }

// Each segment contributes its interior samples and its end point; the first
// start point adds one. Counting the stored samples rather than adding the
// raw resolutions keeps the figure right for a segment loaded with a negative
// resolution, which is sampled as 0.
int MapEditor::countPoints() const {
    int count = 1;
    for (const Segment& s : segments) count += static_cast<int>(s.getSamples().size()) - 1;
    return count;
}

void MapEditor::chainChanged() {
    index.rebuild(segments);
    points = countPoints();
    if (segments.size() != pickedChainLength) picked.clear();
    marked.clear();
    for (std::size_t i = 0; i < segments.size(); ++i)
        if (segments[i].getDragPoint() != PointRole::none || segments[i].isSelected()) marked.push_back(i);
    changed();
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

int MapEditor::segmentCount() const { return static_cast<int>(segments.size()); }

void MapEditor::replaceChain(std::vector<Segment> loaded) {
    gesture.discard();
    history.clear();
    setChain(std::move(loaded));
    currentContentId = ++lastContentId;
}

void MapEditor::loadChain(std::vector<Segment> loaded) {
    endGesture();
    UndoStep step;
    step.holdMarkers(markers);
    step.holdRestLocation(restLocation);
    std::vector<Segment> previous;
    previous.swap(segments);
    setChain(std::move(loaded));
    step.addRun(0, segments.size(), std::move(previous));
    commitStep(std::move(step));
}

void MapEditor::setChain(std::vector<Segment> loaded) {
    segments = std::move(loaded);
    segments.showAll();
    picked.clear();
    markers.clear();
    restLocation = initialRestLocation;
    viewOffset = {1.0, 1.0};
    zoomLevel = 0;
    zoom = 1.0;
    applyViewOffset();
    chainChanged();
}

void MapEditor::shiftView(double dx, double dy) {
    viewOffset.x += dx;
    viewOffset.y += dy;
    applyViewOffset();
}

void MapEditor::zoomAt(double x, double y, int steps) {
    const int level = std::clamp(zoomLevel + steps, minZoomLevel, maxZoomLevel);
    if (level == zoomLevel) return;
    const double newZoom = zoomOfLevel(level);
    // The map point under (x, y) is (x - offset) / (10 * zoom) before and after.
    const double ratio = newZoom / zoom;
    viewOffset = {x - (x - viewOffset.x) * ratio, y - (y - viewOffset.y) * ratio};
    zoomLevel = level;
    zoom = newZoom;
    applyViewOffset();
}

void MapEditor::mouse(ButtonAction action, int x, int y, DragModifiers modifiers) {
    // Every segment takes the event as if each saw it (a press on a junction
    // picks both copies), but only two kinds can change: the marked ones,
    // which may lose their selection or picked point, and on a press those
    // whose box lies within the pick tolerance of the pointer (one pixel more
    // for rounding). Every other segment is unselected and unpicked, and would
    // stay so.
    if (action == ButtonAction::press) endGesture();
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
        nudged = false;
        for (std::size_t i : marked)
            if (segments[i].getDragPoint() != PointRole::none) picked.emplace_back(i, segments[i].getDragPoint());
        startModifiedDrag(modifiers);
    } else {
        startModifiedDrag({});
    }
    // A press that selects and picks what already was leaves the picture alone.
    if (picksChanged) changed();
    if (action == ButtonAction::release) endGesture();
}

void MapEditor::motion(int x, int y) {
    // Only picked segments move, and all of them are marked; the index
    // follows each of them.
    const bool modified = dragModifiers.keepSmooth || dragModifiers.snap;
    bool moved = modified && dragWithModifiers(x, y);
    for (std::size_t i : marked) {
        if (modified || segments[i].getDragPoint() == PointRole::none) continue;
        keepBefore(i);
        if (precise) {
            segments[i].dragTo(snapToGrid(mapPointAt(x, y), currentGridStep()));
        } else {
            segments[i].drag(x, y);
        }
        index.update(i, segments[i]);
        moved = true;
    }
    if (moved) currentContentId = ++lastContentId;
    for (Marker& m : markers) {
        moved = moved || m.isGrabbed();
        m.dragTo(x, y, View{viewOffset, zoom});
    }
    if (moved) changed();
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

void MapEditor::keepBefore(std::size_t i) {
    if (!history.isOn()) return;
    if (!gesture.isOpen()) gesture.start(markers, currentContentId);
    gesture.keep(i, segments[i]);
}

void MapEditor::endGesture() {
    nudging = false;
    if (!gesture.isOpen()) return;
    const std::uint64_t before = gesture.startContentId();
    bool contentChanged = false;
    UndoStep step = gesture.finish(segments, markers, contentChanged);
    if (contentChanged || step.holdsMarkers()) {
        if (!contentChanged) currentContentId = before;
        history.push(std::move(step));
        return;
    }
    // Only the selection changed (or nothing): no step of its own. The last
    // step takes the change along, so that undoing it brings back the
    // selection before it and redoing it the selection as it is now.
    currentContentId = before;
    for (const UndoStep::Run& run : step.getRuns())
        for (std::size_t k = 0; k < run.segments.size(); ++k)
            history.amendLastDone(run.at + k, run.segments[k]);
}

void MapEditor::commitStep(UndoStep step) {
    step.holdContentId(currentContentId);
    currentContentId = ++lastContentId;
    if (history.isOn()) history.push(std::move(step));
}

bool MapEditor::undo() {
    // The key may come in the middle of a drag, which then ends as a release
    // ends it: no restored point is picked, so no later motion moves it.
    releaseMany();
    mouse(ButtonAction::release, 0, 0);
    UndoStep* step = history.nextUndo();
    if (step == nullptr) return false;
    exchange(*step);
    history.undone();
    return true;
}

bool MapEditor::redo() {
    releaseMany();
    mouse(ButtonAction::release, 0, 0);
    UndoStep* step = history.nextRedo();
    if (step == nullptr) return false;
    exchange(*step);
    history.redone();
    return true;
}

void MapEditor::exchange(UndoStep& step) {
    const auto runPoints = [this](const UndoStep& s) {
        long long count = 0;
        for (const UndoStep::Run& run : s.getRuns())
            for (std::size_t i = run.at; i < run.at + run.length; ++i)
                count += static_cast<long long>(segments[i].getSamples().size()) - 1;
        return count;
    };
    const long long pointsOut = runPoints(step);
    const bool reshaped = step.exchange(segments, markers, restLocation, currentContentId);
    if (reshaped) picked.clear();
    // Restored segments show the current view, and a drag of theirs that was
    // under way when they were kept does not come back.
    std::size_t restored = 0;
    for (const UndoStep::Run& run : step.getRuns()) {
        for (std::size_t i = run.at; i < run.at + run.length; ++i) {
            Segment& s = segments[i];
            s.pick(ButtonAction::release, 0, 0);
            segments.show(i);
        }
        restored += run.length;
    }
    for (Marker& m : markers) m.press(ButtonAction::release, 0, 0, View{{0, 0}, zoom});
    if (reshaped || restored > segments.size() / 16) {
        chainChanged();
        return;
    }
    // A few segments changed in place: their index entries, their points and
    // the list of marked segments follow them.
    points += static_cast<int>(runPoints(step) - pointsOut);
    candidates.clear();
    for (const UndoStep::Run& run : step.getRuns()) {
        for (std::size_t i = run.at; i < run.at + run.length; ++i) {
            index.update(i, segments[i]);
            if (segments[i].isSelected()) candidates.push_back(i);
        }
    }
    touched.clear();
    std::set_union(marked.begin(), marked.end(), candidates.begin(), candidates.end(),
                   std::back_inserter(touched));
    marked.swap(touched);
    changed();
}

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
