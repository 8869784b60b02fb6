// Whole frames of the editor drawn the old way (every segment, text glyph by
// glyph with glBitmap) and the current way (segments found through the index,
// text from the captured glyph texture) must be identical pixel for pixel.
#include <gtest/gtest.h>

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
#include "MapDraw.h"
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

Frame readFrame() {
    glFinish();
    Frame rgba(static_cast<std::size_t>(OffscreenContext::width) * OffscreenContext::height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, OffscreenContext::width, OffscreenContext::height, GL_RGBA, GL_UNSIGNED_BYTE,
                 rgba.data());
    return rgba;
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

class FrameIdentity : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        context = std::make_unique<OffscreenContext>();
        if (!context->ok()) return;
        std::mt19937 rng(9);
        for (auto& glyph : fontBits)
            for (unsigned char& byte : glyph) byte = static_cast<unsigned char>(rng());
        BitmapFont::font9by15 = fontBits;
        BitmapFont::drawGlyph = bitmapGlyph;
        context->beginFrame();
        atlas = GlyphAtlas::capture(bitmapGlyph, fontBits);
        buildInterface();
        mouseRouted(0, 0);
    }
    static void TearDownTestSuite() {
        BitmapFont::atlas = nullptr;
        atlas.reset();
        context.reset();
    }
    void SetUp() override {
        if (!context->ok()) GTEST_SKIP() << "no offscreen OpenGL context";
        ASSERT_NE(atlas, nullptr);
    }

    static void mouseRouted(int x, int y) {
        if (!guiManager.handleMouse(0, x, y)) mapEditor.mouse(0, x, y);
        mapEditor.mouse(1, x, y);
    }

    // The frame as the editor drew it before: every segment, glyph by glyph.
    static Frame oldFrame() {
        BitmapFont::atlas = nullptr;
        context->beginFrame();
        drawMap(mapEditor.getSegments(), mapEditor.getMarkers(), mapEditor.getViewOffset(),
                mapEditor.getZoom(), Culling::off);
        guiManager.drawAll();
        return readFrame();
    }
    static Frame newFrame() {
        BitmapFont::atlas = atlas.get();
        context->beginFrame();
        drawScene();
        BitmapFont::atlas = nullptr;
        return readFrame();
    }
    static void expectSameFrames(const char* what) {
        pointsCounter.setNumber(mapEditor.pointCount());
        fpsCounter.setNumber(-4567);
        const Frame before = oldFrame();
        const Frame after = newFrame();
        EXPECT_TRUE(before == after) << what << ": " << firstDifference(before, after);
    }

    static std::unique_ptr<OffscreenContext> context;
    static std::unique_ptr<GlyphAtlas> atlas;
};

std::unique_ptr<OffscreenContext> FrameIdentity::context;
std::unique_ptr<GlyphAtlas> FrameIdentity::atlas;

}  // namespace

TEST_F(FrameIdentity, EditorScreensAreUnchanged) {
    expectSameFrames("the initial map");

    mapEditor.mouse(0, 115, 110);  // the junction: both segments selected
    expectSameFrames("a selected chain");
    mapEditor.mouse(1, 115, 110);

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
    mapEditor.mouse(0, static_cast<int>(p.x * 10 + o.x), static_cast<int>(p.y * 10 + o.y));
    mapEditor.motion(790, 590);
    expectSameFrames("the course scrolled, a junction dragged to the corner");
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
        const Frame f = readFrame();
        BitmapFont::atlas = nullptr;
        std::size_t lit = 0;
        for (std::size_t i = 0; i < f.size(); i += 4) lit += f[i] != 0;
        EXPECT_EQ(lit, 0u) << (path ? "texture" : "glBitmap");
    }
}
