#pragma once

#include <vector>

#include "Widget.h"

// A coloured framed rectangle that holds other widgets (not owned) and passes
// drawing and mouse input on to them.
class Panel : public Widget {
public:
    // Appends a child and returns its index.
    int addChild(Widget* child);
    // Shifts every child by the panel's corner; call once, after the last addChild.
    void layoutChildren();

    void onPress(PointerAction action, int x, int y) override;
    void onKey(char key) override;
    void draw() override;
    void onHover(int x, int y) override;
    void onDrag(int x, int y) override;

    const std::vector<Widget*>& getChildren() const { return children; }

private:
    std::vector<Widget*> children;
};
