#include "TextField.h"

#include <GL/gl.h>

#include <algorithm>

#include "BitmapFont.h"

namespace {
// Room left and right of the text inside the frame.
constexpr int padding = 3;
}  // namespace

void TextField::setText(const char* newText) {
    content.assign(newText ? newText : "");
    if (content.size() > static_cast<std::size_t>(maxLength)) content.resize(maxLength);
    // Widget's buffer holds the start, for whatever reads the base's text.
    copyText(content.c_str());
    caret = content.size();
    allSelected = false;
    showCaret();
}

void TextField::onPress(PointerAction, int, int) {}

void TextField::setFocused(bool value) {
    focused = value;
    allSelected = value && !content.empty();
}

void TextField::onKey(char key) {
    if (!focused) return;
    refused = false;
    if (key == backspace || key == deleteKey) {
        if (allSelected) {
            content.clear();
            caret = 0;
        } else if (key == deleteKey && caret < content.size()) {
            content.erase(caret, 1);
        } else if (caret > 0) {
            content.erase(--caret, 1);
        }
        allSelected = false;
        showCaret();
        return;
    }
    // Only printable ASCII: control keys belong to the owner.
    if (key < ' ' || key > '~') return;
    if (allSelected) {
        content.clear();
        caret = 0;
    }
    allSelected = false;
    if (content.size() < static_cast<std::size_t>(maxLength)) {
        content.insert(caret++, 1, key);
    } else {
        refused = true;
    }
    showCaret();
}

void TextField::moveCaret(CaretMove move) {
    if (!focused) return;
    const bool selected = allSelected;
    allSelected = false;
    switch (move) {
        case CaretMove::left:
            if (selected)
                caret = 0;
            else if (caret > 0)
                --caret;
            break;
        case CaretMove::right:
            if (selected)
                caret = content.size();
            else if (caret < content.size())
                ++caret;
            break;
        case CaretMove::home:
            caret = 0;
            break;
        case CaretMove::end:
            caret = content.size();
            break;
    }
    showCaret();
}

std::size_t TextField::cells() const {
    // At least one character shows, however narrow the field.
    return static_cast<std::size_t>(std::max(1, (width - 2 * padding - 1) / (captionCharWidth + 1)));
}

void TextField::showCaret() {
    const std::size_t shown = cells();
    if (caret < firstShown) firstShown = caret;
    if (caret > firstShown + shown) firstShown = caret - shown;
    // No room left empty on the right while text is scrolled out on the left.
    if (content.size() < firstShown + shown) firstShown = content.size() > shown ? content.size() - shown : 0;
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
    showCaret();
    const std::string shown = content.substr(firstShown, cells());
    const int left = x + padding;
    const int cellWidth = captionCharWidth + 1;
    const int textWidth = static_cast<int>(shown.size()) * cellWidth;
    if (allSelected) {
        // The selection: the text's colour behind it, the text in the face's colour.
        applyColor(textColor, 0.0f);
        glRecti(left, y + 2, left + textWidth, y + height - 2);
        applyColor(backgroundColor, 0.15f);
    } else {
        applyColor(textColor, 0.0f);
    }
    drawText(static_cast<float>(left), static_cast<float>(y) + 15.0f, 0.0f, BitmapFont::font9by15,
             shown.c_str(), captionCharWidth);
    if (focused && !allSelected) {
        applyColor(textColor, 0.0f);
        const int at = left + static_cast<int>(caret - firstShown) * cellWidth;
        glRecti(at, y + 3, at + 1, y + height - 3);
    }
}
