#pragma once

#include <string>
#include <vector>

#include "Autosave.h"
#include "CommandLine.h"
#include "MapEditor.h"
#include "Messages.h"

// What prepareMapAtStart did with the map file.
enum class MapAtStart {
    fileRead,    // the window's map is the file's: it was read for it
    otherMap,    // the file was not read: the initial map (no MAP named, or MAP
                 // missing), or --recover's or --import's map instead
    unreadable,  // the file exists but cannot be read or is not a map
};

// Prepares `editor` for the window of `commandLine`: the map file becomes
// commandLine.mapFile, and a named map file that exists is loaded as "Load
// QUIV File" would load it (view offset (1, 1), markers cleared), except
// with --recover and --import, which start with another map instead. A named file
// that does not exist, like a start without MAP, leaves the initial map; the
// first save creates the file. unreadable, after the loader's one problem
// line: started from a terminal, the editor then opens no window; from the
// desktop (--in-map-folder) it opens one with the initial map, whose save
// asks before replacing the file as every save does. Only fileRead makes
// the file's contents the ones the window read.
MapAtStart prepareMapAtStart(MapEditor& editor, const CommandLine& commandLine,
                             Messages& messages = consoleMessages());

// After prepareMapAtStart: the map as it stands holds no unsaved changes. An
// autosave that an earlier run left beside the map file is announced with one
// report line, and `autosave` holds it (Autosave::holdEarlier) until the
// window's offer is answered; each spare autosave that an unanswered run
// left beside it gets a report line too. With --recover the editor starts
// with its map instead, with unsaved changes, and the autosave becomes this
// run's. Returns false, after
// one problem line, when --recover finds no autosave or cannot read it. A
// symbolic link in the autosave's place is never read: without --recover a
// report line warns of it, with --recover it is refused.
bool startAutosave(MapEditor& editor, Autosave& autosave, const CommandLine& commandLine,
                   Messages& messages = consoleMessages());

// Reads the earlier run's autosave `path` for --recover and the offer's
// Recover alike. A symbolic link in its place is refused, never read (it may
// point at the map file itself, or anywhere), as is a name with nothing
// there: false after one problem line ("Nothing to recover: ..."), or the
// reader's own when the file is not a map.
bool readEarlierAutosave(const std::string& path, std::vector<Segment>& segments, Messages& messages);

// After startAutosave: with --import, the editor starts with the drawing's
// chain, as unsaved changes to MAP. Returns false, after the drawing's one
// problem line, when it cannot be read or converted.
bool importAtStart(MapEditor& editor, const CommandLine& commandLine, Messages& messages = consoleMessages());
