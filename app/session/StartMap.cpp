#include "StartMap.h"

#include <vector>

#include "AutosaveSpares.h"
#include "DrawingConvert.h"
#include "EditorFiles.h"
#include "FileTime.h"
#include "MapFile.h"
#include "TextFile.h"

MapAtStart prepareMapAtStart(MapEditor& editor, const CommandLine& commandLine, Messages& messages) {
    editor.setMapFileName(commandLine.mapFile);
    // --recover and --import start with another map instead, even when MAP
    // itself is damaged; a start without MAP reads no file at all.
    if (!commandLine.mapGiven || commandLine.recover || !commandLine.importFile.empty())
        return MapAtStart::otherMap;
    // Only a name that is free starts with the initial map. Anything else,
    // a device, a folder or a name that cannot even be checked, goes to the
    // reader, which refuses (and reports) what is not a map file.
    if (pathKind(commandLine.mapFile.c_str()) == PathKind::missing) return MapAtStart::otherMap;
    std::vector<Segment> segments;
    if (!readMap(commandLine.mapFile, segments, messages)) return MapAtStart::unreadable;
    editor.replaceChain(std::move(segments));
    return MapAtStart::fileRead;
}

namespace {

// Why the spare file `spare` holds no map ("is empty", "could not be read:
// WHY", "is not a map: WHY"), or empty when it holds one.
std::string whySpareHoldsNoMap(const std::string& spare) {
    std::string text, reason;
    if (!readWholeFile(spare.c_str(), text, nullptr, &reason)) return "could not be read: " + reason;
    if (text.empty()) return "is empty";
    const MapFileParse parse = parseMapFile(text);
    return parse.ok() ? std::string() : "is not a map: " + parse.error;
}

}  // namespace

bool startAutosave(MapEditor& editor, Autosave& autosave, const CommandLine& commandLine, Messages& messages) {
    autosave.markClean();
    const std::string path = autosave.path();
    // An autosave is a regular file this editor wrote; a link in its place
    // is not read (it may point at the map file itself, or anywhere).
    const bool link = isSymbolicLink(path.c_str());
    const PathKind kind = pathKind(path.c_str());
    // What earlier runs left while an earlier autosave waited for an answer:
    // only a spare that holds a map holds changes. An empty one is what a run
    // ended while writing it (or one writing it now) leaves.
    for (const std::string& spare : existingSpares(editor.getMapFileName())) {
        if (const std::string why = whySpareHoldsNoMap(spare); !why.empty()) {
            messages.reportLine("Warning: " + spare + " " + why + "; no unsaved changes are in it");
            continue;
        }
        std::string when = fileModifiedLocalTime(spare);
        if (when.empty()) when = "an earlier run";
        messages.reportLine("Unsaved changes from " + when + " are in " + spare + "; open that file to continue them");
    }
    if (!commandLine.recover) {
        if (link) {
            messages.reportLine("Warning: " + path + ": a symbolic link, not an autosave; the next autosave replaces it");
            return true;
        }
        if (kind == PathKind::regularFile) {
            std::string when = fileModifiedLocalTime(path);
            if (when.empty()) when = "an earlier run";
            messages.reportLine("Unsaved changes from " + when + " are in " + path +
                                "; start with --recover to continue them");
            autosave.holdEarlier();
        }
        return true;
    }
    std::vector<Segment> segments;
    if (!readEarlierAutosave(path, segments, messages)) return false;
    editor.replaceChain(std::move(segments));
    autosave.takeOver();
    return true;
}

bool readEarlierAutosave(const std::string& path, std::vector<Segment>& segments, Messages& messages) {
    if (isSymbolicLink(path.c_str())) {
        messages.problemLine("Nothing to recover: " + path + " is a symbolic link, not an autosave");
        return false;
    }
    if (pathKind(path.c_str()) == PathKind::missing) {
        messages.problemLine("Nothing to recover: " + path + " does not exist");
        return false;
    }
    return readMap(path, segments, messages);
}

bool importAtStart(MapEditor& editor, const CommandLine& commandLine, Messages& messages) {
    if (commandLine.importFile.empty()) return true;
    std::vector<Segment> segments;
    if (!readDrawingFile(commandLine.importFile, segments, messages)) return false;
    editor.replaceChain(std::move(segments));
    return true;
}
