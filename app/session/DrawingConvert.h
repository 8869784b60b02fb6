#pragma once

#include <string>
#include <vector>

#include "Messages.h"
#include "Segment.h"

// Reads the drawing `path` (an SVG file, "FILE.svg#ID" for the path with that
// id) into `segments` (see readDrawing). True when it became a chain; its
// warnings are problem lines "Warning: PATH: ...". Otherwise one problem
// line, "File input error: PATH: " and why, and `segments` is left alone.
bool readDrawingFile(const std::string& path, std::vector<Segment>& segments, Messages& messages);

// "mapeditor --convert IN OUT": a drawing (.svg) to a map file (.mef) or a map
// file to a drawing, by the names' endings, without a window. OUT is written
// through the safe replacement. Returns the exit status: 0 when OUT was
// written; 1 when IN could not be read or converted, or OUT could not be
// written (nothing written then); 2 when the endings name no conversion.
int convertWithoutWindow(const std::string& in, const std::string& out,
                         Messages& messages = consoleMessages());
