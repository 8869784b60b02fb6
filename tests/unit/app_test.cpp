// The application shell without a window: frame timing with made-up tick
// readings, input routing, the screen layout and the commands behind it.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "FrameLoop.h"
#include "FrameTimer.h"
#include "Globals.h"
#include "InputRouting.h"
#include "Interface.h"

namespace {

constexpr int press = 0;    // GLUT_DOWN
constexpr int release = 1;  // GLUT_UP

// ---------------------------------------------------------------- frame timing

TEST(FrameTimer, DrawsOnlyWhenMoreThanFrameIntervalHasPassed) {
    FrameTimer timer;
    timer.start(5000);
    EXPECT_FALSE(timer.frameDue(5000));
    EXPECT_FALSE(timer.frameDue(5010));
    EXPECT_TRUE(timer.frameDue(5011));

    // The next interval runs from the reading taken after the frame.
    timer.frameDrawn(5014);
    EXPECT_EQ(timer.getFrameCount(), 1);
    EXPECT_FALSE(timer.frameDue(5024));
    EXPECT_TRUE(timer.frameDue(5025));
}

TEST(FrameTimer, RefreshesFpsOnlyWhenMoreThanFpsIntervalHasPassed) {
    FrameTimer timer;
    timer.start(200);
    timer.frameDrawn(211);
    timer.frameDrawn(222);
    EXPECT_FALSE(timer.fpsDue(1200));
    EXPECT_TRUE(timer.fpsDue(1201));

    EXPECT_EQ(timer.closeFpsPeriod(1203), 2);
    EXPECT_EQ(timer.getFrameCount(), 0);
    EXPECT_FALSE(timer.fpsDue(2203));
    EXPECT_TRUE(timer.fpsDue(2204));
}

TEST(FrameTimer, KeepsGoingAcrossTheWrapOfTheTickCounter) {
    FrameTimer timer;
    timer.start(UINT32_MAX - 4);  // 10 ms later the counter reads 5
    EXPECT_FALSE(timer.frameDue(5));
    EXPECT_TRUE(timer.frameDue(6));
    EXPECT_FALSE(timer.fpsDue(995));
    EXPECT_TRUE(timer.fpsDue(996));
    EXPECT_EQ(timer.timeUntilFrame(0), 6u);
}

TEST(FrameTimer, FollowsTheIntervalGlobals) {
    const int savedFrame = frameInterval;
    const int savedFps = fpsInterval;
    frameInterval = 25;
    fpsInterval = 40;
    FrameTimer timer;
    timer.start(0);
    EXPECT_FALSE(timer.frameDue(25));
    EXPECT_TRUE(timer.frameDue(26));
    EXPECT_EQ(timer.timeUntilFrame(0), 25u);
    EXPECT_TRUE(timer.fpsDue(41));
    frameInterval = savedFrame;
    fpsInterval = savedFps;
}

// Random start times over the whole 32-bit range, checked against 64-bit arithmetic.
TEST(FrameTimer, DecisionsAndWaitsMatchWideArithmetic) {
    std::mt19937 random(20261207);
    std::uniform_int_distribution<std::uint32_t> anyTick(0, UINT32_MAX);
    std::uniform_int_distribution<std::uint32_t> smallStep(0, 30);
    std::uniform_int_distribution<std::uint32_t> largeStep(950, 1050);
    for (int i = 0; i < 20000; ++i) {
        const std::uint32_t start = anyTick(random);
        const std::uint32_t frameStep = smallStep(random);
        const std::uint32_t fpsStep = largeStep(random);
        FrameTimer timer;
        timer.start(start);
        const std::uint32_t now = static_cast<std::uint32_t>(std::uint64_t{start} + frameStep);
        const std::uint32_t fpsNow = static_cast<std::uint32_t>(std::uint64_t{start} + fpsStep);
        ASSERT_EQ(timer.frameDue(now), frameStep > 10u) << start << " + " << frameStep;
        ASSERT_EQ(timer.fpsDue(fpsNow), fpsStep > 1000u) << start << " + " << fpsStep;

        // Never sleeps past frameInterval; sleeping the wait makes a frame due
        // (unless the wait is capped), and one millisecond less would not.
        const std::uint32_t wait = timer.timeUntilFrame(now);
        ASSERT_LE(wait, 10u);
        ASSERT_EQ(wait == 0, timer.frameDue(now));
        if (wait > 0 && wait < 10u) {
            ASSERT_TRUE(timer.frameDue(now + wait));
            ASSERT_FALSE(timer.frameDue(now + wait - 1));
        }
    }
}

// ------------------------------------------------------------- the frame function

std::uint32_t fakeNow = 0;
int framesDrawn = 0;
std::uint32_t drawDuration = 0;

std::uint32_t readFakeTicks() { return fakeNow; }

void fakeDraw() {
    ++framesDrawn;
    fakeNow += drawDuration;
}

class FrameFunction : public testing::Test {
protected:
    void SetUp() override {
        mapEditor = MapEditor();
        pointsCounter.setNumber(0);
        fpsCounter.setNumber(0);
        framesDrawn = 0;
        drawDuration = 0;
    }
    // Runs the frame function once a millisecond from fakeNow up to `end` inclusive.
    void runUntil(std::uint32_t end) {
        for (; fakeNow != end + 1; ++fakeNow) runFrame(timer, readFakeTicks, fakeDraw);
    }
    FrameTimer timer;
};

TEST_F(FrameFunction, DrawsAtMostOncePerIntervalAndCountsFramesPerFpsPeriod) {
    fakeNow = 100;
    timer.start(fakeNow);
    runUntil(110);
    EXPECT_EQ(framesDrawn, 0);
    runUntil(111);
    EXPECT_EQ(framesDrawn, 1);
    EXPECT_STREQ(pointsCounter.getText(), "13");

    runUntil(1100);
    EXPECT_STREQ(fpsCounter.getText(), "0") << "no refresh at exactly fpsInterval";
    runUntil(1101);
    // A frame every 11 ms: 111, 122, ..., 1101. The one at 1101 is drawn before
    // the fps check and so belongs to the closing period.
    EXPECT_EQ(framesDrawn, 91);
    EXPECT_STREQ(fpsCounter.getText(), "91");
    EXPECT_EQ(timer.getFrameCount(), 0);
    const int firstPeriod = framesDrawn;

    mapEditor.appendSegment();
    runUntil(2101);
    EXPECT_EQ(timer.getLastFpsTime(), 1101u);
    runUntil(2102);
    EXPECT_EQ(timer.getLastFpsTime(), 2102u);
    EXPECT_STREQ(fpsCounter.getText(), std::to_string(framesDrawn - firstPeriod).c_str());
    EXPECT_STREQ(pointsCounter.getText(), "19");
}

TEST_F(FrameFunction, MeasuresTheIntervalFromTheEndOfAFrame) {
    fakeNow = 0;
    timer.start(fakeNow);
    drawDuration = 5;
    fakeNow = 11;
    EXPECT_EQ(runFrame(timer, readFakeTicks, fakeDraw), 10u);
    EXPECT_EQ(fakeNow, 16u);
    fakeNow = 26;
    EXPECT_EQ(runFrame(timer, readFakeTicks, fakeDraw), 1u);
    EXPECT_EQ(framesDrawn, 1);
    fakeNow = 27;
    runFrame(timer, readFakeTicks, fakeDraw);
    EXPECT_EQ(framesDrawn, 2);
}

TEST_F(FrameFunction, KeepsDrawingAndRefreshingAcrossTheWrap) {
    fakeNow = UINT32_MAX - 500;
    timer.start(fakeNow);
    runUntil(2000);
    // 2501 ms have passed: a frame every 11 ms, fps periods closed at 500 and 1501.
    EXPECT_EQ(framesDrawn, 227);
    EXPECT_EQ(timer.getLastFpsTime(), 1501u);
    EXPECT_STREQ(fpsCounter.getText(), "91");
}

// ------------------------------------------------------- layout, routing, commands

bool interfaceBuilt = false;

// What the layout left, recorded before any test changes it.
struct AfterLayout {
    std::vector<bool> hidden;  // of guiManager's widgets, in order
    std::string fpsText, pointsText, sliderText;
    int sliderValue = -1;
} afterLayout;

// The layout registers every control once per process, as in the program.
class InterfaceEnvironment : public testing::Environment {
public:
    void SetUp() override {
        interfaceBuilt = buildInterface();
        for (const Widget* w : guiManager.getWidgets()) afterLayout.hidden.push_back(w->isHidden());
        afterLayout.fpsText = fpsCounter.getText();
        afterLayout.pointsText = pointsCounter.getText();
        afterLayout.sliderText = resolutionSlider.getText();
        afterLayout.sliderValue = resolutionSlider.getValue();
    }
};
const testing::Environment* const interfaceEnvironment =
    testing::AddGlobalTestEnvironment(new InterfaceEnvironment);

// Puts the screen and the map back to how the program starts.
class Screen : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(interfaceBuilt);
        mapEditor = MapEditor();
        filePanel.setHidden(true);
        fileMaxPanel.setHidden(false);
        confirmPanel.setHidden(true);
        pointPanel.setHidden(true);
        pointMaxPanel.setHidden(false);
        resolutionSlider.setValue(5);
        passiveMotionCallback(-1, -1);
    }
    // Pointer motion to (x, y), then a press and a release there.
    static void clickAt(int x, int y, int button = 0) {
        passiveMotionCallback(x, y);
        mouseCallback(button, press, x, y);
        mouseCallback(button, release, x, y);
    }
    // The first segment's start point is drawn at (10, 110).
    static void selectFirstSegment() { clickAt(10, 110); }
};

using WidgetList = std::vector<const Widget*>;

struct Placement {
    const Widget* widget;
    int x, y, width, height;
};

void expectPlaced(const Placement& p) {
    EXPECT_EQ(p.widget->getX(), p.x) << p.widget->getText();
    EXPECT_EQ(p.widget->getY(), p.y) << p.widget->getText();
    EXPECT_EQ(p.widget->getWidth(), p.width) << p.widget->getText();
    EXPECT_EQ(p.widget->getHeight(), p.height) << p.widget->getText();
}

void expectColor(const Color& c, int r, int g, int b) {
    EXPECT_FLOAT_EQ(c.r, r / 255.0f);
    EXPECT_FLOAT_EQ(c.g, g / 255.0f);
    EXPECT_FLOAT_EQ(c.b, b / 255.0f);
}

// Captions are stored padded with blanks.
std::string caption(const Widget& w) {
    std::string text = w.getText();
    return text.substr(0, text.find_last_not_of(' ') + 1);
}

TEST_F(Screen, TopLevelControlsInOrderWithTheirGeometryLookAndVisibility) {
    const std::vector<Widget*> expected = {&resolutionSlider, &filePanel,     &fileMaxPanel, &fpsCounter,
                                           &fpsLabel,         &pointsCounter, &pointsLabel,  &confirmPanel,
                                           &pointPanel,       &pointMaxPanel};
    ASSERT_EQ(guiManager.getWidgets(), expected);
    for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(expected[i]->getIndex(), static_cast<int>(i));

    for (const Placement& p : std::vector<Placement>{{&resolutionSlider, 2, 580, 796, 20},
                                                     {&filePanel, 370, 5, 425, 30},
                                                     {&fileMaxPanel, 755, 5, 40, 30},
                                                     {&fpsCounter, 10, 550, 40, 20},
                                                     {&fpsLabel, 50, 550, 40, 20},
                                                     {&pointsCounter, 10, 530, 40, 20},
                                                     {&pointsLabel, 50, 530, 60, 20},
                                                     {&confirmPanel, 400, 300, 135, 55},
                                                     {&pointPanel, 395, 40, 400, 30},
                                                     {&pointMaxPanel, 755, 40, 40, 30}})
        expectPlaced(p);

    for (const Widget* w : {&filePanel, &fileMaxPanel, &confirmPanel})
        expectColor(w->getBackgroundColor(), 0, 60, 60);
    for (const Widget* w : {&pointPanel, &pointMaxPanel}) expectColor(w->getBackgroundColor(), 60, 0, 0);
    for (const Widget* w :
         WidgetList{&resolutionSlider, &fpsCounter, &fpsLabel, &pointsCounter, &pointsLabel}) {
        expectColor(w->getBackgroundColor(), 0, 0, 0);
        expectColor(w->getTextColor(), 255, 255, 255);
    }

    for (const Widget* w : {&fpsCounter, &fpsLabel, &pointsCounter, &pointsLabel})
        EXPECT_FALSE(w->isBordered());
    for (const Widget* w :
         WidgetList{&resolutionSlider, &filePanel, &fileMaxPanel, &confirmPanel, &pointPanel, &pointMaxPanel})
        EXPECT_TRUE(w->isBordered());

    EXPECT_EQ(resolutionSlider.getMinimum(), 0);
    EXPECT_EQ(resolutionSlider.getMaximum(), 50);
    EXPECT_EQ(afterLayout.sliderValue, 5);
    EXPECT_EQ(afterLayout.sliderText, "5");
    EXPECT_EQ(afterLayout.fpsText, "0");
    EXPECT_EQ(afterLayout.pointsText, "0");
    EXPECT_STREQ(fpsLabel.getText(), "fps");
    EXPECT_STREQ(pointsLabel.getText(), "points");
}

TEST_F(Screen, StartsWithBothBarsMinimisedAndNoConfirmation) {
    // Slider, file bar, its restore panel, four labels, confirmation, point bar, its restore panel.
    const std::vector<bool> expected = {false, true, false, false, false, false, false, true, true, false};
    EXPECT_EQ(afterLayout.hidden, expected);
}

TEST_F(Screen, PanelChildrenInOrderAtTheirWindowPositions) {
    using Children = std::vector<Widget*>;
    EXPECT_EQ(filePanel.getChildren(), (Children{&loadButton, &exportButton, &saveButton, &fileMinButton}));
    EXPECT_EQ(fileMaxPanel.getChildren(), Children{&fileMaxButton});
    EXPECT_EQ(confirmPanel.getChildren(), (Children{&confirmLabel, &yesButton, &noButton}));
    EXPECT_EQ(pointPanel.getChildren(),
              (Children{&appendPointButton, &insertPointButton, &removePointButton, &pointMinButton}));
    EXPECT_EQ(pointMaxPanel.getChildren(), Children{&pointMaxButton});
    for (const Panel* panel : {&filePanel, &fileMaxPanel, &confirmPanel, &pointPanel, &pointMaxPanel}) {
        for (std::size_t i = 0; i < panel->getChildren().size(); ++i)
            EXPECT_EQ(panel->getChildren()[i]->getIndex(), static_cast<int>(i));
    }

    // Window positions prove each panel was laid out exactly once.
    for (const Placement& p : std::vector<Placement>{{&loadButton, 375, 10, 140, 20},
                                                     {&exportButton, 660, 10, 95, 20},
                                                     {&saveButton, 520, 10, 135, 20},
                                                     {&fileMinButton, 760, 10, 30, 20},
                                                     {&fileMaxButton, 760, 10, 30, 20},
                                                     {&confirmLabel, 405, 305, 125, 20},
                                                     {&yesButton, 415, 330, 30, 20},
                                                     {&noButton, 480, 330, 30, 20},
                                                     {&pointMaxButton, 760, 45, 30, 20},
                                                     {&appendPointButton, 400, 45, 115, 20},
                                                     {&insertPointButton, 520, 45, 115, 20},
                                                     {&removePointButton, 640, 45, 115, 20},
                                                     {&pointMinButton, 760, 45, 30, 20}})
        expectPlaced(p);

    const std::vector<std::pair<const Widget*, const char*>> captions = {{&loadButton, "Load QUIV File"},
                                                                         {&exportButton, "Export Map"},
                                                                         {&saveButton, "Save QUIV File"},
                                                                         {&fileMinButton, "Min"},
                                                                         {&fileMaxButton, "Max"},
                                                                         {&yesButton, "Yes"},
                                                                         {&noButton, "No"},
                                                                         {&pointMaxButton, "Max"},
                                                                         {&appendPointButton, "Append Point"},
                                                                         {&insertPointButton, "Insert Point"},
                                                                         {&removePointButton, "Remove Point"},
                                                                         {&pointMinButton, "Min"}};
    for (const auto& [button, text] : captions) {
        EXPECT_EQ(caption(*button), text);
        expectColor(button->getTextColor(), 255, 255, 255);
        expectColor(button->getBackgroundColor(), 0, 0, 0);
        EXPECT_TRUE(button->isBordered());
    }
    EXPECT_STREQ(confirmLabel.getText(), "Are you sure?");
    EXPECT_FALSE(confirmLabel.isBordered());
    expectColor(confirmLabel.getBackgroundColor(), 0, 60, 60);
    expectColor(confirmLabel.getTextColor(), 255, 255, 255);
}

// ----- routing

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
        readModifiers = readHeldModifiers;
        heldModifiers = c.modifiers;
        passiveMotionCallback(115, 110);
        mouseCallback(c.button, press, 115, 110);
        mouseCallback(c.button, release, 115, 110);
        readModifiers = nullptr;
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

TEST_F(Screen, KeysGoOnlyToTheMapAndSpecialKeysDoNothing) {
    clickAt(770, 20);  // restores the file bar, leaving the pointer over its "Min" button
    testing::internal::CaptureStdout();
    keyboardCallback('a', 770, 20);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(mapEditor.getViewOffset(), (ControlPoint{25.0, 10.0}));
    EXPECT_FALSE(filePanel.isHidden());

    const ControlPoint startBefore = mapEditor.segment(0).getStartPoint();
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
    readModifiers = readHeldModifiers;
    testing::internal::CaptureStdout();
    std::vector<int> resolutions;
    for (int key : {26, 26, 26 + 100, 26, 25}) {
        heldModifiers = key / 100;  // Shift
        keyboardCallback(static_cast<unsigned char>(key % 100), 400, 590);
        resolutions.push_back(mapEditor.segment(0).getResolution());
    }
    readModifiers = nullptr;
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

// ----- commands

TEST_F(Screen, FileBarTogglesOnOneSpotWithItsMessages) {
    testing::internal::CaptureStdout();
    clickAt(770, 20);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Maximize pressed\n");
    EXPECT_FALSE(filePanel.isHidden());
    EXPECT_TRUE(fileMaxPanel.isHidden());

    // Second press without moving the pointer.
    testing::internal::CaptureStdout();
    mouseCallback(0, press, 770, 20);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Minimize pressed\n");
    EXPECT_TRUE(filePanel.isHidden());
    EXPECT_FALSE(fileMaxPanel.isHidden());
}

// Reads what reaches file descriptor 1 while `action` runs, without flushing stdout.
std::string unflushedOutputOf(void (*action)()) {
    std::fflush(stdout);
    int fds[2];
    if (pipe(fds) != 0) return "pipe failed";
    const int saved = dup(STDOUT_FILENO);
    dup2(fds[1], STDOUT_FILENO);
    action();
    dup2(saved, STDOUT_FILENO);
    close(saved);
    close(fds[1]);
    char buffer[256];
    const ssize_t n = read(fds[0], buffer, sizeof buffer);
    close(fds[0]);
    return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
}

TEST_F(Screen, BarMessagesAreWrittenOutAtOnce) {
    EXPECT_EQ(unflushedOutputOf(maximizePressed), "Maximize pressed\n");
    EXPECT_EQ(unflushedOutputOf(minimizePressed), "Minimize pressed\n");
}

TEST_F(Screen, PointBarTogglesOnOneSpotSilently) {
    testing::internal::CaptureStdout();
    clickAt(770, 55);
    EXPECT_FALSE(pointPanel.isHidden());
    EXPECT_TRUE(pointMaxPanel.isHidden());
    mouseCallback(0, press, 770, 55);
    EXPECT_TRUE(pointPanel.isHidden());
    EXPECT_FALSE(pointMaxPanel.isHidden());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST_F(Screen, PressBetweenButtonsOfAVisibleBarDoesNothing) {
    selectFirstSegment();
    clickAt(770, 55);
    clickAt(517, 55);  // between "Append Point" and "Insert Point"
    EXPECT_TRUE(mapEditor.segment(0).isSelected());
    EXPECT_EQ(mapEditor.segmentCount(), 2);
    EXPECT_FALSE(pointPanel.isHidden());
}

TEST_F(Screen, PointCommandsActOnTheSelectionWithoutReachingTheMap) {
    clickAt(770, 55);
    clickAt(450, 55);  // "Append Point"
    ASSERT_EQ(mapEditor.segmentCount(), 3);
    EXPECT_EQ(mapEditor.segment(2).getStartPoint(), (ControlPoint{16.0, 10.0}));
    EXPECT_EQ(mapEditor.pointCount(), 19);

    selectFirstSegment();
    clickAt(575, 55);  // "Insert Point" splits the selected segment in two
    ASSERT_EQ(mapEditor.segmentCount(), 4);
    EXPECT_EQ(mapEditor.segment(0).getStartPoint(), (ControlPoint{0.0, 10.0}));
    EXPECT_EQ(mapEditor.segment(1).getEndPoint(), (ControlPoint{10.5, 10.0}));
    // Had the press reached the map, it would have deselected everything.
    EXPECT_TRUE(mapEditor.segment(0).isSelected());
    EXPECT_TRUE(mapEditor.segment(1).isSelected());

    clickAt(700, 55);  // "Remove Point" removes both halves
    ASSERT_EQ(mapEditor.segmentCount(), 2);
    EXPECT_EQ(mapEditor.segment(0).getStartPoint(), (ControlPoint{10.5, 10.0}));
}

TEST_F(Screen, SliderPressHandsItsValueToTheSelectedSegments) {
    selectFirstSegment();
    resolutionSlider.setValue(12);
    clickAt(400, 590);
    EXPECT_EQ(mapEditor.segment(0).getResolution(), 12);
    EXPECT_TRUE(mapEditor.segment(0).isSelected());
    EXPECT_EQ(mapEditor.segment(1).getResolution(), 5);
    EXPECT_EQ(resolutionSlider.getValue(), 12);
}

// Runs a test body in a fresh working directory, since the commands use fixed file names.
class ScratchDirectory {
public:
    ScratchDirectory() {
        char pattern[] = "/tmp/app_test_XXXXXX";
        path = mkdtemp(pattern);
        previous = std::filesystem::current_path();
        std::filesystem::current_path(path);
    }
    ~ScratchDirectory() {
        std::filesystem::current_path(previous);
        std::filesystem::remove_all(path);
    }

private:
    std::filesystem::path path;
    std::filesystem::path previous;
};

TEST_F(Screen, SaveAsksFirstAndOnlyYesWrites) {
    ScratchDirectory scratch;
    clickAt(770, 20);
    clickAt(580, 20);  // "Save QUIV File"
    EXPECT_FALSE(confirmPanel.isHidden());
    EXPECT_FALSE(std::filesystem::exists("map.mef"));

    clickAt(495, 340);  // "No"
    EXPECT_TRUE(confirmPanel.isHidden());
    EXPECT_FALSE(std::filesystem::exists("map.mef"));

    clickAt(580, 20);
    clickAt(430, 340);  // "Yes"
    EXPECT_TRUE(confirmPanel.isHidden());
    EXPECT_TRUE(std::filesystem::exists("map.mef"));

    // "Load QUIV File" brings the saved two-segment map back.
    mapEditor.appendSegment();
    clickAt(440, 20);
    EXPECT_EQ(mapEditor.segmentCount(), 2);
    EXPECT_EQ(mapEditor.segment(1).getEndPoint(), (ControlPoint{16.0, 10.0}));
    EXPECT_EQ(mapEditor.getViewOffset(), (ControlPoint{1.0, 1.0}));
}

TEST_F(Screen, ExportWritesTheGroundAndScriptFiles) {
    ScratchDirectory scratch;
    clickAt(770, 20);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    clickAt(700, 20);  // "Export Map"
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_NE(out.find("Saved 2 segments"), std::string::npos) << out;
    EXPECT_TRUE(std::filesystem::exists("gnd.pts"));
    EXPECT_TRUE(std::filesystem::exists("go"));
}

}  // namespace
