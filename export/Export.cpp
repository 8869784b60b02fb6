#include "Export.h"

#include <cstdio>

#include "BatchRunner.h"
#include "GroundCheck.h"
#include "GroundFile.h"
#include "MapEditor.h"
#include "ScenarioScript.h"

namespace {

void printLine(std::FILE* stream, const char* text) {
    std::fputs(text, stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

void printOutputError(std::FILE* stream, const std::string& path, const std::string& reason) {
    std::fprintf(stream, "File output error: %s: %s\n", path.c_str(), reason.c_str());
    std::fflush(stream);
}

void printSharedStartPoints(std::FILE* stream, const std::vector<Segment>& segments) {
    std::fputs(sharedStartPointListing(segments).c_str(), stream);
    std::fflush(stream);
}

// After an export: a line for each kind of fault in the outline the
// simulator will read, nothing for a sound one. A warning, not a failure.
void warnAboutGround(std::FILE* stream, const std::vector<Segment>& segments) {
    std::string text;
    for (const std::string& warning : groundWarnings(checkGround(segments))) text += warning + "\n";
    if (text.empty()) return;
    std::fputs(text.c_str(), stream);
    std::fflush(stream);
}

}  // namespace

bool writeGroundFileAt(const std::vector<Segment>& segments, const std::string& path,
                       TempFileFactory createTemp, ExportMessages messages) {
    printSharedStartPoints(messages.progress, segments);
    // Every outline line needs a segment: an empty chain has no ground to hand on.
    if (segments.empty()) {
        printLine(messages.errors, "Nothing to export: the map has no segments");
        return false;
    }
    std::string text;
    const long long pointTotal = appendGroundFile(text, segments);
    std::string reason;
    if (!replaceFileReporting(path, text, createTemp, &reason)) {
        printOutputError(messages.errors, path, reason);
        return false;
    }
    std::fprintf(messages.progress, "Saved %d segments, containing %lld points\n",
                 static_cast<int>(segments.size()), pointTotal);
    std::fflush(messages.progress);
    return true;
}

bool writeScenarioScriptAt(const ControlPoint& restLocation, const std::string& path,
                           TempFileFactory createTemp, ExportMessages messages) {
    std::string reason;
    if (replaceFileReporting(path, formatScenarioScript(restLocation), createTemp, &reason)) return true;
    printOutputError(messages.errors, path, reason);
    return false;
}

bool writeExportFiles(const std::vector<Segment>& segments, const ControlPoint& restLocation,
                      ExportMessages messages) {
    // An empty chain stops at the ground file, which says so.
    if (!(writeGroundFileAt(segments, "gnd.pts", createTempFileBeside, messages) &&
          writeScenarioScriptAt(restLocation, "go", createTempFileBeside, messages)))
        return false;
    warnAboutGround(messages.errors, segments);
    return true;
}

bool batchFileReady(std::FILE* errors) {
    switch (pathKind("copy.bat")) {
        case PathKind::regularFile:
            return true;
        case PathKind::missing:
            printLine(errors,
                      "copy.bat not found in the working directory: gnd.pts and go were not delivered");
            return false;
        case PathKind::other:
            printLine(errors, "copy.bat: not a regular file");
            return false;
        case PathKind::unknown:
            break;
    }
    printLine(errors, "copy.bat could not be looked at: gnd.pts and go were not delivered");
    return false;
}

bool exportToSimulator(const std::vector<Segment>& segments, const ControlPoint& restLocation) {
    // The batch file would deliver stale or partial files: it runs only after
    // both were written.
    if (!writeExportFiles(segments, restLocation)) return false;
    if (!batchFileReady(stdout)) return false;
    if (!runBatchFile("./copy.bat")) {
        printLine(stdout, "Could not start the command interpreter for copy.bat");
        return false;
    }
    return true;
}

// The MapEditor operations of the export.

void MapEditor::listSharedStartPoints() { printSharedStartPoints(stdout, segments); }

void MapEditor::writeGroundFile() { writeGroundFileAt(segments, "gnd.pts"); }

void MapEditor::writeScenarioScript() { writeScenarioScriptAt(restLocation, "go"); }

void MapEditor::exportMap() { exportToSimulator(segments, restLocation); }
