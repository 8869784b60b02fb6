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
// counters (x 120 to 795, y 541 to 575): the pointer, the grid and the
// junction above, the point and its slope below. Drawn by the frame, not registered
// as controls, so that presses there still reach the map.
extern Label pointerRow;
extern Label gridCell;
extern Label junctionCell;
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
// when junctionShape finds it smooth, else "kink A deg", A the angle by which
// its handles miss opposite (angleText); nothing when a handle lies on the
// junction.
std::string junctionReadout(const PrecisionMode::PointReadout& readout);

// An angle in degrees as the readout writes a kink: three significant digits
// in plain decimals, trailing zeros dropped ("2.51", "0.02", "0.000714");
// below 1e-7 with its exponent.
std::string angleText(double degrees);

// The readout's slope at the point of `readout`: "slope A deg", or "slope A
// / B deg" when its two sides differ; with three significant digits where six
// would not fit the cell whole.
std::string slopeReadout(const PrecisionMode::PointReadout& readout);

// A number as the readout and the position panel's fields show it: as the
// map file writes it, but negative zero as 0.
std::string readoutNumber(double value);
