#include "EditorFiles.h"

#include <cstdint>
#include <filesystem>
#include <system_error>
#include <string_view>
#include <utility>
#include <vector>

#include "BatchRunner.h"
#include "CommandLine.h"
#include "Export.h"
#include "GroundFile.h"
#include "GroundReport.h"
#include "MapFile.h"
#include "StartMap.h"

bool readMap(const std::string& path, std::vector<Segment>& segments, Messages& messages) {
    const MapFileLoad load =
        path == standardInputName ? readMapInput(segments) : readMapFile(path.c_str(), segments);
    if (!load.loaded()) {
        messages.problemLine("File input error: " + path + ": " + load.reason);
        return false;
    }
    if (load.droppedRecord > 0)
        messages.problemLine("Warning: " + path + ": incomplete last record " +
                             std::to_string(load.droppedRecord) + " dropped (" +
                             std::to_string(load.droppedValues) + " of 9 values)");
    return true;
}

void tellFileWrite(const std::string& path, const FileWrite& write, Messages& messages) {
    if (write.result == ReplaceResult::writtenInPlace)
        messages.reportLine("Warning: " + path + ": " + write.reason + ", saved in place");
    else if (write.result == ReplaceResult::failed)
        messages.problemLine("File output error: " + path + ": " + write.reason);
}

bool loadMapFile(MapEditor& editor, const std::string& path, Messages& messages) {
    std::vector<Segment> loaded;
    if (!readMap(path, loaded, messages)) return false;
    editor.loadChain(std::move(loaded));
    return true;
}

bool saveMapFile(const MapEditor& editor, Messages& messages) {
    const FileWrite write = storeMapFile(editor.getMapFileName(), editor.getSegments());
    tellFileWrite(editor.getMapFileName(), write, messages);
    if (write.written()) messages.notice("Saved " + std::filesystem::path(editor.getMapFileName()).filename().string());
    return write.written();
}

bool writeExport(const std::vector<Segment>& segments, const ControlPoint& restLocation, Messages& messages,
                 GroundCheckStop stop) {
    const ExportWrite write = writeExportFiles(segments, restLocation, stop);
    if (write.emptyChain) {
        messages.problemLine("Nothing to export: the map has no segments");
        return false;
    }
    // The warnings of a file written in place come as the files were written.
    if (write.ground.result == ReplaceResult::writtenInPlace)
        tellFileWrite(groundFileName, write.ground, messages);
    if (write.script.result == ReplaceResult::writtenInPlace)
        tellFileWrite(scriptFileName, write.script, messages);
    // The listing, which may be long, comes after the files, so that a reader
    // who closes the pipe, or a kill, cannot keep them from being written. It
    // stops at the first line that could not be delivered.
    writeSharedStartPointListing(segments,
                                 [&messages](std::string_view piece) { return messages.report(piece); });
    if (write.ground.written())
        messages.reportLine("Saved " + std::to_string(static_cast<int>(segments.size())) +
                            " segments, containing " + std::to_string(write.pointTotal) + " points");
    if (!write.ground.written())
        tellFileWrite(groundFileName, write.ground, messages);
    else if (!write.script.written())
        tellFileWrite(scriptFileName, write.script, messages);
    if (!write.written()) return false;
    if (write.problems.interrupted) {
        messages.problemLine("The ground check was stopped");
        return true;
    }
    // A line for each kind of fault in the outline the simulator will read:
    // a warning, not a failure.
    std::string warnings;
    for (const std::string& warning : groundWarnings(write.problems)) warnings += warning + "\n";
    if (!warnings.empty()) messages.problem(warnings);
    return true;
}

namespace {

// The working folder, quoted, for a notice that says where copy.bat was looked for.
std::string quotedWorkingFolder() {
    std::error_code failure;
    const std::filesystem::path folder = std::filesystem::current_path(failure);
    return "\"" + (failure ? std::string(".") : folder.string()) + "\"";
}

}  // namespace

std::optional<int> runBatchAfterExport(Messages& messages) {
    const std::string example = "An example copy.bat: " + exampleBatchFile();
    if (std::string refusal = batchFileRefusal(); !refusal.empty()) {
        // The notice puts the cause first, and where copy.bat was looked for.
        std::string notice = refusal.rfind("copy.bat not found", 0) == 0
                                 ? "No copy.bat in " + quotedWorkingFolder() + "; gnd.pts and go were not delivered"
                                 : refusal + " (in " + quotedWorkingFolder() + ")";
        messages.explainedProblem(std::move(refusal), std::move(notice), example);
        return std::nullopt;
    }
    std::string lastError;
    const std::optional<int> status = runBatchFile("./copy.bat", &lastError);
    if (!status) {
        const std::string line = "Could not start the command interpreter for copy.bat";
        messages.explainedProblem(line, line + " in " + quotedWorkingFolder(), {});
    } else if (*status != 0) {
        const std::string line = "copy.bat exited with status " + std::to_string(*status);
        std::string notice = lastError.empty() ? line + " in " + quotedWorkingFolder()
                                               : lastError + " (copy.bat, status " + std::to_string(*status) +
                                                     ", in " + quotedWorkingFolder() + ")";
        messages.explainedProblem(line, std::move(notice), "gnd.pts and go were written; copy.bat did not finish");
    }
    return status;
}

bool exportMap(const MapEditor& editor, Messages& messages, GroundCheckStop stop) {
    // The batch file would deliver stale or partial files: it runs only after
    // both were written.
    if (!writeExport(editor.getSegments(), editor.getRestLocation(), messages, stop)) return false;
    // Asked to stop: the program is ending, and nothing more is started.
    if (stop && stop()) return false;
    const std::optional<int> status = runBatchAfterExport(messages);
    // The points as gnd.pts holds them and the counter shows them: a junction's
    // sample once, not once for each of its segments.
    if (status == 0)
        messages.notice("Exported gnd.pts and go (" + std::to_string(editor.getSegments().size()) + " segments, " +
                        std::to_string(editor.pointCount()) + " points); copy.bat done");
    return status.has_value();
}

bool loadForWindow(MapEditor& editor, Autosave& autosave, Messages& messages) {
    // Only a load that replaced the chain gives it a new content id.
    const std::uint64_t before = editor.contentId();
    const bool loaded = loadMapFile(editor, editor.getMapFileName(), messages);
    if (editor.contentId() != before) autosave.mapLoaded(editor.getHistory().undoCount() > 0);
    return loaded;
}

bool saveForWindow(const MapEditor& editor, Autosave& autosave, Messages& messages) {
    if (!saveMapFile(editor, messages)) return false;
    autosave.mapSaved();
    return true;
}

bool recoverForWindow(MapEditor& editor, Autosave& autosave, Messages& messages) {
    std::vector<Segment> segments;
    if (!readEarlierAutosave(autosave.path(), segments, messages)) return false;
    editor.loadChain(std::move(segments));
    autosave.releaseEarlier();
    autosave.takeOver();
    return true;
}
