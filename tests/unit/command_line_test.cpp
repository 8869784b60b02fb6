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
        std::vector<std::string> mapFiles;
        bool runBatch;
        std::string error;
    } cases[] = {
        {{}, Action::edit, {"map.mef"}, true, ""},
        {{"levels/a.mef"}, Action::edit, {"levels/a.mef"}, true, ""},
        {{"--", "--export"}, Action::edit, {"--export"}, true, ""},
        {{"--export"}, Action::exportMap, {"map.mef"}, true, ""},
        {{"--export", "a.mef"}, Action::exportMap, {"a.mef"}, true, ""},
        {{"a.mef", "--no-batch", "--export"}, Action::exportMap, {"a.mef"}, false, ""},
        {{"--export", "--", "-x.mef"}, Action::exportMap, {"-x.mef"}, true, ""},
        {{"--exp", "--no", "a.mef"}, Action::exportMap, {"a.mef"}, false, ""},
        {{"--e", "-"}, Action::exportMap, {"-"}, true, ""},
        {{"--help"}, Action::help, {}, true, ""},
        {{"-h"}, Action::help, {}, true, ""},
        {{"--he"}, Action::help, {}, true, ""},
        {{"-V", "--bogus"}, Action::version, {}, true, ""},
        {{"--version", "--bogus"}, Action::version, {}, true, ""},
        {{"a.mef", "--help", "b.mef"}, Action::help, {}, true, ""},
        {{"--", "-h"}, Action::edit, {"-h"}, true, ""},
        {{"--bogus", "--help"}, Action::usageError, {}, true, "unknown option '--bogus'"},
        {{"-x", "--help"}, Action::usageError, {}, true, "unknown option '-x'"},
        {{"-hx"}, Action::help, {}, true, ""},
        {{"--export=a.mef"}, Action::usageError, {}, true, "option '--export' takes no argument"},
        {{"--exp=a.mef"}, Action::usageError, {}, true, "option '--export' takes no argument"},
        {{"--bogus=1"}, Action::usageError, {}, true, "unknown option '--bogus=1'"},
        {{"--re"}, Action::edit, {"map.mef"}, true, ""},
        {{"--r"}, Action::edit, {"map.mef"}, true, ""},
        {{"a.mef", "b.mef"}, Action::usageError, {}, true, "more than one map file: 'b.mef'"},
        {{"--export", "a", "--", "b"}, Action::usageError, {}, true, "more than one map file: 'b'"},
        {{""}, Action::usageError, {}, true, "the map file name is empty"},
        {{"--check", "--", ""}, Action::usageError, {}, true, "the map file name is empty"},
        {{"-"}, Action::usageError, {}, true, "'-' (standard input) is a map only for --check and --export"},
        {{"--no-batch", "a.mef"}, Action::usageError, {}, true, "--no-batch needs --export"},
        {{"--in-map-folder", "--export", "a/b.mef"}, Action::exportMap, {"a/b.mef"}, true, ""},
        {{"--check"}, Action::check, {"map.mef"}, true, ""},
        {{"a.mef", "--check"}, Action::check, {"a.mef"}, true, ""},
        {{"a.mef", "--check", "-", "--", "-b.mef"}, Action::check, {"a.mef", "-", "-b.mef"}, true, ""},
        {{"--check", "-", "a.mef", "-"}, Action::usageError, {}, true, "'-' (standard input) can be read only once"},
        {{"--check", "--no-batch"}, Action::usageError, {}, true, "--no-batch needs --export"},
        {{"--export", "--check"}, Action::usageError, {}, true, "--check excludes --export"},
        {{"a.mef", "--recover"}, Action::edit, {"a.mef"}, true, ""},
        {{"--recover", "--export"}, Action::usageError, {}, true, "--recover works only in the window"},
        {{"--c", "a.mef"}, Action::usageError, {}, true, "option '--c' is ambiguous: --check --convert"},
        {{"--i", "a.mef"},
         Action::usageError,
         {},
         true,
         "option '--i' is ambiguous: --in-map-folder --import"},
        {{"--im=g.svg", "a.mef"}, Action::edit, {"a.mef"}, true, ""},
        {{"--convert", "-", "a.svg"},
         Action::usageError,
         {},
         true,
         "'-' (standard input) is a map only for --check and --export"},
    };
    for (const auto& c : cases) {
        std::string shown;
        for (const std::string& a : c.args) shown += " '" + a + "'";
        const CommandLine got = parseCommandLine(c.args);
        EXPECT_EQ(got.action, c.action) << shown;
        EXPECT_EQ(got.error, c.error) << shown;
        if (c.action == Action::edit || c.action == Action::exportMap || c.action == Action::check) {
            EXPECT_EQ(got.mapFiles, c.mapFiles) << shown;
            EXPECT_EQ(got.mapFile, c.mapFiles.front()) << shown;
            EXPECT_EQ(got.runBatch, c.runBatch) << shown;
            EXPECT_EQ(got.recover, shown.find("'--r") != std::string::npos) << shown;
        }
    }
}

TEST(CommandLine, ConvertAndImport) {
    const struct {
        std::vector<std::string> args;
        Action action;
        std::string error;  // for usageError; otherwise "map file|output|drawing"
    } cases[] = {
        {{"a.mef", "--convert", "b.svg"}, Action::convert, "a.mef|b.svg|0"},
        {{"--import", "g.svg#x", "a.mef"}, Action::edit, "a.mef||g.svg#x"},
        {{"--convert", "a.svg"}, Action::usageError, "--convert needs a file to read and a file to write"},
        {{"--convert", "a", "b", "c"}, Action::usageError, "more than one map file: 'c'"},
        {{"--convert", "--check", "a", "b"}, Action::usageError, "--convert excludes --export and --check"},
        {{"--convert", "--in-map-folder", "a", "b"},
         Action::usageError,
         "--in-map-folder does not work with --convert or --import"},
        {{"--import"}, Action::usageError, "--import needs a drawing file"},
        // A file manager's thumbnailer line: --size before the files.
        {{"--convert", "--size", "4096", "a.mef", "t.png"}, Action::convert, "a.mef|t.png|4096"},
        {{"--convert", "--si=16", "a", "b.pdf"}, Action::convert, "a|b.pdf|16"},
        {{"--convert", "a", "b.pdf"}, Action::convert, "a|b.pdf|0"},
        {{"--convert", "--size", "15", "a", "b"}, Action::usageError, "--size takes a whole number from 16 to 4096, not '15'"},
        {{"--size=4097", "--convert", "a", "b"}, Action::usageError, "--size takes a whole number from 16 to 4096, not '4097'"},
        {{"--size", "+64", "--convert", "a", "b"}, Action::usageError, "--size takes a whole number from 16 to 4096, not '+64'"},
        {{"--size", "64px", "--convert", "a", "b"}, Action::usageError, "--size takes a whole number from 16 to 4096, not '64px'"},
        {{"--size", "99999999999", "--convert", "a", "b"}, Action::usageError, "--size takes a whole number from 16 to 4096, not '99999999999'"},
        {{"--size", "64", "a.mef"}, Action::usageError, "--size needs --convert"},
        {{"--convert", "a", "b", "--size"}, Action::usageError, "option '--size' needs an argument"},
        {{"--check", "--import", "g.svg"},
         Action::usageError,
         "--import works only in the window, without --recover"},
    };
    for (const auto& c : cases) {
        const CommandLine got = parseCommandLine(c.args);
        EXPECT_EQ(got.action, c.action) << c.args[0];
        EXPECT_EQ(c.action == Action::usageError
                      ? got.error
                      : got.mapFile + "|" + got.convertOutput + "|" +
                            (got.action == Action::convert ? std::to_string(got.pictureSize) : got.importFile),
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
