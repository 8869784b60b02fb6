#include "Export.h"

#include <cstdio>
#include <string_view>

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

// Streams the listing, whole lines per write; stops at the first failed write
// (a closed pipe, a full disk), which the stream's error flag keeps.
void printSharedStartPoints(std::FILE* stream, const std::vector<Segment>& segments) {
    writeSharedStartPointListing(segments, [stream](std::string_view piece) {
        return std::fwrite(piece.data(), 1, piece.size(), stream) == piece.size() && std::fflush(stream) == 0;
    });
}

// A file that could not be written: said after the listing, where the
// message has always come, with the system's reason.
struct WriteFailure {
    const std::string* path = nullptr;
    std::string reason;
};

bool store(const std::string& path, const std::string& text, TempFileFactory createTemp, WriteFailure& failure) {
    std::string reason;
    if (replaceFileReporting(path, text, createTemp, &reason)) return true;
    failure = {&path, reason};
    return false;
}

// What follows the files: the start-point listing, then the count message
// when the ground file was written, else the failure. A long listing comes
// after the files, so that a reader who closes the pipe, or a kill, cannot
// keep them from being written.
void reportGroundFile(const std::vector<Segment>& segments, bool written, long long pointTotal,
                      ExportMessages messages, const WriteFailure& failure) {
    printSharedStartPoints(messages.progress, segments);
    if (written) {
        std::fprintf(messages.progress, "Saved %d segments, containing %lld points\n",
                     static_cast<int>(segments.size()), pointTotal);
        std::fflush(messages.progress);
    }
    if (failure.path) printOutputError(messages.errors, *failure.path, failure.reason);
}

// Every outline line needs a segment: an empty chain has no ground to hand on.
bool refuseEmptyChain(const std::vector<Segment>& segments, ExportMessages messages) {
    if (!segments.empty()) return false;
    printLine(messages.errors, "Nothing to export: the map has no segments");
    return true;
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
    if (refuseEmptyChain(segments, messages)) return false;
    std::string text;
    const long long pointTotal = appendGroundFile(text, segments);
    WriteFailure failure;
    const bool written = store(path, text, createTemp, failure);
    text = std::string();
    reportGroundFile(segments, written, pointTotal, messages, failure);
    return written;
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
    if (refuseEmptyChain(segments, messages)) return false;
    static const std::string groundPath = "gnd.pts", scriptPath = "go";
    std::string text;
    const long long pointTotal = appendGroundFile(text, segments);
    WriteFailure failure;
    const bool ground = store(groundPath, text, createTempFileBeside, failure);
    text = std::string();
    const bool script = ground && store(scriptPath, formatScenarioScript(restLocation), createTempFileBeside, failure);
    reportGroundFile(segments, ground, pointTotal, messages, failure);
    if (script) warnAboutGround(messages.errors, segments);
    return script;
}

bool batchFileReady(std::FILE* errors) {
    std::string reason;
    switch (pathKind("copy.bat", reason)) {
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
    const std::string line =
        "copy.bat could not be looked at: " + reason + "; gnd.pts and go were not delivered";
    printLine(errors, line.c_str());
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

namespace {
EndSignalSource batchEndSignalSource = nullptr;
}

void watchEndSignalsDuringBatch(EndSignalSource source) { batchEndSignalSource = source; }

EndSignalSource endSignalsWatchedDuringBatch() { return batchEndSignalSource; }

// The MapEditor operations of the export.

void MapEditor::listSharedStartPoints() { printSharedStartPoints(stdout, segments); }

void MapEditor::writeGroundFile() { writeGroundFileAt(segments, "gnd.pts"); }

void MapEditor::writeScenarioScript() { writeScenarioScriptAt(restLocation, "go"); }

void MapEditor::exportMap() { exportToSimulator(segments, restLocation); }
