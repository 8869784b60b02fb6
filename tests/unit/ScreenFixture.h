// The screen of the editor without a window, for the tests of its layout,
// commands and input routing: the controls are laid out once per test
// program, as in the program, and each test starts from the screen and the
// map the program starts with.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Globals.h"
#include "InputRouting.h"
#include "Interface.h"

namespace {

constexpr int press = 0;    // GLUT_DOWN
constexpr int release = 1;  // GLUT_UP

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
        resetWindowState();
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

}  // namespace
