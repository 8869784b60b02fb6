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
// completely it prints "File output error: ", the file name and the reason,
// and the listing without the count message. Returns whether the file was written.
bool writeGroundFileAt(const std::vector<Segment>& segments, const std::string& path,
                       TempFileFactory createTemp = createTempFileBeside, ExportMessages messages = {});

// Writes the setup script to `path`; on failure prints "File output error: ",
// the file name and the reason and returns false.
bool writeScenarioScriptAt(const ControlPoint& restLocation, const std::string& path,
                           TempFileFactory createTemp = createTempFileBeside, ExportMessages messages = {});

// The two files of an export in the working directory: "gnd.pts", then "go"
// (only when "gnd.pts" was written), and only then the start-point listing and
// the count message, which may be long. When both were written, it then
// prints to `messages.errors` a warning for each kind of fault found in the
// ground outline (checkGround), nothing for a sound one. Returns whether both
// were written.
bool writeExportFiles(const std::vector<Segment>& segments, const ControlPoint& restLocation,
                      ExportMessages messages = {});

// Whether "copy.bat" in the working directory may be run: only a regular file
// (or a link to one) is, since in place of anything else the command
// interpreter would run something else or nothing and report success (sh
// reads a folder as an empty script; cmd, not finding "copy.bat", runs
// "copy.bat.exe" or "copy.bat.cmd"). Otherwise prints on `errors` why
// nothing is run, "copy.bat not found in the working directory: gnd.pts and
// go were not delivered" or "copy.bat: not a regular file", and returns false.
bool batchFileReady(std::FILE* errors);

// The export of the window in the working directory: "gnd.pts", then "go", then runs
// "copy.bat" and waits for it. The batch file runs only when both files were
// written completely and batchFileReady (which prints its message on standard
// output); an empty chain writes and runs nothing. Returns whether both files
// were written and the batch file was started.
bool exportToSimulator(const std::vector<Segment>& segments, const ControlPoint& restLocation);
