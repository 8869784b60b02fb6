#include "CommandLine.h"

namespace {

// What separates folders in a path: on Windows the backslash too, and the
// colon of a drive ("C:canyon.mef"). The name is cut as bytes, so UTF-8 stays
// UTF-8 whatever the system's code page.
#ifdef _WIN32
constexpr const char* folderSeparators = "/\\:";
#else
constexpr const char* folderSeparators = "/";
#endif

CommandLine usageError(std::string problem) {
    CommandLine result;
    result.action = CommandLine::Action::usageError;
    result.error = std::move(problem);
    return result;
}

}  // namespace

CommandLine parseCommandLine(const std::vector<std::string>& args) {
    CommandLine result;
    bool noBatch = false;
    bool check = false;
    bool optionsEnded = false;
    for (const std::string& arg : args) {
        const bool isOption = !optionsEnded && arg.size() > 1 && arg[0] == '-';
        if (!isOption) {
            if (arg.empty()) return usageError("the map file name is empty");
            if (result.mapGiven) return usageError("more than one map file: '" + arg + "'");
            result.mapFile = arg;
            result.mapGiven = true;
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--help") {
            result.action = CommandLine::Action::help;
            return result;
        } else if (arg == "--version") {
            result.action = CommandLine::Action::version;
            return result;
        } else if (arg == "--export") {
            result.action = CommandLine::Action::exportMap;
        } else if (arg == "--check") {
            check = true;
        } else if (arg == "--no-batch") {
            noBatch = true;
        } else if (arg == "--in-map-folder") {
            result.inMapFolder = true;
        } else if (arg == "--recover") {
            result.recover = true;
        } else {
            return usageError("unknown option '" + arg + "'");
        }
    }
    if (check) {
        if (result.action == CommandLine::Action::exportMap) return usageError("--check excludes --export");
        result.action = CommandLine::Action::check;
    }
    if (noBatch && result.action != CommandLine::Action::exportMap)
        return usageError("--no-batch needs --export");
    if (result.recover && result.action != CommandLine::Action::edit)
        return usageError("--recover works only in the window");
    result.runBatch = !noBatch;
    return result;
}

const char* usageLine() { return "usage: mapeditor [--export [--no-batch] | --check | --recover] [--in-map-folder] [--] [MAP]\n"; }

std::string helpText() {
    return std::string(usageLine()) +
           "\n"
           "Edit the ground profile in the map file MAP (default map.mef), or export it\n"
           "to the simulator without opening a window.\n"
           "\n"
           "  --export     read MAP, write gnd.pts and go in the working directory,\n"
           "               then run ./copy.bat; no window and no display needed\n"
           "  --no-batch   with --export: do not run copy.bat\n"
           "  --in-map-folder\n"
           "               work in MAP's folder: gnd.pts, go and copy.bat are those\n"
           "               beside MAP (how the desktop opens a map file)\n"
           "  --check      check the ground outline that --export would write: one line\n"
           "               per crossing, gap between segments or run of points printed\n"
           "               as one; nothing written, no window\n"
           "  --recover    start with the map of MAP.autosave, the unsaved changes that\n"
           "               an earlier run left; a save then writes MAP\n"
           "  --help       print this text and exit\n"
           "  --version    print the version, the copyright and the licence, and exit\n"
           "  --           end of options: the next argument is MAP\n"
           "\n"
           "Exit status of --export: 0 when both files were written (and copy.bat ran\n"
           "and exited 0); 1 when MAP could not be read or is not a map, the map has no\n"
           "segments, a file could not be written, or copy.bat is missing or failed.\n"
           "Exit status of --check: 0 when the outline is a simple closed polygon with no\n"
           "merged points; 1 when a problem was found or MAP could not be read.\n"
           "A usage error exits with status 2.\n"
           "\n"
           "While the map has unsaved changes, the window keeps them in MAP.autosave\n"
           "(at most 30 seconds old, and written at once when the editor ends); a\n"
           "save removes it.\n";
}

std::string versionText() {
    return "mapeditor " MAPEDITOR_VERSION
           "\n"
           "Copyright (c) 2026 the Map Editor authors\n"
           "Licensed under the MIT License; there is no warranty.\n";
}

namespace {

// `text` with every byte that does not belong to a well-formed UTF-8
// sequence (no overlong forms, surrogates or values past U+10FFFF) replaced
// by U+FFFD.
std::string validUtf8(const std::string& text) {
    std::string valid;
    std::size_t i = 0;
    while (i < text.size()) {
        const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
        const unsigned char lead = byte(i);
        std::size_t length = 0;
        unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
        if (lead < 0x80) {
            length = 1;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            if (lead == 0xE0) low = 0xA0;
            if (lead == 0xED) high = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            if (lead == 0xF0) low = 0x90;
            if (lead == 0xF4) high = 0x8F;
        }
        bool ok = length > 0 && i + length <= text.size();
        for (std::size_t k = 1; ok && k < length; ++k) {
            const unsigned char c = byte(i + k);
            ok = k == 1 ? c >= low && c <= high : c >= 0x80 && c <= 0xBF;
        }
        if (ok) {
            valid.append(text, i, length);
            i += length;
        } else {
            valid += "\xEF\xBF\xBD";
            ++i;
        }
    }
    return valid;
}

}  // namespace

std::string windowTitle(const CommandLine& commandLine) {
    if (!commandLine.mapGiven) return "Map Editor";
    std::string name = commandLine.mapFile.substr(commandLine.mapFile.find_last_of(folderSeparators) + 1);
    // "maps/" names no file; the title shows what was given.
    if (name.empty()) name = commandLine.mapFile;
    return "Map Editor - " + validUtf8(name);
}
