#include "Interface.h"

#include <GL/gl.h>

#include <cstdio>

#include "Globals.h"

namespace {

// A bordered white-on-black button, added to its panel and wired to its command.
void addButton(Panel& panel, Button& button, int x, int y, int width, int height, const char* caption,
               Callback command) {
    button.setGeometry(x, y, width, height);
    button.setTextColor(255, 255, 255);
    button.setBackgroundColor(0, 0, 0);
    button.setText(caption);
    button.setIndex(panel.addChild(&button));
    button.setCallback(command);
}

// A borderless white-on-black word or number standing on its own.
void addLabel(Label& label, int x, int y, int width, int height, const char* caption) {
    label.setGeometry(x, y, width, height);
    label.setTextColor(255, 255, 255);
    label.setBackgroundColor(0, 0, 0);
    label.setText(caption);
    label.setBordered(false);
    label.setIndex(guiManager.add(&label));
}

void addPanel(Panel& panel, int x, int y, int width, int height, int r, int g, int b) {
    panel.setGeometry(x, y, width, height);
    panel.setBackgroundColor(r, g, b);
    panel.setIndex(guiManager.add(&panel));
}

// A bar and its restore panel share one spot, so exactly one of the pair is shown.
void showBar(Panel& bar, Panel& restorePanel, bool shown) {
    bar.setHidden(!shown);
    restorePanel.setHidden(shown);
}

}  // namespace

bool buildInterface() {
    // The slider comes first so that every other control lies above it.
    resolutionSlider.setGeometry(2, 580, 796, 20);
    resolutionSlider.setCallback(resolutionChanged);
    resolutionSlider.setTextColor(255, 255, 255);
    resolutionSlider.setBackgroundColor(0, 0, 0);
    resolutionSlider.setRange(0, 50);
    resolutionSlider.setValue(5);
    resolutionSlider.setIndex(guiManager.add(&resolutionSlider));

    addPanel(filePanel, 370, 5, 425, 30, 0, 60, 60);
    addButton(filePanel, loadButton, 5, 5, 140, 20, "Load QUIV File", loadPressed);
    addButton(filePanel, exportButton, 290, 5, 95, 20, "Export Map", exportPressed);
    addButton(filePanel, saveButton, 150, 5, 135, 20, "Save QUIV File", savePressed);
    addButton(filePanel, fileMinButton, 390, 5, 30, 20, "Min", minimizePressed);
    filePanel.layoutChildren();

    addPanel(fileMaxPanel, 755, 5, 40, 30, 0, 60, 60);
    addButton(fileMaxPanel, fileMaxButton, 5, 5, 30, 20, "Max", maximizePressed);
    fileMaxPanel.layoutChildren();

    // The counters start at 0; the frame function rewrites them.
    addLabel(fpsCounter, 10, 550, 40, 20, "0");
    addLabel(fpsLabel, 50, 550, 40, 20, "fps");
    addLabel(pointsCounter, 10, 530, 40, 20, "0");
    addLabel(pointsLabel, 50, 530, 60, 20, "points");

    addPanel(confirmPanel, 400, 300, 135, 55, 0, 60, 60);
    confirmLabel.setGeometry(5, 5, 125, 20);
    confirmLabel.setText("Are you sure?");
    confirmLabel.setTextColor(255, 255, 255);
    confirmLabel.setBordered(false);
    confirmLabel.setBackgroundColor(0, 60, 60);
    confirmLabel.setIndex(confirmPanel.addChild(&confirmLabel));
    addButton(confirmPanel, yesButton, 15, 30, 30, 20, "Yes", yesPressed);
    addButton(confirmPanel, noButton, 80, 30, 30, 20, "No", noPressed);
    confirmPanel.layoutChildren();
    confirmPanel.setHidden(true);

    addPanel(pointPanel, 395, 40, 400, 30, 60, 0, 0);
    addButton(pointPanel, appendPointButton, 5, 5, 115, 20, "Append Point", appendPointPressed);
    addButton(pointPanel, insertPointButton, 125, 5, 115, 20, "Insert Point", insertPointPressed);
    addButton(pointPanel, removePointButton, 245, 5, 115, 20, "Remove Point", removePointPressed);
    addButton(pointPanel, pointMinButton, 365, 5, 30, 20, "Min", pointMinimizePressed);
    pointPanel.layoutChildren();

    addPanel(pointMaxPanel, 755, 40, 40, 30, 60, 0, 0);
    addButton(pointMaxPanel, pointMaxButton, 5, 5, 30, 20, "Max", pointMaximizePressed);
    pointMaxPanel.layoutChildren();

    glShadeModel(GL_SMOOTH);

    // Both bars start minimised.
    showBar(filePanel, fileMaxPanel, false);
    showBar(pointPanel, pointMaxPanel, false);
    return true;
}

void loadPressed() { mapEditor.loadMapFile("map.mef"); }

// Saving asks first; only "Yes" writes the file.
void savePressed() { confirmPanel.setHidden(false); }

void yesPressed() {
    confirmPanel.setHidden(true);
    mapEditor.saveMapFile();
}

void noPressed() { confirmPanel.setHidden(true); }

void exportPressed() { mapEditor.exportMap(); }

void minimizePressed() {
    std::printf("Minimize pressed\n");
    std::fflush(stdout);
    showBar(filePanel, fileMaxPanel, false);
}

void maximizePressed() {
    std::printf("Maximize pressed\n");
    std::fflush(stdout);
    showBar(filePanel, fileMaxPanel, true);
}

void pointMinimizePressed() { showBar(pointPanel, pointMaxPanel, false); }

void pointMaximizePressed() { showBar(pointPanel, pointMaxPanel, true); }

void appendPointPressed() { mapEditor.appendSegment(); }

void insertPointPressed() { mapEditor.splitSelected(); }

void removePointPressed() { mapEditor.removeSelected(); }

// The slider runs this on a press and before each drag step; it hands over the value it shows.
void resolutionChanged() { mapEditor.setResolutionOfSelected(resolutionSlider.getValue()); }
