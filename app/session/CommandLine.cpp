#include "CommandLine.h"

#include <getopt.h>

#include <algorithm>
#include <charconv>
#include <cstring>

namespace {

// What separates folders in a path: on Windows the backslash too, and the
// colon of a drive ("C:canyon.mef"). The name is cut as bytes, so UTF-8 stays
// UTF-8 whatever the system's code page.
#ifdef _WIN32
constexpr const char* folderSeparators = "/\\:";
#else
constexpr const char* folderSeparators = "/";
#endif

// What getopt_long returns for each option; the short options return their letter.
enum OptionCode : int {
    mapArgument = 1,  // a MAP, in its place among the options (the "-" of shortOptions)
    helpOption = 'h',
    versionOption = 'V',
    exportOption = 256,
    noBatchOption,
    inMapFolderOption,
    checkOption,
    recoverOption,
    importOption,
    convertOption,
    sizeOption,
};

// Every long option: the one table that getopt_long and the messages read.
const option longOptions[] = {
    {"help", no_argument, nullptr, helpOption},
    {"version", no_argument, nullptr, versionOption},
    {"export", no_argument, nullptr, exportOption},
    {"no-batch", no_argument, nullptr, noBatchOption},
    {"in-map-folder", no_argument, nullptr, inMapFolderOption},
    {"check", no_argument, nullptr, checkOption},
    {"recover", no_argument, nullptr, recoverOption},
    {"import", required_argument, nullptr, importOption},
    {"convert", no_argument, nullptr, convertOption},
    {"size", required_argument, nullptr, sizeOption},
    {nullptr, 0, nullptr, 0},
};

// The leading "-" hands over each MAP in order (as mapArgument) instead of
// moving them behind the options, whatever POSIXLY_CORRECT says.
constexpr char shortOptions[] = "-hV";

// A picture size: decimal digits alone, from 16 to 4096.
bool readPictureSize(const char* text, int& size) {
    int value = 0;
    const char* end = text + std::strlen(text);
    const auto read = std::from_chars(text, end, value);
    if (read.ec != std::errc() || read.ptr != end || *text == '-' || value < 16 || value > 4096) return false;
    size = value;
    return true;
}

CommandLine usageError(std::string problem) {
    CommandLine result;
    result.action = CommandLine::Action::usageError;
    result.error = std::move(problem);
    return result;
}

// Why getopt_long refused `arg`, the argument it was reading; `letter` is
// the short option it refused, if that is what it was.
std::string optionProblem(const std::string& arg, int letter) {
    if (arg.compare(0, 2, "--") != 0)
        return "unknown option '-" + std::string(1, static_cast<char>(letter)) + "'";
    const std::string name = arg.substr(2, arg.find('=') - 2);
    std::vector<const option*> matches;
    for (const option* o = longOptions; o->name != nullptr && !name.empty(); ++o) {
        if (name == o->name) {
            matches = {o};
            break;
        }
        if (std::string(o->name).compare(0, name.size(), name) == 0) matches.push_back(o);
    }
    if (matches.empty()) return "unknown option '" + arg + "'";
    if (matches.size() > 1) {
        std::string problem = "option '--" + name + "' is ambiguous:";
        for (const option* o : matches) problem += std::string(" --") + o->name;
        return problem;
    }
    const std::string full = std::string("--") + matches[0]->name;
    if (matches[0]->has_arg == no_argument) return "option '" + full + "' takes no argument";
    if (matches[0]->val == importOption) return "--import needs a drawing file";
    return "option '" + full + "' needs an argument";
}

}  // namespace

CommandLine parseCommandLine(const std::vector<std::string>& args) {
    // getopt_long wants a writable argv with the program's name first.
    std::vector<std::string> words{"mapeditor"};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    const int argc = static_cast<int>(words.size());

    CommandLine result;
    bool exportMap = false, check = false, noBatch = false, convert = false;
    std::vector<std::string> maps;
    // getopt_long keeps its place in globals: 0 starts it afresh; it prints nothing itself.
    optind = 0;
    opterr = 0;
    for (;;) {
        const int current = optind == 0 ? 1 : optind;
        const int code = getopt_long(argc, argv.data(), shortOptions, longOptions, nullptr);
        if (code == -1) break;
        switch (code) {
            case mapArgument:
                if (*optarg == '\0') return usageError("the map file name is empty");
                maps.emplace_back(optarg);
                break;
            case helpOption:
                result.action = CommandLine::Action::help;
                return result;
            case versionOption:
                result.action = CommandLine::Action::version;
                return result;
            case exportOption:
                exportMap = true;
                break;
            case noBatchOption:
                noBatch = true;
                break;
            case inMapFolderOption:
                result.inMapFolder = true;
                break;
            case checkOption:
                check = true;
                break;
            case recoverOption:
                result.recover = true;
                break;
            case importOption:
                if (*optarg == '\0') return usageError("--import needs a drawing file");
                result.importFile = optarg;
                break;
            case convertOption:
                convert = true;
                break;
            case sizeOption:
                if (!readPictureSize(optarg, result.pictureSize))
                    return usageError("--size takes a whole number from 16 to 4096, not '" + std::string(optarg) +
                                      "'");
                break;
            default:
                return usageError(optionProblem(argv[current], optopt));
        }
    }
    // After "--": only maps.
    for (int k = optind; k < argc; ++k) {
        if (*argv[k] == '\0') return usageError("the map file name is empty");
        maps.emplace_back(argv[k]);
    }

    if (exportMap) result.action = CommandLine::Action::exportMap;
    if (check) result.action = CommandLine::Action::check;
    if (convert) result.action = CommandLine::Action::convert;
    // How many maps each mode takes: --check any number, --convert IN and OUT, the others one.
    const std::size_t mapsTaken = check ? maps.size() : convert ? 2 : 1;
    if (maps.size() > mapsTaken) return usageError("more than one map file: '" + maps[mapsTaken] + "'");
    if (convert && (exportMap || check)) return usageError("--convert excludes --export and --check");
    if (result.pictureSize != 0 && !convert) return usageError("--size needs --convert");
    if (convert && maps.size() < 2) return usageError("--convert needs a file to read and a file to write");
    if (check && exportMap) return usageError("--check excludes --export");
    if (noBatch && !exportMap) return usageError("--no-batch needs --export");
    if (result.recover && (exportMap || check || convert))
        return usageError("--recover works only in the window");
    if (!result.importFile.empty() && (exportMap || check || convert || result.recover))
        return usageError("--import works only in the window, without --recover");
    // Both name files beside the working directory, which --in-map-folder would change.
    if (result.inMapFolder && (convert || !result.importFile.empty()))
        return usageError("--in-map-folder does not work with --convert or --import");
    for (const std::string& map : maps)
        if (map == standardInputName && !exportMap && !check)
            return usageError("'-' (standard input) is a map only for --check and --export");
    // Standard input ends after its first reading: a second "-" would be an empty map.
    if (std::count(maps.begin(), maps.end(), standardInputName) > 1)
        return usageError("'-' (standard input) can be read only once");
    if (!maps.empty()) {
        result.mapFile = maps.front();
        result.mapGiven = true;
    }
    if (convert) result.convertOutput = maps[1];
    result.mapFiles = maps.empty() ? std::vector<std::string>{result.mapFile} : maps;
    result.runBatch = !noBatch;
    return result;
}

const char* usageLine() {
    return "usage: mapeditor [--export [--no-batch] | --recover | --import DRAWING] [--in-map-folder] [--] "
           "[MAP]\n"
           "   or: mapeditor --check [--] [MAP...]\n"
           "   or: mapeditor --convert [--size N] [--] IN OUT\n"
           "   or: mapeditor -h | --help | -V | --version\n";
}

std::string usageErrorText(const CommandLine& commandLine) {
    return "mapeditor: " + commandLine.error + "\n" + usageLine() +
           "Try 'mapeditor --help' for more information.\n";
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
           "  --check      check the ground outline that --export would write, of each\n"
           "               MAP in turn: one line per crossing, gap between segments or\n"
           "               run of points printed as one; nothing written, no window\n"
           "  --recover    start with the map of MAP.autosave, the unsaved changes that\n"
           "               an earlier run left; a save then writes MAP\n"
           "  --import DRAWING\n"
           "               start with the ground path of the SVG file DRAWING (its\n"
           "               first visible path, or the path or group ID of DRAWING#ID)\n"
           "               as the map, unsaved; a save writes MAP\n"
           "  --convert IN OUT\n"
           "               convert a drawing IN.svg or IN.svgz (or IN.svg#ID) to the\n"
           "               map file OUT.mef, or a map file IN.mef to the drawing\n"
           "               OUT.svg; no window; one map unit is ten SVG units; or a map\n"
           "               file IN.mef to a picture of its ground, OUT.png or OUT.pdf\n"
           "  --size N     with --convert to a picture: N pixels (PDF: points) on\n"
           "               its longer side, 16 to 4096 (default 1024)\n"
           "  -h, --help   print this text and exit\n"
           "  -V, --version\n"
           "               print the version, the copyright and the licence, and exit\n"
           "  --           end of options: the arguments that follow are maps\n"
           "\n"
           "A long option may be shortened to any unique beginning (--exp). With\n"
           "--export and --check, a MAP of - is standard input.\n"
           "\n"
           "Exit status of --export: 0 when both files were written (and copy.bat ran\n"
           "and exited 0); 1 when MAP could not be read or is not a map, the map has no\n"
           "segments, a file could not be written, or copy.bat is missing or failed.\n"
           "Exit status of --check: 0 when every outline is a simple closed polygon with\n"
           "no merged points; 1 when a problem was found or a MAP could not be read.\n"
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
