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
    bool convert = false;
    bool optionsEnded = false;
    // A second file name, OUT of --convert.
    std::string secondName;
    for (std::size_t k = 0; k < args.size(); ++k) {
        const std::string& arg = args[k];
        const bool isOption = !optionsEnded && arg.size() > 1 && arg[0] == '-';
        if (!isOption) {
            if (arg.empty()) return usageError("the map file name is empty");
            if (result.mapGiven) {
                if (!secondName.empty()) return usageError("more than one map file: '" + secondName + "'");
                secondName = arg;
                continue;
            }
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
        } else if (arg == "--import") {
            if (k + 1 == args.size() || args[k + 1].empty())
                return usageError("--import needs a drawing file");
            result.importFile = args[++k];
        } else if (arg == "--convert") {
            convert = true;
        } else {
            return usageError("unknown option '" + arg + "'");
        }
    }
    if (!convert && !secondName.empty()) return usageError("more than one map file: '" + secondName + "'");
    if (convert) {
        if (result.action == CommandLine::Action::exportMap || check)
            return usageError("--convert excludes --export and --check");
        if (secondName.empty()) return usageError("--convert needs a file to read and a file to write");
        result.action = CommandLine::Action::convert;
        result.convertOutput = secondName;
    }
    if (check) {
        if (result.action == CommandLine::Action::exportMap) return usageError("--check excludes --export");
        result.action = CommandLine::Action::check;
    }
    if (noBatch && result.action != CommandLine::Action::exportMap)
        return usageError("--no-batch needs --export");
    if (result.recover && result.action != CommandLine::Action::edit)
        return usageError("--recover works only in the window");
    if (!result.importFile.empty() && (result.action != CommandLine::Action::edit || result.recover))
        return usageError("--import works only in the window, without --recover");
    // Both name files beside the working directory, which --in-map-folder would change.
    if (result.inMapFolder && (result.action == CommandLine::Action::convert || !result.importFile.empty()))
        return usageError("--in-map-folder does not work with --convert or --import");
    result.runBatch = !noBatch;
    return result;
}

const char* usageLine() {
    return "usage: mapeditor [--export [--no-batch] | --check | --recover | --import DRAWING] "
           "[--in-map-folder] [--] [MAP]\n"
           "       mapeditor --convert IN OUT\n";
}

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
           "  --import DRAWING\n"
           "               start with the first path of the SVG file DRAWING (or the\n"
           "               path ID of DRAWING#ID) as the map, unsaved; a save writes MAP\n"
           "  --convert IN OUT\n"
           "               convert a drawing IN.svg (or IN.svg#ID) to the map file\n"
           "               OUT.mef, or a map file IN.mef to the drawing OUT.svg; no\n"
           "               window; one map unit is ten SVG units\n"
           "  --help       print this text and exit\n"
           "  --version    print the version, the copyright and the licence, and exit\n"
           "  --           end of options: the next argument is MAP\n"
           "\n"
           "Exit status of --export: 0 when both files were written (and copy.bat ran\n"
           "and exited 0); 1 when MAP could not be read or is not a map, the map has no\n"
           "segments, a file could not be written, or copy.bat is missing or failed.\n"
           "Exit status of --check: 0 when the outline is a simple closed polygon with no\n"
           "merged points; 1 when a problem was found or MAP could not be read.\n"
           "Exit status of --convert: 0 when OUT was written; 1 when IN could not be read\n"
           "or converted, or OUT could not be written.\n"
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
