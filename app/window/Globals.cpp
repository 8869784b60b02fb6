#include "Globals.h"

#include "KeysPanel.h"
#include "PrecisionTools.h"
#include "WindowNotices.h"

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

// Precision mode's entry panel and readout (PrecisionTools.h).
Panel entryPanel;
TextField xField;
TextField yField;
Label xCaption;
Label yCaption;
Label entryHint;
Label pointerRow;
Label gridCell;
Label junctionCell;
Label pointRow;
Label slopeCell;

// The notice and the recovery offer (WindowNotices.h).
Panel noticePanel;
Label noticeTextLabels[2];
Label noticeCountLabel;
Label noticeDetailLabel;
Panel offerPanel;
Label offerLabels[2];
Button recoverButton;
Button discardButton;

// The keys panel (KeysPanel.h).
CachedPanel keysPanel;
Label keysLabels[keysPanelLabelCount];

void resetWindowState() { static_cast<WindowStart&>(windowState) = WindowStart(); }
