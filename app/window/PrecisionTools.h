#pragma once

#include <string>
#include "EditorKeys.h"

#include "Label.h"
#include "MapEditor.h"
#include "Panel.h"
#include "TextField.h"

// Precision mode's window half: the readout of coordinates, the arrow-key
// nudges and the entry panel for typed positions (Ctrl+E).

// The entry panel of typed positions, its two fields and its captions
// (defined in Globals.cpp, like every object of the layout).
extern Panel entryPanel;
extern TextField xField;
extern TextField yField;
extern Label xCaption;
extern Label yCaption;
extern Label entryHint;

// The readout's two rows, in the lower part of the band right of the
// counters (x 120 to 795, y 541 to 575). Drawn by the frame, not registered
// as controls, so that presses there still reach the map.
extern Label pointerRow;
extern Label gridCell;
extern Label pointRow;
extern Label slopeCell;

// Registers the entry panel (hidden) with guiManager, above every other control.
void buildPrecisionTools();

// A key for precision mode or the open entry panel: Ctrl+G toggles the mode,
// Ctrl+E opens the panel, and while the panel is open it takes every key.
// Enter moves the point the panel was opened for; when that point is no
// longer picked (its segment removed, another point pressed) it closes the
// panel with a warning instead. True when the key was taken. `character` is
// the key as typed, which the panel's fields take.
bool precisionKey(EditorKey key, unsigned char character);
// An arrow key nudges the last picked points, Shift
// for ten times as far. While the entry panel is open, Left, Right, Home and
// End move the focused field's caret instead, and nothing is nudged.
void precisionSpecialKey(EditorKey key, bool shift);
// Where the pointer is, for the readout.
void pointerMoved(int x, int y);
// In precision mode: the readout, in the band right of the counters.
void drawPrecisionReadout();

bool entryPanelOpen();

// What the readout says of the junction of `readout` (atJunction): "smooth"
// when its two handles are exactly opposite (the ground check's exact
// orientation test), else "kink A deg", A the angle by which they miss
// opposite; nothing when a handle lies on the junction.
std::string junctionReadout(const MapEditor::PointReadout& readout);
