#pragma once

#include "Autosave.h"
#include "Button.h"
#include "GuiManager.h"
#include "Label.h"
#include "MapEditor.h"
#include "Panel.h"
#include "Slider.h"
#include "WindowState.h"

// Every long-lived object of the editor: the editor, the objects the layout
// names, and the rest of the window's state in one struct (WindowState.h).
// They are all defined in Globals.cpp, in this order, so that the map is
// built before the controls exist; precision mode's controls and the notice's
// are declared in PrecisionTools.h and WindowNotices.h. Nothing else in the
// window keeps state.
extern MapEditor mapEditor;
extern GuiManager guiManager;
// The autosave of mapEditor's map.
extern Autosave autosave;
// Everything else the window keeps between calls.
extern WindowState windowState;
// Puts windowState back to how the window starts its run (WindowStart), for
// tests that each start from there; its GL objects and messages stay.
void resetWindowState();

extern Slider resolutionSlider;

extern Panel filePanel;
extern Button loadButton;
extern Button exportButton;
extern Button saveButton;
extern Button fileMinButton;
extern Panel fileMaxPanel;
extern Button fileMaxButton;

extern Label fpsCounter;
extern Label fpsLabel;
extern Label pointsCounter;
extern Label pointsLabel;

extern Panel confirmPanel;
extern Label confirmLabel;
extern Button yesButton;
extern Button noButton;

extern Panel pointPanel;
extern Button appendPointButton;
extern Button insertPointButton;
extern Button removePointButton;
extern Button pointMinButton;
extern Panel pointMaxPanel;
extern Button pointMaxButton;
