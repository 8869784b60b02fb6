#include "EditorFiles.h"

#include <cstdint>
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

std::optional<int> runBatchAfterExport(Messages& messages) {
    if (std::string refusal = batchFileRefusal(); !refusal.empty()) {
        messages.problemLine(std::move(refusal));
        return std::nullopt;
    }
    const std::optional<int> status = runBatchFile("./copy.bat");
    if (!status)
        messages.problemLine("Could not start the command interpreter for copy.bat");
    else if (*status != 0)
        messages.problemLine("copy.bat exited with status " + std::to_string(*status));
    return status;
}

bool exportMap(const MapEditor& editor, Messages& messages, GroundCheckStop stop) {
    // The batch file would deliver stale or partial files: it runs only after
    // both were written.
    if (!writeExport(editor.getSegments(), editor.getRestLocation(), messages, stop)) return false;
    // Asked to stop: the program is ending, and nothing more is started.
    if (stop && stop()) return false;
    return runBatchAfterExport(messages).has_value();
}

void loadForWindow(MapEditor& editor, Autosave& autosave, Messages& messages) {
    // Only a load that replaced the chain gives it a new content id.
    const std::uint64_t before = editor.contentId();
    loadMapFile(editor, editor.getMapFileName(), messages);
    if (editor.contentId() != before) autosave.mapLoaded(editor.getHistory().undoCount() > 0);
}

void saveForWindow(const MapEditor& editor, Autosave& autosave, Messages& messages) {
    if (saveMapFile(editor, messages)) autosave.mapSaved();
}

bool recoverForWindow(MapEditor& editor, Autosave& autosave, Messages& messages) {
    std::vector<Segment> segments;
    if (!readEarlierAutosave(autosave.path(), segments, messages)) return false;
    editor.loadChain(std::move(segments));
    autosave.releaseEarlier();
    autosave.takeOver();
    return true;
}
