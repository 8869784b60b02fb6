#include "TextField.h"

#include <GL/gl.h>

namespace {
// Room left and right of the text inside the frame.
constexpr int padding = 3;
}  // namespace

void TextField::setText(const char* newText) {
    textLength = copyText(newText);
    allSelected = false;
}

void TextField::onPress(int, int, int) {}

void TextField::setFocused(bool value) {
    focused = value;
    allSelected = value && textLength > 0;
}

void TextField::onKey(char key) {
    if (!focused) return;
    if (key == backspace || key == deleteKey) {
        if (allSelected) {
            textLength = copyText("");
        } else if (textLength > 0) {
            text[--textLength] = '\0';
        }
        allSelected = false;
        return;
    }
    // Only printable ASCII: the font has nothing else, and control keys belong to the owner.
    if (key < ' ' || key > '~') return;
    if (allSelected) textLength = copyText("");
    allSelected = false;
    if (textLength < textCapacity - 1) text[textLength++] = key;
}

void TextField::draw() {
    if (hidden) return;
    drawFrameAndFace(focused ? 0.15f : 0.0f);
    if (marked) {
        glColor3f(1.0f, 0.2f, 0.2f);
        glBegin(GL_LINE_LOOP);
        glVertex2f(static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f);
        glVertex2f(static_cast<float>(x + width) - 0.5f, static_cast<float>(y) + 0.5f);
        glVertex2f(static_cast<float>(x + width) - 0.5f, static_cast<float>(y + height) - 0.5f);
        glVertex2f(static_cast<float>(x) + 0.5f, static_cast<float>(y + height) - 0.5f);
        glEnd();
    }
    const int left = x + padding;
    const int textWidth = textLength * (captionCharWidth + 1);
    if (allSelected) {
        // The selection: the text's colour behind it, the text in the face's colour.
        applyColor(textColor, 0.0f);
        glRecti(left, y + 2, left + textWidth, y + height - 2);
        applyColor(backgroundColor, 0.15f);
    } else {
        applyColor(textColor, 0.0f);
    }
    drawCaption(left);
    if (focused && !allSelected) {
        // The caret after the last character.
        applyColor(textColor, 0.0f);
        glRecti(left + textWidth, y + 3, left + textWidth + 1, y + height - 3);
    }
}
