// The segment index against a full scan: the same segments, in chain order,
// after every kind of edit that moves, adds or removes segments.
#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <random>
#include <vector>

#include "MapDraw.h"
#include "MapEditor.h"

namespace {

std::vector<std::size_t> fullScan(const MapEditor& editor) {
    std::vector<std::size_t> shown;
    for (std::size_t i = 0; i < editor.getSegments().size(); ++i)
        if (editor.segment(static_cast<int>(i)).mayShowIn(mapWindowWidth, mapWindowHeight))
            shown.push_back(i);
    return shown;
}

std::vector<std::size_t> fromIndex(const MapEditor& editor) {
    std::vector<std::size_t> shown;
    editor.visibleSegments(shown);
    return shown;
}

int recountedPoints(const MapEditor& editor) {
    int count = 1;
    for (const Segment& s : editor.getSegments()) count += static_cast<int>(s.getSamples().size()) - 1;
    return count;
}

// A joined chain wandering over about four windows in each direction, with
// random handles and resolutions.
std::vector<Segment> wanderingChain(unsigned seed, int count) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> step(-9.0, 9.0);
    std::uniform_real_distribution<double> handle(-5.0, 5.0);
    std::uniform_int_distribution<int> resolution(0, 9);
    std::vector<Segment> chain;
    double x = 40.0, y = 30.0;
    for (int i = 0; i < count; ++i) {
        double nx = x + step(rng), ny = y + step(rng);
        if (nx < -120 || nx > 200) nx = x - (nx - x);
        if (ny < -90 || ny > 150) ny = y - (ny - y);
        Segment s;
        s.setResolution(resolution(rng));
        s.setPoints(x, y, x + handle(rng), y + handle(rng), nx + handle(rng), ny + handle(rng), nx, ny);
        chain.push_back(s);
        x = nx;
        y = ny;
    }
    return chain;
}

// Window pixel of a segment's end point at the editor's view.
std::pair<int, int> endPixel(const MapEditor& editor, int i) {
    const ControlPoint& p = editor.segment(i).getEndPoint();
    const ControlPoint& o = editor.getViewOffset();
    const double pixelsPerUnit = 10 * editor.getZoom();
    return {static_cast<int>(p.x * pixelsPerUnit + o.x), static_cast<int>(p.y * pixelsPerUnit + o.y)};
}

}  // namespace

TEST(SegmentIndex, MatchesTheFullScanThroughEdits) {
    for (unsigned seed : {11u, 12u, 13u, 14u}) {
        std::mt19937 rng(seed);
        MapEditor editor;
        editor.replaceChain(wanderingChain(seed, 600));
        auto check = [&](const char* after) {
            ASSERT_EQ(fromIndex(editor), fullScan(editor)) << "seed " << seed << ", after " << after;
            ASSERT_EQ(editor.pointCount(), recountedPoints(editor)) << "seed " << seed << ", after " << after;
        };
        check("load");
        ASSERT_FALSE(fullScan(editor).empty());
        ASSERT_LT(fullScan(editor).size(), editor.getSegments().size())
            << "the course must reach beyond the window";
        std::uniform_int_distribution<int> pixelX(-400, 1200), pixelY(-300, 900);
        for (int round = 0; round < 25; ++round) {
            // Drag a junction somewhere on screen far away: its two segments
            // change boxes across the window's edges.
            const int i = static_cast<int>(rng() % (editor.getSegments().size() - 1));
            const auto [px, py] = endPixel(editor, i);
            editor.mouse(0, px, py);
            for (int step = 0; step < 3; ++step) {
                editor.motion(pixelX(rng), pixelY(rng));
                check("a drag step");
            }
            editor.mouse(1, 0, 0);
            // Wheel steps about a random pointer, out to the limits now and then.
            editor.zoomAt(pixelX(rng), pixelY(rng), static_cast<int>(rng() % 41) - 20);
            check("a zoom");
            switch (round % 5) {
                case 0:
                    editor.shiftView(-215, 95);
                    break;
                case 1:
                    editor.appendSegment();
                    break;
                case 2:
                    editor.mouse(0, px, py);  // selects the junction's segments again
                    editor.splitSelected();
                    break;
                case 3:
                    editor.mouse(0, px, py);
                    editor.setResolutionOfSelected(static_cast<int>(rng() % 12));
                    break;
                default:
                    editor.mouse(0, px, py);
                    editor.removeSelected();
                    break;
            }
            check("an edit");
        }
    }
}

TEST(SegmentIndex, SegmentWithoutFiniteBoxIsAlwaysAmongTheCandidates) {
    // mayShowIn keeps a segment with a NaN coordinate; the index has no box for it.
    std::vector<Segment> chain = wanderingChain(5, 300);
    chain[17].setPoints(std::nan(""), 0, -500, 0, -500, 0, -500, 0);
    MapEditor editor;
    editor.replaceChain(chain);
    EXPECT_EQ(fromIndex(editor), fullScan(editor));
    editor.shiftView(-215, 95);
    EXPECT_EQ(fromIndex(editor), fullScan(editor));
}
