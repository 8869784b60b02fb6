#include "Button.h"

namespace {
constexpr float hoverFaceHighlight = 0.2f;
constexpr float hoverTextHighlight = 0.5f;
}  // namespace

// The command runs from handlePress, after this.
void Button::onPress(PointerAction, int, int) {}

void Button::onKey(char) {}

void Button::draw() {
    if (hidden) return;
    drawFrameAndFace(hovered ? hoverFaceHighlight : 0.0f);
    applyColor(textColor, hovered ? hoverTextHighlight : 0.0f);
    drawCaption(x);
}
