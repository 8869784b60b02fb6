#include "Export.h"

#include <cstdio>

#include "BatchRunner.h"
#include "GroundFile.h"
#include "MapEditor.h"
#include "ScenarioScript.h"

namespace {

void printLine(const char* text) {
    std::fputs(text, stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void printOutputError(const std::string& path) {
    std::printf("File output error: %s\n", path.c_str());
    std::fflush(stdout);
}

void printSharedStartPoints(const std::vector<Segment>& segments) {
    std::fputs(sharedStartPointListing(segments).c_str(), stdout);
    std::fflush(stdout);
}

}  // namespace

bool writeGroundFileAt(const std::vector<Segment>& segments, const std::string& path,
                       TempFileFactory createTemp) {
    printSharedStartPoints(segments);
    // Every outline line needs a segment: an empty chain has no ground to hand on.
    if (segments.empty()) {
        printLine("Nothing to export: the map has no segments");
        return false;
    }
    std::string text;
    const long long pointTotal = appendGroundFile(text, segments);
    if (!replaceFile(path, text, createTemp)) {
        printOutputError(path);
        return false;
    }
    std::printf("Saved %d segments, containing %lld points\n", static_cast<int>(segments.size()), pointTotal);
    std::fflush(stdout);
    return true;
}

bool writeScenarioScriptAt(const ControlPoint& restLocation, const std::string& path,
                           TempFileFactory createTemp) {
    if (replaceFile(path, formatScenarioScript(restLocation), createTemp)) return true;
    printOutputError(path);
    return false;
}

bool exportToSimulator(const std::vector<Segment>& segments, const ControlPoint& restLocation) {
    // The batch file would deliver stale or partial files: it runs only after
    // both were written. An empty chain stops at the ground file, which says so.
    if (!writeGroundFileAt(segments, "gnd.pts")) return false;
    if (!writeScenarioScriptAt(restLocation, "go")) return false;
    if (runBatchFile("./copy.bat") < 0) {
        printLine("Could not start the command interpreter for copy.bat");
        return false;
    }
    return true;
}

// The MapEditor operations of the export.

void MapEditor::listSharedStartPoints() { printSharedStartPoints(segments); }

void MapEditor::writeGroundFile() { writeGroundFileAt(segments, "gnd.pts"); }

void MapEditor::writeScenarioScript() { writeScenarioScriptAt(restLocation, "go"); }

void MapEditor::exportMap() { exportToSimulator(segments, restLocation); }
