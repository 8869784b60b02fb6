#pragma once

#include <vector>

#include "Widget.h"

// The registry of top-level controls: draws them and routes mouse input to them.
class GuiManager {
public:
    // Appends the widget (not owned) and returns its index.
    int add(Widget* widget);
    // Draws every widget, earliest added first.
    void drawAll();
    // Offers a button event, top-most visible widget first; true when one took it.
    bool handleMouse(PointerAction action, int x, int y);
    // Passes a position without a pressed button to every widget, hidden ones included.
    void handleHover(int x, int y);
    // Passes a position with a button held to the first visible hovered widget; true when there is one.
    bool handleDrag(int x, int y);

    const std::vector<Widget*>& getWidgets() const { return widgets; }

private:
    std::vector<Widget*> widgets;
};
