#include "Autosave.h"

#include <cstdio>

#include "FrameTimer.h"
#include "MapFile.h"
#include "TextFile.h"

Autosave::Autosave(const MapEditor& editor, std::FILE* messages) : editor(editor), messages(messages) {}

// Beside the file the system keeps: "a.mef." edits "a.mef" on Windows.
std::string Autosave::pathFor(const std::string& mapFile) { return systemFileName(mapFile) + ".autosave"; }

std::string Autosave::path() const { return pathFor(editor.getMapFileName()); }

void Autosave::markClean() {
    cleanId = editor.contentId();
    pendingSince.reset();
    removeOwnFile();
}

void Autosave::mapSaved() {
    markClean();
    // What another run left is superseded by the saved map too. Only a file
    // is removed: a folder of that name is nothing this editor made.
    const std::string name = path();
    if (pathKind(name.c_str()) == PathKind::regularFile) std::remove(name.c_str());
}

void Autosave::takeOver() {
    owned = true;
    writtenId = editor.contentId();
    pendingSince.reset();
}

void Autosave::tick(std::uint32_t now) {
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

void Autosave::finish() {
    // Written even when the file should hold this map already: another editor
    // on the same map may have replaced or removed it meanwhile.
    if (unsavedChanges())
        write();
    else
        removeOwnFile();
}

void Autosave::write() {
    const std::string name = path();
    std::string reason;
    if (replaceFile(name, formatMapFile(editor.getSegments()), createTempFileBeside, &reason) !=
        ReplaceResult::failed) {
        owned = true;
        writtenId = editor.contentId();
        warned = false;
        return;
    }
    if (warned) return;
    warned = true;
    std::fprintf(messages, "Warning: %s: %s\n", name.c_str(), reason.c_str());
    std::fflush(messages);
}

void Autosave::removeOwnFile() {
    if (!owned) return;
    owned = false;
    // Gone already when another editor on the same map saved it.
    std::remove(path().c_str());
}
