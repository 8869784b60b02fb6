#pragma once

#include "Button.h"
#include "Label.h"
#include "Panel.h"
#include "Widget.h"

// How the window's controls are added, in one place. Each takes its place,
// white text and the background (r, g, b), then joins `panel` (placed
// relative to the panel's corner until the panel's one layoutChildren) or,
// with no panel, the window's own list, and keeps its index there.

void addControl(Widget& control, Panel* panel, int x, int y, int width, int height, int r, int g, int b);

// A borderless label showing `text` (nothing when null).
void addLabel(Label& label, Panel* panel, int x, int y, int width, int height, int r, int g, int b,
              const char* text);

// A button showing `caption` that runs `command`.
void addButton(Button& button, Panel* panel, int x, int y, int width, int height, int r, int g, int b,
               const char* caption, Callback command);

// A panel of the window, in the background (r, g, b).
void addPanel(Panel& panel, int x, int y, int width, int height, int r, int g, int b);
