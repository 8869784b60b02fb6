#pragma once

#include <optional>
#include <string>
#include <vector>

#include "Autosave.h"
#include "ControlPoint.h"
#include "GroundCheck.h"
#include "MapEditor.h"
#include "Messages.h"
#include "Segment.h"
#include "TextFile.h"

// What the editor does with its files: the load, the save and the export of
// the window's buttons, and the reading and writing that the command-line
// modes share with them. Each says what happened through `messages`.

// Reads the map file `path` ("-": standard input) with every check of the
// map file format. When it is a map, `segments` becomes its chain and true is returned; otherwise
// `segments` is left alone. The loader's one line goes to messages.problem:
// "File input error: PATH: " and why when the file cannot be read or is not a
// map, or "Warning: PATH: incomplete last record N dropped (V of 9 values)"
// when it was loaded without its incomplete last record.
bool readMap(const std::string& path, std::vector<Segment>& segments, Messages& messages);

// Says what a write of `path` came to: "File output error: PATH: " and the
// reason as a problem when it failed, "Warning: PATH: WHY, saved in place" as a
// report when it was written in place, nothing when it was replaced.
void tellFileWrite(const std::string& path, const FileWrite& write, Messages& messages);

// "Load QUIV File": reads `path` and, when it is a map, makes it the chain
// as one undo step (MapEditor::loadChain). A file that is not a map leaves
// the map on screen as it was. Returns whether the map was loaded.
bool loadMapFile(MapEditor& editor, const std::string& path, Messages& messages);

// "Save QUIV File": writes the chain to the editor's map file, with the
// notice "Saved NAME" when it was written. Returns whether the file was written.
bool saveMapFile(const MapEditor& editor, Messages& messages);

// The two files of an export in the working directory, "gnd.pts" and then
// "go", and then what the export says: the warnings of a file written in
// place, the start-point listing, "Saved N segments, containing P points"
// when the ground file was written, the failure when a file was not, and
// when both were written a warning for each kind of fault in the ground
// outline the simulator will read (nothing for a sound one). An empty chain
// writes nothing and says "Nothing to export: the map has no segments".
// Returns whether both files were written. When `stop` stops the ground
// check, "The ground check was stopped" takes the place of its warnings.
bool writeExport(const std::vector<Segment>& segments, const ControlPoint& restLocation, Messages& messages,
                 GroundCheckStop stop = nullptr);

// Runs "copy.bat" after an export and waits for it, unless batchFileRefusal
// says why not (which is then said). A batch file that could not be started,
// or that fails, is said ("copy.bat exited with status N"); a window's notice
// of it puts the cause first (the last line copy.bat wrote to its standard
// error), names the working folder and, when there is no copy.bat, where an
// example is. Returns its exit
// status, or nothing when it was refused or could not be started.
std::optional<int> runBatchAfterExport(Messages& messages);

// "Export Map": writeExport, and when both files were written,
// runBatchAfterExport; when copy.bat succeeded, the notice "Exported gnd.pts
// and go (N segments, P points); copy.bat done". Returns whether both files were written and the batch
// file was started. `stop`, asked during the ground check, also keeps the
// batch file from being started once it has said to stop.
bool exportMap(const MapEditor& editor, Messages& messages, GroundCheckStop stop = nullptr);

// The window's load: loadMapFile of the editor's map file, and when it
// replaced the chain, the autosave's bookkeeping of a load (Autosave::mapLoaded).
// Returns whether the chain was replaced.
bool loadForWindow(MapEditor& editor, Autosave& autosave, Messages& messages);
// The window's save: saveMapFile, and when the file was written, the
// autosave's bookkeeping of a save (Autosave::mapSaved).
// Returns whether the file was written.
bool saveForWindow(const MapEditor& editor, Autosave& autosave, Messages& messages);
// The recovery offer's "Recover": the earlier autosave becomes the chain as
// one undo step, like a load, and the autosave, now this run's, stays until
// a save. False, with the reason said, when it could not be read (a link
// put in its place while the offer waited is refused).
bool recoverForWindow(MapEditor& editor, Autosave& autosave, Messages& messages);
