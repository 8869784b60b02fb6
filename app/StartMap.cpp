#include "StartMap.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "MapFile.h"

bool prepareMapAtStart(MapEditor& editor, const CommandLine& commandLine, std::FILE* errors) {
    editor.setMapFileName(commandLine.mapFile);
    if (!commandLine.mapGiven) return true;
    // When existence cannot even be checked, reading decides (and reports).
    std::error_code error;
    const bool exists = std::filesystem::exists(commandLine.mapFile, error);
    if (!exists && !error) return true;
    std::vector<Segment> segments;
    if (readMapFile(commandLine.mapFile.c_str(), segments, errors) != MapFileRead::loaded) return false;
    editor.replaceChain(std::move(segments));
    return true;
}
