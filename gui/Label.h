#pragma once

#include "Widget.h"

// One line of text or a number that the user cannot act on.
class Label : public Widget {
public:
    // Copies the text (at most 39 characters kept) and clears the rest of the buffer.
    void setText(const char* newText) override;
    void onPress(PointerAction action, int x, int y) override;
    void onKey(char key) override;
    void draw() override;
    // Shows n in decimal.
    void setNumber(int n);
    // Shows n in at most four characters (toShortDecimal).
    void setCount(long long n);
    int getTextLength() const { return textLength; }

private:
    int textLength = 0;
};
