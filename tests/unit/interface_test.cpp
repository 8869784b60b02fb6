// The screen layout and the commands behind its controls.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "PrecisionTools.h"
#include "ScreenFixture.h"

namespace {

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
                                           &pointPanel,       &pointMaxPanel, &entryPanel};
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
                                                     {&pointMaxPanel, 755, 40, 40, 30},
                                                     {&entryPanel, 270, 230, 260, 80}})
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
    // Slider, file bar, its restore panel, four labels, confirmation, point bar, its restore panel, entry panel.
    const std::vector<bool> expected = {false, true, false, false, false, false, false, true, true, false, true};
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
        char pattern[] = "/tmp/interface_test_XXXXXX";
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
