#pragma once

// The GLUT input callbacks. A mouse event is offered to the controls first and
// reaches the map only when no control took it; keys go to the map alone.
// Positions are mapped to the 800 x 600 picture first (toPicture), so that a
// click lands on what is drawn under the pointer whatever the window's size.
// Left, middle and right act alike. Wheel steps (buttons 3 to 6) zoom or
// scroll the map and reach no control; further buttons do nothing.

// The held modifier keys are read through windowState.readModifiers.

// A button press or release (state 0 or 1).
void mouseCallback(int button, int state, int x, int y);
// Pointer motion with a button held.
void motionCallback(int x, int y);
// Pointer motion without a button: the only thing that updates the controls' hover flags.
void passiveMotionCallback(int x, int y);
// An ordinary key; the pointer position is dropped. The open entry panel
// takes every key; Ctrl+G toggles precision mode and Ctrl+E opens the entry
// panel (PrecisionTools.h). Ctrl+Z undoes, Ctrl+Y and Ctrl+Shift+Z redo.
// Ctrl+S asks the save's question, as "Save QUIV File" does; while it is
// shown Enter answers Yes and Escape No. While the keys panel (F1) is open,
// F1 and Escape close it and every other key is taken.
void keyboardCallback(unsigned char key, int x, int y);
// Arrow keys nudge the last picked points (Shift: ten times as far); function
// and other special keys: no effect, but F1, which opens and closes the keys panel.
void specialCallback(int key, int x, int y);
