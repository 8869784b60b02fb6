// The editor's load, save and export ("Load QUIV File", "Save QUIV File",
// "Export Map"): what they write and read, what they say, and what a refused
// file leaves unchanged.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "EditorFiles.h"
#include "GroundFile.h"
#include "InitialMap.h"
#include "MapEditor.h"
#include "MapFile.h"
#include "SampleBudget.h"
#include "ScratchDir.h"
#include "SegmentFactory.h"
#include "TextFile.h"

namespace {

// Everything the file keeps of a chain, in the file's own notation.
std::string fileView(const MapEditor& editor) { return formatMapFile(editor.getSegments()); }

// A chain unlike the initial map, for checking that a failed load changes nothing.
MapEditor editorWithOwnChain() {
    MapEditor editor;
    editor.replaceChain({makeSegment(1, 2, 3, 4, 5, 6, 7, 8, 3)});
    editor.shiftView(7.0, -2.0);
    return editor;
}

std::string captureLoad(MapEditor& editor, const char* name) {
    testing::internal::CaptureStdout();
    loadMapFile(editor, name, windowMessages());
    return testing::internal::GetCapturedStdout();
}

// A temporary file beside the target whose stream writes to /dev/full, so
// the write fails part-way after the temporary file was created.
std::string lastTempPath;
TempFile tempFileOnFullDevice(const std::string& target) {
    TempFile temp = createTempFileBeside(target);
    lastTempPath = temp.path;
    if (temp.stream) std::fclose(temp.stream);
    temp.stream = std::fopen("/dev/full", "w");
    return temp;
}

TEST(EditorFiles, SaveWritesMapMefAndLoadRestoresIt) {
    ScratchDir scratch;
    MapEditor editor;
    saveMapFile(editor, windowMessages());
    EXPECT_EQ(readFile("map.mef"), initialMapText);

    MapEditor other = editorWithOwnChain();
    EXPECT_EQ(captureLoad(other, "map.mef"), "");
    EXPECT_EQ(fileView(other), initialMapText);
    EXPECT_TRUE(other.getMarkers().empty());
    EXPECT_EQ(other.getViewOffset(), (ControlPoint{1.0, 1.0}));
    EXPECT_EQ(other.getRestLocation(), (ControlPoint{0.5, 0.5}));
    for (const Segment& s : other.getSegments()) {
        EXPECT_FALSE(s.isSelected());
        EXPECT_EQ(s.getViewOffset(), (ControlPoint{1.0, 1.0}));
    }
}

TEST(EditorFiles, SavedAndLoadedCoordinatesKeepSixDigits) {
    ScratchDir scratch;
    MapEditor editor;
    editor.replaceChain({makeSegment(123.4567, 0.1234567, 3, 4, 5, 6, 7, 8, 5)});
    saveMapFile(editor, windowMessages());
    MapEditor other;
    EXPECT_EQ(captureLoad(other, "map.mef"), "");
    ASSERT_EQ(other.segmentCount(), 1);
    EXPECT_EQ(other.segment(0).getStartPoint().x, 123.457);
    EXPECT_EQ(other.segment(0).getStartPoint().y, 0.123457);
}

TEST(EditorFiles, SaveReplacesALongerFileCompletelyWithNewFilePermissions) {
    ScratchDir scratch;
    writeFile("map.mef", std::string(5000, '9'));
    MapEditor editor;
    saveMapFile(editor, windowMessages());
    EXPECT_EQ(readFile("map.mef"), initialMapText);
    EXPECT_EQ(directoryEntries(), std::set<std::string>{"map.mef"});
    struct stat info {};
    ASSERT_EQ(::stat("map.mef", &info), 0);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(info.st_mode & 0777, 0666 & ~mask);
}

TEST(EditorFiles, EmptyChainSavesAnEmptyFileThatLoadsAsEmpty) {
    ScratchDir scratch;
    MapEditor editor;
    editor.replaceChain({});
    saveMapFile(editor, windowMessages());
    EXPECT_TRUE(std::filesystem::exists("map.mef"));
    EXPECT_EQ(readFile("map.mef"), "");

    MapEditor other;
    EXPECT_EQ(captureLoad(other, "map.mef"), "");
    EXPECT_EQ(other.segmentCount(), 0);
    EXPECT_EQ(other.getViewOffset(), (ControlPoint{1.0, 1.0}));
}

TEST(EditorFiles, MissingFileChangesNothing) {
    ScratchDir scratch;
    MapEditor editor = editorWithOwnChain();
    const std::string before = fileView(editor);
    const ControlPoint view = editor.getViewOffset();
    // The system's reason, without a final full stop or line end.
    const std::string missing = captureLoad(editor, "map.mef");
#ifdef _WIN32
    EXPECT_EQ(missing.rfind("File input error: map.mef: ", 0), 0u) << missing;
    EXPECT_EQ(missing.find_first_of(".\r", 27), std::string::npos) << missing;
#else
    EXPECT_EQ(missing, "File input error: map.mef: No such file or directory\n");
#endif
    EXPECT_EQ(fileView(editor), before);
    EXPECT_EQ(editor.getViewOffset(), view);

    // A directory is refused before it is opened, and says so.
    std::filesystem::create_directory("dir.mef");
    EXPECT_EQ(captureLoad(editor, "dir.mef"), "File input error: dir.mef: not a regular file\n");
    EXPECT_EQ(fileView(editor), before);
}

TEST(EditorFiles, WhatIsNoRegularFileOrTooLargeIsRefusedAtOnce) {
    ScratchDir scratch;
    // A sparse file: its size costs no disk space.
    ASSERT_EQ(std::system("mkfifo fifo.mef && ln -s /dev/zero zero.mef && truncate -s 300M huge.mef"), 0);
    const struct {
        const char* name;
        const char* message;
    } cases[] = {
        {"fifo.mef", "File input error: fifo.mef: not a regular file\n"},
        {"zero.mef", "File input error: zero.mef: not a regular file\n"},
        {"huge.mef", "File input error: huge.mef: larger than 256 MiB\n"},
    };
    MapEditor editor = editorWithOwnChain();
    const std::string before = fileView(editor);
    // A load that blocks or reads without end ends the test program after 20 s.
    std::atomic<bool> finished{false};
    std::thread watchdog([&finished] {
        for (int i = 0; i < 200 && !finished; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (!finished) {
            std::fputs("a load blocked or read without end\n", stderr);
            std::abort();
        }
    });
    for (const auto& c : cases) {
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(captureLoad(editor, c.name), c.message);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500)) << c.name;
        EXPECT_EQ(fileView(editor), before);
    }
    finished = true;
    watchdog.join();
}

TEST(EditorFiles, RejectedFileLeavesMapMarkersAndViewAsTheyWere) {
    ScratchDir scratch;
    const char* badFiles[] = {
        "0 10 0.5 18 10 18 10.5 10 5\n1 2 3 4 5 6 7 nan 5",
        "0 10 0.5 18 10 18 10.5 10 5\n1 2 3 4 5 6 7 8 -3",
        "0 10 0.5 18 10 18 10.5 10 20000",
        "0 10 0.5 18 10 18 10.5 1e999 5",
        "hello",
    };
    for (const char* content : badFiles) {
        writeFile("bad.mef", content);
        MapEditor editor;
        const std::string before = fileView(editor);
        const std::string output = captureLoad(editor, "bad.mef");
        EXPECT_EQ(output.rfind("File input error: bad.mef: record ", 0), 0u) << output;
        EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), 1) << output;
        EXPECT_EQ(fileView(editor), before);
        EXPECT_EQ(editor.getMarkers().size(), 1u);
        EXPECT_EQ(editor.getViewOffset(), (ControlPoint{10.0, 10.0}));
    }
}

// A map needing more samples than the editor holds is refused as a whole,
// however few bytes its file has, and before its segments are made (the huge
// one would need 16 GB); one at the budget loads.
TEST(EditorFiles, MapsPastTheSampleBudgetAreRefused) {
    ScratchDir scratch;
    const auto records = [](int count, int resolution) {
        std::string text;
        for (int i = 0; i < count; ++i) text += "0 0 0 0 0 0 0 0 " + std::to_string(resolution) + "\n";
        return text;
    };
    const int filling = static_cast<int>(sampleBudget / 10000);
    const std::string limit = " points, more than the editor holds (" + std::to_string(sampleBudget) + ")\n";
    const struct {
        std::string text, output;  // how the output begins; empty: loaded, silently
    } cases[] = {
        {records(filling, 9998), ""},
        {records(filling, 9998) + records(1, 0),
         "File input error: m.mef: " + std::to_string(sampleBudget + 2) + limit},
        {records(100000, 10000), "File input error: m.mef: 1000200000" + limit},
        // Checked to the end all the same: a bad value past the budget is named.
        {records(100000, 10000) + "x", "File input error: m.mef: record "},
    };
    for (const auto& c : cases) {
        writeFile("m.mef", c.text);
        MapEditor editor = editorWithOwnChain();
        const std::string before = fileView(editor);
        const std::string output = captureLoad(editor, "m.mef");
        EXPECT_EQ(output.compare(0, c.output.size(), c.output), 0) << output;
        if (c.output.empty()) {
            EXPECT_EQ(output + std::to_string(editor.segmentCount()), std::to_string(filling));
        } else {
            EXPECT_EQ(fileView(editor), before);
        }
    }
}

TEST(EditorFiles, TruncatedFileLoadsTheCompleteRecordsWithAWarning) {
    ScratchDir scratch;
    writeFile("cut.mef", std::string(initialMapText) + "\n1 2 3");
    MapEditor editor = editorWithOwnChain();
    EXPECT_EQ(captureLoad(editor, "cut.mef"),
              "Warning: cut.mef: incomplete last record 3 dropped (3 of 9 values)\n");
    EXPECT_EQ(fileView(editor), initialMapText);
    EXPECT_EQ(editor.getViewOffset(), (ControlPoint{1.0, 1.0}));
}

TEST(EditorFiles, SaveOverADirectoryFailsAndLeavesNoTemporaryFile) {
    ScratchDir scratch;
    std::filesystem::create_directory("map.mef");
    writeFile("map.mef/keep", "old");
    MapEditor editor;
    testing::internal::CaptureStdout();
    saveMapFile(editor, windowMessages());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "File output error: map.mef: not a regular file\n");
    EXPECT_TRUE(std::filesystem::is_directory("map.mef"));
    EXPECT_EQ(readFile("map.mef/keep"), "old");
    EXPECT_EQ(directoryEntries(), std::set<std::string>{"map.mef"});
}

TEST(EditorFiles, WriteFailingPartWayKeepsTheOldFile) {
    ScratchDir scratch;
    const std::string old = "1 2 3 4 5 6 7 8 9";
    writeFile("map.mef", old);
    // Large enough to overflow the stream buffer, so the failure comes mid-write.
    std::vector<Segment> chain(2000, makeSegment(1.5, 2, 3, 4, 5, 6, 7, 8, 1));
    const FileWrite write = storeMapFile("map.mef", chain, tempFileOnFullDevice);
    EXPECT_FALSE(write);
    EXPECT_EQ(write.reason, "No space left on device");
    EXPECT_EQ(readFile("map.mef"), old);
    EXPECT_FALSE(lastTempPath.empty());
    EXPECT_FALSE(std::filesystem::exists(lastTempPath));
    EXPECT_EQ(directoryEntries(), std::set<std::string>{"map.mef"});
}

// The export's lines after the ground file, as the window prints them.
TEST(EditorFilesExport, PrintsListingThenCountMessage) {
    ScratchDir scratch;
    MapEditor editor;
    testing::internal::CaptureStdout();
    writeExport(editor.getSegments(), editor.getRestLocation(), windowMessages());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "0\n1\nSaved 2 segments, containing 14 points\n");
    std::string ground;
    appendGroundFile(ground, editor.getSegments());
    EXPECT_EQ(readFile("gnd.pts"), ground);

    editor.replaceChain({makeSegment(0, 10, 0.5, 18, 10, 18, 10.5, 10, 0)});
    testing::internal::CaptureStdout();
    writeExport(editor.getSegments(), editor.getRestLocation(), windowMessages());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "0\nSaved 1 segments, containing 2 points\n");
    const std::string oneSegment = readFile("gnd.pts");
    EXPECT_EQ(std::count(oneSegment.begin(), oneSegment.end(), '\n'), 4);
}

TEST(EditorFilesExport, UnwritableFileGivesNoCountMessage) {
    ScratchDir scratch;
    std::filesystem::create_directory("gnd.pts");
    MapEditor editor;
    testing::internal::CaptureStdout();
    EXPECT_FALSE(writeExport(editor.getSegments(), editor.getRestLocation(), windowMessages()));
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "0\n1\nFile output error: gnd.pts: not a regular file\n");
    EXPECT_EQ(directoryEntries(), std::set<std::string>{"gnd.pts"});
}

TEST(EditorFilesExport, EmptyChainWritesNothing) {
    ScratchDir scratch;
    testing::internal::CaptureStdout();
    EXPECT_FALSE(writeExport({}, {0.5, 0.5}, windowMessages()));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Nothing to export: the map has no segments\n");
    EXPECT_TRUE(directoryEntries().empty());
}

}  // namespace
