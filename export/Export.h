#pragma once

#include <string>
#include <vector>

#include "ControlPoint.h"
#include "Segment.h"
#include "TextFile.h"

// Handing the map to the simulator: the ground points file, the setup script
// and the batch file that delivers them. Every file is written to a temporary
// name and renamed into place (replaceFileReporting), so the batch file never
// sees half a file.

// Prints the start-point listing, writes the ground points file to `path` and
// prints "Saved %d segments, containing %d points". When the chain is empty it
// prints that there is nothing to export; when the file cannot be written
// completely it prints "File output error: " and the file name instead of the
// count message. Returns whether the file was written.
bool writeGroundFileAt(const std::vector<Segment>& segments, const std::string& path,
                       TempFileFactory createTemp = createTempFileBeside);

// Writes the setup script to `path`; on failure prints "File output error: "
// and the file name and returns false.
bool writeScenarioScriptAt(const ControlPoint& restLocation, const std::string& path,
                           TempFileFactory createTemp = createTempFileBeside);

// The export in the working directory: "gnd.pts", then "go", then runs
// "copy.bat" and waits for it. The batch file runs only when both files were
// written completely; an empty chain writes and runs nothing. Returns whether
// both files were written and the batch file was started.
bool exportToSimulator(const std::vector<Segment>& segments, const ControlPoint& restLocation);
