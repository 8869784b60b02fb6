#pragma once

#include "CommandLine.h"

// --in-map-folder: makes the folder of the named map the working directory
// and leaves the map's file name alone in commandLine.mapFile, so that the
// export's "gnd.pts", "go" and "copy.bat" are those beside the map. A file
// manager starts the editor in the user's home folder; this is how opening a
// map from it works where the map is. Does nothing without the option,
// without a named map, or when the map is named without a folder. Returns
// false, after saying why on standard error, when the folder cannot be entered.
bool enterMapFolder(CommandLine& commandLine);
