#include "MapFolder.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

bool enterMapFolder(CommandLine& commandLine) {
    const bool withMap =
        commandLine.action == CommandLine::Action::edit || commandLine.action == CommandLine::Action::exportMap;
    if (!commandLine.inMapFolder || !commandLine.mapGiven || !withMap) return true;
    const std::filesystem::path map(commandLine.mapFile);
    const std::filesystem::path folder = map.parent_path();
    const std::string name = map.filename().string();
    // "canyon.mef" is in the working directory already; "levels/" names no file.
    if (folder.empty() || name.empty()) return true;
    std::error_code error;
    std::filesystem::current_path(folder, error);
    if (error) {
        std::fprintf(stderr, "mapeditor: cannot work in the folder %s: %s\n", folder.string().c_str(),
                     error.message().c_str());
        return false;
    }
    commandLine.mapFile = name;
    return true;
}
