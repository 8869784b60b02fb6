#pragma once

#include <string>
#include <vector>

#include "Segment.h"

// A stretch of ground as the desktop clipboard carries it, both ways.

// What the editor offers for a copied stretch: the drawing that --convert
// writes (image/svg+xml; empty when it cannot be written) and the map file's
// text (plain text).
std::string clipboardDrawingOf(const std::vector<Segment>& stretch);
std::string clipboardTextOf(const std::vector<Segment>& stretch);

// What a paste made of the clipboard's contents.
struct ClipboardPaste {
    std::vector<Segment> segments;
    // Empty when the segments came out; otherwise the notice, one line.
    std::string problem;
};

// `svg` (what the clipboard held as image/svg+xml, empty for none) read as
// --convert reads drawings; without it `text` as map file records, as SVG
// path data ("M 0 0 C ...") or as a whole SVG document. `targets` names what
// the clipboard offered, for the notice when none of it reads.
ClipboardPaste readClipboard(const std::string& svg, const std::string& text, const std::string& targets);
