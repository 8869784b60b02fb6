// Input routing: a mouse event is offered to the controls first, keys go to
// the map alone, wheel steps zoom or scroll the map.
#include <gtest/gtest.h>

#include "MapFile.h"
#include "Messages.h"
#include "Notices.h"
#include "TickCounter.h"
#include "PrecisionTools.h"
#include "ScreenFixture.h"

namespace {

// Keys as GLUT hands them to the callbacks: Ctrl+E and Ctrl+G as control
// characters, the arrows, Home and End as special key codes.
constexpr unsigned char ctrlE = 5;
constexpr unsigned char ctrlG = 7;
constexpr int keyLeft = 100;
constexpr int keyRight = 102;
constexpr int keyDown = 103;
constexpr int keyHome = 106;

TEST_F(Screen, PressWithNoControlHoveredReachesTheMapWhateverTheButton) {
    for (int button : {0, 1, 2}) {
        mapEditor = MapEditor();
        passiveMotionCallback(10, 110);
        mouseCallback(button, press, 10, 110);
        EXPECT_TRUE(mapEditor.segment(0).isSelected()) << "button " << button;
        EXPECT_EQ(mapEditor.segment(0).getDragPoint(), PointRole::startPoint);
    }
    // Over a control that no hover test has marked, the press still goes to the map.
    passiveMotionCallback(-1, -1);
    mouseCallback(0, press, 770, 20);
    EXPECT_FALSE(mapEditor.segment(0).isSelected());
    EXPECT_TRUE(filePanel.isHidden());
}

// freeglut reports wheel and scroll steps as buttons 3 to 6; side buttons come
// after. Those zoom or scroll at most: no command, selection or pick.
TEST_F(Screen, OnlyLeftMiddleAndRightButtonsReachTheControlsAndTheMap) {
    for (int button = 0; button <= 8; ++button) {
        SetUp();
        const bool acts = button <= 2;
        testing::internal::CaptureStdout();
        clickAt(770, 20, button);  // "Max" of the file bar
        EXPECT_EQ(testing::internal::GetCapturedStdout(), acts ? "Maximize pressed\n" : "") << button;
        EXPECT_EQ(filePanel.isHidden(), !acts) << button;

        // Over the junction: a click selects both segments and picks the junction.
        mapEditor = MapEditor();
        passiveMotionCallback(115, 110);
        mouseCallback(button, press, 115, 110);
        motionCallback(135, 150);
        EXPECT_EQ(mapEditor.segment(1).isSelected(), acts) << button;
        EXPECT_EQ(mapEditor.segment(1).getStartPoint(),
                  acts ? (ControlPoint{12.5, 14}) : (ControlPoint{10.5, 10}))
            << button;
        mouseCallback(button, release, 135, 150);

        // A left drag of the start point goes on through a step of this button.
        mapEditor = MapEditor();
        mouseCallback(0, press, 10, 110);
        clickAt(300, 300, button);
        EXPECT_EQ(mapEditor.segment(0).getDragPoint(), acts ? PointRole::none : PointRole::startPoint)
            << button;
        EXPECT_EQ(mapEditor.segment(0).isSelected(), !acts) << button;
    }
}

int heldModifiers = 0;
int readHeldModifiers() { return heldModifiers; }

TEST_F(Screen, WheelZoomsAboutThePointerAndScrollsWithShiftOrSideways) {
    struct Case {
        int button, modifiers;
        double zoom;
        ControlPoint offset;  // after one step at (115, 110), from (10, 10)
    };
    const double in = 1.25, out = 1 / 1.25;
    for (const Case& c : std::vector<Case>{{3, 0, in, {115 - 105 * in, 110 - 100 * in}},
                                           {4, 0, out, {115 - 105 * out, 110 - 100 * out}},
                                           {4, 2, out, {115 - 105 * out, 110 - 100 * out}},  // Ctrl
                                           {3, 1, 1, {55, 10}},
                                           {4, 1, 1, {-35, 10}},
                                           {5, 0, 1, {55, 10}},
                                           {6, 1, 1, {-35, 10}}}) {
        SetUp();
        windowState.readModifiers = readHeldModifiers;
        heldModifiers = c.modifiers;
        passiveMotionCallback(115, 110);
        mouseCallback(c.button, press, 115, 110);
        mouseCallback(c.button, release, 115, 110);
        windowState.readModifiers = nullptr;
        EXPECT_DOUBLE_EQ(mapEditor.getZoom(), c.zoom) << c.button << " " << c.modifiers;
        EXPECT_DOUBLE_EQ(mapEditor.getViewOffset().x, c.offset.x) << c.button << " " << c.modifiers;
        EXPECT_DOUBLE_EQ(mapEditor.getViewOffset().y, c.offset.y) << c.button << " " << c.modifiers;
    }
}

TEST_F(Screen, PressOverAHoveredVisiblePanelStaysWithTheControls) {
    selectFirstSegment();
    // Inside the restore panel but beside its button: nothing runs and the map keeps its selection.
    clickAt(757, 20, 2);
    EXPECT_TRUE(mapEditor.segment(0).isSelected());
    EXPECT_TRUE(filePanel.isHidden());
    EXPECT_FALSE(fileMaxPanel.isHidden());
}

TEST_F(Screen, ReleaseAlwaysReachesTheMap) {
    passiveMotionCallback(10, 110);
    mouseCallback(0, press, 10, 110);
    ASSERT_EQ(mapEditor.segment(0).getDragPoint(), PointRole::startPoint);
    passiveMotionCallback(770, 20);
    mouseCallback(0, release, 770, 20);
    EXPECT_EQ(mapEditor.segment(0).getDragPoint(), PointRole::none);
    EXPECT_TRUE(mapEditor.segment(0).isSelected());
    EXPECT_TRUE(filePanel.isHidden()) << "a release runs no command";
}

TEST_F(Screen, MotionWithAButtonGoesToTheControlsFirstAndPassiveMotionOnlyToThem) {
    passiveMotionCallback(10, 110);
    mouseCallback(0, press, 10, 110);
    const ControlPoint start = mapEditor.segment(0).getStartPoint();

    passiveMotionCallback(50, 150);
    EXPECT_EQ(mapEditor.segment(0).getStartPoint(), start) << "passive motion reached the map";

    // A drag while the slider is hovered moves the slider, not the map.
    passiveMotionCallback(400, 590);
    motionCallback(300, 590);
    EXPECT_EQ(resolutionSlider.getValue(), 18);
    EXPECT_EQ(mapEditor.segment(0).getStartPoint(), start);

    // With nothing hovered the drag moves the picked point under the pointer.
    passiveMotionCallback(300, 300);
    motionCallback(50, 150);
    EXPECT_EQ(mapEditor.segment(0).getStartPoint(), (ControlPoint{4.0, 14.0}));
}

TEST_F(Screen, KeysGoOnlyToTheMapAndSpecialKeysWithoutAPickDoNothing) {
    clickAt(770, 20);  // restores the file bar, leaving the pointer over its "Min" button
    testing::internal::CaptureStdout();
    keyboardCallback('a', 770, 20);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(mapEditor.getViewOffset(), (ControlPoint{25.0, 10.0}));
    EXPECT_FALSE(filePanel.isHidden());

    const ControlPoint startBefore = mapEditor.segment(0).getStartPoint();
    // The press on "Max" picked no point: arrows nudge nothing.
    for (int key : {100, 101, 102, 103, 1, 12}) specialCallback(key, 770, 20);  // arrows, F1, F12
    EXPECT_EQ(mapEditor.getViewOffset(), (ControlPoint{25.0, 10.0}));
    EXPECT_EQ(mapEditor.segment(0).getStartPoint(), startBefore);
    EXPECT_FALSE(filePanel.isHidden());
}

// A slider gesture through the real routing is one step; Ctrl+Z (26) undoes
// it, Ctrl+Shift+Z (26 with Shift) and Ctrl+Y (25) redo it, silently.
TEST_F(Screen, ControlKeysUndoAndRedoASliderGesture) {
    selectFirstSegment();
    passiveMotionCallback(400, 590);
    mouseCallback(0, press, 400, 590);
    for (int x : {300, 500, 200}) motionCallback(x, 590);
    mouseCallback(0, release, 200, 590);
    windowState.readModifiers = readHeldModifiers;
    testing::internal::CaptureStdout();
    std::vector<int> resolutions;
    for (int key : {26, 26, 26 + 100, 26, 25}) {
        heldModifiers = key / 100;  // Shift
        keyboardCallback(static_cast<unsigned char>(key % 100), 400, 590);
        resolutions.push_back(mapEditor.segment(0).getResolution());
    }
    windowState.readModifiers = nullptr;
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(resolutions, (std::vector<int>{5, 5, 31, 5, 31}));
    EXPECT_EQ(resolutionSlider.getValue(), 12);  // the slider stays where the gesture left it
}

TEST_F(Screen, StartupPressAtTheCornerHitsNothing) {
    mouseCallback(0, press, 0, 0);
    for (const Segment& s : mapEditor.getSegments()) {
        EXPECT_FALSE(s.isSelected());
        EXPECT_EQ(s.getDragPoint(), PointRole::none);
    }
    EXPECT_FALSE(mapEditor.getMarkers().at(0).isGrabbed());
}

// Ctrl+E on the picked junction (10.5, 10), then keys: the entry panel's
// fields and what Enter, Escape and refused texts do.
TEST_F(Screen, TypedPositionPanelTakesEveryKeyWhileOpen) {
    struct Case {
        const char* keys;
        bool open;
        const char* x;
        const char* y;
        bool xMarked, yMarked;
        ControlPoint junction;
        const char* said;
    };
    const std::string full(TextField::maxLength, '1');
    const std::string overfull = full + "234\x1b";
    const Case cases[] = {
        {"7\t-2\r", false, "7", "-2", false, false, {7, -2}, ""},
        {"12\b3\t\t\t\r", false, "13", "10", false, false, {13, 10}, ""},
        {"99\tw\x1b", false, "99", "w", false, false, {10.5, 10}, ""},  // "w" does not pan
        {"abc\r", true, "abc", "10", true, false, {10.5, 10}, "Warning: position X \"abc\" is not a number\n"},
        {"\t1e999\r", true, "10.5", "1e999", false, true, {10.5, 10},
         "Warning: position Y \"1e999\" is out of range\n"},
        {"\b\r", true, "", "10", true, false, {10.5, 10}, "Warning: position X \"\" is not a number\n"},
        // Three characters past the field's length: refused, said once.
        {overfull.c_str(), false, full.c_str(), "10", false, false, {10.5, 10},
         "Warning: position X keeps at most 1077 characters; the rest is not taken\n"},
    };
    for (const Case& c : cases) {
        SetUp();
        entryPanel.setHidden(true);
        clickAt(115, 110);
        keyboardCallback(ctrlE, 0, 0);
        ASSERT_TRUE(entryPanelOpen());
        EXPECT_STREQ(xField.getText(), "10.5");
        testing::internal::CaptureStdout();
        for (const char* k = c.keys; *k != '\0'; ++k) keyboardCallback(static_cast<unsigned char>(*k), 0, 0);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.said) << c.keys;
        EXPECT_EQ(entryPanelOpen(), c.open) << c.keys;
        EXPECT_STREQ(xField.getText(), c.x) << c.keys;
        EXPECT_STREQ(yField.getText(), c.y) << c.keys;
        EXPECT_EQ(xField.isMarked(), c.xMarked) << c.keys;
        EXPECT_EQ(yField.isMarked(), c.yMarked) << c.keys;
        EXPECT_EQ(mapEditor.segment(0).getEndPoint(), c.junction) << c.keys;
        EXPECT_EQ(mapEditor.segment(1).getStartPoint(), c.junction) << c.keys;
        EXPECT_EQ(mapEditor.getViewOffset(), (ControlPoint{10, 10})) << c.keys;
        EXPECT_EQ(mapEditor.getHistory().undoCount(), c.junction == (ControlPoint{10.5, 10}) ? 0u : 1u);
    }
    // The junction typed to x -0 shows 0 and, applied as shown or typed as 0,
    // keeps its -0 for the file.
    for (const char* keys : {"\r", "0\t10\r"}) {
        SetUp();
        entryPanel.setHidden(true);
        clickAt(115, 110);
        for (const char* k : {"\x05", "-0\t10\r", "\x05"})
            for (; *k != '\0'; ++k) keyboardCallback(static_cast<unsigned char>(*k), 0, 0);
        ASSERT_TRUE(entryPanelOpen());
        EXPECT_STREQ(xField.getText(), "0");
        for (const char* k = keys; *k != '\0'; ++k) keyboardCallback(static_cast<unsigned char>(*k), 0, 0);
        EXPECT_FALSE(entryPanelOpen());
        EXPECT_EQ(formatMapFile(mapEditor.getSegments()),
                  "0 10 0.5 18\n-0.5 18 -0 10\n5\n-0 10 1.5 8\n14 8 16 10\n5")
            << keys;
    }
    // A field's warning stays while the panel is open and goes when it closes,
    // applied or not; another warning stays.
    const struct {
        const char* keys;
        bool noticeShown;
    } settled[] = {{"abc\r", true}, {"abc\r\b\b\b7\r", false}, {"abc\r\x1b", false}, {"\t1e999\r\x1b", false}};
    for (const auto& c : settled) {
        SetUp();
        windowNotices().dismiss();
        entryPanel.setHidden(true);
        clickAt(115, 110);
        keyboardCallback(ctrlE, 0, 0);
        testing::internal::CaptureStdout();
        for (const char* k = c.keys; *k != '\0'; ++k) keyboardCallback(static_cast<unsigned char>(*k), 0, 0);
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(windowNotices().shown(tickCount()), c.noticeShown) << c.keys;
    }
    windowNotices().post("Warning: something else", tickCount());
    keyboardCallback(ctrlE, 0, 0);
    keyboardCallback('\x1b', 0, 0);
    EXPECT_EQ(windowNotices().latest(), "Warning: something else");
    EXPECT_TRUE(windowNotices().shown(tickCount()));
    entryPanel.setHidden(true);
    // Arrow keys move the caret, not the point, while the panel is open; when
    // the point is no longer the one picked, Enter says why and moves nothing.
    const struct {
        void (*between)();
        const char* said;
    } gone[] = {
        {[] {}, ""},
        {removePointPressed, "Warning: position not applied: the point's segment was removed\n"},
        {[] { clickAt(30, 300); }, "Warning: position not applied: the point is no longer picked\n"},
        {[] { clickAt(10, 110); }, "Warning: position not applied: the point is no longer picked\n"},
    };
    for (const auto& g : gone) {
        SetUp();
        clickAt(115, 110);
        keyboardCallback(ctrlE, 0, 0);
        for (int key : {keyRight, keyLeft, keyHome}) specialCallback(key, 0, 0);
        keyboardCallback('7', 0, 0);
        g.between();
        const std::string before = formatMapFile(mapEditor.getSegments());
        testing::internal::CaptureStdout();
        keyboardCallback('\r', 0, 0);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), g.said);
        EXPECT_FALSE(entryPanelOpen());
        EXPECT_EQ(formatMapFile(mapEditor.getSegments()) == before, *g.said != '\0') << g.said;
        if (*g.said == '\0') {
            EXPECT_EQ(mapEditor.segment(0).getEndPoint(), (ControlPoint{710.5, 10}));
        }
    }
    // Without a picked point Ctrl+E says so and opens nothing.
    SetUp();
    testing::internal::CaptureStdout();
    keyboardCallback(ctrlE, 0, 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "No point picked: press a point before Ctrl+E\n");
    EXPECT_FALSE(entryPanelOpen());
}

TEST_F(Screen, CtrlGTogglesPrecisionAndArrowsNudgeWithShiftTenTimes) {
    windowState.readModifiers = readHeldModifiers;
    clickAt(115, 110);
    for (int shift : {0, 1}) {
        heldModifiers = shift;
        specialCallback(keyDown, 0, 0);
    }
    windowState.readModifiers = nullptr;
    EXPECT_NEAR(mapEditor.segment(1).getStartPoint().y, 11.1, 1e-12);
    keyboardCallback(ctrlG, 0, 0);
    specialCallback(keyLeft, 0, 0);
    EXPECT_EQ(mapEditor.segment(1).getStartPoint().x, 10);
    keyboardCallback(ctrlG, 0, 0);
    EXPECT_FALSE(mapEditor.precision().isOn());
}

}  // namespace

// Modifiers count as held at the press, for the whole drag; Ctrl+A (1)
// reaches the map. The shaping and many-point keys are driven end to end.
TEST_F(Screen, ModifiersAtThePressAndCtrlA) {
    windowState.readModifiers = readHeldModifiers;
    heldModifiers = 2;  // Ctrl at the press on the junction's handle (130, 90)
    passiveMotionCallback(130, 90);
    mouseCallback(0, press, 130, 90);
    heldModifiers = 0;  // let go during the drag: still snapped to 0 degrees
    motionCallback(145, 112);
    mouseCallback(0, release, 145, 112);
    windowState.readModifiers = nullptr;
    EXPECT_EQ(mapEditor.segment(1).getStartHandle(), (ControlPoint{13.5, 10}));
    keyboardCallback(1, 0, 0);
    EXPECT_EQ(mapEditor.precision().picked().size(), 4u);
}
