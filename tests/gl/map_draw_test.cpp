#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <random>
#include <vector>

#include "MapDraw.h"
#include "MapDrawCache.h"
#include "MapEditor.h"
#include "gl/OffscreenContext.h"

// The map drawing's scratch, shared by every drawing here.
static MapDrawCache drawCache;

// Mesa's driver, which EGL loads and unloads again with each test's context,
// leaves allocations behind that LeakSanitizer can only attribute to an unknown
// module; the map drawing itself allocates nothing. Leak checks of the model
// run in the unit tests.
extern "C" const char* __asan_default_options() { return "detect_leaks=0"; }

namespace {

using Rgb = std::array<int, 3>;

const Rgb black{0, 0, 0};
const Rgb white{255, 255, 255};
const Rgb yellow{255, 255, 0};
const Rgb red{255, 0, 0};
const Rgb magenta{255, 0, 255};
const Rgb green{0, 255, 0};

bool near(const Rgb& a, const Rgb& b, int tolerance = 40) {
    for (int i = 0; i < 3; ++i) {
        if (std::abs(a[i] - b[i]) > tolerance) return false;
    }
    return true;
}

// Handle lines end in the middle of their squares and smoothed lines blend
// into neighbouring pixels, so a colour counts as drawn at (x, y) when it
// shows within `radius` pixels of it.
bool colourNear(const OffscreenContext& ctx, int x, int y, const Rgb& colour, int radius = 2) {
    for (int dy = -radius; dy <= radius; ++dy) {
        for (int dx = -radius; dx <= radius; ++dx) {
            if (near(ctx.pixel(x + dx, y + dy), colour)) return true;
        }
    }
    return false;
}

struct WindowPoint {
    int x, y;
};

WindowPoint toWindow(const Segment& s, const ControlPoint& p) {
    return {static_cast<int>(std::floor(p.x * 10 + s.getViewOffset().x)),
            static_cast<int>(std::floor(p.y * 10 + s.getViewOffset().y))};
}

// A pixel in the middle of the line between samples k and k + 1, where no
// sample point covers it.
WindowPoint curvePixel(const Segment& s, int k) {
    const ControlPoint& a = s.getSamples()[k];
    const ControlPoint& b = s.getSamples()[k + 1];
    return toWindow(s, {(a.x + b.x) / 2, (a.y + b.y) / 2});
}

void expectInitialMapAt(const OffscreenContext& ctx, const MapEditor& editor, int shift) {
    EXPECT_TRUE(colourNear(ctx, 10 + shift, 110, magenta));
    EXPECT_TRUE(colourNear(ctx, 170 + shift, 110, magenta));
    EXPECT_TRUE(colourNear(ctx, 115 + shift, 110, magenta));
    EXPECT_TRUE(colourNear(ctx, 15 + shift, 190, green));
    EXPECT_TRUE(colourNear(ctx, 110 + shift, 190, green));
    EXPECT_TRUE(colourNear(ctx, 130 + shift, 90, green));
    EXPECT_TRUE(colourNear(ctx, 150 + shift, 90, green));
    // The end squares are 6 pixels wide: 5 pixels left of the centre is background.
    EXPECT_EQ(ctx.pixel(5 + shift, 110), black);

    // The marker covers (10, 17) to (16, 23), corners exclusive at the far side.
    EXPECT_EQ(ctx.pixel(10 + shift, 17), white);
    EXPECT_EQ(ctx.pixel(15 + shift, 22), white);
    EXPECT_EQ(ctx.pixel(13 + shift, 20), white);
    EXPECT_EQ(ctx.pixel(9 + shift, 20), black);
    EXPECT_EQ(ctx.pixel(16 + shift, 20), black);
    EXPECT_EQ(ctx.pixel(13 + shift, 16), black);
    EXPECT_EQ(ctx.pixel(13 + shift, 23), black);

    const Segment& first = editor.segment(0);
    const WindowPoint sample = toWindow(first, first.getSamples()[3]);
    EXPECT_TRUE(near(ctx.pixel(sample.x, sample.y), red)) << sample.x << "," << sample.y;
    const WindowPoint curve = curvePixel(first, 3);
    EXPECT_TRUE(colourNear(ctx, curve.x, curve.y, yellow, 1)) << curve.x << "," << curve.y;
    EXPECT_FALSE(colourNear(ctx, curve.x, curve.y, white, 1));
}

}  // namespace

TEST(MapDraw, FirstFrameOfTheInitialMap) {
    OffscreenContext ctx;
    if (!ctx.ok()) GTEST_SKIP() << "no offscreen OpenGL context";
    ctx.beginFrame();
    MapEditor editor;
    editor.draw(drawCache);
    expectInitialMapAt(ctx, editor, 0);

    const Segment& second = editor.segment(1);
    const WindowPoint curve = curvePixel(second, 2);
    EXPECT_TRUE(colourNear(ctx, curve.x, curve.y, yellow, 1));
}

TEST(MapDraw, ShiftedViewMovesEverythingRight) {
    OffscreenContext ctx;
    if (!ctx.ok()) GTEST_SKIP() << "no offscreen OpenGL context";
    MapEditor editor;
    editor.shiftView(15, 0);
    ctx.beginFrame();
    editor.draw(drawCache);
    expectInitialMapAt(ctx, editor, 15);
    // Nothing is left at the old places.
    EXPECT_FALSE(colourNear(ctx, 10, 110, magenta, 1));
    EXPECT_EQ(ctx.pixel(11, 18), black);
}

TEST(MapDraw, SelectedSegmentIsWhite) {
    OffscreenContext ctx;
    if (!ctx.ok()) GTEST_SKIP() << "no offscreen OpenGL context";
    MapEditor editor;
    editor.mouse(ButtonAction::press, 130, 90);  // the second segment's start handle
    ctx.beginFrame();
    editor.draw(drawCache);
    const WindowPoint selectedCurve = curvePixel(editor.segment(1), 2);
    EXPECT_TRUE(colourNear(ctx, selectedCurve.x, selectedCurve.y, white, 1));
    EXPECT_FALSE(colourNear(ctx, selectedCurve.x, selectedCurve.y, yellow, 1));
    const WindowPoint otherCurve = curvePixel(editor.segment(0), 3);
    EXPECT_TRUE(colourNear(ctx, otherCurve.x, otherCurve.y, yellow, 1));
    EXPECT_FALSE(colourNear(ctx, otherCurve.x, otherCurve.y, white, 1));
}

TEST(MapDraw, LoadedStraightSegmentWithoutInteriorSamples) {
    OffscreenContext ctx;
    if (!ctx.ok()) GTEST_SKIP() << "no offscreen OpenGL context";
    MapEditor editor;
    Segment straight;
    straight.setResolution(0);
    straight.setPoints(0, 10, 5, 30, 25, 30, 30, 10);
    editor.replaceChain({straight});
    ctx.beginFrame();
    editor.draw(drawCache);
    // After a load the map point (0, 10) is drawn at (1, 101).
    EXPECT_TRUE(colourNear(ctx, 1, 101, magenta));
    EXPECT_TRUE(colourNear(ctx, 301, 101, magenta));
    EXPECT_TRUE(colourNear(ctx, 51, 301, green));
    // One line between the end points; no red point in the middle.
    bool yellowFound = false;
    for (int y = 100; y <= 101; ++y) yellowFound = yellowFound || near(ctx.pixel(151, y), yellow, 120);
    EXPECT_TRUE(yellowFound);
    EXPECT_FALSE(colourNear(ctx, 151, 101, red, 2));
    // No marker after a load.
    EXPECT_EQ(ctx.pixel(4, 11), black);
}

// Zoomed out to 1/64 the drawing merges what shares a pixel, but every
// control point in the window must still show a square where a press picks it.
TEST(MapDraw, ZoomedOutEveryPickablePointShowsItsSquare) {
    OffscreenContext ctx(OffscreenContext::Colour::eightBits);
    if (!ctx.ok()) GTEST_SKIP() << "no offscreen OpenGL context";
    // Pieces from a tenth of a pixel to 6 pixels long, handles up to 15
    // pixels from their points, heights over most of the window.
    std::mt19937 rng(23);
    std::uniform_real_distribution<double> length(0.6, 40.0), height(-1600.0, 1600.0), bend(-100.0, 100.0);
    std::vector<Segment> course;
    double x = 0.0, y = 0.0;
    while (x < 6000.0) {
        const double nx = x + length(rng), ny = height(rng);
        Segment s;
        s.setPoints(x, y, x + bend(rng), y + bend(rng), nx + bend(rng), ny + bend(rng), nx, ny);
        course.push_back(s);
        x = nx;
        y = ny;
    }
    MapEditor editor;
    editor.replaceChain(course);
    editor.zoomAt(0, 300, -19);
    ASSERT_EQ(editor.getZoom(), 1.0 / 64.0);
    ctx.beginFrame();
    editor.draw(drawCache);
    const std::vector<unsigned char> frame = ctx.frame();
    auto isSquare = [&](int px, int py) {
        if (px < 0 || px >= OffscreenContext::width || py < 0 || py >= OffscreenContext::height) return false;
        const unsigned char* p =
            &frame[((OffscreenContext::height - 1 - py) * OffscreenContext::width + px) * 4];
        const Rgb rgb{p[0], p[1], p[2]};
        return rgb == magenta || rgb == green;
    };
    int checked = 0;
    for (const Segment& s : editor.getSegments()) {
        for (const ControlPoint& p : s.controlPoints()) {
            const ControlPoint w = s.toWindow(p);
            if (w.x < 0 || w.x >= OffscreenContext::width || w.y < 0 || w.y >= OffscreenContext::height)
                continue;
            ++checked;
            // The pointer positions that pick the point, as Segment::pick tests them.
            const double tolerance = s.pickTolerance();
            bool shown = false;
            for (int py = static_cast<int>(w.y - tolerance);
                 py <= static_cast<int>(w.y + tolerance) && !shown; ++py)
                for (int px = static_cast<int>(w.x - tolerance); px <= static_cast<int>(w.x + tolerance);
                     ++px)
                    if (std::fabs(std::trunc(w.x - px)) < tolerance &&
                        std::fabs(std::trunc(w.y - py)) < tolerance && isSquare(px, py)) {
                        shown = true;
                        break;
                    }
            EXPECT_TRUE(shown) << "no square where (" << w.x << ", " << w.y << ") is picked";
        }
    }
    EXPECT_GT(checked, 1000);
}

TEST(MapDraw, BandIsAOnePixelCyanOutlineOverTheMap) {
    OffscreenContext ctx;
    if (!ctx.ok()) GTEST_SKIP() << "no offscreen OpenGL context";
    ctx.beginFrame();
    MapEditor editor;
    editor.draw(drawCache);
    // Drawn backwards from (130, 120) to (100, 80): over the junction's handle line.
    drawBand({130.7, 120.2}, {100.0, 80.0});
    const Rgb cyan{0, 255, 255};
    for (int x = 100; x <= 130; ++x) {
        EXPECT_EQ(ctx.pixel(x, 80), cyan) << x;
        EXPECT_EQ(ctx.pixel(x, 120), cyan) << x;
        EXPECT_NE(ctx.pixel(x, 79), cyan) << x;
        EXPECT_NE(ctx.pixel(x, 121), cyan) << x;
    }
    for (int y = 80; y <= 120; ++y) {
        EXPECT_EQ(ctx.pixel(100, y), cyan) << y;
        EXPECT_EQ(ctx.pixel(130, y), cyan) << y;
        EXPECT_NE(ctx.pixel(99, y), cyan) << y;
        EXPECT_NE(ctx.pixel(131, y), cyan) << y;
        if (y == 80 || y == 120) continue;
        EXPECT_NE(ctx.pixel(101, y), cyan) << y;
        EXPECT_NE(ctx.pixel(129, y), cyan) << y;
    }
    // The map inside stays as drawn: the junction's square.
    EXPECT_TRUE(colourNear(ctx, 115, 110, magenta, 1));
}

TEST(MapDraw, PickedPointsOfAGroupAreCyanWhereTheyAre) {
    OffscreenContext ctx;
    if (!ctx.ok()) GTEST_SKIP() << "no offscreen OpenGL context";
    const Rgb cyan{0, 255, 255};
    MapEditor editor;
    std::vector<ControlPoint> picked;
    // A plain click picks a point but no group: nothing is drawn for it.
    editor.mouse(ButtonAction::press, 170, 110);
    editor.mouse(ButtonAction::release, 170, 110);
    editor.many().pickedInWindow(picked);
    EXPECT_TRUE(picked.empty());
    editor.mouse(ButtonAction::press, 400, 300);
    editor.mouse(ButtonAction::release, 400, 300);
    // Segment 0's start and the junction Shift-clicked: a group of two points.
    ASSERT_TRUE(editor.many().press(10, 110, true, false));
    editor.mouse(ButtonAction::release, 10, 110);
    ASSERT_TRUE(editor.many().press(115, 110, true, false));
    editor.mouse(ButtonAction::release, 115, 110);
    ctx.beginFrame();
    editor.draw(drawCache);
    editor.many().pickedInWindow(picked);
    drawPicked(picked);
    for (const auto& [x, y] : std::vector<std::pair<int, int>>{{10, 110}, {115, 110}}) {
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -2; dx <= 2; ++dx) EXPECT_EQ(ctx.pixel(x + dx, y + dy), cyan) << x + dx << "," << y + dy;
        EXPECT_NE(ctx.pixel(x + 5, y), cyan) << x;
    }
    // The end point left out keeps the map's own colour, and nothing else is cyan.
    EXPECT_TRUE(colourNear(ctx, 170, 110, magenta, 1));
    int cyanPixels = 0;
    for (int y = 0; y < OffscreenContext::height; ++y)
        for (int x = 0; x < OffscreenContext::width; ++x) cyanPixels += ctx.pixel(x, y) == cyan;
    EXPECT_LE(cyanPixels, 2 * 7 * 7);
    EXPECT_GE(cyanPixels, 2 * 5 * 5);
}
