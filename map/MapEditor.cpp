#include "MapEditor.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "MapDraw.h"

#include "PixelMath.h"

namespace {

// Pixels the view moves for one of the view keys.
constexpr double viewStep = 15.0;

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
}

void MapEditor::applyViewOffset() {
    for (Segment& s : segments) s.setViewOffset(viewOffset.x, viewOffset.y);
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
    dragged.clear();
    for (std::size_t i = 0; i < segments.size(); ++i)
        if (segments[i].getDragPoint() != PointRole::none) dragged.push_back(i);
}

void MapEditor::visibleSegments(std::vector<std::size_t>& out) const {
    out.clear();
    if (segments.empty()) return;
    // The window, widened by what mayShowIn allows and one pixel more for
    // rounding, in map units through the segments' own view transform.
    const Segment& first = segments.front();
    const double reach = first.drawingMargin() + 1.0;
    const ControlPoint a = first.toMap({-reach, -reach});
    const ControlPoint b = first.toMap({mapWindowWidth + reach, mapWindowHeight + reach});
    double minX = std::min(a.x, b.x), maxX = std::max(a.x, b.x);
    double minY = std::min(a.y, b.y), maxY = std::max(a.y, b.y);
    if (!std::isfinite(minX) || !std::isfinite(maxX) || !std::isfinite(minY) || !std::isfinite(maxY)) {
        // A view transform that is not finite: mayShowIn decides for every segment.
        for (std::size_t i = 0; i < segments.size(); ++i)
            if (segments[i].mayShowIn(mapWindowWidth, mapWindowHeight)) out.push_back(i);
        return;
    }
    // Far from the origin one pixel may be below the spacing of doubles.
    const double slackX = 1e-9 * std::max(std::fabs(minX), std::fabs(maxX));
    const double slackY = 1e-9 * std::max(std::fabs(minY), std::fabs(maxY));
    index.query(minX - slackX, minY - slackY, maxX + slackX, maxY + slackY, candidates);
    for (std::size_t i : candidates)
        if (segments[i].mayShowIn(mapWindowWidth, mapWindowHeight)) out.push_back(i);
}

int MapEditor::segmentCount() const { return static_cast<int>(segments.size()); }

void MapEditor::replaceChain(std::vector<Segment> loaded) {
    segments = std::move(loaded);
    markers.clear();
    restLocation = {0.5, 0.5};
    viewOffset = {1.0, 1.0};
    applyViewOffset();
    chainChanged();
}

void MapEditor::shiftView(double dx, double dy) {
    viewOffset.x += dx;
    viewOffset.y += dy;
    applyViewOffset();
}

void MapEditor::mouse(int state, int x, int y) {
    // Every segment sees the event: a press on a junction picks both copies.
    dragged.clear();
    for (std::size_t i = 0; i < segments.size(); ++i) {
        segments[i].pick(state, x, y);
        if (segments[i].getDragPoint() != PointRole::none) dragged.push_back(i);
    }
    for (Marker& m : markers) m.press(state, x, y, viewOffset.x, viewOffset.y);
}

void MapEditor::motion(int x, int y) {
    // Only picked segments move; the index follows each of them.
    for (std::size_t i : dragged) {
        segments[i].drag(x, y);
        index.update(i, segments[i]);
    }
    const int ox = truncateToInt(viewOffset.x);
    const int oy = truncateToInt(viewOffset.y);
    for (Marker& m : markers) m.dragTo(x, y, ox, oy);
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
