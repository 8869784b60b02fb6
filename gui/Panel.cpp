#include "Panel.h"

namespace {
constexpr float activeFaceHighlight = 0.1f;
}  // namespace

int Panel::addChild(Widget* child) {
    children.push_back(child);
    return static_cast<int>(children.size()) - 1;
}

void Panel::layoutChildren() {
    // Children are placed relative to the panel's corner; every call shifts them again.
    for (Widget* child : children) {
        child->setGeometry(child->getX() + x, child->getY() + y, child->getWidth(), child->getHeight());
    }
}

void Panel::onPress(PointerAction action, int px, int py) {
    if (hidden) return;
    // Every visible child is offered the press, not only the first that takes it.
    for (Widget* child : children) {
        if (!child->isHidden()) child->handlePress(action, px, py);
    }
}

void Panel::onKey(char key) {
    for (Widget* child : children) child->onKey(key);
}

void Panel::draw() {
    if (hidden) return;
    drawFrameAndFace(active ? activeFaceHighlight : 0.0f);
    for (Widget* child : children) child->draw();
}

void Panel::onHover(int px, int py) {
    // Tested even while hidden, so the children's flags are current when the panel reappears.
    hovered = contains(px, py);
    for (Widget* child : children) child->onHover(px, py);
}

void Panel::onDrag(int px, int py) {
    // A hidden child keeps a stale hover flag; like a hidden widget anywhere, it gets no drags.
    for (Widget* child : children) {
        if (child->isHovered() && !child->isHidden()) child->onDrag(px, py);
    }
}
