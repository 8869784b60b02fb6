#include "MapFolder.h"

#include <cerrno>
#include <cstring>

#include "Messages.h"
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
        const int error = errno;
        consoleMessages().problemLine("mapeditor: cannot work in the folder of " + given + ": " + std::strerror(error));
        return false;
    }
    return true;
}
