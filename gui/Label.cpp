#include "Label.h"

#include "Decimal.h"

void Label::setText(const char* newText) { textLength = copyText(newText); }

void Label::onPress(PointerAction, int, int) {}

void Label::onKey(char) {}

void Label::draw() {
    if (hidden) return;
    drawFrameAndFace(0.0f);
    applyColor(textColor, 0.0f);
    // Everything after the first textLength characters is NUL, so the buffer is the shown text.
    drawCaption(x);
}

void Label::setNumber(int n) { Label::setText(toDecimal(n).data()); }

void Label::setCount(long long n) { Label::setText(toShortDecimal(n).data()); }
