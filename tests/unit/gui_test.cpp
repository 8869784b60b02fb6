// Widget routing, text storage and slider arithmetic, without a window.

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "BitmapFont.h"
#include "Decimal.h"
#include "Button.h"
#include "GuiManager.h"
#include "Label.h"
#include "Panel.h"
#include "Slider.h"
#include "TextField.h"

namespace {

// A bare widget that records what reaches it through the virtual slots.
class Probe : public Widget {
public:
    explicit Probe(std::vector<std::string>* log = nullptr, std::string name = "") : log(log), name(name) {}
    void onPress(PointerAction, int, int) override { record("press"); }
    void onKey(char key) override { record(std::string("key ") + key); }
    void onDrag(int dragX, int dragY) override {
        record("drag " + std::to_string(dragX) + "," + std::to_string(dragY));
    }

private:
    void record(const std::string& event) {
        if (log) log->push_back(name + " " + event);
    }
    std::vector<std::string>* log;
    std::string name;
};

// Callbacks are plain function pointers, so they report through globals.
std::vector<std::string> callbackLog;
void firstPressed() { callbackLog.push_back("first"); }
void secondPressed() { callbackLog.push_back("second"); }

class GuiTest : public ::testing::Test {
protected:
    void SetUp() override { callbackLog.clear(); }
};

// Places a widget and makes it hovered by a pointer at its centre.
void placeAndHover(Widget& w, int x, int y, int width, int height) {
    w.setGeometry(x, y, width, height);
    w.onHover(x + width / 2, y + height / 2);
}

std::string stored(const Widget& w) { return std::string(w.getText(), Widget::textCapacity); }

}  // namespace

// ---- hover test -------------------------------------------------------------

TEST_F(GuiTest, HoverIsStrictOnAllFourEdges) {
    Button b;
    b.setGeometry(10, 20, 30, 40);
    struct Case {
        int x, y;
        bool inside;
    };
    const Case cases[] = {
        {11, 21, true},  {39, 59, true},  {25, 40, true},   // just inside the corners, centre
        {10, 40, false}, {40, 40, false},                   // left edge, x + width
        {25, 20, false}, {25, 60, false},                   // top edge, y + height
        {9, 40, false},  {41, 40, false}, {25, 61, false},  // beyond
    };
    for (const Case& c : cases) {
        b.onHover(c.x, c.y);
        EXPECT_EQ(b.isHovered(), c.inside) << "pointer " << c.x << "," << c.y;
    }
}

TEST_F(GuiTest, HiddenWidgetKeepsItsHoverFlagAndGeometryClearsIt) {
    Button b;
    placeAndHover(b, 0, 0, 50, 50);
    ASSERT_TRUE(b.isHovered());
    b.setHidden(true);
    b.onHover(500, 500);
    EXPECT_TRUE(b.isHovered());
    b.setHidden(false);
    b.setGeometry(0, 0, 50, 50);
    EXPECT_FALSE(b.isHovered());
}

// ---- GuiManager routing -----------------------------------------------------

TEST_F(GuiTest, AddReturnsConsecutiveIndices) {
    GuiManager manager;
    Button a, b, c;
    EXPECT_EQ(manager.add(&a), 0);
    EXPECT_EQ(manager.add(&b), 1);
    EXPECT_EQ(manager.add(&c), 2);
    ASSERT_EQ(manager.getWidgets().size(), 3u);
    EXPECT_EQ(manager.getWidgets()[2], &c);
}

TEST_F(GuiTest, EmptyManagerTakesNothing) {
    GuiManager manager;
    manager.drawAll();
    manager.handleHover(5, 5);
    EXPECT_FALSE(manager.handleMouse(PointerAction::press, 5, 5));
    EXPECT_FALSE(manager.handleDrag(5, 5));
}

TEST_F(GuiTest, PressGoesToLastAddedVisibleHoveredWidgetOnly) {
    GuiManager manager;
    Button first, second;
    first.setGeometry(0, 0, 100, 100);
    second.setGeometry(50, 50, 100, 100);
    first.setCallback(firstPressed);
    second.setCallback(secondPressed);
    manager.add(&first);
    manager.add(&second);

    // Before any hover test nothing is hovered, so nothing takes the press.
    EXPECT_FALSE(manager.handleMouse(PointerAction::press, 75, 75));
    EXPECT_TRUE(callbackLog.empty());

    manager.handleHover(75, 75);  // inside both
    EXPECT_TRUE(manager.handleMouse(PointerAction::press, 75, 75));
    EXPECT_EQ(callbackLog, std::vector<std::string>{"second"});

    callbackLog.clear();
    second.setHidden(true);
    EXPECT_TRUE(manager.handleMouse(PointerAction::press, 75, 75));
    EXPECT_EQ(callbackLog, std::vector<std::string>{"first"});

    callbackLog.clear();
    first.setHidden(true);
    EXPECT_FALSE(manager.handleMouse(PointerAction::press, 75, 75));
    EXPECT_TRUE(callbackLog.empty());
}

TEST_F(GuiTest, ReleaseIsNeverTaken) {
    GuiManager manager;
    Button b;
    b.setCallback(firstPressed);
    placeAndHover(b, 0, 0, 20, 20);
    manager.add(&b);
    EXPECT_FALSE(manager.handleMouse(PointerAction::release, 10, 10));
    EXPECT_FALSE(b.handlePress(PointerAction::release, 10, 10));
    EXPECT_TRUE(callbackLog.empty());
    // Any down event is taken, whatever the pointer coordinates say.
    EXPECT_TRUE(manager.handleMouse(PointerAction::press, 999, 999));
    EXPECT_EQ(callbackLog.size(), 1u);
}

TEST_F(GuiTest, PressWithoutCallbackIsStillTaken) {
    Button b;
    placeAndHover(b, 0, 0, 20, 20);
    EXPECT_TRUE(b.handlePress(PointerAction::press, 10, 10));
}

TEST_F(GuiTest, DragGoesToFirstAddedVisibleHoveredWidget) {
    std::vector<std::string> log;
    GuiManager manager;
    Probe first(&log, "first"), second(&log, "second"), elsewhere(&log, "elsewhere");
    first.setGeometry(0, 0, 100, 100);
    second.setGeometry(50, 50, 100, 100);
    elsewhere.setGeometry(300, 300, 10, 10);
    manager.add(&elsewhere);
    manager.add(&first);
    manager.add(&second);
    manager.handleHover(75, 75);

    EXPECT_TRUE(manager.handleDrag(400, 7));
    EXPECT_EQ(log, std::vector<std::string>{"first drag 400,7"});

    log.clear();
    first.setHidden(true);
    EXPECT_TRUE(manager.handleDrag(1, 2));
    EXPECT_EQ(log, std::vector<std::string>{"second drag 1,2"});

    log.clear();
    second.setHidden(true);
    EXPECT_FALSE(manager.handleDrag(1, 2));
    EXPECT_TRUE(log.empty());
}

TEST_F(GuiTest, ColoursAreStoredAsFractionsOf255) {
    Button b;
    b.setBackgroundColor(0, 60, 60);
    EXPECT_FLOAT_EQ(b.getBackgroundColor().r, 0.0f);
    EXPECT_NEAR(b.getBackgroundColor().g, 0.235f, 0.001f);
    EXPECT_FLOAT_EQ(b.getBackgroundColor().b, 60 / 255.0f);
    b.setTextColor(255, 300, -51);  // out of range values are stored as computed
    EXPECT_FLOAT_EQ(b.getTextColor().r, 1.0f);
    EXPECT_FLOAT_EQ(b.getTextColor().g, 300 / 255.0f);
    EXPECT_FLOAT_EQ(b.getTextColor().b, -0.2f);
}

// ---- text storage -----------------------------------------------------------

TEST_F(GuiTest, BaseSetTextPadsWithBlanksToTwentyCharacters) {
    Button b;
    b.setText("abcde");
    EXPECT_EQ(stored(b), "abcde" + std::string(15, ' ') + std::string(20, '\0'));
    b.setText("");
    EXPECT_EQ(stored(b), std::string(20, ' ') + std::string(20, '\0'));
}

TEST_F(GuiTest, BaseSetTextStaysInsideTheBufferAndLeavesNoTrace) {
    Button b;
    b.setText(std::string(100, 'x').c_str());
    EXPECT_EQ(stored(b), std::string(39, 'x') + '\0');

    b.setText("short");
    EXPECT_STREQ(b.getText(), ("short" + std::string(15, ' ')).c_str());
    EXPECT_EQ(stored(b).substr(20), std::string(20, '\0'));

    b.setText("twenty-five characters...");
    b.setText("abc");
    EXPECT_EQ(std::strlen(b.getText()), 20u);
}

TEST_F(GuiTest, LabelSetTextKeepsLengthAndClearsTheRest) {
    Label l;
    l.setText("points");
    EXPECT_EQ(l.getTextLength(), 6);
    EXPECT_EQ(stored(l), "points" + std::string(34, '\0'));
    l.setText(std::string(100, 'y').c_str());
    EXPECT_EQ(l.getTextLength(), 39);
    EXPECT_EQ(stored(l), std::string(39, 'y') + '\0');
    l.setText("");
    EXPECT_EQ(l.getTextLength(), 0);
    EXPECT_EQ(stored(l), std::string(40, '\0'));
}

TEST_F(GuiTest, LabelSetNumberShowsPlainDecimal) {
    Label l;
    struct Case {
        int n;
        const char* shown;
    };
    // Order matters: each case follows a longer or a shorter one.
    const Case cases[] = {
        {0, "0"},
        {-42, "-42"},
        {1234567, "1234567"},
        {5, "5"},
        {-1000000, "-1000000"},
        {INT_MIN, "-2147483648"},
        {INT_MAX, "2147483647"},
        {7, "7"},
    };
    for (const Case& c : cases) {
        l.setNumber(c.n);
        EXPECT_EQ(stored(l), c.shown + std::string(40 - std::strlen(c.shown), '\0')) << c.n;
        EXPECT_EQ(l.getTextLength(), static_cast<int>(std::strlen(c.shown)));
    }
}

// ---- slider -----------------------------------------------------------------

namespace {
Slider* watchedSlider = nullptr;
std::vector<int> valuesSeen;
void recordSliderValue() { valuesSeen.push_back(watchedSlider->getValue()); }

// The editor's slider: along the bottom, range 0 to 50, showing 5.
void setUpEditorSlider(Slider& s) {
    s.setGeometry(2, 580, 796, 20);
    s.setRange(0, 50);
    s.setValue(5);
}
}  // namespace

TEST_F(GuiTest, SliderRangeStartsAtTheTruncatedMiddleAndKeepsTheText) {
    Slider s;
    s.setRange(0, 50);
    EXPECT_EQ(s.getValue(), 25);
    EXPECT_EQ(s.getTextLength(), 0);
    EXPECT_STREQ(s.getText(), "");
    s.setValue(5);
    s.setRange(-7, 0);  // -7 + 7 / 2 truncated toward zero
    EXPECT_EQ(s.getValue(), -4);
    EXPECT_EQ(s.getMinimum(), -7);
    EXPECT_EQ(s.getMaximum(), 0);
    EXPECT_STREQ(s.getText(), "5");
    s.setRange(INT_MIN, INT_MAX);
    EXPECT_EQ(s.getValue(), -1);
}

TEST_F(GuiTest, SliderSetValueStoresUnclampedAndShowsIt) {
    Slider s;
    setUpEditorSlider(s);
    EXPECT_STREQ(s.getText(), "5");
    EXPECT_EQ(s.getTextLength(), 1);
    s.setValue(-123);
    EXPECT_EQ(s.getValue(), -123);
    EXPECT_EQ(stored(s), "-123" + std::string(36, '\0'));
    s.setValue(9);
    EXPECT_EQ(stored(s), "9" + std::string(39, '\0'));
    s.setValue(INT_MIN);
    EXPECT_STREQ(s.getText(), "-2147483648");
    EXPECT_EQ(s.getTextLength(), 11);
    s.setText(std::string(60, 'z').c_str());
    EXPECT_EQ(stored(s), std::string(39, 'z') + '\0');
}

TEST_F(GuiTest, SliderDragMapsPointerToValue) {
    Slider s;
    setUpEditorSlider(s);
    struct Case {
        int px, value;
    };
    const Case cases[] = {{400, 25},     {401, 25}, {797, 49}, {798, 50}, {799, 50}, {5000, 50},
                          {INT_MAX, 50}, {2, 0},    {3, 0},    {1, 0},    {-800, 0}, {INT_MIN, 0}};
    for (const Case& c : cases) {
        s.onDrag(c.px, -12345);
        EXPECT_EQ(s.getValue(), c.value) << "px " << c.px;
        EXPECT_EQ(s.getText(), std::to_string(c.value)) << "px " << c.px;
        EXPECT_EQ(s.valueAt(c.px), c.value);
    }
}

TEST_F(GuiTest, SliderDragTruncatesTowardZeroInNegativeRanges) {
    Slider s;
    s.setGeometry(0, 0, 100, 10);
    s.setRange(-10, 10);
    EXPECT_EQ(s.valueAt(24), -5);  // -10 + 20 * 0.24 = -5.2
    EXPECT_EQ(s.valueAt(26), -4);  // -4.8
    EXPECT_EQ(s.valueAt(76), 5);   // 5.2
    s.setRange(INT_MIN, INT_MAX);  // the difference does not fit an int
    EXPECT_EQ(s.valueAt(0), INT_MIN);
    EXPECT_EQ(s.valueAt(100), INT_MAX);
}

TEST_F(GuiTest, DegenerateSliderStaysFinite) {
    Slider s;
    s.setRange(3, 9);
    s.setGeometry(10, 0, 0, 10);  // no width
    for (int px : {9, 10, 11}) EXPECT_EQ(s.valueAt(px), 3) << px;
    s.setGeometry(10, 0, 100, 10);
    s.setRange(4, 4);  // empty range
    EXPECT_EQ(s.valueAt(60), 4);
    EXPECT_DOUBLE_EQ(s.knobPosition(), 10.0);
}

TEST_F(GuiTest, SliderCallbackRunsBeforeEachUpdateAndSeesTheOldValue) {
    Slider s;
    setUpEditorSlider(s);
    watchedSlider = &s;
    valuesSeen.clear();
    s.setCallback(recordSliderValue);
    s.onDrag(400, 0);
    s.onDrag(798, 0);
    EXPECT_EQ(valuesSeen, (std::vector<int>{5, 25}));
    EXPECT_EQ(s.getValue(), 50);

    // A press without motion hands over the shown value and changes nothing.
    s.onHover(400, 590);
    EXPECT_TRUE(s.handlePress(PointerAction::press, 400, 590));
    EXPECT_EQ(valuesSeen, (std::vector<int>{5, 25, 50}));
    EXPECT_EQ(s.getValue(), 50);
}

TEST_F(GuiTest, SliderKnobPositionFollowsTheValue) {
    Slider s;
    setUpEditorSlider(s);
    EXPECT_DOUBLE_EQ(s.knobPosition(), 2 + 796 * 5 / 50.0);
    s.setValue(50);
    EXPECT_DOUBLE_EQ(s.knobPosition(), 798.0);
    s.setValue(-10);  // out of range: the knob goes out of the bar too
    EXPECT_DOUBLE_EQ(s.knobPosition(), 2 - 796 * 10 / 50.0);
}

// ---- panel ------------------------------------------------------------------

namespace {
// A panel at (100, 50), 200 x 40, with two buttons side by side and a probe.
struct PanelFixture {
    Panel panel;
    Button left, right;
    std::vector<std::string> log;
    Probe probe{&log, "probe"};

    PanelFixture() {
        panel.setGeometry(100, 50, 200, 40);
        left.setGeometry(10, 10, 50, 20);
        right.setGeometry(70, 10, 50, 20);
        probe.setGeometry(130, 10, 50, 20);
        left.setCallback(firstPressed);
        right.setCallback(secondPressed);
        left.setIndex(panel.addChild(&left));
        right.setIndex(panel.addChild(&right));
        probe.setIndex(panel.addChild(&probe));
        panel.layoutChildren();
    }
};
}  // namespace

TEST_F(GuiTest, PanelAddChildIndicesAndLayout) {
    PanelFixture f;
    EXPECT_EQ(f.left.getIndex(), 0);
    EXPECT_EQ(f.right.getIndex(), 1);
    EXPECT_EQ(f.probe.getIndex(), 2);
    EXPECT_EQ(f.left.getX(), 110);
    EXPECT_EQ(f.left.getY(), 60);
    EXPECT_EQ(f.right.getX(), 170);
    EXPECT_EQ(f.left.getWidth(), 50);
    EXPECT_EQ(f.left.getHeight(), 20);
}

TEST_F(GuiTest, PanelLayoutShiftsAgainOnEveryCallAndClearsHover) {
    PanelFixture f;
    f.panel.onHover(115, 65);
    ASSERT_TRUE(f.left.isHovered());
    f.panel.layoutChildren();
    EXPECT_EQ(f.left.getX(), 210);
    EXPECT_EQ(f.left.getY(), 110);
    EXPECT_FALSE(f.left.isHovered());
    // Moving the panel afterwards leaves the children where they are.
    f.panel.setGeometry(0, 0, 200, 40);
    EXPECT_EQ(f.left.getX(), 210);
}

TEST_F(GuiTest, PanelHoverTestsItselfAndEveryChildEvenWhileHidden) {
    PanelFixture f;
    f.panel.setHidden(true);
    f.panel.onHover(115, 65);
    EXPECT_TRUE(f.panel.isHovered());
    EXPECT_TRUE(f.left.isHovered());
    EXPECT_FALSE(f.right.isHovered());
    f.panel.onHover(100, 65);  // on the panel's left edge
    EXPECT_FALSE(f.panel.isHovered());
    EXPECT_FALSE(f.left.isHovered());
}

TEST_F(GuiTest, PanelPressReachesHoveredVisibleChildren) {
    PanelFixture f;
    GuiManager manager;
    manager.add(&f.panel);

    manager.handleHover(115, 65);
    EXPECT_TRUE(manager.handleMouse(PointerAction::press, 115, 65));
    EXPECT_EQ(callbackLog, std::vector<std::string>{"first"});

    // Between the buttons: taken by the panel, runs nothing.
    callbackLog.clear();
    manager.handleHover(165, 65);
    EXPECT_TRUE(manager.handleMouse(PointerAction::press, 165, 65));
    EXPECT_TRUE(callbackLog.empty());

    // A hidden child is not offered the press, even with its hover flag set.
    manager.handleHover(175, 65);
    f.right.setHidden(true);
    EXPECT_TRUE(manager.handleMouse(PointerAction::press, 175, 65));
    EXPECT_TRUE(callbackLog.empty());

    // A hidden panel takes nothing; shown again under a resting pointer it takes the next press.
    f.right.setHidden(false);
    f.panel.setHidden(true);
    manager.handleHover(115, 65);
    EXPECT_FALSE(manager.handleMouse(PointerAction::press, 115, 65));
    f.panel.onPress(PointerAction::press, 115, 65);  // a hidden panel passes nothing on either
    EXPECT_TRUE(callbackLog.empty());
    f.panel.setHidden(false);
    EXPECT_TRUE(manager.handleMouse(PointerAction::press, 115, 65));
    EXPECT_EQ(callbackLog, std::vector<std::string>{"first"});
}

TEST_F(GuiTest, PanelOffersThePressToEveryHoveredChild) {
    PanelFixture f;
    f.right.setGeometry(110, 60, 50, 20);  // now on top of the left button
    f.panel.onHover(115, 65);
    f.panel.onPress(PointerAction::press, 115, 65);
    EXPECT_EQ(callbackLog, (std::vector<std::string>{"first", "second"}));
}

TEST_F(GuiTest, PanelDragReachesHoveredVisibleChildrenOnly) {
    PanelFixture f;
    GuiManager manager;
    manager.add(&f.panel);
    manager.handleHover(235, 65);  // over the probe
    EXPECT_TRUE(manager.handleDrag(10, 20));
    EXPECT_EQ(f.log, std::vector<std::string>{"probe drag 10,20"});

    // Over the panel but no child: the panel takes the drag, no child sees it.
    f.log.clear();
    manager.handleHover(295, 85);
    EXPECT_TRUE(manager.handleDrag(10, 20));
    EXPECT_TRUE(f.log.empty());

    // A hidden child with a stale hover flag gets no drags.
    manager.handleHover(235, 65);
    f.probe.setHidden(true);
    EXPECT_TRUE(manager.handleDrag(10, 20));
    EXPECT_TRUE(f.log.empty());
}

TEST_F(GuiTest, PanelPassesKeysToEveryChild) {
    PanelFixture f;
    f.panel.onKey('q');
    EXPECT_EQ(f.log, std::vector<std::string>{"probe key q"});
}

// ---- clipped text -----------------------------------------------------------

namespace {
int glyphCount = 0;
void* glyphFont = nullptr;
std::string glyphText;
void countGlyph(void* font, int character) {
    ++glyphCount;
    glyphFont = font;
    glyphText += static_cast<char>(character);
}

class DrawTextTest : public ::testing::Test {
protected:
    void SetUp() override {
        glyphCount = 0;
        glyphFont = nullptr;
        glyphText.clear();
        BitmapFont::drawGlyph = countGlyph;
        BitmapFont::font9by15 = &fontTag;
    }
    void TearDown() override {
        BitmapFont::drawGlyph = nullptr;
        BitmapFont::font9by15 = nullptr;
    }
    int fontTag = 0;
};
}  // namespace

TEST_F(DrawTextTest, ThirtyPixelWideWidgetShowsAtMostThreeCharacters) {
    Button b;
    b.setGeometry(100, 100, 30, 20);
    b.drawText(100, 115, 0, &fontTag, "abcdef", 9);
    EXPECT_EQ(glyphText, "abc");
    EXPECT_EQ(glyphFont, &fontTag);

    glyphText.clear();
    b.setGeometry(100, 100, 31, 20);  // the fourth now starts before the right edge
    b.drawText(100, 115, 0, &fontTag, "abcdef", 9);
    EXPECT_EQ(glyphText, "abcd");
}

TEST_F(DrawTextTest, ControlsDrawTheirTextInTheBitmapFont) {
    Button button;
    button.setGeometry(0, 0, 30, 20);
    button.setText("Load QUIV File");
    button.draw();
    EXPECT_EQ(glyphText, "Loa");
    EXPECT_EQ(glyphFont, &fontTag);

    glyphText.clear();
    Label label;
    label.setGeometry(0, 0, 100, 20);
    label.setNumber(-42);
    label.draw();
    EXPECT_EQ(glyphText, "-42");

    glyphText.clear();
    label.setHidden(true);
    label.draw();
    EXPECT_TRUE(glyphText.empty());

    // The base caption's padding blanks are drawn like any character, and clipped.
    glyphText.clear();
    button.setGeometry(0, 0, 300, 20);
    button.setText("Min");
    button.draw();
    EXPECT_EQ(glyphText, "Min" + std::string(17, ' '));
}

TEST_F(DrawTextTest, WithoutAGlyphFunctionNothingIsDrawn) {
    BitmapFont::drawGlyph = nullptr;
    Label label;
    label.setGeometry(0, 0, 100, 20);
    label.setText("fps");
    label.draw();
    EXPECT_EQ(glyphCount, 0);
}

// ---- text field -------------------------------------------------------------

// Typing, Backspace and the selection go through the entry panel's table
// (input_routing_test); here what only the field decides.
TEST_F(GuiTest, TextFieldNeedsTheFocusTakesPrintableKeysOnlyAndStopsAtItsCapacity) {
    TextField field;
    field.setText("10.5");
    for (char key : {'3', TextField::backspace}) field.onKey(key);  // no focus
    field.moveCaret(TextField::CaretMove::home);
    EXPECT_STREQ(field.getText(), "10.5");
    EXPECT_EQ(field.getCaret(), 4);
    field.setFocused(true);
    EXPECT_TRUE(field.isAllSelected());
    for (char key : {'\t', '\r', '\x1b', '\x05'}) field.onKey(key);  // the owner's keys
    EXPECT_STREQ(field.getText(), "10.5");
    EXPECT_TRUE(field.isAllSelected());
    field.onKey(TextField::deleteKey);  // as Backspace: the selection goes
    EXPECT_STREQ(field.getText(), "");
    // Full, the field refuses the next character, also in the middle, and
    // says so until a key is taken again.
    for (int i = 0; i < TextField::maxLength; ++i) field.onKey('9');
    EXPECT_FALSE(field.keyRefused());
    field.moveCaret(TextField::CaretMove::home);
    field.onKey('1');
    EXPECT_TRUE(field.keyRefused());
    EXPECT_EQ(std::string(field.getText()), std::string(TextField::maxLength, '9'));
    field.onKey(TextField::deleteKey);
    EXPECT_FALSE(field.keyRefused());
    field.setText(std::string(TextField::maxLength + 5, '8').c_str());
    EXPECT_EQ(field.getTextLength(), TextField::maxLength);
}

// Keys and caret moves from "12.5" with the caret at its end, in a field
// 225 pixels wide: 21 characters show, and the caret stays among them.
TEST_F(GuiTest, TextFieldEditsAtTheCaretAndShowsThePartAroundIt) {
    using Move = TextField::CaretMove;
    const std::string digits40 = "0." + std::string(36, '0') + "12";
    const struct {
        bool select;  // the focus given with the whole text selected
        std::vector<Move> moves;
        std::string keys;
        std::string text;
        int caret;
        int firstShown;
    } cases[] = {
        {false, {Move::left, Move::left}, "7", "127.5", 3, 0},
        {false, {Move::home}, "-", "-12.5", 1, 0},
        {false, {Move::left, Move::left, Move::left}, "\x7f", "1.5", 1, 0},  // Delete after the caret
        {false, {Move::home}, "\b\b", "12.5", 0, 0},                        // Backspace at the start
        {false, {Move::end, Move::right}, "\x7f", "12.", 3, 0},              // Delete at the end
        {true, {Move::left}, "3", "312.5", 1, 0},                            // Left leaves the selection at its start
        {true, {Move::right}, "0", "12.50", 5, 0},
        {true, {}, digits40, digits40, 40, 19},
        {true, {}, digits40 + std::string(3, '\b'), "0." + std::string(35, '0'), 37, 16},
        {true, {Move::home}, digits40.substr(0, 30), "0." + std::string(28, '0') + "12.5", 30, 9},
    };
    for (const auto& c : cases) {
        TextField field;
        field.setGeometry(30, 5, 225, 20);
        field.setText("12.5");
        field.setFocused(true);
        if (!c.select) field.moveCaret(Move::end);  // "12.5" unselected, the caret at its end
        for (Move m : c.moves) field.moveCaret(m);
        for (char k : c.keys) field.onKey(k);
        EXPECT_EQ(std::string(field.getText()), c.text) << c.keys;
        EXPECT_EQ(field.getCaret(), c.caret) << c.keys;
        EXPECT_EQ(field.getFirstShown(), c.firstShown) << c.keys;
    }
}

// The points counter is four characters wide: a count that does not fit is
// rounded down to a larger unit, never cut and never more than it was.
TEST(ShortDecimal, FitsFourCharactersAndStaysTrue) {
    const struct {
        long long count;
        const char* shown;
    } cases[] = {
        {0, "0"},           {9999, "9999"},       {10000, "10k"},          {60001, "60k"},
        {99999, "99k"},     {600001, "600k"},     {999999, "999k"},        {1000000, "1.0M"},
        {2649999, "2.6M"},  {9999999, "9.9M"},    {10000000, "10M"},       {999999999, "999M"},
        {1000000000, "1.0G"}, {2147483647, "2.1G"}, {9223372036854775807LL, "9.2E"}, {-5, "0"},
    };
    for (const auto& c : cases) {
        EXPECT_STREQ(toShortDecimal(c.count).data(), c.shown) << c.count;
        EXPECT_LE(std::strlen(toShortDecimal(c.count).data()), 4u) << c.count;
    }
}
