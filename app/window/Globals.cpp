#include "Globals.h"

// One translation unit, so construction runs in the order written here.
MapEditor mapEditor;
GuiManager guiManager;
Autosave autosave(mapEditor, windowMessages());
WindowState windowState;

Slider resolutionSlider;

Panel filePanel;
Button loadButton;
Button exportButton;
Button saveButton;
Button fileMinButton;
Panel fileMaxPanel;
Button fileMaxButton;

Label fpsCounter;
Label fpsLabel;
Label pointsCounter;
Label pointsLabel;

Panel confirmPanel;
Label confirmLabel;
Button yesButton;
Button noButton;

Panel pointPanel;
Button appendPointButton;
Button insertPointButton;
Button removePointButton;
Button pointMinButton;
Panel pointMaxPanel;
Button pointMaxButton;
