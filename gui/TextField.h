#pragma once

#include "Widget.h"

// One line of text the user types into: the focused field takes the keys
// handed to onKey. Getting the focus selects the whole text, so that the
// first character typed replaces it; Backspace deletes the selection or the
// last character. Tab, Enter and Escape are left to the field's owner. A
// marked field (a text that was refused) is framed in red.
class TextField : public Widget {
public:
    static constexpr char backspace = 8;
    static constexpr char deleteKey = 127;

    // Copies the text (at most 39 characters kept), unpadded, and drops the selection.
    void setText(const char* newText) override;
    // Nothing: the command (set by the owner) gives the field the focus.
    void onPress(int state, int x, int y) override;
    // A printable character replaces the selection or is added at the end;
    // Backspace (or Delete) removes the selection or the last character.
    // Ignored without the focus.
    void onKey(char key) override;
    void draw() override;

    void setFocused(bool value);
    bool isFocused() const { return focused; }
    bool isAllSelected() const { return allSelected; }
    void setMarked(bool value) { marked = value; }
    bool isMarked() const { return marked; }
    int getTextLength() const { return textLength; }

private:
    int textLength = 0;
    bool focused = false;
    bool allSelected = false;
    bool marked = false;
};
