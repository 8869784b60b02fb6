#include "Interface.h"

#include "ControlAdding.h"
#include "EditorFiles.h"
#include "EndSignal.h"
#include "Globals.h"
#include "Notices.h"
#include "PrecisionTools.h"

bool buildInterface() {
    // The slider comes first so that every other control lies above it.
    addControl(resolutionSlider, nullptr, 2, 580, 796, 20, 0, 0, 0);
    resolutionSlider.setCallback(resolutionChanged);
    resolutionSlider.setRange(0, 50);
    resolutionSlider.setValue(5);

    // The bars' buttons are white on black.
    addPanel(filePanel, 370, 5, 425, 30, 0, 60, 60);
    addButton(loadButton, &filePanel, 5, 5, 140, 20, 0, 0, 0, "Load QUIV File", loadPressed);
    addButton(exportButton, &filePanel, 290, 5, 95, 20, 0, 0, 0, "Export Map", exportPressed);
    addButton(saveButton, &filePanel, 150, 5, 135, 20, 0, 0, 0, "Save QUIV File", savePressed);
    addButton(fileMinButton, &filePanel, 390, 5, 30, 20, 0, 0, 0, "Min", minimizePressed);
    filePanel.layoutChildren();

    addPanel(fileMaxPanel, 755, 5, 40, 30, 0, 60, 60);
    addButton(fileMaxButton, &fileMaxPanel, 5, 5, 30, 20, 0, 0, 0, "Max", maximizePressed);
    fileMaxPanel.layoutChildren();
    fileMaxPanel.setHidden(true);

    // Borderless white-on-black numbers, starting at 0, and their words.
    addLabel(fpsCounter, nullptr, 10, 550, 40, 20, 0, 0, 0, nullptr);
    fpsCounter.setNumber(0);
    addLabel(fpsLabel, nullptr, 50, 550, 40, 20, 0, 0, 0, "fps");
    addLabel(pointsCounter, nullptr, 10, 530, 40, 20, 0, 0, 0, nullptr);
    pointsCounter.setNumber(0);
    addLabel(pointsLabel, nullptr, 50, 530, 60, 20, 0, 0, 0, "points");

    addPanel(confirmPanel, 400, 300, 135, 55, 0, 60, 60);
    addLabel(confirmLabel, &confirmPanel, 5, 5, 125, 20, 0, 60, 60, "Are you sure?");
    addButton(yesButton, &confirmPanel, 15, 30, 30, 20, 0, 0, 0, "Yes", yesPressed);
    addButton(noButton, &confirmPanel, 80, 30, 30, 20, 0, 0, 0, "No", noPressed);
    confirmPanel.setHidden(true);
    confirmPanel.layoutChildren();

    addPanel(pointPanel, 395, 40, 400, 30, 60, 0, 0);
    pointPanel.setHidden(true);

    addPanel(pointMaxPanel, 755, 40, 40, 30, 60, 0, 0);
    addButton(pointMaxButton, &pointMaxPanel, 5, 5, 30, 20, 0, 0, 0, "Max", pointMaximizePressed);

    addButton(appendPointButton, &pointPanel, 5, 5, 115, 20, 0, 0, 0, "Append Point", appendPointPressed);
    addButton(insertPointButton, &pointPanel, 125, 5, 115, 20, 0, 0, 0, "Insert Point", insertPointPressed);
    addButton(removePointButton, &pointPanel, 245, 5, 115, 20, 0, 0, 0, "Remove Point", removePointPressed);
    addButton(pointMinButton, &pointPanel, 365, 5, 30, 20, 0, 0, 0, "Min", pointMinimizePressed);

    pointPanel.layoutChildren();
    pointMaxPanel.layoutChildren();

    // The entry panel of typed positions lies above every other control.
    buildPrecisionTools();

    // The file bar starts minimised.
    fileMaxPanel.setHidden(false);
    filePanel.setHidden(true);
    return true;
}

void loadPressed() {
    if (loadForWindow(mapEditor, autosave, windowMessages()))
        windowState.mapFileWatch.remember(mapEditor.getMapFileName());
}

namespace {

// The question is answered: its notice, when it still shows, goes with it.
void closeSaveQuestion() {
    confirmPanel.setHidden(true);
    if (!windowState.saveQuestionNotice.empty() && windowNotices().latest() == windowState.saveQuestionNotice)
        windowNotices().dismiss();
    windowState.saveQuestionNotice.clear();
}

}  // namespace

// Saving asks first; only "Yes" writes the file. A file that does not hold
// the map this window read is said while the question is shown.
void savePressed() {
    const bool asked = !confirmPanel.isHidden();
    confirmPanel.setHidden(false);
    if (asked) return;
    windowState.saveQuestionNotice = windowState.mapFileWatch.replacingLoses(mapEditor.getMapFileName());
    if (!windowState.saveQuestionNotice.empty()) windowMessages().notice(windowState.saveQuestionNotice);
}

void yesPressed() {
    closeSaveQuestion();
    if (saveForWindow(mapEditor, autosave, windowMessages()))
        windowState.mapFileWatch.remember(mapEditor.getMapFileName());
}

void noPressed() { closeSaveQuestion(); }

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
