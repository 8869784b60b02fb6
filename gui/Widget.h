#pragma once

#include "PointerAction.h"

// A command run by a control: no arguments, no result.
using Callback = void (*)();

// Colour channels as floats, nominally 0..1.
struct Color {
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
};

// Base of every control: a rectangle in window pixels with two colours, four
// flags, a 40-character text buffer and an optional command.
class Widget {
public:
    static constexpr int textCapacity = 40;

    // The six operations a control may override, in this order.
    // Default: copies the text and pads it with blanks to 20 characters.
    virtual void setText(const char* newText);
    // Default: nothing.
    virtual void onPress(PointerAction action, int x, int y);
    // Default: nothing.
    virtual void onKey(char key);
    // Default: nothing.
    virtual void draw();
    // Default: the hover test (strictly inside), skipped while hidden.
    virtual void onHover(int x, int y);
    // Default: nothing.
    virtual void onDrag(int x, int y);

    // Stores the rectangle and clears the hover flag.
    void setGeometry(int newX, int newY, int newWidth, int newHeight);
    // Channels 0..255, stored as value / 255.
    void setBackgroundColor(int r, int g, int b);
    void setTextColor(int r, int g, int b);
    void setBordered(bool value) { bordered = value; }
    // A widget without a face draws only its text, over what lies beneath
    // (a label on a panel of its own colour, whose descenders reach below it).
    void setFaced(bool value) { faced = value; }
    void setHidden(bool value) { hidden = value; }
    void setIndex(int value) { index = value; }
    void setCallback(Callback value) { callback = value; }
    // Runs the command when one is set.
    void runCallback();

    // A press while hovered runs onPress and then the command; true when taken.
    bool handlePress(PointerAction action, int px, int py);
    // Bitmap text from (tx, ty, tz), cut where the next character would start at or
    // beyond the right edge, estimating charWidth + 1 pixels per character.
    void drawText(float tx, float ty, float tz, void* font, const char* str, int charWidth);

    bool isHidden() const { return hidden; }
    bool isHovered() const { return hovered; }
    bool isBordered() const { return bordered; }
    bool isFaced() const { return faced; }
    bool isActive() const { return active; }
    int getX() const { return x; }
    int getY() const { return y; }
    int getWidth() const { return width; }
    int getHeight() const { return height; }
    int getIndex() const { return index; }
    const char* getText() const { return text; }
    const Color& getBackgroundColor() const { return backgroundColor; }
    const Color& getTextColor() const { return textColor; }

protected:
    Widget() = default;
    // Widgets are never destroyed through a Widget pointer.
    ~Widget() = default;

    // Copies at most textCapacity - 1 characters of source (null counts as empty)
    // and clears the rest of the buffer, so a terminator always fits and nothing
    // of an earlier, longer text survives. Returns the number of characters kept.
    int copyText(const char* source);
    // True when (px, py) lies strictly inside the rectangle; the outline is outside.
    bool contains(int px, int py) const;
    // The frame (background + 0.5, when bordered) and the face (background +
    // faceHighlight in each channel); sums above 1 are left to OpenGL to clamp.
    void drawFrameAndFace(float faceHighlight) const;
    // Sets the current colour to c plus highlight in each channel, unclamped.
    static void applyColor(const Color& c, float highlight);
    // The text in the 9 x 15 font every control uses, from window x `left`, on
    // the baseline 15 pixels below the top, cut at the right edge.
    void drawCaption(int left);
    static constexpr int captionCharWidth = 9;

    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    Color backgroundColor;
    Color textColor;
    bool hovered = false;
    bool active = false;
    bool hidden = false;
    bool bordered = true;
    bool faced = true;
    char text[textCapacity] = {};
    int index = 0;
    Callback callback = nullptr;
};
