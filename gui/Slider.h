#pragma once

#include "Widget.h"

// A horizontal bar holding an integer between a minimum and a maximum, set by dragging.
class Slider : public Widget {
public:
    // Sets the range and puts the value at its middle; the text stays.
    void setRange(int min, int max);
    // Stores v unclamped and shows it.
    void setValue(int v);
    int getValue() const { return value; }
    int getMinimum() const { return minimum; }
    int getMaximum() const { return maximum; }
    int getTextLength() const { return textLength; }
    // The value a drag to window x px gives: the bar's fraction at px scaled to
    // the range, truncated toward zero and clamped to it.
    int valueAt(int px) const;
    // The window x of the knob's centre for the current value (unclamped).
    double knobPosition() const;

    void setText(const char* newText) override;
    void onPress(PointerAction action, int x, int y) override;
    void onKey(char key) override;
    void draw() override;
    // Runs the command first, then moves the value to the pointer's x.
    void onDrag(int px, int py) override;

private:
    int textLength = 0;
    int minimum = 0;
    int maximum = 0;
    int value = 0;
};
