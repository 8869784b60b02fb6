#include "KeysPanel.h"

#include <iterator>

#include "ControlAdding.h"
#include "Globals.h"
#include "Label.h"
#include "Panel.h"

namespace {

// Each line fits its column (keysPanelColumnChars). The first column: keys;
// the second: the mouse and the curve tools.
constexpr const char* lines[] = {
    "Keys            (F1, Esc: close)",
    "a d w s    move the view",
    "Home       fit the view to the map",
    "Ctrl+Z     undo",
    "Ctrl+Y     redo (or Ctrl+Shift+Z)",
    "Ctrl+S     save (asks first)",
    "Enter/Esc  answer Yes / No",
    "Ctrl+G     precision mode on/off",
    "Ctrl+E     type a point's position",
    "  Tab, Enter  other field, apply",
    "Arrows     nudge picked points",
    "Shift+arrow  ten times as far",
    "           (ten grid nodes)",
    "Ctrl+A     pick every end point",
    "Ctrl+M     smooth selected joins",
    "Ctrl+L     straighten selected",
    "Delete     dissolve picked joins",
    "h / v      flip picked points",
    "[ / ]      turn picked by 15 deg",
    "< / >      scale picked (or , .)",
    "Ctrl+C/X/V  copy, cut, paste",
    "Ctrl+D     duplicate",
    "F1         this panel",
    "Mouse",
    "Press      pick points, select",
    "Shift+click  add or take a point",
    "Drag point move it",
    "Wheel      zoom at the pointer",
    "Shift+wheel  scroll sideways",
    "Ctrl+click split a curve there",
    "Shift-drag:",
    "  on a handle   keep it smooth",
    "  on empty map  add a band",
    "Ctrl-drag:",
    "  on a handle   snap to 15 deg",
    "  on a point    level or upright",
    "In precision mode drags snap",
    "to the grid.",
    "Click here to close",
};
constexpr int lineCount = static_cast<int>(std::size(lines));
static_assert(lineCount == keysPanelLabelCount, "one label a line");
constexpr int leftLines = 23;

void close() {
    windowState.keysPanelOpen = false;
    keysPanel.setHidden(true);
}

}  // namespace

void buildKeysPanel() {
    constexpr int row = 17;
    addPanel(keysPanel, 40, 45, 720, 12 + leftLines * row, 0, 60, 60);
    keysPanel.setCallback(close);
    for (int i = 0; i < lineCount; ++i) {
        const bool left = i < leftLines;
        addLabel(keysLabels[i], &keysPanel, left ? 5 : 365, 5 + (left ? i : i - leftLines) * row, 350, 16, 0, 60,
                 60, lines[i]);
        // The rows are closer than the font is tall: the panel's face is theirs,
        // so that no row's face covers the descenders of the row above.
        keysLabels[i].setFaced(false);
    }
    keysPanel.layoutChildren();
    keysPanel.setHidden(true);
}

bool keysPanelOpen() { return windowState.keysPanelOpen; }

bool keysPanelKey(EditorKey key) {
    if (key == EditorKey::f1) {
        windowState.keysPanelOpen = !windowState.keysPanelOpen;
        keysPanel.setHidden(!windowState.keysPanelOpen);
        return true;
    }
    if (!windowState.keysPanelOpen) return false;
    if (key == EditorKey::escape) close();
    return true;
}

int keysPanelLineCount() { return lineCount; }

const char* keysPanelLine(int index) { return index >= 0 && index < lineCount ? lines[index] : ""; }
