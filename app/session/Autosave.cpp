#include "Autosave.h"

#include <cstdio>

#include "MapFile.h"
#include "TextFile.h"
#include "TickCounter.h"

Autosave::Autosave(const MapEditor& editor, Messages& messages) : editor(editor), messages(messages) {}

// Beside the file the system keeps ("a.mef." edits "a.mef" on Windows), its
// name shortened to fit the file system the way temporary names are.
std::string Autosave::pathFor(const std::string& mapFile) {
    const std::string kept = systemFileName(mapFile);
#ifdef _WIN32
    const std::size_t slash = kept.find_last_of("/\\");
#else
    const std::size_t slash = kept.rfind('/');
#endif
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    static constexpr char suffix[] = ".autosave";
    return kept.substr(0, nameStart) + fittingStemOf(kept.substr(nameStart), sizeof suffix - 1) + suffix;
}

std::string Autosave::path() const { return pathFor(editor.getMapFileName()); }

void Autosave::markClean() {
    cleanId = editor.contentId();
    pendingSince.reset();
    removeOwnFile();
}

void Autosave::mapLoaded(bool undoable) {
    if (!undoable) owned = false;
    markClean();
}

void Autosave::mapSaved() {
    markClean();
    if (holding) return;
    // What another run left is superseded by the saved map too. Only a file
    // is removed: a folder of that name is nothing this editor made.
    const std::string name = path();
    if (!isSymbolicLink(name.c_str()) && pathKind(name.c_str()) == PathKind::regularFile)
        std::remove(name.c_str());
}

void Autosave::takeOver() {
    owned = true;
    writtenId = editor.contentId();
    pendingSince.reset();
}

void Autosave::tick(std::uint32_t now) {
    // Nothing is written before the user answers about the earlier autosave.
    if (holding) return;
    if (!unsavedChanges()) {
        // Undone back to the saved map: an autosave of ours holds nothing unsaved.
        pendingSince.reset();
        removeOwnFile();
        return;
    }
    if (owned && writtenId == editor.contentId()) {
        pendingSince.reset();
        return;
    }
    if (!pendingSince) {
        pendingSince = now;
        return;
    }
    if (!intervalPassed(now, *pendingSince, delay - 1)) return;
    write();
    // After a failure the next attempt waits a whole delay again.
    pendingSince.reset();
    if (!owned || writtenId != editor.contentId()) pendingSince = now;
}

bool Autosave::finish() {
    // Written even when the file should hold this map already: another editor
    // on the same map may have replaced or removed it meanwhile.
    if (!unsavedChanges()) {
        removeOwnFile();
        return true;
    }
    const std::string target = finishPath();
    std::string reason;
    if (write(target, reason)) return true;
    messages.problemLine("The unsaved changes are lost: " + target + " could not be written: " + reason);
    return false;
}

void Autosave::write() {
    std::string reason;
    if (write(path(), reason) || warned) return;
    warned = true;
    messages.problemLine("Warning: " + path() + ": " + reason);
}

std::string Autosave::finishPath() const {
    if (!holding) return path();
    int n = 2;
    while (pathKind(sparePath(n).c_str()) != PathKind::missing || isSymbolicLink(sparePath(n).c_str())) ++n;
    return sparePath(n);
}

bool Autosave::write(const std::string& target, std::string& reason) {
    // The name itself is replaced: a link put in its place is never followed,
    // so no file it points to (the map file itself) can be overwritten.
    if (replaceFileItself(target, formatMapFile(editor.getSegments()), createTempFileBeside, &reason) ==
        ReplaceResult::failed)
        return false;
    // A spare file is left for the next run: it is not this run's autosave.
    if (target != path()) return true;
    owned = true;
    writtenId = editor.contentId();
    warned = false;
    return true;
}

void Autosave::removeOwnFile() {
    if (!owned) return;
    owned = false;
    // Gone already when another editor on the same map saved it.
    std::remove(path().c_str());
}
