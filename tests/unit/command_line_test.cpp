// The command line without a process: what each argument list asks for and
// the window title.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CommandLine.h"

namespace {

using Action = CommandLine::Action;

TEST(CommandLine, EveryAcceptedFormAndEveryUsageError) {
    const struct {
        std::vector<std::string> args;
        Action action;
        std::string mapFile;
        bool runBatch;
        std::string error;
    } cases[] = {
        {{}, Action::edit, "map.mef", true, ""},
        {{"levels/a.mef"}, Action::edit, "levels/a.mef", true, ""},
        {{"-"}, Action::edit, "-", true, ""},
        {{"--", "--export"}, Action::edit, "--export", true, ""},
        {{"--export"}, Action::exportMap, "map.mef", true, ""},
        {{"--export", "a.mef"}, Action::exportMap, "a.mef", true, ""},
        {{"a.mef", "--no-batch", "--export"}, Action::exportMap, "a.mef", false, ""},
        {{"--export", "--", "-x.mef"}, Action::exportMap, "-x.mef", true, ""},
        {{"--help"}, Action::help, "map.mef", true, ""},
        {{"--version", "--bogus"}, Action::version, "map.mef", true, ""},
        {{"a.mef", "--help", "b.mef"}, Action::help, "a.mef", true, ""},
        {{"--bogus", "--help"}, Action::usageError, "map.mef", true, "unknown option '--bogus'"},
        {{"-h"}, Action::usageError, "map.mef", true, "unknown option '-h'"},
        {{"--export=a.mef"}, Action::usageError, "map.mef", true, "unknown option '--export=a.mef'"},
        {{"a.mef", "b.mef"}, Action::usageError, "map.mef", true, "more than one map file: 'b.mef'"},
        {{"--export", "a", "--", "b"}, Action::usageError, "map.mef", true, "more than one map file: 'b'"},
        {{""}, Action::usageError, "map.mef", true, "the map file name is empty"},
        {{"--no-batch", "a.mef"}, Action::usageError, "map.mef", true, "--no-batch needs --export"},
        {{"--in-map-folder", "--export", "a/b.mef"}, Action::exportMap, "a/b.mef", true, ""},
        {{"--check"}, Action::check, "map.mef", true, ""},
        {{"a.mef", "--check"}, Action::check, "a.mef", true, ""},
        {{"--check", "--no-batch"}, Action::usageError, "map.mef", true, "--no-batch needs --export"},
        {{"--export", "--check"}, Action::usageError, "map.mef", true, "--check excludes --export"},
        {{"a.mef", "--recover"}, Action::edit, "a.mef", true, ""},
        {{"--recover", "--export"},
         Action::usageError,
         "map.mef",
         true,
         "--recover works only in the window"},
    };
    for (const auto& c : cases) {
        std::string shown;
        for (const std::string& a : c.args) shown += " '" + a + "'";
        const CommandLine got = parseCommandLine(c.args);
        EXPECT_EQ(got.action, c.action) << shown;
        EXPECT_EQ(got.error, c.error) << shown;
        if (c.action == Action::edit || c.action == Action::exportMap || c.action == Action::check) {
            EXPECT_EQ(got.mapFile, c.mapFile) << shown;
            EXPECT_EQ(got.runBatch, c.runBatch) << shown;
            EXPECT_EQ(got.recover, c.args.size() > 1 && c.args[1] == "--recover") << shown;
        }
    }
}

TEST(CommandLine, ConvertAndImport) {
    const struct {
        std::vector<std::string> args;
        Action action;
        std::string error;  // for usageError; otherwise "map file|output|drawing"
    } cases[] = {
        {{"a.mef", "--convert", "b.svg"}, Action::convert, "a.mef|b.svg|"},
        {{"--import", "g.svg#x", "a.mef"}, Action::edit, "a.mef||g.svg#x"},
        {{"--convert", "a.svg"}, Action::usageError, "--convert needs a file to read and a file to write"},
        {{"--convert", "a", "b", "c"}, Action::usageError, "more than one map file: 'b'"},
        {{"--convert", "--check", "a", "b"}, Action::usageError, "--convert excludes --export and --check"},
        {{"--convert", "--in-map-folder", "a", "b"},
         Action::usageError,
         "--in-map-folder does not work with --convert or --import"},
        {{"--import"}, Action::usageError, "--import needs a drawing file"},
        {{"--check", "--import", "g.svg"},
         Action::usageError,
         "--import works only in the window, without --recover"},
    };
    for (const auto& c : cases) {
        const CommandLine got = parseCommandLine(c.args);
        EXPECT_EQ(got.action, c.action) << c.args[0];
        EXPECT_EQ(c.action == Action::usageError
                      ? got.error
                      : got.mapFile + "|" + got.convertOutput + "|" + got.importFile,
                  c.error);
    }
}

TEST(CommandLine, WindowTitleNamesTheMapFileWithoutDirectories) {
    EXPECT_EQ(windowTitle(parseCommandLine({})), "Map Editor");
    EXPECT_EQ(windowTitle(parseCommandLine({"map.mef"})), "Map Editor - map.mef");
    EXPECT_EQ(windowTitle(parseCommandLine({"/srv/levels/canyon.mef"})), "Map Editor - canyon.mef");
    // Bytes that are no UTF-8 (a Latin-1 name; overlong, surrogate and cut
    // sequences) show as U+FFFD, one for each; valid UTF-8 stays.
    const std::string bad = "\xEF\xBF\xBD";
    const struct {
        std::string name, title;
    } names[] = {
        {"caf\xe9.mef", "caf" + bad + ".mef"},
        {"caf\xc3\xa9 \xF0\x9F\x97\xBA.mef", "caf\xc3\xa9 \xF0\x9F\x97\xBA.mef"},
        {"\xC0\xAF\xED\xA0\x80\xF0\x9F.mef", bad + bad + bad + bad + bad + bad + bad + ".mef"},
    };
    for (const auto& n : names) EXPECT_EQ(windowTitle(parseCommandLine({n.name})), "Map Editor - " + n.title) << n.name;
}

}  // namespace
