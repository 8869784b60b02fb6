// The setup script "go" and the export: files first, then "copy.bat".

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "BatchRunner.h"
#include "EditorFiles.h"
#include "Export.h"
#include "HeadlessExport.h"
#include "MapEditor.h"
#include "MapFile.h"
#include "ScenarioScript.h"
#include "ScratchDir.h"

namespace {

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// Runs the export and returns what it printed on standard output; what went
// to standard error (the shell's complaints) is put in `errors` when asked for.
std::string captureExport(MapEditor& editor, std::string* errors = nullptr) {
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    exportMap(editor, windowMessages());
    const std::string errorText = testing::internal::GetCapturedStderr();
    if (errors) *errors = errorText;
    return testing::internal::GetCapturedStdout();
}

// A batch file that leaves a trace of having run.
const char markerBatch[] = "echo ran > batch-ran\n";

// Sets an environment variable for the lifetime of the object.
class EnvironmentOverride {
public:
    EnvironmentOverride(const char* name, const std::string& value) : name(name) {
        const char* old = std::getenv(name);
        hadOld = old != nullptr;
        if (hadOld) oldValue = old;
        ::setenv(name, value.c_str(), 1);
    }
    ~EnvironmentOverride() {
        if (hadOld)
            ::setenv(name, oldValue.c_str(), 1);
        else
            ::unsetenv(name);
    }

private:
    const char* name;
    bool hadOld = false;
    std::string oldValue;
};

TEST(ScenarioScript, HasFiftyFourLinesEndingWithTheRestLocation) {
    const std::string script = formatScenarioScript({0.5, 0.5});
    EXPECT_EQ(std::count(script.begin(), script.end(), '\n'), 54);
    ASSERT_EQ(script.back(), '\n');
    const std::vector<std::string> lines = splitLines(script);
    ASSERT_EQ(lines.size(), 54u);
    EXPECT_EQ(lines[0], "set baseDir brel");
    EXPECT_EQ(lines[8], "gndfile $scenarioDir/gnd.pts");
    EXPECT_EQ(lines[46], "title \"$::charName >> TestMap\"");
    EXPECT_EQ(lines[52], "set ::restLocX 0.5");
    EXPECT_EQ(lines[53], "set ::restLocY -0.5");
    // Empty lines: the first is line 4, the last line 52.
    std::vector<int> empty;
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (lines[i].empty()) empty.push_back(static_cast<int>(i) + 1);
    EXPECT_EQ(empty, (std::vector<int>{4, 8, 13, 15, 21, 24, 26, 29, 31, 37, 40, 45, 48, 52}));
    // Only the camera and preview blocks are indented, by four spaces.
    std::vector<int> indented;
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (lines[i].rfind("    ", 0) == 0) indented.push_back(static_cast<int>(i) + 1);
    EXPECT_EQ(indented, (std::vector<int>{33, 34, 35, 42, 43, 44}));
    EXPECT_EQ(lines[34], "    camera fly $::scenarioDir/camera.path");
    EXPECT_EQ(lines[43], "    winview $::winviewX $::winviewY");
}

TEST(ScenarioScript, RestLocationUsesTheNumberNotationWithYNegated) {
    const std::vector<std::string> lines = splitLines(formatScenarioScript({123.4567, 0.0}));
    EXPECT_EQ(lines[52], "set ::restLocX 123.457");
    EXPECT_EQ(lines[53], "set ::restLocY -0");
}

TEST(Export, WritesBothFilesAndTheScriptIsTheSameForEveryMap) {
    ScratchDir scratch;
    MapEditor editor;
    captureExport(editor);
    const std::string firstScript = readFile("go");
    EXPECT_EQ(firstScript, formatScenarioScript({0.5, 0.5}));
    const std::string firstGround = readFile("gnd.pts");

    editor.appendSegment();
    captureExport(editor);
    EXPECT_EQ(readFile("go"), firstScript);
    EXPECT_NE(readFile("gnd.pts"), firstGround);
    EXPECT_EQ(directoryEntries(), (std::set<std::string>{"gnd.pts", "go"}));
}

TEST(Export, BatchFileSeesBothFilesComplete) {
    ScratchDir scratch;
    // The batch file is read by the shell: it needs no execute permission.
    writeFile("copy.bat",
              "wc -l < gnd.pts > counts\n"
              "wc -l < go >> counts\n"
              "ls > listing\n"
              "echo delivered\n"
              "exit 3\n");
    MapEditor editor;
    const std::string output = captureExport(editor);
    // The batch file's own output follows the editor's messages, and its failure follows that.
    EXPECT_EQ(output, "0\n1\nSaved 2 segments, containing 14 points\ndelivered\ncopy.bat exited with status 3\n");
    std::istringstream counts(readFile("counts"));
    int groundLines = 0, scriptLines = 0;
    counts >> groundLines >> scriptLines;
    EXPECT_EQ(groundLines, 15);
    EXPECT_EQ(scriptLines, 54);
    // No temporary file was left for the batch file to pick up.
    EXPECT_EQ(readFile("listing"), "copy.bat\ncounts\ngnd.pts\ngo\nlisting\n");
}

TEST(Export, OnlyARegularCopyBatIsRunByTheWindowAndTheCommandLine) {
    const char* const notFound =
        "copy.bat not found in the working directory: gnd.pts and go were not delivered\n";
    const struct {
        const char* setUp;    // shell commands in a folder that holds the marker batch "real.bat"
        const char* message;  // printed instead of running copy.bat; empty when it runs
    } cases[] = {
        {"cp real.bat copy.bat", ""},
        {"ln -s real.bat copy.bat", ""},
        {"true", notFound},
        {"ln -s nowhere.bat copy.bat", notFound},
        // sh would read a folder as an empty script and exit 0, and a FIFO would hang the export.
        {"mkdir copy.bat", "copy.bat: not a regular file\n"},
        {"mkdir d && ln -s d copy.bat", "copy.bat: not a regular file\n"},
        {"mkfifo copy.bat", "copy.bat: not a regular file\n"},
        {"ln -s copy.bat copy.bat",
         "copy.bat could not be looked at: Too many levels of symbolic links; gnd.pts and go were not "
         "delivered\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.setUp);
        ScratchDir scratch;
        writeFile("real.bat", markerBatch);
        ASSERT_EQ(std::system(c.setUp), 0);
        const bool runs = *c.message == '\0';

        MapEditor editor;
        std::string errors;
        EXPECT_EQ(captureExport(editor, &errors),
                  std::string("0\n1\nSaved 2 segments, containing 14 points\n") + c.message);
        EXPECT_EQ(errors, "");
        EXPECT_EQ(std::filesystem::exists("batch-ran"), runs);
        EXPECT_EQ(readFile("go"), formatScenarioScript({0.5, 0.5}));

        std::filesystem::remove("batch-ran");
        ASSERT_TRUE(storeMapFile("map.mef", editor.getSegments()));
        std::FILE* out = std::tmpfile();
        std::FILE* err = std::tmpfile();
        StreamMessages messages(out, err);
        ASSERT_TRUE(out && err);
        EXPECT_EQ(exportWithoutWindow("map.mef", true, messages), runs ? 0 : 1);
        std::rewind(err);
        char buffer[256] = {};
        EXPECT_EQ(std::string(buffer, std::fread(buffer, 1, sizeof buffer - 1, err)), c.message);
        EXPECT_EQ(std::filesystem::exists("batch-ran"), runs);
        std::fclose(out);
        std::fclose(err);
    }
}

TEST(Export, ProgramNamedCopyBatOnThePathIsNotRun) {
    ScratchDir scratch;
    std::filesystem::create_directory("bin");
    writeFile("bin/copy.bat", "#!/bin/sh\necho impostor > " + scratch.path() + "/impostor-ran\n");
    std::filesystem::permissions("bin/copy.bat", std::filesystem::perms::owner_all);
    EnvironmentOverride path("PATH", scratch.path() + "/bin:" + std::string(std::getenv("PATH")));
    MapEditor editor;
    captureExport(editor);
    EXPECT_FALSE(std::filesystem::exists("impostor-ran"));

    // With a batch file in the working directory, that one runs.
    writeFile("copy.bat", markerBatch);
    captureExport(editor);
    EXPECT_TRUE(std::filesystem::exists("batch-ran"));
    EXPECT_FALSE(std::filesystem::exists("impostor-ran"));
}

TEST(Export, UnwritableGroundFileRunsNoBatchFile) {
    ScratchDir scratch;
    std::filesystem::create_directory("gnd.pts");
    writeFile("copy.bat", markerBatch);
    MapEditor editor;
    EXPECT_EQ(captureExport(editor), "0\n1\nFile output error: gnd.pts: not a regular file\n");
    EXPECT_FALSE(std::filesystem::exists("batch-ran"));
    EXPECT_FALSE(std::filesystem::exists("go"));
}

TEST(Export, UnwritableScriptRunsNoBatchFile) {
    ScratchDir scratch;
    std::filesystem::create_directory("go");
    writeFile("copy.bat", markerBatch);
    MapEditor editor;
    EXPECT_EQ(captureExport(editor),
              "0\n1\nSaved 2 segments, containing 14 points\nFile output error: go: not a regular file\n");
    EXPECT_FALSE(std::filesystem::exists("batch-ran"));
}

TEST(Export, EmptyChainWritesAndRunsNothing) {
    ScratchDir scratch;
    writeFile("copy.bat", markerBatch);
    MapEditor editor;
    editor.replaceChain({});
    EXPECT_EQ(captureExport(editor), "Nothing to export: the map has no segments\n");
    EXPECT_EQ(directoryEntries(), std::set<std::string>{"copy.bat"});
}

TEST(BatchRunner, WaitsForTheBatchFileToEnd) {
    ScratchDir scratch;
    writeFile("slow.bat", "sleep 0.2\necho done > finished\n");
    EXPECT_EQ(runBatchFile("./slow.bat"), 0);
    EXPECT_EQ(readFile("finished"), "done\n");
}

// An end signal during the wait ends it within seconds, even for a batch file
// that ignores the signal (the e2e autosave test: the group gets it).
TEST(BatchRunner, AnEndSignalDuringTheWaitEndsTheBatchFile) {
    ScratchDir scratch;
    watchEndSignalsDuringBatch([] { return std::filesystem::exists("started") ? SIGTERM : 0; });
    for (const char* ignore : {"", "trap '' TERM\n"}) {
        std::filesystem::remove("started");
        writeFile("sleepy.bat", std::string(ignore) + "sleep 30 &\ntouch started\nwait\ntouch after\n");
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(runBatchFile("./sleepy.bat"), 128 + (*ignore ? SIGKILL : SIGTERM)) << ignore;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5)) << ignore;
        EXPECT_FALSE(std::filesystem::exists("after")) << ignore;
    }
    watchEndSignalsDuringBatch(nullptr);
}

TEST(BatchRunner, ReturnsTheExitStatusOfTheBatchFile) {
    ScratchDir scratch;
    const struct {
        const char* script;
        int status;
    } cases[] = {
        {"true\n", 0},
        {"exit 3\n", 3},
        {"exit 255\n", 255},
        {"kill -KILL $$\n", 128 + 9},  // killed by a signal
    };
    for (const auto& c : cases) {
        writeFile("status.bat", c.script);
        EXPECT_EQ(runBatchFile("./status.bat"), c.status) << c.script;
    }
}

}  // namespace
