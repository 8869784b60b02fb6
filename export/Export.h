#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "ControlPoint.h"
#include "Segment.h"
#include "TextFile.h"

// Handing the map to the simulator: the ground points file, the setup script
// and the batch file that delivers them. Every file is written to a temporary
// name and renamed into place (replaceFileReporting), so the batch file never
// sees half a file.

// Where the export's one-line messages go: the start-point listing and the
// count message to `progress`, the reasons nothing more happens (a file that
// could not be written, an empty chain) to `errors`. The window sends both to
// standard output; the export from the command line sends errors to standard error.
struct ExportMessages {
    std::FILE* progress = stdout;
    std::FILE* errors = stdout;
};

// Writes the ground points file to `path`, then prints the start-point listing
// and "Saved %d segments, containing %d points". When the chain is empty it
// prints that there is nothing to export; when the file cannot be written
// completely it prints "File output error: " and the file name, and the
// listing without the count message. Returns whether the file was written.
bool writeGroundFileAt(const std::vector<Segment>& segments, const std::string& path,
                       TempFileFactory createTemp = createTempFileBeside, ExportMessages messages = {});

// Writes the setup script to `path`; on failure prints "File output error: "
// and the file name and returns false.
bool writeScenarioScriptAt(const ControlPoint& restLocation, const std::string& path,
                           TempFileFactory createTemp = createTempFileBeside, ExportMessages messages = {});

// The two files of an export in the working directory: "gnd.pts", then "go"
// (only when "gnd.pts" was written), and only then the start-point listing and
// the count message, which may be long. Returns whether both were written.
bool writeExportFiles(const std::vector<Segment>& segments, const ControlPoint& restLocation,
                      ExportMessages messages = {});

// The export of the window in the working directory: "gnd.pts", then "go", then runs
// "copy.bat" and waits for it. The batch file runs only when both files were
// written completely; an empty chain writes and runs nothing. Returns whether
// both files were written and the batch file was started.
bool exportToSimulator(const std::vector<Segment>& segments, const ControlPoint& restLocation);
