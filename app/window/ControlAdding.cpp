#include "ControlAdding.h"

#include "Globals.h"

void addControl(Widget& control, Panel* panel, int x, int y, int width, int height, int r, int g, int b) {
    control.setGeometry(x, y, width, height);
    control.setTextColor(255, 255, 255);
    control.setBackgroundColor(r, g, b);
    control.setIndex(panel ? panel->addChild(&control) : guiManager.add(&control));
}

void addLabel(Label& label, Panel* panel, int x, int y, int width, int height, int r, int g, int b,
              const char* text) {
    if (text) label.setText(text);
    label.setBordered(false);
    addControl(label, panel, x, y, width, height, r, g, b);
}

void addButton(Button& button, Panel* panel, int x, int y, int width, int height, int r, int g, int b,
               const char* caption, Callback command) {
    button.setText(caption);
    button.setCallback(command);
    addControl(button, panel, x, y, width, height, r, g, b);
}

void addPanel(Panel& panel, int x, int y, int width, int height, int r, int g, int b) {
    panel.setGeometry(x, y, width, height);
    panel.setBackgroundColor(r, g, b);
    panel.setIndex(guiManager.add(&panel));
}
