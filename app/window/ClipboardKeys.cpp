#include "ClipboardKeys.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ClipboardStretch.h"
#include "DesktopClipboard.h"
#include "Globals.h"
#include "Messages.h"

namespace {

// A Ctrl+V waits for the desktop clipboard's answer.
bool pasteWaiting = false;

void offer() {
    auto stretch = std::make_shared<const std::vector<Segment>>(mapEditor.stretches().copied());
    offerToClipboard([stretch] { return clipboardDrawingOf(*stretch); }, clipboardTextOf(*stretch));
}

}  // namespace

bool clipboardKey(EditorKey key) {
    switch (key) {
        case EditorKey::ctrlC:
            if (mapEditor.stretches().copy()) offer();
            return true;
        case EditorKey::ctrlX:
            if (mapEditor.stretches().cut()) offer();
            return true;
        case EditorKey::ctrlD:
            mapEditor.stretches().duplicate();
            return true;
        case EditorKey::ctrlV:
            if (requestClipboard())
                pasteWaiting = true;
            else
                mapEditor.stretches().paste();
            return true;
        default:
            return false;
    }
}

void pollClipboard() {
    ClipboardContent content;
    if (!pasteWaiting || !clipboardArrived(content)) return;
    pasteWaiting = false;
    if (content.own) {
        mapEditor.stretches().paste();
        return;
    }
    ClipboardPaste paste = readClipboard(content.svg, content.text, content.targets);
    if (!paste.problem.empty()) {
        windowMessages().problemLine(paste.problem);
        return;
    }
    mapEditor.stretches().paste(std::move(paste.segments));
}
