#pragma once

#include <string>
#include <vector>

#include "Messages.h"
#include "Segment.h"

// Reads the drawing `path` (an SVG file, plain or gzip-compressed, "FILE.svg#ID"
// or "FILE.svgz#ID" for the path with that id) into `segments` (see readDrawing). True when it became a chain; its
// warnings are problem lines "Warning: PATH: ...". Otherwise one problem
// line, "File input error: PATH: " and why, and `segments` is left alone.
bool readDrawingFile(const std::string& path, std::vector<Segment>& segments, Messages& messages);

// "mapeditor --convert [--size N] IN OUT": a drawing (.svg, .svgz) to a map file
// (.mef) or a map file to a drawing, or a map file to a picture of its ground
// (.png, .pdf; IN of any other name is read as a map, as a file manager
// hands over its files), by the names' endings, without a window; `size` is
// the picture's longer side, 0 for the default. OUT is written through the
// safe replacement. Returns the exit status: 0 when OUT was written; 1 when
// IN could not be read or converted (an empty map among them), or OUT could
// not be written (nothing written then); 2 when the endings name no
// conversion or a size is given for no picture.
int convertWithoutWindow(const std::string& in, const std::string& out, Messages& messages = consoleMessages(),
                         int size = 0);
