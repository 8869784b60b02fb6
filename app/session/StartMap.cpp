#include "StartMap.h"

#include <vector>

#include "AutosaveSpares.h"
#include "DrawingConvert.h"
#include "EditorFiles.h"
#include "FileTime.h"
#include "TextFile.h"

bool prepareMapAtStart(MapEditor& editor, const CommandLine& commandLine, Messages& messages) {
    editor.setMapFileName(commandLine.mapFile);
    // --recover and --import start with another map instead, even when MAP itself is damaged.
    if (!commandLine.mapGiven || commandLine.recover || !commandLine.importFile.empty()) return true;
    // Only a name that is free starts with the initial map. Anything else,
    // a device, a folder or a name that cannot even be checked, goes to the
    // reader, which refuses (and reports) what is not a map file.
    if (pathKind(commandLine.mapFile.c_str()) == PathKind::missing) return true;
    std::vector<Segment> segments;
    if (!readMap(commandLine.mapFile, segments, messages)) return false;
    editor.replaceChain(std::move(segments));
    return true;
}

bool startAutosave(MapEditor& editor, Autosave& autosave, const CommandLine& commandLine, Messages& messages) {
    autosave.markClean();
    const std::string path = autosave.path();
    // An autosave is a regular file this editor wrote; a link in its place
    // is not read (it may point at the map file itself, or anywhere).
    const bool link = isSymbolicLink(path.c_str());
    const PathKind kind = pathKind(path.c_str());
    // What earlier runs left while an earlier autosave waited for an answer.
    for (const std::string& spare : existingSpares(editor.getMapFileName())) {
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
