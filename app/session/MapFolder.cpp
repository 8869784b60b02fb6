#include "MapFolder.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "TextFile.h"

bool enterMapFolder(CommandLine& commandLine) {
    const bool withMap =
        commandLine.action == CommandLine::Action::edit || commandLine.action == CommandLine::Action::exportMap;
    if (!commandLine.inMapFolder || !commandLine.mapGiven || !withMap) return true;
    // "levels/" names no file: it is left for the load to refuse.
    const char last = commandLine.mapFile.back();
    if (last == '/' || last == '\\') return true;
    // Through the platform's file code, so that any name the editor can read it can also enter.
    const std::string given = commandLine.mapFile;
    if (!enterFolderOf(commandLine.mapFile)) {
        std::fprintf(stderr, "mapeditor: cannot work in the folder of %s: %s\n", given.c_str(), std::strerror(errno));
        return false;
    }
    return true;
}
