#pragma once

#include <string>
#include <vector>

#include "ControlPoint.h"
#include "GroundCheck.h"
#include "Segment.h"
#include "TextFile.h"

// Handing the map to the simulator: the ground points file, the setup script
// and the batch file that delivers them. Every file is written to a temporary
// name and renamed into place (storeFile), so the batch file never sees half
// a file. Nothing here prints: each call returns what happened, and the
// caller (app/session/) says it.

// The names of the export's files in the working directory.
constexpr const char* groundFileName = "gnd.pts";
constexpr const char* scriptFileName = "go";
constexpr const char* batchFileName = "copy.bat";

// What writeExportFiles did.
struct ExportWrite {
    // The chain was empty: there is no ground to hand on, nothing was written.
    bool emptyChain = false;
    // The ground file; then the script, tried only when the ground file was written.
    FileWrite ground;
    FileWrite script;
    // Every sample of every segment, the left-out first samples included:
    // the figure of the count message.
    long long pointTotal = 0;
    // What the ground check found in the outline of the ground file, when
    // both files were written.
    GroundProblems problems;

    bool written() const { return ground.written() && script.written(); }
};

// The two files of an export in the working directory: "gnd.pts", then "go"
// (only when "gnd.pts" was written), and the ground check of the outline
// "gnd.pts" holds. The ground file is formatted once: the check reads its
// points back from the text as it is made, and runs once the text is freed,
// so a long start-point listing made after it does not hold both.
// The check asks `stop` as it goes (GroundCheckStop).
ExportWrite writeExportFiles(const std::vector<Segment>& segments, const ControlPoint& restLocation,
                             GroundCheckStop stop = nullptr);

// Why "copy.bat" in the working directory may not be run, as the line to show
// without its line end, or empty when it may. Only a regular file (or a link to
// one) is run, since in place of anything else the command interpreter would
// run something else or nothing and report success (sh reads a folder as an
// empty script; cmd, not finding "copy.bat", runs "copy.bat.exe" or
// "copy.bat.cmd"): "copy.bat not found in the working directory: gnd.pts and
// go were not delivered", "copy.bat: not a regular file", that it could not
// be looked at, with the system's reason, or that the command interpreter
// cannot run it in this folder (batchFolderRefusal).
std::string batchFileRefusal();
