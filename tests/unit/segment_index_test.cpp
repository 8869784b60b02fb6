// The segment index against a full scan: the same segments, in chain order,
// after every kind of edit that moves, adds or removes segments.
#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <random>
#include <vector>

#include "MapEditor.h"
#include "MapWindow.h"
#include "SegmentFactory.h"

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

// A chain wandering over about four windows in each direction.
const Walk walk = {9.0, 5.0, 9, -120, 200, -90, 150};

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
        editor.replaceChain(wanderingChain(seed, 600, walk));
        auto check = [&](const char* after) {
            ASSERT_EQ(fromIndex(editor), fullScan(editor)) << "seed " << seed << ", after " << after;
            ASSERT_EQ(editor.pointCount(), recountedPoints(editor)) << "seed " << seed << ", after " << after;
        };
        // A press or release through the editor, which visits only the
        // segments near the pointer and those marked, against every segment
        // of a copy taking it as the editor once did.
        auto mouse = [&](ButtonAction state, int x, int y) {
            std::vector<Segment> reference = editor.getSegments();
            for (Segment& s : reference) s.pick(state, x, y);
            editor.mouse(state, x, y);
            for (std::size_t k = 0; k < reference.size(); ++k) {
                const Segment& s = editor.segment(static_cast<int>(k));
                ASSERT_EQ(s.isSelected(), reference[k].isSelected()) << "seed " << seed << ", segment " << k;
                ASSERT_EQ(s.getDragPoint(), reference[k].getDragPoint())
                    << "seed " << seed << ", segment " << k;
            }
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
            mouse(ButtonAction::press, px, py);
            for (int step = 0; step < 3; ++step) {
                editor.motion(pixelX(rng), pixelY(rng));
                check("a drag step");
            }
            mouse(ButtonAction::release, 0, 0);
            // A press just inside or outside the pick tolerance of a point.
            const auto [qx, qy] = endPixel(editor, static_cast<int>(rng() % editor.getSegments().size()));
            mouse(ButtonAction::press, qx + static_cast<int>(rng() % 15) - 7,
                  qy + static_cast<int>(rng() % 15) - 7);
            mouse(ButtonAction::release, qx, qy);
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
                    mouse(ButtonAction::press, px, py);  // selects the junction's segments again
                    editor.splitSelected();
                    break;
                case 3:
                    mouse(ButtonAction::press, px, py);
                    editor.setResolutionOfSelected(static_cast<int>(rng() % 12));
                    break;
                default:
                    mouse(ButtonAction::press, px, py);
                    editor.removeSelected();
                    break;
            }
            check("an edit");
        }
    }
}

TEST(SegmentIndex, SegmentWithoutFiniteBoxIsAlwaysAmongTheCandidates) {
    // mayShowIn keeps a segment with a NaN coordinate; the index has no box for it.
    std::vector<Segment> chain = wanderingChain(5, 300, walk);
    chain[17].setPoints(std::nan(""), 0, -500, 0, -500, 0, -500, 0);
    MapEditor editor;
    editor.replaceChain(chain);
    EXPECT_EQ(fromIndex(editor), fullScan(editor));
    editor.shiftView(-215, 95);
    EXPECT_EQ(fromIndex(editor), fullScan(editor));
}

// A group move holds the moving segments' entries until the release: during
// it a translated box is found through a shifted rectangle and a reshaped one
// always; after it every moved point is found near its pixel again.
TEST(SegmentIndex, FollowsAGroupMoveDuringItAndAfterTheRelease) {
    for (unsigned seed : {21u, 22u, 23u, 24u, 25u, 26u}) {
        std::mt19937 rng(seed);
        MapEditor editor;
        editor.replaceChain(wanderingChain(seed, 400, walk));
        editor.zoomAt(400, 300, -static_cast<int>(rng() % 8));
        // Every end point (Ctrl+A), or a band over part of the window, which
        // also picks handles and single ends of segments.
        if (seed % 2 == 0) {
            editor.many().pickAllEndPoints();
        } else {
            const int x0 = static_cast<int>(rng() % 400), y0 = static_cast<int>(rng() % 300);
            if (!editor.many().press(x0, y0, true, false)) continue;
            editor.many().motion(x0 + 250 + static_cast<int>(rng() % 300), y0 + 200);
            editor.many().release();
        }
        const auto picked = editor.precision().picked();
        ASSERT_FALSE(picked.empty()) << "seed " << seed;
        const auto [pi, prole] = picked[rng() % picked.size()];
        const ControlPoint p = editor.segment(pi).toWindow(editor.segment(pi).pointOf(prole));
        ASSERT_TRUE(editor.many().press(static_cast<int>(p.x), static_cast<int>(p.y), false, false));
        std::uniform_int_distribution<int> pixelX(-600, 1400), pixelY(-500, 1100);
        for (int step = 0; step < 4; ++step) {
            editor.many().motion(pixelX(rng), pixelY(rng));
            ASSERT_EQ(fromIndex(editor), fullScan(editor)) << "seed " << seed << ", motion " << step;
        }
        ASSERT_TRUE(editor.many().release());
        ASSERT_EQ(fromIndex(editor), fullScan(editor)) << "seed " << seed << ", after the release";
        std::vector<std::size_t> near;
        for (const auto& [i, role] : picked) {
            const ControlPoint w = editor.segment(i).toWindow(editor.segment(i).pointOf(role));
            editor.segmentsNearPixels(w.x - 1, w.y - 1, w.x + 1, w.y + 1, near);
            ASSERT_TRUE(std::binary_search(near.begin(), near.end(), i)) << "seed " << seed << ", segment " << i;
        }
    }
}
