#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstddef>
#include <random>
#include <string>
#include <vector>

#include "MapDraw.h"
#include "MapDrawCache.h"
#include "MapEditor.h"
#include "gl/OffscreenContext.h"
#include "unit/SegmentFactory.h"

// The map drawing's scratch, shared by every drawing here.
static MapDrawCache drawCache;

// Mesa's driver, which EGL loads and unloads again with each test's context,
// leaves allocations behind that LeakSanitizer can only attribute to an unknown
// module; the map drawing itself allocates nothing.
extern "C" const char* __asan_default_options() { return "detect_leaks=0"; }

namespace {

using Frame = std::vector<unsigned char>;

Frame drawnFrame(OffscreenContext& ctx, const MapEditor& editor, Culling culling) {
    ctx.beginFrame();
    drawMap(editor.getSegments(), editor.getMarkers(), editor.getViewOffset(), editor.getZoom(), culling);
    return ctx.frame();
}

// The first differing pixel, in window coordinates, or a note that none differs.
std::string firstDifference(const Frame& a, const Frame& b) {
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[i]) {
            const std::size_t pixel = i / 4;
            const int x = static_cast<int>(pixel % OffscreenContext::width);
            const int y = OffscreenContext::height - 1 - static_cast<int>(pixel / OffscreenContext::width);
            return "first difference at (" + std::to_string(x) + ", " + std::to_string(y) + ")";
        }
    }
    return "identical";
}

int litPixels(const Frame& f) {
    int lit = 0;
    for (std::size_t i = 0; i < f.size(); i += 4) lit += (f[i] | f[i + 1] | f[i + 2]) != 0;
    return lit;
}

int culledCount(const MapEditor& editor) {
    int culled = 0;
    for (const Segment& s : editor.getSegments())
        culled += s.mayShowIn(mapWindowWidth, mapWindowHeight) ? 0 : 1;
    return culled;
}

// A chain wandering over an area about three times the window's in each
// direction (the window shows 0..80 by 0..60 map units).
const Walk walk = {12.0, 6.0, 12, -80, 160, -60, 120};

// Short straight segments along each edge of the window, their line from 8
// pixels inside to 8 pixels outside it in half-pixel steps (after the view
// offset (1, 1) of a loaded map), so that squares, points and smoothed lines
// straddle or just miss the edge.
std::vector<Segment> edgeHuggers() {
    std::vector<Segment> chain;
    for (int halfPixels = -16; halfPixels <= 16; ++halfPixels) {
        const double beyond = halfPixels / 2.0;
        const double leftX = (-1.0 - beyond) / 10.0;
        const double rightX = (mapWindowWidth - 1.0 + beyond) / 10.0;
        const double topY = (-1.0 - beyond) / 10.0;
        const double bottomY = (mapWindowHeight - 1.0 + beyond) / 10.0;
        const double along = 5.0 + 1.5 * (halfPixels + 16);
        Segment s;
        s.setPoints(leftX, along, leftX, along + 0.3, leftX, along + 0.6, leftX, along + 0.9);
        chain.push_back(s);
        s.setPoints(rightX, along, rightX, along + 0.3, rightX, along + 0.6, rightX, along + 0.9);
        chain.push_back(s);
        s.setPoints(along, topY, along + 0.3, topY, along + 0.6, topY, along + 0.9, topY);
        chain.push_back(s);
        s.setPoints(along, bottomY, along + 0.3, bottomY, along + 0.6, bottomY, along + 0.9, bottomY);
        chain.push_back(s);
    }
    return chain;
}

}  // namespace

TEST(SegmentBounds, InsideAndFarOutsideTheWindow) {
    Segment inside;
    inside.setPoints(10, 10, 11, 11, 12, 11, 13, 10);
    inside.setViewOffset(1, 1);
    EXPECT_TRUE(inside.mayShowIn(800, 600));

    Segment farLeft;
    farLeft.setPoints(-30, 10, -29, 11, -28, 11, -27, 10);
    farLeft.setViewOffset(1, 1);
    EXPECT_FALSE(farLeft.mayShowIn(800, 600));
    // The same segment comes into view when the view moves right.
    farLeft.setViewOffset(300, 1);
    EXPECT_TRUE(farLeft.mayShowIn(800, 600));

    Segment below;
    below.setPoints(10, 70, 11, 71, 12, 71, 13, 70);
    below.setViewOffset(1, 1);
    EXPECT_FALSE(below.mayShowIn(800, 600));
}

TEST(SegmentBounds, HandleReachingIntoTheWindowKeepsTheSegment) {
    // End points far to the right, one handle inside: its square and line show.
    Segment s;
    s.setPoints(100, 10, 70, 10, 101, 10, 102, 10);
    s.setViewOffset(1, 1);
    EXPECT_TRUE(s.mayShowIn(800, 600));
}

TEST(SegmentBounds, NanCoordinatesAreNeverCulled) {
    Segment s;
    s.setPoints(std::nan(""), 10, -500, 10, -500, 10, -500, 10);
    s.setViewOffset(1, 1);
    EXPECT_TRUE(s.mayShowIn(800, 600));
}

class MapCull : public ::testing::Test {
protected:
    void SetUp() override {
        if (!ctx.ok()) GTEST_SKIP() << "no offscreen OpenGL context";
    }
    OffscreenContext ctx;
};

TEST_F(MapCull, WanderingCourseDrawsTheSamePixels) {
    for (unsigned seed : {1u, 2u, 3u}) {
        MapEditor editor;
        editor.replaceChain(wanderingChain(seed, 400, walk));
        // Select what a press at a few places picks, so white curves take part.
        editor.mouse(ButtonAction::press, 400, 300);
        editor.mouse(ButtonAction::release, 400, 300);
        for (int shift = 0; shift < 3; ++shift) {
            const int culled = culledCount(editor);
            ASSERT_GT(culled, 0) << "seed " << seed << ": the course must reach beyond the window";
            ASSERT_LT(culled, editor.segmentCount()) << "seed " << seed;
            const Frame all = drawnFrame(ctx, editor, Culling::off);
            ASSERT_GT(litPixels(all), 1000) << "seed " << seed;
            const Frame culledFrame = drawnFrame(ctx, editor, Culling::on);
            EXPECT_TRUE(all == culledFrame)
                << "seed " << seed << " shift " << shift << ": " << firstDifference(all, culledFrame);
            editor.shiftView(-215, 95);
        }
    }
}

TEST_F(MapCull, SegmentsAtTheEdgesDrawTheSamePixels) {
    MapEditor editor;
    editor.replaceChain(edgeHuggers());
    const int culled = culledCount(editor);
    // The farthest ones are culled, the nearest ones reach in with their squares.
    ASSERT_GT(culled, 0);
    ASSERT_LT(culled, editor.segmentCount());
    const Frame all = drawnFrame(ctx, editor, Culling::off);
    const Frame culledFrame = drawnFrame(ctx, editor, Culling::on);
    EXPECT_TRUE(all == culledFrame) << firstDifference(all, culledFrame);
    // Something is drawn in the outermost rows and columns, so the edges are really tested.
    int edgeLit = 0;
    for (int x = 0; x < OffscreenContext::width; ++x)
        edgeLit += (ctx.pixel(x, 0) != std::array<int, 3>{0, 0, 0}) +
                   (ctx.pixel(x, OffscreenContext::height - 1) != std::array<int, 3>{0, 0, 0});
    EXPECT_GT(edgeLit, 0);
}

TEST_F(MapCull, EditorDrawCullsAndKeepsThePicture) {
    MapEditor editor;
    editor.replaceChain(wanderingChain(7, 300, walk));
    ctx.beginFrame();
    editor.draw(drawCache);
    const Frame fromEditor = ctx.frame();
    const Frame all = drawnFrame(ctx, editor, Culling::off);
    EXPECT_GT(culledCount(editor), 0);
    EXPECT_TRUE(all == fromEditor) << firstDifference(all, fromEditor);
}
