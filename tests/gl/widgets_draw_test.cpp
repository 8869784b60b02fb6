// The controls drawn into a real offscreen OpenGL context and read back pixel by pixel.

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <memory>
#include <vector>

#include "BitmapFont.h"
#include "Button.h"
#include "GuiManager.h"
#include "Label.h"
#include "Panel.h"
#include "Slider.h"
#include "gl/OffscreenContext.h"

// Mesa's driver, loaded and unloaded by EGL with the context, leaves allocations
// behind that LeakSanitizer can only attribute to an unknown module; the widgets
// allocate nothing while drawing, and their leak checks run in the unit tests.
extern "C" const char* __asan_default_options() { return "detect_leaks=0"; }

namespace {

using Rgb = std::array<int, 3>;

const Rgb black{0, 0, 0};
const Rgb white{255, 255, 255};
const Rgb grey{128, 128, 128};       // black + 0.5
const Rgb teal{0, 60, 60};           // (0, 60, 60)
const Rgb tealFrame{128, 187, 187};  // (0, 60, 60) + 0.5
const Rgb blackHovered{51, 51, 51};  // black + 0.2
const Rgb blackActive{26, 26, 26};   // black + 0.1
const Rgb tealActive{26, 86, 86};    // (0, 60, 60) + 0.1

// Within 2 of 255 per channel, for rounding differences between drivers.
::testing::AssertionResult near(const Rgb& actual, const Rgb& expected) {
    for (int i = 0; i < 3; ++i) {
        if (std::abs(actual[i] - expected[i]) > 2) {
            return ::testing::AssertionFailure()
                   << "got (" << actual[0] << ", " << actual[1] << ", " << actual[2] << "), expected ("
                   << expected[0] << ", " << expected[1] << ", " << expected[2] << ")";
        }
    }
    return ::testing::AssertionSuccess();
}

// What the glyph function saw for each character: where and in which colour it would be drawn.
struct Glyph {
    char character;
    float rasterX, rasterY;  // window coordinates, y growing upward as GL reports them
    float color[3];
};
std::vector<Glyph> glyphs;

void recordGlyph(void*, int character) {
    Glyph g{static_cast<char>(character), 0, 0, {0, 0, 0}};
    float position[4] = {};
    float color[4] = {};
    glGetFloatv(GL_CURRENT_RASTER_POSITION, position);
    glGetFloatv(GL_CURRENT_RASTER_COLOR, color);
    g.rasterX = position[0];
    g.rasterY = position[1];
    for (int i = 0; i < 3; ++i) g.color[i] = color[i];
    glyphs.push_back(g);
}

class WidgetsDrawTest : public ::testing::Test {
protected:
    // Made on first use, so that listing the tests opens no context.
    static void SetUpTestSuite() {
        if (!context) context = std::make_unique<OffscreenContext>();
    }
    static void TearDownTestSuite() { context.reset(); }

    void SetUp() override {
        if (!context->ok()) GTEST_SKIP() << "no offscreen OpenGL context";
        context->beginFrame();
        glyphs.clear();
        BitmapFont::drawGlyph = recordGlyph;
    }
    void TearDown() override { BitmapFont::drawGlyph = nullptr; }

    Rgb at(int x, int y) const { return context->pixel(x, y); }

    static std::unique_ptr<OffscreenContext> context;
};

std::unique_ptr<OffscreenContext> WidgetsDrawTest::context;

}  // namespace

TEST_F(WidgetsDrawTest, ButtonHasGreyFrameBlackFaceAndHoverHighlight) {
    Button b;
    b.setGeometry(100, 100, 80, 20);
    b.setTextColor(100, 100, 100);
    b.setText("OK");
    b.draw();
    // The frame is the one-pixel ring around the body.
    EXPECT_TRUE(near(at(99, 110), grey));
    EXPECT_TRUE(near(at(180, 110), grey));
    EXPECT_TRUE(near(at(140, 99), grey));
    EXPECT_TRUE(near(at(140, 120), grey));
    EXPECT_TRUE(near(at(100, 100), black));
    EXPECT_TRUE(near(at(179, 119), black));
    EXPECT_TRUE(near(at(98, 110), black));
    EXPECT_TRUE(near(at(181, 110), black));
    ASSERT_FALSE(glyphs.empty());
    EXPECT_NEAR(glyphs[0].color[0], 100 / 255.0f, 0.01f);
    EXPECT_NEAR(glyphs[0].rasterX, 100.0f, 0.01f);
    EXPECT_NEAR(glyphs[0].rasterY, 600.0f - 115.0f, 0.01f);

    context->beginFrame();
    glyphs.clear();
    b.onHover(140, 110);
    b.draw();
    EXPECT_TRUE(near(at(140, 110), blackHovered));
    EXPECT_TRUE(near(at(99, 110), grey));
    ASSERT_FALSE(glyphs.empty());
    EXPECT_NEAR(glyphs[0].color[1], 100 / 255.0f + 0.5f, 0.01f);
}

TEST_F(WidgetsDrawTest, HighlightSumsAboveOneAreClampedByOpenGL) {
    Button b;
    b.setGeometry(100, 100, 80, 20);
    b.setBackgroundColor(200, 200, 200);
    b.onHover(140, 110);
    b.draw();
    EXPECT_TRUE(near(at(99, 110), white));                // 0.784 + 0.5
    EXPECT_TRUE(near(at(140, 110), Rgb{251, 251, 251}));  // 0.784 + 0.2
}

TEST_F(WidgetsDrawTest, LabelWithoutBorderIsExactlyItsFace) {
    Label l;
    l.setGeometry(200, 200, 60, 20);
    l.setBackgroundColor(0, 60, 60);
    l.setBordered(false);
    l.onHover(230, 210);  // a label has no hover highlight
    l.draw();
    EXPECT_TRUE(near(at(200, 200), teal));
    EXPECT_TRUE(near(at(259, 219), teal));
    EXPECT_TRUE(near(at(199, 210), black));
    EXPECT_TRUE(near(at(260, 210), black));
    EXPECT_TRUE(near(at(230, 199), black));
    EXPECT_TRUE(near(at(230, 220), black));

    context->beginFrame();
    l.setBordered(true);
    l.draw();
    EXPECT_TRUE(near(at(199, 210), tealFrame));
    EXPECT_TRUE(near(at(230, 220), tealFrame));
}

TEST_F(WidgetsDrawTest, PanelDrawsFrameFaceThenChildrenOnTop) {
    Panel p;
    Button child;
    p.setGeometry(300, 300, 200, 100);
    p.setBackgroundColor(0, 60, 60);
    child.setGeometry(10, 10, 50, 20);
    p.addChild(&child);
    p.layoutChildren();
    p.draw();
    EXPECT_TRUE(near(at(299, 350), tealFrame));
    EXPECT_TRUE(near(at(500, 350), tealFrame));
    EXPECT_TRUE(near(at(400, 380), teal));
    EXPECT_TRUE(near(at(309, 315), grey));   // the child's frame
    EXPECT_TRUE(near(at(320, 320), black));  // the child's face

    context->beginFrame();
    child.setHidden(true);
    p.draw();
    EXPECT_TRUE(near(at(309, 315), teal));
    EXPECT_TRUE(near(at(320, 320), teal));
}

TEST_F(WidgetsDrawTest, ActivePanelAndSliderFacesAreLighter) {
    // Nothing in the editor sets the flag; a subclass reaches it to check the drawing.
    struct ActivePanel : Panel {
        ActivePanel() { active = true; }
    } p;
    struct ActiveSlider : Slider {
        ActiveSlider() { active = true; }
    } s;
    p.setGeometry(300, 300, 200, 100);
    p.setBackgroundColor(0, 60, 60);
    s.setGeometry(2, 580, 796, 20);
    s.setRange(0, 50);
    p.draw();
    s.draw();
    EXPECT_TRUE(near(at(400, 350), tealActive));
    EXPECT_TRUE(near(at(299, 350), tealFrame));
    EXPECT_TRUE(near(at(100, 590), blackActive));
}

TEST_F(WidgetsDrawTest, SliderKnobIsWhiteAtItsValue) {
    Slider s;
    s.setGeometry(2, 580, 796, 20);
    s.setTextColor(255, 255, 255);
    s.setRange(0, 50);
    s.setValue(25);  // knob centre 2 + 796 / 2 = 400, four pixels wide
    s.draw();
    for (int x = 398; x <= 401; ++x) {
        EXPECT_TRUE(near(at(x, 580), white)) << x;
        EXPECT_TRUE(near(at(x, 599), white)) << x;
    }
    EXPECT_TRUE(near(at(397, 590), black));
    EXPECT_TRUE(near(at(402, 590), black));
    EXPECT_TRUE(near(at(1, 590), grey));
    EXPECT_TRUE(near(at(400, 579), grey));  // the knob does not cover the frame

    context->beginFrame();
    s.setValue(5);  // knob centre 81.6
    s.draw();
    EXPECT_TRUE(near(at(80, 590), white));
    EXPECT_TRUE(near(at(83, 590), white));
    EXPECT_TRUE(near(at(79, 590), black));
    EXPECT_TRUE(near(at(84, 590), black));
    EXPECT_TRUE(near(at(400, 590), black));
}

TEST_F(WidgetsDrawTest, SliderDigitsStayCentred) {
    Slider s;
    s.setGeometry(2, 580, 796, 20);
    s.setRange(0, 50);
    s.setValue(5);
    s.draw();
    ASSERT_EQ(glyphs.size(), 1u);
    EXPECT_EQ(glyphs[0].character, '5');
    EXPECT_NEAR(glyphs[0].rasterX, 2 + 398 - 4, 0.01f);
    EXPECT_NEAR(glyphs[0].rasterY, 600.0f - 595.0f, 0.01f);

    glyphs.clear();
    s.onDrag(400, 0);
    s.draw();
    ASSERT_EQ(glyphs.size(), 2u);
    EXPECT_NEAR(glyphs[0].rasterX, 2 + 398 - 9, 0.01f);
}

TEST_F(WidgetsDrawTest, HiddenWidgetsDrawNothing) {
    GuiManager manager;
    Button b;
    Label l;
    Slider s;
    Panel p;
    Button inPanel;
    b.setGeometry(10, 10, 50, 20);
    l.setGeometry(10, 50, 50, 20);
    l.setBackgroundColor(0, 60, 60);
    l.setText("fps");
    s.setGeometry(10, 90, 100, 20);
    s.setRange(0, 10);
    s.setValue(5);
    p.setGeometry(200, 10, 100, 100);
    p.setBackgroundColor(0, 60, 60);
    inPanel.setGeometry(10, 10, 20, 20);
    p.addChild(&inPanel);
    p.layoutChildren();
    for (Widget* w : std::vector<Widget*>{&b, &l, &s, &p}) {
        w->setHidden(true);
        manager.add(w);
    }
    manager.drawAll();
    const int probes[][2] = {{9, 20},  {30, 20},  {9, 60},   {30, 60}, {60, 100},
                             {9, 100}, {199, 50}, {250, 80}, {215, 25}};
    for (const auto& xy : probes) EXPECT_TRUE(near(at(xy[0], xy[1]), black)) << xy[0] << "," << xy[1];
    EXPECT_TRUE(glyphs.empty());

    // The same widgets shown again are drawn.
    for (Widget* w : manager.getWidgets()) w->setHidden(false);
    manager.drawAll();
    EXPECT_TRUE(near(at(9, 20), grey));
    EXPECT_TRUE(near(at(30, 60), teal));
    EXPECT_TRUE(near(at(60, 100), white));
    EXPECT_TRUE(near(at(250, 80), teal));
    EXPECT_TRUE(near(at(215, 25), black));
}
