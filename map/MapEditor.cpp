#include "MapEditor.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <utility>

#include "MapDraw.h"

#include "PixelMath.h"

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
double zoomOfLevel(int level) {
    double power = 1.0;
    for (int i = 0; i < std::abs(level); ++i) power *= zoomFactor;
    const double value = level < 0 ? 1.0 / power : power;
    return std::clamp(value, minZoom, maxZoom);
}

}  // namespace

MapEditor::MapEditor() {
    markers.push_back(Marker());
    buildInitialMap();
    restLocation = {0.5, 0.5};
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
    chainChanged();
    ++contentCounter;
}

void MapEditor::applyViewOffset() {
    for (Segment& s : segments) {
        s.setViewOffset(viewOffset.x, viewOffset.y);
        s.setZoom(zoom);
    }
}

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
    marked.clear();
    for (std::size_t i = 0; i < segments.size(); ++i)
        if (segments[i].getDragPoint() != PointRole::none || segments[i].isSelected()) marked.push_back(i);
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
    segments = std::move(loaded);
    markers.clear();
    restLocation = {0.5, 0.5};
    viewOffset = {1.0, 1.0};
    zoomLevel = 0;
    zoom = 1.0;
    applyViewOffset();
    chainChanged();
    ++contentCounter;
}

std::uint64_t MapEditor::contentId() const { return contentCounter; }

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

void MapEditor::mouse(int state, int x, int y) {
    // Every segment takes the event as if each saw it (a press on a junction
    // picks both copies), but only two kinds can change: the marked ones,
    // which may lose their selection or picked point, and on a press those
    // whose box lies within the pick tolerance of the pointer (one pixel more
    // for rounding). Every other segment is unselected and unpicked, and would
    // stay so.
    touched.clear();
    if (state == 0 && !segments.empty()) {
        const double reach = segments.front().pickTolerance() + 1.0;
        segmentsNearPixels(x - reach, y - reach, x + reach, y + reach, candidates);
        std::set_union(candidates.begin(), candidates.end(), marked.begin(), marked.end(),
                       std::back_inserter(touched));
    } else {
        touched = marked;
    }
    marked.clear();
    for (std::size_t i : touched) {
        Segment& s = segments[i];
        s.pick(state, x, y);
        if (s.getDragPoint() != PointRole::none || s.isSelected()) marked.push_back(i);
    }
    for (Marker& m : markers) m.press(state, x, y, viewOffset.x, viewOffset.y, zoom);
}

void MapEditor::motion(int x, int y) {
    // Only picked segments move, and all of them are marked; the index
    // follows each of them.
    for (std::size_t i : marked) {
        if (segments[i].getDragPoint() == PointRole::none) continue;
        Segment& s = segments[i];
        const ControlPoint before[4] = {s.getStartPoint(), s.getStartHandle(), s.getEndHandle(), s.getEndPoint()};
        s.drag(x, y);
        index.update(i, s);
        if (before[0] != s.getStartPoint() || before[1] != s.getStartHandle() || before[2] != s.getEndHandle() ||
            before[3] != s.getEndPoint())
            ++contentCounter;
    }
    const int ox = truncateToInt(viewOffset.x);
    const int oy = truncateToInt(viewOffset.y);
    for (Marker& m : markers) m.dragTo(x, y, ox, oy, zoom);
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
