#include "InputRouting.h"

#include "Globals.h"

namespace {

// GLUT's left, middle and right buttons.
constexpr int leftButton = 0;
constexpr int rightButton = 2;

}  // namespace

void mouseCallback(int button, int state, int x, int y) {
    // freeglut reports every wheel step and horizontal scroll step as a press
    // and a release of buttons 3 to 6 (side buttons come after them): those
    // are not clicks and must run no command, so only left, middle and right
    // go on, and those three act alike.
    if (button < leftButton || button > rightButton) return;
    if (!guiManager.handleMouse(state, x, y)) mapEditor.mouse(state, x, y);
}

void motionCallback(int x, int y) {
    if (!guiManager.handleDrag(x, y)) mapEditor.motion(x, y);
}

void passiveMotionCallback(int x, int y) { guiManager.handleHover(x, y); }

void keyboardCallback(unsigned char key, int /*x*/, int /*y*/) { mapEditor.keyboard(key); }

void specialCallback(int /*key*/, int /*x*/, int /*y*/) {}
