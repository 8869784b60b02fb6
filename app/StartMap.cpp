#include "StartMap.h"

#include <vector>

#include "MapFile.h"
#include "TextFile.h"

bool prepareMapAtStart(MapEditor& editor, const CommandLine& commandLine, std::FILE* errors) {
    editor.setMapFileName(commandLine.mapFile);
    if (!commandLine.mapGiven) return true;
    // Only a name that is free starts with the initial map. Anything else,
    // a device, a folder or a name that cannot even be checked, goes to the
    // reader, which refuses (and reports) what is not a map file.
    if (pathKind(commandLine.mapFile.c_str()) == PathKind::missing) return true;
    std::vector<Segment> segments;
    if (readMapFile(commandLine.mapFile.c_str(), segments, errors) != MapFileRead::loaded) return false;
    editor.replaceChain(std::move(segments));
    return true;
}
