#include "Widget.h"

#include <GL/gl.h>

#include "BitmapFont.h"
#include "GlyphAtlas.h"

namespace {
// The base caption is padded with blanks to this many characters.
constexpr int paddedLength = 20;
}  // namespace

void Widget::setText(const char* newText) {
    const int count = copyText(newText);
    for (int i = count; i < paddedLength; ++i) text[i] = ' ';
}

void Widget::onPress(PointerAction, int, int) {}

void Widget::onKey(char) {}

void Widget::draw() {}

void Widget::onHover(int px, int py) {
    // A hidden widget keeps the flag it had.
    if (hidden) return;
    hovered = contains(px, py);
}

void Widget::onDrag(int, int) {}

void Widget::setGeometry(int newX, int newY, int newWidth, int newHeight) {
    x = newX;
    y = newY;
    width = newWidth;
    height = newHeight;
    hovered = false;
}

void Widget::setBackgroundColor(int r, int g, int b) {
    backgroundColor = {r / 255.0f, g / 255.0f, b / 255.0f};
}

void Widget::setTextColor(int r, int g, int b) { textColor = {r / 255.0f, g / 255.0f, b / 255.0f}; }

void Widget::runCallback() {
    if (callback) callback();
}

bool Widget::handlePress(PointerAction action, int px, int py) {
    // Only a press is taken; the hover flag of the last motion without a
    // button decides, not the press coordinates.
    if (action != PointerAction::press || !hovered) return false;
    onPress(action, px, py);
    runCallback();
    return true;
}

void Widget::drawText(float tx, float ty, float tz, void* font, const char* str, int charWidth) {
    glRasterPos3f(tx, ty, tz);
    // The atlas holds the 9 x 15 font; any other font goes glyph by glyph.
    const GlyphAtlas* atlas = font == BitmapFont::font9by15 ? BitmapFont::atlas : nullptr;
    if (!str || (!BitmapFont::drawGlyph && !atlas)) return;
    const float rightEdge = static_cast<float>(x) + static_cast<float>(width);
    int shown = 0;
    for (; str[shown] != '\0'; ++shown) {
        // Estimated start of this character; the first one cut ends the text.
        const float start = static_cast<float>(shown) * static_cast<float>(charWidth + 1) + tx;
        if (start >= rightEdge) break;
        if (!atlas) BitmapFont::drawGlyph(font, static_cast<unsigned char>(str[shown]));
    }
    if (atlas) atlas->drawString(str, shown);
}

void Widget::drawCaption(int left) {
    drawText(static_cast<float>(left), static_cast<float>(y) + 15.0f, 0.0f, BitmapFont::font9by15, text,
             captionCharWidth);
}

int Widget::copyText(const char* source) {
    int count = 0;
    if (source) {
        while (count < textCapacity - 1 && source[count] != '\0') {
            text[count] = source[count];
            ++count;
        }
    }
    for (int i = count; i < textCapacity; ++i) text[i] = '\0';
    return count;
}

bool Widget::contains(int px, int py) const {
    // Wide arithmetic so that extreme geometry cannot overflow.
    const long long left = x, top = y;
    return left < px && px < left + width && top < py && py < top + height;
}

void Widget::drawFrameAndFace(float faceHighlight) const {
    if (!faced) return;
    const float left = static_cast<float>(x);
    const float top = static_cast<float>(y);
    const float right = left + static_cast<float>(width);
    const float bottom = top + static_cast<float>(height);
    if (bordered) {
        // The face drawn next covers all of this but a one-pixel frame.
        applyColor(backgroundColor, 0.5f);
        glRectf(left - 1.0f, top - 1.0f, right + 1.0f, bottom + 1.0f);
    }
    applyColor(backgroundColor, faceHighlight);
    glRectf(left, top, right, bottom);
}

void Widget::applyColor(const Color& c, float highlight) {
    glColor3f(c.r + highlight, c.g + highlight, c.b + highlight);
}
