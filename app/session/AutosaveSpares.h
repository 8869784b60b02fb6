#pragma once

#include <string>
#include <vector>

// Spare autosave files. When a run cannot use the autosave's own name (an
// earlier run's autosave there waits for the user's answer, or the name
// cannot be written), its unsaved map goes to a spare file beside it,
// "<map file>.autosave-N" for N from 2, which the next start names.

// The highest N a spare's name takes: every search for a free name ends.
constexpr int maxSpareNumber = 999;

// The file named `suffix` beside the map file `mapFile`: "<mapFile><suffix>"
// beside the file the system keeps ("a.mef." edits "a.mef" on Windows),
// or, where that name would be longer than a file name may be, the map
// file's name shortened as the temporary files' names are (its first bytes,
// "~" and a hash of the whole name) before `suffix` with its leading "."
// made "~" ("NAME~1a2b3c4d~autosave"), a name no full name's file can have.
std::string fileBesideMap(const std::string& mapFile, const std::string& suffix);

// The N-th spare's name: fileBesideMap(mapFile, ".autosave-N").
std::string sparePathFor(const std::string& mapFile, int n);

// Every spare (a regular file, not a link) beside `mapFile`, lowest N first,
// whatever numbers are missing between them.
std::vector<std::string> existingSpares(const std::string& mapFile);

// Takes the lowest free spare name for `mapFile` by creating it, empty and
// exclusively (createNewFile), so that two runs never take the same one.
// Empty, with `problem` saying why in words, when none could be made.
std::string takeSpareName(const std::string& mapFile, std::string& problem);
