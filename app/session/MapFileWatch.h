#pragma once

#include <optional>
#include <string>

// Whether the map file on disk is the one the window's map came from: the
// file's bytes as this run last read or wrote them, to say before a save
// replaces a file whose map is not the one on screen.
class MapFileWatch {
public:
    // The file `path` now holds the map on screen (it was just loaded or
    // saved): its bytes are kept. A file that cannot be read is kept as unknown.
    void remember(const std::string& path);
    // Why replacing `path` would lose a map that is not the one on screen,
    // for a notice, or empty: "NAME changed on disk since it was read" when
    // its bytes differ from those kept, "NAME was not read (or could not be)"
    // when it exists and none were kept. A missing file loses nothing.
    std::string replacingLoses(const std::string& path) const;

private:
    std::optional<std::string> known;
};
