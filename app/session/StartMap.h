#pragma once

#include <cstdio>

#include "Autosave.h"
#include "CommandLine.h"
#include "MapEditor.h"

// Prepares `editor` for the window of `commandLine`: the map file becomes
// commandLine.mapFile, and a named map file that exists is loaded as "Load
// QUIV File" would load it (view offset (1, 1), markers cleared), except
// with --recover, which starts with the autosave's map instead. A named file
// that does not exist leaves the initial map; the first save creates it.
// Returns false, after the loader's one-line message on `errors`, when the
// file exists but cannot be read or is not a map: the editor must not open a
// window that could save over it.
bool prepareMapAtStart(MapEditor& editor, const CommandLine& commandLine, std::FILE* errors = stderr);

// After prepareMapAtStart: the map as it stands holds no unsaved changes. An
// autosave that an earlier run left beside the map file is announced with one
// line on `out`; with --recover the editor starts with its map instead, with
// unsaved changes, and the autosave becomes this run's. Returns false, after
// a one-line message on `errors`, when --recover finds no autosave or cannot
// read it. A symbolic link in the autosave's place is never read: without
// --recover a warning on `out` says so, with --recover it is refused.
bool startAutosave(MapEditor& editor, Autosave& autosave, const CommandLine& commandLine,
                   std::FILE* out = stdout, std::FILE* errors = stderr);
