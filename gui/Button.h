#pragma once

#include "Widget.h"

// A framed caption that runs its command when pressed. It starts black on
// black and bordered, as every widget does.
class Button : public Widget {
public:
    void onPress(PointerAction action, int x, int y) override;
    void onKey(char key) override;
    void draw() override;
};
