#pragma once

#include "Widget.h"

// A framed caption that runs its command when pressed.
class Button : public Widget {
public:
    Button();
    void onPress(int state, int x, int y) override;
    void onKey(char key) override;
    void draw() override;
};
