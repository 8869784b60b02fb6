#include "InputRouting.h"

#include <algorithm>

#include "ClipboardKeys.h"
#include "FrameLoop.h"
#include "Globals.h"
#include "Interface.h"
#include "KeysPanel.h"
#include "PrecisionTools.h"

namespace {

// GLUT's left, middle and right buttons.
constexpr int leftButton = 0;
constexpr int rightButton = 2;

// How freeglut reports the wheel: the vertical wheel turned up and down, the
// horizontal wheel to the left and to the right, each step as buttons.
constexpr int wheelUp = 3;
constexpr int wheelDown = 4;
constexpr int wheelLeft = 5;
constexpr int wheelRight = 6;
// The wheel's buttons are one range, which mouseCallback tests as such.
static_assert(wheelUp < wheelDown && wheelDown < wheelLeft && wheelLeft < wheelRight);

constexpr int press = 0;          // GLUT_DOWN
constexpr int shiftModifier = 1;  // GLUT_ACTIVE_SHIFT
constexpr int ctrlModifier = 2;   // GLUT_ACTIVE_CTRL

// Pixels the view moves for one scroll step: three presses of a view key.
constexpr double scrollStep = 45.0;

int modifiersHeld() { return windowState.readModifiers != nullptr ? windowState.readModifiers() : 0; }

// The one translation of GLUT's key codes into the editor's keys. Ordinary
// keys come as characters: Ctrl with a letter as its control character.
// Ctrl+L is form feed; Ctrl+M is a carriage return as Enter is, and only the
// Ctrl held with it tells them apart.
EditorKey keyOf(unsigned char key, bool ctrl) {
    switch (key) {
        case 1:
            return EditorKey::ctrlA;
        case 3:
            return EditorKey::ctrlC;
        case 4:
            return EditorKey::ctrlD;
        case 22:
            return EditorKey::ctrlV;
        case 24:
            return EditorKey::ctrlX;
        case 12:
            return EditorKey::ctrlL;
        case 13:
            return ctrl ? EditorKey::ctrlM : EditorKey::enter;
        case 5:
            return EditorKey::ctrlE;
        case 7:
            return EditorKey::ctrlG;
        case 9:
            return EditorKey::tab;
        case '\n':
            return EditorKey::enter;
        case 19:
            return EditorKey::ctrlS;
        case 25:
            return EditorKey::ctrlY;
        case 26:
            return EditorKey::ctrlZ;
        case 27:
            return EditorKey::escape;
        case 127:
            return EditorKey::del;
        default:
            return EditorKey::character;
    }
}

// GLUT's special keys: GLUT_KEY_F1, _LEFT, _UP, _RIGHT, _DOWN, _HOME and _END.
EditorKey specialKeyOf(int key) {
    switch (key) {
        case 1:
            return EditorKey::f1;
        case 100:
            return EditorKey::left;
        case 101:
            return EditorKey::up;
        case 102:
            return EditorKey::right;
        case 103:
            return EditorKey::down;
        case 106:
            return EditorKey::home;
        case 107:
            return EditorKey::end;
        default:
            return EditorKey::otherSpecial;
    }
}

bool shiftHeld() { return (modifiersHeld() & shiftModifier) != 0; }

// A press on the map with Shift keeps a junction smooth while its handle is
// dragged; with Ctrl the drag snaps. Read at the press, they hold until the release.
DragModifiers dragModifiersHeld() {
    const int held = modifiersHeld();
    return {(held & shiftModifier) != 0, (held & ctrlModifier) != 0};
}

// Ctrl+M smooths the selected segments' junctions, Ctrl+L straightens them;
// with nothing to work on the notice says how to choose it.
void shapeSelected(EditorKey key) {
    const bool done = key == EditorKey::ctrlM ? mapEditor.shaping().smoothSelected()
                                              : mapEditor.shaping().straightenSelected();
    if (!done) windowMessages().problemLine("Nothing to smooth: select the segments first");
}

bool ctrlHeld() { return (modifiersHeld() & ctrlModifier) != 0; }

// A press or release in the map: a band, a split or a band selection's move
// takes it first, and the map's own editing gets the rest.
void mapButton(bool pressed, int x, int y) {
    if (pressed ? mapEditor.many().press(x, y, shiftHeld(), ctrlHeld()) : mapEditor.many().release()) return;
    if (pressed) {
        mapEditor.mouse(ButtonAction::press, x, y, dragModifiersHeld());
    } else {
        mapEditor.mouse(ButtonAction::release, x, y);
    }
}

// One wheel step: the vertical wheel zooms about the pointer, the horizontal
// wheel and Shift with the vertical one scroll sideways. Scrolling to the left
// shows more of the left, as the key "a" does.
void wheelStep(int button, int x, int y) {
    const bool sideways = button == wheelLeft || button == wheelRight || shiftHeld();
    const bool towardsLeft = button == wheelUp || button == wheelLeft;
    if (sideways) {
        mapEditor.shiftView(towardsLeft ? scrollStep : -scrollStep, 0.0);
    } else {
        mapEditor.zoomAt(x, y, towardsLeft ? 1 : -1);
    }
}

// The window row below the bars open at the top of the map, 0 with none:
// Home fits the map beneath them.
double openBarsBottom() {
    double bottom = 0.0;
    for (const Panel* bar : {&filePanel, &pointPanel})
        if (!bar->isHidden()) bottom = std::max(bottom, static_cast<double>(bar->getY() + bar->getHeight()));
    return bottom;
}

}  // namespace

void mouseCallback(int button, int state, int x, int y) {
    toPicture(x, y);
    // A wheel step comes as a press and a release; the press does the step.
    // The controls take no part in it, so it never runs a command.
    if (button >= wheelUp && button <= wheelRight) {
        if (state == press) wheelStep(button, x, y);
        return;
    }
    // Side buttons and whatever else freeglut reports after the wheel's are
    // not clicks and must run no command: only left, middle and right go on,
    // and those three act alike.
    if (button < leftButton || button > rightButton) return;
    const bool pressed = state == press;
    if (!guiManager.handleMouse(pressed ? PointerAction::press : PointerAction::release, x, y))
        mapButton(pressed, x, y);
}

void motionCallback(int x, int y) {
    toPicture(x, y);
    pointerMoved(x, y);
    if (!guiManager.handleDrag(x, y) && !mapEditor.many().motion(x, y)) mapEditor.motion(x, y);
}

void passiveMotionCallback(int x, int y) {
    toPicture(x, y);
    pointerMoved(x, y);
    guiManager.handleHover(x, y);
}

// The open entry panel takes every key; Ctrl+G and Ctrl+E are precision
// mode's. Ctrl+Z undoes; Ctrl+Y and Ctrl+Shift+Z redo; Ctrl+M smooths and
// Ctrl+L straightens; Ctrl+A picks every point and Delete dissolves the
// picked junctions; h, v, [, ], <, > (or , and .) flip, turn and scale the
// picked points; Ctrl+C, X, V and D are the clipboard's (ClipboardKeys.h).
// Every other key goes to the map.
void keyboardCallback(unsigned char key, int /*x*/, int /*y*/) {
    const EditorKey named = keyOf(key, (modifiersHeld() & ctrlModifier) != 0);
    if (keysPanelKey(named)) return;
    // While the save's question is shown, Enter answers Yes and Escape No.
    if (!confirmPanel.isHidden() && (named == EditorKey::enter || named == EditorKey::escape)) {
        if (named == EditorKey::enter)
            yesPressed();
        else
            noPressed();
        return;
    }
    if (precisionKey(named, key)) return;
    if (named == EditorKey::ctrlS) {
        savePressed();
        return;
    }
    if (clipboardKey(named)) return;
    if (named == EditorKey::ctrlM || named == EditorKey::ctrlL) {
        shapeSelected(named);
    } else if (named == EditorKey::ctrlZ && !shiftHeld()) {
        mapEditor.undo();
    } else if (named == EditorKey::ctrlZ || named == EditorKey::ctrlY) {
        mapEditor.redo();
    } else if (named == EditorKey::ctrlA) {
        mapEditor.many().pickAllEndPoints();
    } else if (named == EditorKey::del) {
        mapEditor.splitJoin().dissolvePicked();
    } else if (PickTransform kind; named == EditorKey::character && SelectionTransform::ofKey(key, kind)) {
        mapEditor.transform().apply(kind);
    } else {
        mapEditor.keyboard(key);
    }
}

// The arrow keys nudge the last picked points and Home fits the view; other
// special keys do nothing.
void specialCallback(int key, int /*x*/, int /*y*/) {
    const EditorKey named = specialKeyOf(key);
    if (keysPanelKey(named)) return;
    if (named == EditorKey::home && !entryPanelOpen()) {
        mapEditor.many().fitView(openBarsBottom());
        return;
    }
    precisionSpecialKey(named, shiftHeld());
}
