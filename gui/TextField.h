#pragma once

#include <string>

#include "Widget.h"

// One line of text the user types into: the focused field takes the keys
// handed to onKey and the caret moves handed to moveCaret. Getting the focus
// selects the whole text, so that the first character typed replaces it;
// Backspace deletes the selection or the character before the caret. Tab,
// Enter and Escape are left to the field's owner. A marked field (a text that
// was refused) is framed in red. The field shows as much of its text as fits,
// around the caret, and draws nothing outside its rectangle.
class TextField : public Widget {
public:
    static constexpr char backspace = 8;
    static constexpr char deleteKey = 127;
    // The most characters a field keeps: enough for the exact value of every
    // double written out in plain decimals (the longest, the largest
    // subnormal's negative, is "-0." and 1074 decimal places).
    static constexpr int maxLength = 1077;

    enum class CaretMove { left, right, home, end };

    // Copies the text (at most maxLength characters kept), unpadded, puts
    // the caret after it and drops the selection.
    void setText(const char* newText) override;
    // Nothing: the command (set by the owner) gives the field the focus.
    void onPress(PointerAction action, int x, int y) override;
    // A printable character replaces the selection or goes in at the caret;
    // one that would make the text longer than maxLength is refused
    // (keyRefused()). Backspace removes the selection or the character before
    // the caret; Delete the selection or the character after it, before it at
    // the end. Ignored without the focus.
    void onKey(char key) override;
    void draw() override;

    // Moves the caret one character or to either end, dropping the selection
    // (Left and Home from a selection go to its start, Right and End to its end).
    // Ignored without the focus.
    void moveCaret(CaretMove move);
    void setFocused(bool value);
    bool isFocused() const { return focused; }
    bool isAllSelected() const { return allSelected; }
    void setMarked(bool value) { marked = value; }
    bool isMarked() const { return marked; }
    // The whole text; the field keeps more than Widget's buffer holds.
    const char* getText() const { return content.c_str(); }
    int getTextLength() const { return static_cast<int>(content.size()); }
    int getCaret() const { return static_cast<int>(caret); }
    // Whether the last key handed to onKey was a printable one refused for length.
    bool keyRefused() const { return refused; }
    // The first character shown; those before it are scrolled out on the left.
    int getFirstShown() const { return static_cast<int>(firstShown); }

private:
    // How many characters fit between the paddings, with the caret after them.
    std::size_t cells() const;
    // Scrolls so that the caret lies within the shown characters.
    void showCaret();

    std::string content;
    std::size_t caret = 0;
    std::size_t firstShown = 0;
    bool focused = false;
    bool allSelected = false;
    bool marked = false;
    bool refused = false;
};
