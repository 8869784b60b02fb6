#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "FileIdentity.h"
#include "MapEditor.h"
#include "Messages.h"
#include "TextFile.h"

// The autosave beside the map file: "<map file>.autosave", in the map file's
// format, written through the safe replacement of the file code (a symbolic
// link in its place is replaced, never followed) while the map
// has unsaved changes, and removed when it holds nothing unsaved any more.
//
// The map has unsaved changes when its chain's content id differs from the
// one it had at the last load or save (or at start). The map file itself is
// never written here.
class Autosave {
public:
    // Longest time a change waits for the autosave, in milliseconds.
    static constexpr int delay = 30000;

    // Its warnings and the news of a last write that failed go to `messages`.
    Autosave(const MapEditor& editor, Messages& messages);

    // The autosave file's name for the map file `mapFile`: "<mapFile>.autosave",
    // or, where that name would be longer than a file name may be, the map
    // file's name shortened as the temporary files' names are (its first
    // bytes, "~" and a hash of the whole name) before "~autosave".
    static std::string pathFor(const std::string& mapFile);
    // The autosave file of the editor's current map file.
    std::string path() const;

    // The map now holds what the map file holds (at start, and after a load):
    // no unsaved changes. An autosave of this run's own is removed; another
    // run's stays.
    void markClean();
    // After a load: no unsaved changes. When `undoable` (the load's step is
    // in the undo history, so the map before it can be brought back) an
    // autosave (or spare) of this run's own is removed like markClean's;
    // otherwise it stays, as if an earlier run had left it, since it holds
    // changes that nothing else holds any more.
    void mapLoaded(bool undoable);
    // After a successful save: no unsaved changes, and the autosave file is
    // removed whoever wrote it.
    void mapSaved();
    // After --recover replaced the chain with the autosave's: the file counts
    // as this run's and holds the map as it is now. It stays until a save
    // (or a load that cannot be undone), even when undo brings the map back
    // to the saved one: it holds changes no other file holds.
    void takeOver();

    // An earlier run's autosave lies at path() and the user has not said yet
    // whether to continue it: until releaseEarlier, this run neither writes
    // nor removes that file. Its unsaved map goes to a spare file of its own
    // instead (AutosaveSpares.h), on the same delay, so that a crash while
    // the question waits loses no more than an autosave would. The file's
    // identity and contents are kept, for Discard to remove only that file.
    void holdEarlier();
    // The user answered. When the autosave's name is free (the earlier file
    // was discarded), this run's spare takes it and becomes its autosave;
    // otherwise (it was recovered) the spare stays for the next start to name.
    void releaseEarlier();
    // The offer's "Discard": removes the earlier autosave, then
    // releaseEarlier. Only the file the offer named is removed (the same
    // file, with the contents it had then): anything else in its place,
    // another run's autosave or a link, is kept, and this run goes on
    // holding (its changes go to its spare), after the warning "Warning: PATH
    // was kept: ...". False after that warning, or after "Warning: PATH
    // could not be removed" when the removal failed.
    bool discardEarlier();
    bool holdsEarlier() const { return holding; }
    // The spare file this run has taken while it held the earlier autosave,
    // or empty.
    const std::string& spare() const { return spareName; }

    // How the autosave and the spares get their temporary files; tests
    // substitute one that fails.
    void setTempFileFactory(TempFileFactory factory) { createTemp = factory; }

    bool unsavedChanges() const { return editor.contentId() != cleanId; }
    // Whether the autosave file that exists now is this run's.
    bool ownsFile() const { return owned; }

    // Called between frames with the tick count: writes the autosave once a
    // change it does not hold has waited `delay` ms, and removes this run's
    // autosave when the map has become clean.
    void tick(std::uint32_t now);
    // The editor ends: the unsaved map is written at once (to this run's
    // spare while it holds an earlier autosave); this run's autosave or
    // spare of a clean map is removed. When the autosave cannot be written
    // but already holds exactly this map, nothing more is needed; otherwise
    // the map goes to a spare file, after a warning line. False, after a
    // problem line, when the unsaved map could not be written anywhere.
    bool finish();

private:
    // Writes the autosave (or the spare); a failure is reported once until a
    // write succeeds.
    void write();
    // Writes the autosave; false with the reason when it failed.
    bool writeAutosave(std::string& reason);
    // Writes this run's spare, taking a name first when it has none; false
    // with the problem in words ("NAME could not be written: ...").
    bool writeSpare(std::string& problem);
    // Whether the file the map is written to now holds the map as it is.
    bool holdsCurrent() const;
    // The file that holds this run's unsaved map as it was at its last
    // successful write (its spare, or its autosave still as written), or empty.
    std::string earlierWrite() const;
    // finish's last line when `problem` kept the map from being written:
    // what is lost, and where the rest is. Always false.
    bool tellUnwritten(const std::string& problem);
    void removeOwnFile();

    const MapEditor& editor;
    Messages& messages;
    std::uint64_t cleanId = 0;
    // When `owned`: the content id the file holds.
    std::uint64_t writtenId = 0;
    bool owned = false;
    // When `owned`: the autosave's identity after this run wrote (or took) it.
    std::optional<FileIdentity> writtenFile;
    // The autosave was recovered: only a save removes it.
    bool recovered = false;
    // Tick at which a change the autosave does not hold was first seen.
    std::optional<std::uint32_t> pendingSince;
    // A failed write was reported; cleared by the next successful one.
    bool warned = false;
    bool holding = false;
    // The earlier autosave as the offer found it.
    std::optional<FileIdentity> offeredFile;
    std::optional<std::string> offeredText;
    std::string spareName;
    // The content id the spare holds, once written.
    std::optional<std::uint64_t> spareId;
    TempFileFactory createTemp = createTempFileBeside;
};
