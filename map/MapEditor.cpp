#include "MapEditor.h"

#include <utility>

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
}

void MapEditor::applyViewOffset() {
    for (Segment& s : segments) s.setViewOffset(viewOffset.x, viewOffset.y);
}

// Each segment contributes its interior samples and its end point; the first
// start point adds one. Counting the stored samples rather than adding the
// raw resolutions keeps the figure right for a segment loaded with a negative
// resolution, which is sampled as 0.
int MapEditor::pointCount() const {
    int count = 1;
    for (const Segment& s : segments) count += static_cast<int>(s.getSamples().size()) - 1;
    return count;
}

int MapEditor::segmentCount() const { return static_cast<int>(segments.size()); }

void MapEditor::replaceChain(std::vector<Segment> loaded) {
    segments = std::move(loaded);
    markers.clear();
    restLocation = {0.5, 0.5};
    viewOffset = {1.0, 1.0};
    applyViewOffset();
}

void MapEditor::shiftView(double dx, double dy) {
    viewOffset.x += dx;
    viewOffset.y += dy;
    applyViewOffset();
}

void MapEditor::mouse(int state, int x, int y) {
    // Every segment sees the event: a press on a junction picks both copies.
    for (Segment& s : segments) s.pick(state, x, y);
    for (Marker& m : markers) m.press(state, x, y, viewOffset.x, viewOffset.y);
}

void MapEditor::motion(int x, int y) {
    for (Segment& s : segments) s.drag(x, y);
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
