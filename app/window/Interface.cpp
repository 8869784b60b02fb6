#include "Interface.h"

#include <GL/gl.h>

#include <cstdint>

#include "EditorFiles.h"
#include "EndSignal.h"
#include "Globals.h"
#include "PrecisionTools.h"

namespace {

// A white-on-black button of the file bar or of a restore panel, wired after it is added.
void addBarButton(Panel& panel, Button& button, int x, int y, int width, int height, const char* caption,
                  Callback command) {
    button.setGeometry(x, y, width, height);
    button.setTextColor(255, 255, 255);
    button.setBackgroundColor(0, 0, 0);
    button.setText(caption);
    button.setIndex(panel.addChild(&button));
    button.setCallback(command);
}

// A button of the point bar; it keeps the black background it is constructed with.
void addPointButton(Button& button, int x, int y, int width, int height, const char* caption,
                    Callback command) {
    button.setGeometry(x, y, width, height);
    button.setTextColor(255, 255, 255);
    button.setText(caption);
    button.setIndex(pointPanel.addChild(&button));
    button.setCallback(command);
}

// A borderless white-on-black number, starting at 0.
void addCounter(Label& label, int x, int y, int width, int height) {
    label.setGeometry(x, y, width, height);
    label.setTextColor(255, 255, 255);
    label.setBackgroundColor(0, 0, 0);
    label.setNumber(0);
    label.setBordered(false);
    label.setIndex(guiManager.add(&label));
}

// A borderless white-on-black word.
void addCaption(Label& label, int x, int y, int width, int height, const char* caption) {
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
    addBarButton(filePanel, loadButton, 5, 5, 140, 20, "Load QUIV File", loadPressed);
    addBarButton(filePanel, exportButton, 290, 5, 95, 20, "Export Map", exportPressed);
    addBarButton(filePanel, saveButton, 150, 5, 135, 20, "Save QUIV File", savePressed);
    addBarButton(filePanel, fileMinButton, 390, 5, 30, 20, "Min", minimizePressed);
    filePanel.layoutChildren();

    addPanel(fileMaxPanel, 755, 5, 40, 30, 0, 60, 60);
    addBarButton(fileMaxPanel, fileMaxButton, 5, 5, 30, 20, "Max", maximizePressed);
    fileMaxPanel.layoutChildren();
    fileMaxPanel.setHidden(true);

    addCounter(fpsCounter, 10, 550, 40, 20);
    addCaption(fpsLabel, 50, 550, 40, 20, "fps");
    addCounter(pointsCounter, 10, 530, 40, 20);
    addCaption(pointsLabel, 50, 530, 60, 20, "points");

    addPanel(confirmPanel, 400, 300, 135, 55, 0, 60, 60);
    confirmLabel.setGeometry(5, 5, 125, 20);
    confirmLabel.setText("Are you sure?");
    confirmLabel.setTextColor(255, 255, 255);
    confirmLabel.setBordered(false);
    confirmLabel.setBackgroundColor(0, 60, 60);
    confirmLabel.setIndex(confirmPanel.addChild(&confirmLabel));
    yesButton.setGeometry(15, 30, 30, 20);
    yesButton.setText("Yes");
    yesButton.setTextColor(255, 255, 255);
    yesButton.setCallback(yesPressed);
    yesButton.setIndex(confirmPanel.addChild(&yesButton));
    noButton.setGeometry(80, 30, 30, 20);
    noButton.setText("No");
    noButton.setTextColor(255, 255, 255);
    noButton.setCallback(noPressed);
    noButton.setIndex(confirmPanel.addChild(&noButton));
    confirmPanel.setHidden(true);
    confirmPanel.layoutChildren();

    addPanel(pointPanel, 395, 40, 400, 30, 60, 0, 0);
    pointPanel.setHidden(true);

    addPanel(pointMaxPanel, 755, 40, 40, 30, 60, 0, 0);
    addBarButton(pointMaxPanel, pointMaxButton, 5, 5, 30, 20, "Max", pointMaximizePressed);

    addPointButton(appendPointButton, 5, 5, 115, 20, "Append Point", appendPointPressed);
    addPointButton(insertPointButton, 125, 5, 115, 20, "Insert Point", insertPointPressed);
    addPointButton(removePointButton, 245, 5, 115, 20, "Remove Point", removePointPressed);
    addPointButton(pointMinButton, 365, 5, 30, 20, "Min", pointMinimizePressed);

    pointPanel.layoutChildren();
    pointMaxPanel.layoutChildren();

    glShadeModel(GL_SMOOTH);

    // The entry panel of typed positions lies above every other control.
    buildPrecisionTools();

    // The file bar starts minimised.
    fileMaxPanel.setHidden(false);
    filePanel.setHidden(true);
    return true;
}

void loadPressed() {
    // Only a load that replaced the chain gives it a new content id.
    const std::uint64_t before = mapEditor.contentId();
    loadMapFile(mapEditor, mapEditor.getMapFileName());
    if (mapEditor.contentId() != before) autosave.mapLoaded(mapEditor.getHistory().undoCount() > 0);
}

// Saving asks first; only "Yes" writes the file.
void savePressed() { confirmPanel.setHidden(false); }

void yesPressed() {
    confirmPanel.setHidden(true);
    if (saveMapFile(mapEditor)) autosave.mapSaved();
}

void noPressed() { confirmPanel.setHidden(true); }

// An end signal stops a long ground check: the frame loop then ends the editor.
void exportPressed() {
    exportMap(mapEditor, windowMessages(), [] { return pendingEndSignal() != 0; });
}

// Each bar and its restore button share one spot, so exactly one of the pair is shown.
void minimizePressed() {
    windowMessages().reportLine("Minimize pressed");
    fileMaxPanel.setHidden(false);
    filePanel.setHidden(true);
}

void maximizePressed() {
    windowMessages().reportLine("Maximize pressed");
    fileMaxPanel.setHidden(true);
    filePanel.setHidden(false);
}

void pointMinimizePressed() {
    pointPanel.setHidden(true);
    pointMaxPanel.setHidden(false);
}

void pointMaximizePressed() {
    pointPanel.setHidden(false);
    pointMaxPanel.setHidden(true);
}

void appendPointPressed() { mapEditor.appendSegment(); }

void insertPointPressed() { mapEditor.splitSelected(); }

void removePointPressed() { mapEditor.removeSelected(); }

// The slider runs this on a press and before each drag step; it hands over the value it shows.
void resolutionChanged() { mapEditor.setResolutionOfSelected(resolutionSlider.getValue()); }
