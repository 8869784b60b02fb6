// Whole frames of the editor drawn the old way (every segment, text glyph by
// glyph with glBitmap) and the current way (segments found through the index,
// text from the captured glyph texture, the map copied from the map layer
// cache) must be identical pixel for pixel. The context has the window's
// 8-bit colour and depth buffer, so the cache is on as in the window.
#include <gtest/gtest.h>

#include <EGL/egl.h>
#include <GL/gl.h>

#include <cstddef>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "BitmapFont.h"
#include "FrameLoop.h"
#include "Globals.h"
#include "GlyphAtlas.h"
#include "Interface.h"
#include "KeysPanel.h"
#include "MapDraw.h"
#include "Notices.h"
#include "PrecisionTools.h"
#include "WindowNotices.h"
#include "gl/OffscreenContext.h"

extern "C" const char* __asan_default_options() { return "detect_leaks=0"; }

namespace {

using Frame = std::vector<unsigned char>;

// A 9 x 15 bitmap font with random pixels (descending 3 below the baseline,
// advancing 9), standing in for GLUT's, which needs a display.
unsigned char fontBits[256][30];

// Rows of two bytes, unpacked as GLUT unpacks its glyphs: byte-aligned, the
// caller's unpacking restored afterwards.
void bitmapGlyph(void*, int c) {
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glBitmap(9, 15, 0.0f, 3.0f, 9.0f, 0.0f, fontBits[c & 255]);
    glPopClientAttrib();
}

std::string firstDifference(const Frame& a, const Frame& b) {
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[i]) {
            const std::size_t pixel = i / 4;
            return "first difference at (" + std::to_string(pixel % OffscreenContext::width) + ", " +
                   std::to_string(OffscreenContext::height - 1 - pixel / OffscreenContext::width) + ")";
        }
    }
    return "identical";
}

// The old frames' own drawing scratch.
MapDrawCache oldDrawing;

MapLayerCache::Proc loadProc(const char* name) { return reinterpret_cast<MapLayerCache::Proc>(eglGetProcAddress(name)); }

class FrameIdentity : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        context = std::make_unique<OffscreenContext>(OffscreenContext::Colour::eightBits);
        if (!context->ok()) return;
        windowState.mapLayerCache.enable(loadProc);
        keysPanel.enable(loadProc);
        std::mt19937 rng(9);
        for (auto& glyph : fontBits)
            for (unsigned char& byte : glyph) byte = static_cast<unsigned char>(rng());
        BitmapFont::font9by15 = fontBits;
        BitmapFont::drawGlyph = bitmapGlyph;
        context->beginFrame();
        atlas = GlyphAtlas::capture(bitmapGlyph, fontBits, loadProc);
        buildInterface();
        buildWindowNotices();
        mouseRouted(0, 0);
    }
    static void TearDownTestSuite() {
        windowState.mapLayerCache.disable();
        BitmapFont::atlas = nullptr;
        atlas.reset();
        context.reset();
    }
    void SetUp() override {
        if (!context->ok()) GTEST_SKIP() << "no offscreen OpenGL context";
        ASSERT_NE(atlas, nullptr);
        ASSERT_TRUE(windowState.mapLayerCache.enabled());
        resetWindowState();
    }

    static void mouseRouted(int x, int y) {
        if (!guiManager.handleMouse(PointerAction::press, x, y)) mapEditor.mouse(ButtonAction::press, x, y);
        mapEditor.mouse(ButtonAction::release, x, y);
    }

    // The frame as the editor drew it before: every segment, glyph by glyph.
    // Zoomed out, where the map's drawing merges what shares a pixel, the map
    // drawn straight into the window.
    static Frame oldFrame() {
        BitmapFont::atlas = nullptr;
        context->beginFrame();
        if (mapEditor.getZoom() < 1.0) {
            mapEditor.draw(oldDrawing);
        } else {
            if (mapEditor.precision().isOn())
                drawGrid(mapEditor.getViewOffset(), mapEditor.getZoom(), mapEditor.precision().gridStep(), oldDrawing);
            drawMap(mapEditor.getSegments(), mapEditor.getMarkers(), mapEditor.getViewOffset(),
                    mapEditor.getZoom(), Culling::off);
        }
        guiManager.drawAll();
        drawPrecisionReadout();
        return context->frame();
    }
    static Frame newFrame() {
        BitmapFont::atlas = atlas.get();
        context->beginFrame();
        drawScene();
        BitmapFont::atlas = nullptr;
        return context->frame();
    }
    // Two new frames: the first draws the map into the cache when anything it
    // shows has changed, the second copies it.
    static void expectSameFrames(const char* what) {
        pointsCounter.setNumber(mapEditor.pointCount());
        fpsCounter.setNumber(-4567);
        const Frame before = oldFrame();
        const Frame drawn = newFrame();
        EXPECT_TRUE(before == drawn) << what << ": " << firstDifference(before, drawn);
        const Frame copied = newFrame();
        EXPECT_TRUE(windowState.mapLayerCache.lastDrawWasCopy()) << what;
        EXPECT_TRUE(before == copied) << what << " (copied): " << firstDifference(before, copied);
    }

    static std::unique_ptr<OffscreenContext> context;
    static std::unique_ptr<GlyphAtlas> atlas;
};

std::unique_ptr<OffscreenContext> FrameIdentity::context;
std::unique_ptr<GlyphAtlas> FrameIdentity::atlas;

}  // namespace

TEST_F(FrameIdentity, EditorScreensAreUnchanged) {
    expectSameFrames("the initial map");

    mapEditor.mouse(ButtonAction::press, 115, 110);  // the junction: both segments selected
    expectSameFrames("a selected chain");
    mapEditor.mouse(ButtonAction::release, 115, 110);

    maximizePressed();
    pointMaximizePressed();
    // Hover a bar button so that its highlighted caption is drawn too.
    guiManager.handleHover(440, 20);
    expectSameFrames("both bars open");

    // A long course through and beyond the window, dragged and scrolled.
    std::vector<Segment> course;
    std::mt19937 rng(3);
    std::uniform_real_distribution<double> height(5.0, 55.0), bend(-4.0, 4.0);
    double x = -20.0, y = 30.0;
    for (int i = 0; i < 400; ++i) {
        const double nx = x + 2.5, ny = height(rng);
        Segment s;
        s.setResolution(static_cast<int>(rng() % 8));
        s.setPoints(x, y, x + 1 + bend(rng), y + bend(rng), nx - 1 + bend(rng), ny + bend(rng), nx, ny);
        course.push_back(s);
        x = nx;
        y = ny;
    }
    mapEditor.replaceChain(course);
    expectSameFrames("a course reaching beyond the window");
    mapEditor.shiftView(-300, 40);
    const ControlPoint& p = mapEditor.segment(130).getEndPoint();
    const ControlPoint& o = mapEditor.getViewOffset();
    mapEditor.mouse(ButtonAction::press, static_cast<int>(p.x * 10 + o.x), static_cast<int>(p.y * 10 + o.y));
    mapEditor.motion(790, 590);
    expectSameFrames("the course scrolled, a junction dragged to the corner");
    mapEditor.mouse(ButtonAction::release, 790, 590);

    // The edits of the point bar on the selected pair at the corner, the
    // wheel and the keys: no frame may show a picture from before the edit.
    // A press on the start point of the middle one of the segments in the
    // window, and a drag step of it: two edits, so that the step must show
    // by itself after a frame copied from the cache.
    static ControlPoint pressed;
    auto pressShownPoint = [] {
        std::vector<std::size_t> shown;
        mapEditor.visibleSegments(shown);
        const Segment& s = mapEditor.segment(static_cast<int>(shown.at(shown.size() / 2)));
        pressed = s.toWindow(s.getStartPoint());
        mapEditor.mouse(ButtonAction::press, static_cast<int>(pressed.x), static_cast<int>(pressed.y));
    };
    auto dragStep = [] {
        mapEditor.motion(static_cast<int>(pressed.x) + 7, static_cast<int>(pressed.y) - 9);
    };
    const struct {
        const char* what;
        void (*edit)();
    } edits[] = {
        {"resolution 1 for the selected segments", [] { mapEditor.setResolutionOfSelected(1); }},
        {"the selected segments split", [] { mapEditor.splitSelected(); }},
        {"the selected segments removed", [] { mapEditor.removeSelected(); }},
        {"three wheel steps in", [] { mapEditor.zoomAt(700, 500, 3); }},
        {"eight wheel steps out", [] { mapEditor.zoomAt(100, 500, -8); }},
        {"scrolled by a key", [] { mapEditor.keyboard('a'); }},
        {"a point pressed while zoomed out", pressShownPoint},
        {"a drag step while zoomed out", dragStep},
        {"a short map loaded",
         [] {
             mapEditor.mouse(ButtonAction::release, 0, 0);
             std::vector<Segment> part(mapEditor.getSegments().begin(), mapEditor.getSegments().begin() + 30);
             mapEditor.replaceChain(part);
         }},
        {"a segment appended", [] { mapEditor.appendSegment(); }},
        {"a point pressed", pressShownPoint},
        {"a drag step", dragStep},
        {"a press on empty map", [] { mapEditor.mouse(ButtonAction::release, 0, 0), mapEditor.mouse(ButtonAction::press, 790, 300); }},
    };
    for (const auto& e : edits) {
        const Frame before = oldFrame();
        e.edit();
        EXPECT_FALSE(before == oldFrame()) << e.what << " changes nothing on screen";
        expectSameFrames(e.what);
    }
}

// Precision mode's grid comes into the window as a picture under the map: it
// must be the grid the lines draw, through drags, scrolls and zooms, at view
// offsets with fractions of a pixel too.
TEST_F(FrameIdentity, GridPictureIsTheDrawnGrid) {
    mapEditor = MapEditor();
    mapEditor.precision().set(true);
    expectSameFrames("precision mode on");
    // The initial map's junction, dragged between grid nodes.
    mapEditor.mouse(ButtonAction::press, 115, 110);
    mapEditor.motion(163, 207);
    expectSameFrames("a drag step over the grid");
    mapEditor.mouse(ButtonAction::release, 0, 0);
    mapEditor.shiftView(13, -7);
    expectSameFrames("the grid scrolled");
    const struct {
        int x, y, steps;
    } zooms[] = {{400, 250, 2}, {123, 77, 1}, {0, 0, -5}, {799, 499, -9}, {5, 3, 20}};
    for (const auto& z : zooms) {
        mapEditor.zoomAt(z.x, z.y, z.steps);
        expectSameFrames("the grid zoomed");
    }
    mapEditor.precision().set(false);
    expectSameFrames("precision mode off");
}

TEST_F(FrameIdentity, TextOutsideTheWindowIsDroppedAsGlBitmapDropsIt) {
    // A raster position outside the window is invalid: glBitmap draws nothing
    // from it, even where a glyph would reach into the window.
    Label label;
    label.setBordered(false);
    label.setGeometry(-5, 300, 100, 20);
    label.setTextColor(255, 255, 255);
    label.setText("WWW");
    for (const GlyphAtlas* path :
         {static_cast<const GlyphAtlas*>(nullptr), static_cast<const GlyphAtlas*>(atlas.get())}) {
        BitmapFont::atlas = path;
        context->beginFrame();
        label.draw();
        const Frame f = context->frame();
        BitmapFont::atlas = nullptr;
        std::size_t lit = 0;
        for (std::size_t i = 0; i < f.size(); i += 4) lit += f[i] != 0;
        EXPECT_EQ(lit, 0u) << (path ? "texture" : "glBitmap");
    }
}

// Glyphs captured offscreen leave the frame being drawn alone (the suite's
// atlas is captured so, and its text matches glBitmap's in every test above).
TEST_F(FrameIdentity, OffscreenGlyphCaptureLeavesTheFrameAlone) {
    context->beginFrame();
    glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    const Frame red = context->frame();
    EXPECT_NE(GlyphAtlas::capture(bitmapGlyph, fontBits, loadProc), nullptr);
    EXPECT_TRUE(context->frame() == red) << firstDifference(red, context->frame());
}

// A notice, as long as a path can make it, with more lines behind it, lights
// pixels in its part of the band right of the counters (x 120..795,
// y 505..539) and nowhere else; once dismissed the frame is as before.
TEST_F(FrameIdentity, ANoticeDrawsInItsBandOnly) {
    const Frame before = newFrame();
    for (const std::string& line : {std::string("Warning: short"), "File output error: " + std::string(300, 'W')}) {
        windowNotices().post(line, 1000);
        windowNotices().post(line, 1000);
        updateNoticePanel(1000);
        const Frame shown = newFrame();
        std::size_t inside = 0, outside = 0;
        for (std::size_t i = 0; i < shown.size(); i += 4) {
            if (shown[i] == before[i] && shown[i + 1] == before[i + 1] && shown[i + 2] == before[i + 2]) continue;
            const std::size_t x = i / 4 % OffscreenContext::width;
            const std::size_t y = OffscreenContext::height - 1 - i / 4 / OffscreenContext::width;
            (x >= 120 && x <= 795 && y >= 505 && y <= 539 ? inside : outside) += 1;
        }
        EXPECT_GT(inside, 1000u) << line;
        EXPECT_EQ(outside, 0u) << line;
        noticePressed();
        updateNoticePanel(1000);
        EXPECT_TRUE(newFrame() == before) << line;
    }
}

// The open keys panel is drawn once and copied after: every copied frame is
// the frame drawn glyph by glyph, over a map that changes under it, with
// precision mode's readout drawn after it. In a window of another size the
// panel is drawn every frame; closed, it leaves nothing behind.
TEST_F(FrameIdentity, TheKeysPanelCopiedIsTheKeysPanelDrawn) {
    ASSERT_TRUE(keysPanelKey(EditorKey::f1));
    expectSameFrames("the keys panel open");
    EXPECT_TRUE(keysPanel.lastDrawWasCopy());
    mapEditor.appendSegment();
    mapEditor.precision().set(true);
    expectSameFrames("the keys panel over a longer map in precision mode");
    EXPECT_TRUE(keysPanel.lastDrawWasCopy());
    mapEditor.precision().set(false);

    // A drawable of 640 x 480 shows the picture scaled: no whole pixels.
    BitmapFont::atlas = atlas.get();
    context->beginFrame();
    glViewport(0, 0, 640, 480);
    drawScene();
    BitmapFont::atlas = nullptr;
    EXPECT_FALSE(keysPanel.lastDrawWasCopy());
    expectSameFrames("the keys panel back at one unit a pixel");

    ASSERT_TRUE(keysPanelKey(EditorKey::f1));
    expectSameFrames("the keys panel closed");
    EXPECT_FALSE(keysPanel.lastDrawWasCopy());
}
