#pragma once

#include "EditorKeys.h"
#include "Label.h"
#include "CachedPanel.h"

// The panel F1 opens: every key, modifier and mouse gesture of the window and
// what it does. It lies above every other control; F1, Escape or a click on
// it closes it, and while it is open it takes every key.

// Its objects are defined in Globals.cpp, like every object of the layout.
constexpr int keysPanelLabelCount = 39;
extern CachedPanel keysPanel;
extern Label keysLabels[keysPanelLabelCount];

// Lays out and registers the panel, hidden. Runs once, after the notices.
void buildKeysPanel();
// A key for the panel: F1 opens or closes it, and while it is open Escape
// closes it and every other key is taken. True when the key was taken.
bool keysPanelKey(EditorKey key);
bool keysPanelOpen();
// The panel's lines, left column then right, each at most
// keysPanelColumnChars characters: what its 350-pixel columns show.
constexpr int keysPanelColumnChars = 34;
int keysPanelLineCount();
const char* keysPanelLine(int index);
