// The map file operations of MapEditor; the format itself is in MapFile.cpp.
#include <cstdio>
#include <vector>

#include "MapEditor.h"
#include "MapFile.h"

bool MapEditor::saveMapFile() { return storeMapFile(mapFileName, segments); }

void MapEditor::loadMapFile(const char* name) {
    // A file that is not a map leaves the map on screen as it was.
    std::vector<Segment> loaded;
    if (readMapFile(name, loaded, stdout) == MapFileRead::loaded) loadChain(std::move(loaded));
}
