#pragma once

#include <string>
#include <vector>

#include "Messages.h"

// Most problem lines "mapeditor --check" prints before summing up the rest.
constexpr int maxCheckLines = 100;

// "mapeditor --check": reads `mapFile` as --export does and checks the ground
// outline its export would write, without a window, a display or any file
// written. Each problem is one report line, "MAP: segment N: ..." or
// "MAP: segments N and M: ...", at most maxCheckLines of them and then
// "MAP: ... and K more" ("MAP: ... and more than K more" when the outline
// crosses itself more than maxCrossings times); so is "MAP: the map has no
// segments". The loader's
// line is a problem. Returns the exit status: 0 when the outline is a simple
// closed polygon with no merged points, 1 when a problem was found, the map
// has no segments, or the map could not be read or is not a map.
int checkWithoutWindow(const std::string& mapFile, Messages& messages = consoleMessages());

// "mapeditor --check MAP...": checkWithoutWindow for each of `mapFiles` in
// turn, each with its own lines. Returns 1 when any of them gave 1, else 0.
int checkWithoutWindow(const std::vector<std::string>& mapFiles, Messages& messages = consoleMessages());
