#include "GuiManager.h"

int GuiManager::add(Widget* widget) {
    widgets.push_back(widget);
    return static_cast<int>(widgets.size()) - 1;
}

void GuiManager::drawAll() {
    // Hidden widgets return from their own draw at once.
    for (Widget* widget : widgets) widget->draw();
}

bool GuiManager::handleMouse(PointerAction action, int x, int y) {
    // Top-most (last added) first; only one widget takes an event, so a widget shown
    // by the callback of the one that took it never sees the same press.
    for (auto it = widgets.rbegin(); it != widgets.rend(); ++it) {
        Widget* widget = *it;
        if (widget->isHidden()) continue;
        if (widget->handlePress(action, x, y)) return true;
    }
    return false;
}

void GuiManager::handleHover(int x, int y) {
    for (auto it = widgets.rbegin(); it != widgets.rend(); ++it) (*it)->onHover(x, y);
}

bool GuiManager::handleDrag(int x, int y) {
    // First added first: the opposite order from presses.
    for (Widget* widget : widgets) {
        if (widget->isHovered() && !widget->isHidden()) {
            widget->onDrag(x, y);
            return true;
        }
    }
    return false;
}
