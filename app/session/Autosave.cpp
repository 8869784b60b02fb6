#include "Autosave.h"

#include <cstdio>

#include "AutosaveSpares.h"
#include "MapFile.h"
#include "TextFile.h"
#include "TickCounter.h"

Autosave::Autosave(const MapEditor& editor, Messages& messages) : editor(editor), messages(messages) {}

std::string Autosave::pathFor(const std::string& mapFile) { return fileBesideMap(mapFile, ".autosave"); }

std::string Autosave::path() const { return pathFor(editor.getMapFileName()); }

void Autosave::markClean() {
    cleanId = editor.contentId();
    pendingSince.reset();
    removeOwnFile();
}

void Autosave::mapLoaded(bool undoable) {
    if (!undoable) {
        owned = false;
        recovered = false;
        // A spare of this run's stays too, for the next start to name.
        spareName.clear();
        spareId.reset();
    }
    markClean();
}

void Autosave::mapSaved() {
    recovered = false;
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
    recovered = true;
    writtenFile = fileIdentity(path().c_str());
    writtenId = editor.contentId();
    pendingSince.reset();
}

void Autosave::holdEarlier() {
    holding = true;
    const std::string name = path();
    offeredFile = fileIdentity(name.c_str());
    std::string text;
    if (readWholeFile(name.c_str(), text))
        offeredText = std::move(text);
    else
        offeredText.reset();
}

void Autosave::releaseEarlier() {
    holding = false;
    offeredFile.reset();
    offeredText.reset();
    if (spareName.empty()) return;
    const std::string name = path();
    // The spare carries on as this run's autosave only where nothing is in
    // the way; otherwise it is left for the next start, which names it.
    if (spareId && !isSymbolicLink(name.c_str()) && pathKind(name.c_str()) == PathKind::missing &&
        std::rename(spareName.c_str(), name.c_str()) == 0) {
        owned = true;
        writtenFile = fileIdentity(name.c_str());
        writtenId = *spareId;
    }
    spareName.clear();
    spareId.reset();
}

bool Autosave::discardEarlier() {
    const std::string name = path();
    // Another run may have discarded the same file meanwhile and put its own
    // autosave in its place: only the very file the offer named goes.
    if (fileIdentity(name.c_str())) {
        std::string now;
        const bool same = offeredFile && fileIdentity(name.c_str()) == offeredFile &&
                          !isSymbolicLink(name.c_str()) && readWholeFile(name.c_str(), now) &&
                          offeredText == now;
        if (!same) {
            messages.problemLine(
                "Warning: " + name +
                " was kept: it is no longer the file the offer named; this run's unsaved changes "
                "go to a spare file");
            return false;
        }
    }
    const bool removed = pathKind(name.c_str()) == PathKind::missing || std::remove(name.c_str()) == 0;
    releaseEarlier();
    if (!removed) messages.problemLine("Warning: " + name + " could not be removed");
    return removed;
}

bool Autosave::holdsCurrent() const {
    if (holding) return !spareName.empty() && spareId == editor.contentId();
    return owned && writtenId == editor.contentId();
}

void Autosave::tick(std::uint32_t now) {
    if (!unsavedChanges()) {
        // Undone back to the saved map: an autosave of ours holds nothing unsaved.
        pendingSince.reset();
        removeOwnFile();
        return;
    }
    if (holdsCurrent()) {
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
    if (!holdsCurrent()) pendingSince = now;
}

bool Autosave::finish() {
    if (!unsavedChanges()) {
        removeOwnFile();
        return true;
    }
    std::string problem;
    if (holding) return writeSpare(problem) || tellUnwritten(problem);
    // Written even when the file should hold this map already: another editor
    // on the same map may have replaced or removed it meanwhile.
    std::string reason;
    if (writeAutosave(reason)) return true;
    const std::string name = path();
    std::string held;
    if (!isSymbolicLink(name.c_str()) && readWholeFile(name.c_str(), held) &&
        held == formatMapFile(editor.getSegments()))
        return true;
    if (writeSpare(problem)) {
        messages.problemLine("Warning: " + name + " could not be written: " + reason +
                             "; the unsaved changes are in " + spareName);
        return true;
    }
    return tellUnwritten(name + " could not be written: " + reason + "; " + problem);
}

std::string Autosave::earlierWrite() const {
    if (!spareName.empty() && spareId) return spareName;
    const std::string name = path();
    if (owned && writtenFile && fileIdentity(name.c_str()) == writtenFile) return name;
    return {};
}

bool Autosave::tellUnwritten(const std::string& problem) {
    const std::string rest = earlierWrite();
    if (rest.empty())
        messages.problemLine("The unsaved changes are lost: " + problem);
    else
        messages.problemLine("The last changes could not be written: " + problem + "; the rest are in " +
                             rest);
    return false;
}

void Autosave::write() {
    std::string problem;
    if (holding) {
        if (writeSpare(problem) || warned) return;
    } else {
        if (writeAutosave(problem) || warned) return;
        problem = path() + ": " + problem;
    }
    warned = true;
    messages.problemLine("Warning: " + problem);
}

bool Autosave::writeAutosave(std::string& reason) {
    // The name itself is replaced: a link put in its place is never followed,
    // so no file it points to (the map file itself) can be overwritten.
    // Never rewritten in place: a failure midway would leave neither map.
    if (replaceFileItself(path(), formatMapFile(editor.getSegments()), createTemp, &reason,
                          InPlaceFallback::never) == ReplaceResult::failed)
        return false;
    owned = true;
    writtenFile = fileIdentity(path().c_str());
    writtenId = editor.contentId();
    warned = false;
    return true;
}

bool Autosave::writeSpare(std::string& problem) {
    if (spareName.empty()) {
        spareName = takeSpareName(editor.getMapFileName(), problem);
        if (spareName.empty()) return false;
    }
    std::string reason;
    if (replaceFileItself(spareName, formatMapFile(editor.getSegments()), createTemp, &reason,
                          InPlaceFallback::never) == ReplaceResult::failed) {
        problem = spareName + " could not be written: " + reason;
        // A name taken but never written holds nothing: it is given back.
        if (!spareId) {
            std::remove(spareName.c_str());
            spareName.clear();
        }
        return false;
    }
    spareId = editor.contentId();
    warned = false;
    return true;
}

void Autosave::removeOwnFile() {
    // A spare of a map with nothing unsaved holds nothing anybody needs.
    if (!spareName.empty()) {
        std::remove(spareName.c_str());
        spareName.clear();
        spareId.reset();
    }
    // A recovered autosave stays until a save, whatever undo does.
    if (!owned || recovered) return;
    owned = false;
    // Gone already when another editor on the same map saved it.
    std::remove(path().c_str());
}
