#include "InputRouting.h"

#include "Globals.h"

void mouseCallback(int /*button*/, int state, int x, int y) {
    if (!guiManager.handleMouse(state, x, y)) mapEditor.mouse(state, x, y);
}

void motionCallback(int x, int y) {
    if (!guiManager.handleDrag(x, y)) mapEditor.motion(x, y);
}

void passiveMotionCallback(int x, int y) { guiManager.handleHover(x, y); }

void keyboardCallback(unsigned char key, int /*x*/, int /*y*/) { mapEditor.keyboard(key); }

void specialCallback(int /*key*/, int /*x*/, int /*y*/) {}
