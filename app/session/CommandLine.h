#pragma once

#include <string>
#include <vector>

// What the command line asks the program to do.
struct CommandLine {
    enum class Action {
        edit,        // open the window on mapFile
        exportMap,   // export mapFile without a window
        check,       // check the ground outline of each of mapFiles without a window
        convert,     // convert mapFile (a drawing or a map) to convertOutput without a window
        help,        // print helpText() to standard output
        version,     // print versionText() to standard output
        usageError,  // print `error`, the usage and the hint to --help to standard error
    };

    Action action = Action::edit;
    // The map: the first MAP named, or "map.mef". "-" (with --export and
    // --check only) is standard input.
    std::string mapFile = "map.mef";
    // Every MAP named, in order (more than one only with --check; IN and OUT
    // with --convert).
    std::vector<std::string> mapFiles;
    // MAP was named on the command line (the window title then shows it).
    bool mapGiven = false;
    // --export runs "copy.bat" after writing the files, unless --no-batch.
    bool runBatch = true;
    // --in-map-folder: work in MAP's folder (enterMapFolder).
    bool inMapFolder = false;
    // --recover: the window starts with the map of mapFile's autosave.
    bool recover = false;
    // --import: the drawing whose chain the window starts with, unsaved.
    std::string importFile;
    // --convert IN OUT: IN is mapFile, OUT is this.
    std::string convertOutput;
    // --size N: the longer side of a picture that --convert writes; 0 when not given.
    int pictureSize = 0;
    // For usageError: the problem, one line without the line end.
    std::string error;
};

// The MAP that stands for standard input.
constexpr const char* standardInputName = "-";

// Reads the arguments that follow the program name, as getopt_long does:
//   [MAP]                         edit MAP (default "map.mef")
//   --export [--no-batch] [MAP]   export MAP without a window
//   --in-map-folder               with either: work in MAP's folder
//   --check [MAP...]              check the ground outline of each MAP's export
//   --recover [MAP]               edit MAP, starting with its autosave's map
//   --import DRAWING [MAP]        edit MAP, starting with DRAWING's chain
//   --convert [--size N] IN OUT   convert a drawing to a map or back, or a
//                                 map to a picture (.png, .pdf) N pixels long
//   -h, --help; -V, --version
// A long option may be shortened to any beginning that is unique. Options and
// MAP may come in any order; "--" ends the options. Arguments are taken in
// order: the first --help, --version or unknown option decides; what the
// options mean together is judged once all are read.
CommandLine parseCommandLine(const std::vector<std::string>& args);

// Exit status of a usage error.
constexpr int usageExitStatus = 2;

// The synopsis, each line with its line end.
const char* usageLine();
// What a usage error prints to standard error: "mapeditor: " and the
// problem, the synopsis, and where to find more.
std::string usageErrorText(const CommandLine& commandLine);
// The text of --help.
std::string helpText();
// The text of --version: "mapeditor" and the version, then the copyright and
// the licence, each line with its line end.
std::string versionText();

// The window title in UTF-8: "Map Editor", followed by " - " and MAP's file
// name without its directories when MAP was named; each byte of the name
// that is not part of valid UTF-8 shows as U+FFFD.
std::string windowTitle(const CommandLine& commandLine);
