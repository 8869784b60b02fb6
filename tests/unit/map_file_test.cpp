// The map file "map.mef": its text byte for byte, the reader's checks, and
// saving and loading through the MapEditor.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "EditorFiles.h"
#include "MapEditor.h"
#include "MapFile.h"
#include "NumberFormat.h"
#include "SampleBudget.h"
#include "ScratchDir.h"
#include "SegmentFactory.h"
#include "TextFile.h"

namespace {

const char initialMapText[] =
    "0 10 0.5 18\n"
    "10 18 10.5 10\n"
    "5\n"
    "10.5 10 12 8\n"
    "14 8 16 10\n"
    "5";

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
    loadMapFile(editor, name);
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

// ---- Writing ----

TEST(MapFileFormat, InitialMapIsTheSixLinesWithoutFinalLineEnd) {
    MapEditor editor;
    EXPECT_EQ(formatMapFile(editor.getSegments()), initialMapText);
}

TEST(MapFileFormat, OneSegmentIsThreeLines) {
    const std::vector<Segment> chain = {makeSegment(0, 10, 0.5, 18, 10, 18, 10.5, 10, 0)};
    EXPECT_EQ(formatMapFile(chain), "0 10 0.5 18\n10 18 10.5 10\n0");
}

TEST(MapFileFormat, KeepsTheMapFrameAndSixDigits) {
    const std::vector<Segment> chain = {makeSegment(123.4567, -0.0, 1e7, -2.5e-5, 0, 0, 1, 1, 12)};
    EXPECT_EQ(formatMapFile(chain), "123.457 -0 1e+07 -2.5e-05\n0 0 1 1\n12");
}

TEST(MapFileFormat, EmptyChainIsEmptyText) { EXPECT_EQ(formatMapFile({}), ""); }

// ---- Reading ----

TEST(MapFileParse, ReadsTheWrittenLayout) {
    const MapFileParse parsed = parseMapFile(initialMapText);
    ASSERT_TRUE(parsed.ok()) << parsed.error;
    ASSERT_EQ(parsed.records.size(), 2u);
    EXPECT_FALSE(parsed.incompleteDropped);
    const MapRecord& second = parsed.records[1];
    EXPECT_EQ(second.points[0].x, 10.5);
    EXPECT_EQ(second.points[1].y, 8.0);
    EXPECT_EQ(second.points[2].x, 14.0);
    EXPECT_EQ(second.points[3].x, 16.0);
    EXPECT_EQ(second.resolution, 5);
}

TEST(MapFileParse, LineStructureAndTrailingWhitespacePlayNoPart) {
    const std::string reference = formatMapFile(segmentsFromRecords(parseMapFile(initialMapText).records));
    const char* variants[] = {
        "0 10 0.5 18 10 18 10.5 10 5 10.5 10 12 8 14 8 16 10 5",
        "0\n10\n0.5\n18\n10\n18\n10.5\n10\n5\n10.5\n10\n12\n8\n14\n8\n16\n10\n5\n",
        "  0 10 0.5 18\r\n10 18 10.5 10\r\n5\r\n10.5 10 12 8\r\n14 8 16 10\r\n5\r\n",
        "0\t10\v0.5\f18 10 18 10.5 10 5 10.5 10 12 8 14 8 16 10 5 \n\n \t",
        "+0 10 0.5 18 10 18 10.5 10 +5 10.5 10 12 8 14 8 16 10 5",
    };
    for (const char* text : variants) {
        const MapFileParse parsed = parseMapFile(text);
        ASSERT_TRUE(parsed.ok()) << parsed.error;
        EXPECT_FALSE(parsed.incompleteDropped) << text;
        EXPECT_EQ(formatMapFile(segmentsFromRecords(parsed.records)), reference) << text;
    }
}

TEST(MapFileParse, EmptyAndBlankTextsHoldNoRecords) {
    for (const char* text : {"", " ", "\n\r\n\t "}) {
        const MapFileParse parsed = parseMapFile(text);
        EXPECT_TRUE(parsed.ok());
        EXPECT_TRUE(parsed.records.empty());
        EXPECT_FALSE(parsed.incompleteDropped);
    }
}

TEST(MapFileParse, TruncatedLastRecordIsDropped) {
    const MapFileParse parsed = parseMapFile("0 10 0.5 18 10 18 10.5 10 5\n10.5 10 12 8 14");
    ASSERT_TRUE(parsed.ok()) << parsed.error;
    EXPECT_EQ(parsed.records.size(), 1u);
    EXPECT_TRUE(parsed.incompleteDropped);
    EXPECT_EQ(parsed.incompleteValues, 5);

    // Eight coordinates without their resolution are incomplete too.
    const MapFileParse noResolution = parseMapFile("1 2 3 4 5 6 7 8");
    EXPECT_TRUE(noResolution.records.empty());
    EXPECT_TRUE(noResolution.incompleteDropped);
    EXPECT_EQ(noResolution.incompleteValues, 8);

    const MapFileParse oneValue = parseMapFile("1 2 3 4 5 6 7 8 1 9\n");
    EXPECT_EQ(oneValue.records.size(), 1u);
    EXPECT_TRUE(oneValue.incompleteDropped);
    EXPECT_EQ(oneValue.incompleteValues, 1);
}

TEST(MapFileParse, RejectsValuesThatAreNotFiniteNumbers) {
    const char* prefix = "0 10 0.5 18 10 18 10.5 10 5\n";
    const char* badSecondRecords[] = {
        "1 2 3 abc 5 6 7 8 5",       "1 2 3 4 nan 6 7 8 5",   "1 2 3 4 5 inf 7 8 5",
        "1 2 -infinity 4 5 6 7 8 5", "1 2 3 4 5 6 7 1e400 5", "1 2 3 4 5 6 7 1e-400 5",
        "1.5x 2 3 4 5 6 7 8 5",      "1 2 3 4 5 6 7 8,5 5",   "1 2 3 4 5 6 7 0x10 5",
        "1 2 3 4 5 6 7 +-8 5",       "1 2 3 4 5 6 7 - 5",     "1 2 3 4 5 6 7 1e 5",
    };
    for (const char* record : badSecondRecords) {
        const MapFileParse parsed = parseMapFile(std::string(prefix) + record);
        EXPECT_FALSE(parsed.ok()) << record;
        EXPECT_TRUE(parsed.records.empty()) << record;
        EXPECT_EQ(parsed.error.rfind("record 2, line 2: ", 0), 0u) << parsed.error;
    }
}

TEST(MapFileParse, RejectsResolutionsThatAreNotSmallCounts) {
    for (const char* resolution : {"-1", "10001", "99999999999", "5.0", "1e3", "five"}) {
        const MapFileParse parsed = parseMapFile(std::string("1 2 3 4 5 6 7 8 ") + resolution);
        EXPECT_FALSE(parsed.ok()) << resolution;
        EXPECT_NE(parsed.error.find("resolution"), std::string::npos) << parsed.error;
    }
    for (const char* resolution : {"0", "10000", "-0"}) {
        const MapFileParse parsed = parseMapFile(std::string("1 2 3 4 5 6 7 8 ") + resolution);
        EXPECT_TRUE(parsed.ok()) << resolution << ": " << parsed.error;
    }
}

TEST(MapFileParse, ErrorTextNamesThePlaceAndQuotesSafely) {
    const MapFileParse parsed = parseMapFile("1 2 3 4 5 6 7 8 1\n\n1 2 3\x1b[2J 5 6 7 8 1");
    EXPECT_EQ(parsed.error, "record 2, line 3: \"3?[2J\" is not a number");
    const MapFileParse longWord = parseMapFile(std::string(100, 'z'));
    EXPECT_EQ(longWord.error, "record 1, line 1: \"" + std::string(24, 'z') + "...\" is not a number");
}

// What Windows tools leave in a text file: a UTF-8 byte order mark, a Ctrl-Z
// after the last byte (copy a+b), CR-only line ends, UTF-16 of either order.
TEST(MapFileParse, TextFromWindowsTools) {
    const std::string map = initialMapText, bom = "\xEF\xBB\xBF";
    std::string utf16;
    for (const char c : map) utf16 += {c, '\0'};
    const std::string utf16Refused = "UTF-16 text, save it as UTF-8 or ANSI";
    const struct {
        std::string text;
        std::string error;  // a part of the error; empty: reads as the initial map
    } cases[] = {
        {bom + map + "\x1A", ""},
        {map + "\r\n\x1A", ""},
        {map + "\n\x1A\r\n", "is not a number"},
        {" " + bom + map, "is not a number"},
        {"1 2 3 4\r5 6 7 8\r1\r\r\n1 x", ", line 5: "},
        {"\xFF\xFE" + utf16, utf16Refused},
        {utf16, utf16Refused},
        {'\0' + utf16.substr(0, utf16.size() - 1), utf16Refused},
        {map + " " + '\0', "is not a number"},
    };
    for (const auto& c : cases) {
        const MapFileParse parsed = parseMapFile(c.text);
        if (c.error.empty())
            EXPECT_EQ(formatMapFile(segmentsFromRecords(parsed.records)), map) << parsed.error;
        else
            EXPECT_NE(parsed.error.find(c.error), std::string::npos) << parsed.error;
    }
}

TEST(MapFileParse, RoundTripKeepsSixSignificantDigits) {
    std::mt19937 random(4242);
    std::uniform_real_distribution<double> mantissa(-1.0, 1.0);
    std::uniform_int_distribution<int> exponent(-6, 8);
    std::uniform_int_distribution<int> resolution(0, 50);
    std::vector<Segment> chain;
    for (int i = 0; i < 300; ++i) {
        double v[8];
        for (double& x : v) x = mantissa(random) * std::pow(10.0, exponent(random));
        chain.push_back(makeSegment(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], resolution(random)));
    }
    const std::string text = formatMapFile(chain);
    const MapFileParse parsed = parseMapFile(text);
    ASSERT_TRUE(parsed.ok()) << parsed.error;
    ASSERT_EQ(parsed.records.size(), chain.size());
    for (std::size_t i = 0; i < chain.size(); ++i) {
        const std::vector<ControlPoint> written = chain[i].controlPoints();
        for (int k = 0; k < 4; ++k) {
            const ControlPoint& read = parsed.records[i].points[k];
            EXPECT_NEAR(read.x, written[k].x, std::fabs(written[k].x) * 5e-6);
            EXPECT_NEAR(read.y, written[k].y, std::fabs(written[k].y) * 5e-6);
        }
        EXPECT_EQ(parsed.records[i].resolution, chain[i].getResolution());
    }
    // What was read once is written back unchanged.
    EXPECT_EQ(formatMapFile(segmentsFromRecords(parsed.records)), text);
}

TEST(MapFileParse, ReadsBackEveryValueTheWriterCanProduce) {
    const double tiny = std::numeric_limits<double>::denorm_min();
    const double big = std::numeric_limits<double>::max();
    const std::vector<Segment> chain = {makeSegment(tiny, -tiny, big, -big, 1e-310, 0, -0.0, 1, 10000)};
    const MapFileParse parsed = parseMapFile(formatMapFile(chain));
    ASSERT_TRUE(parsed.ok()) << parsed.error;
    EXPECT_EQ(parsed.records[0].points[0].x, tiny);
    // DBL_MAX rounds to six digits below it, still finite.
    EXPECT_TRUE(std::isfinite(parsed.records[0].points[1].y));
    EXPECT_TRUE(std::signbit(parsed.records[0].points[3].x));
}

TEST(MapFileParse, RecordsBecomeDefaultSegments) {
    const std::vector<Segment> chain = segmentsFromRecords(parseMapFile("0 0 1 1 2 1 3 0 2").records);
    ASSERT_EQ(chain.size(), 1u);
    EXPECT_EQ(chain[0].getResolution(), 2);
    EXPECT_EQ(chain[0].getSamples().size(), 4u);
    EXPECT_FALSE(chain[0].isSelected());
    EXPECT_EQ(chain[0].getEndHandle().x, 2.0);
}

// ---- Saving and loading through the MapEditor ----

TEST(MapEditorFile, SaveWritesMapMefAndLoadRestoresIt) {
    ScratchDir scratch;
    MapEditor editor;
    saveMapFile(editor);
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

TEST(MapEditorFile, SavedAndLoadedCoordinatesKeepSixDigits) {
    ScratchDir scratch;
    MapEditor editor;
    editor.replaceChain({makeSegment(123.4567, 0.1234567, 3, 4, 5, 6, 7, 8, 5)});
    saveMapFile(editor);
    MapEditor other;
    EXPECT_EQ(captureLoad(other, "map.mef"), "");
    ASSERT_EQ(other.segmentCount(), 1);
    EXPECT_EQ(other.segment(0).getStartPoint().x, 123.457);
    EXPECT_EQ(other.segment(0).getStartPoint().y, 0.123457);
}

TEST(MapEditorFile, SaveReplacesALongerFileCompletelyWithNewFilePermissions) {
    ScratchDir scratch;
    writeFile("map.mef", std::string(5000, '9'));
    MapEditor editor;
    saveMapFile(editor);
    EXPECT_EQ(readFile("map.mef"), initialMapText);
    EXPECT_EQ(directoryEntries(), std::set<std::string>{"map.mef"});
    struct stat info {};
    ASSERT_EQ(::stat("map.mef", &info), 0);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(info.st_mode & 0777, 0666 & ~mask);
}

TEST(MapEditorFile, EmptyChainSavesAnEmptyFileThatLoadsAsEmpty) {
    ScratchDir scratch;
    MapEditor editor;
    editor.replaceChain({});
    saveMapFile(editor);
    EXPECT_TRUE(std::filesystem::exists("map.mef"));
    EXPECT_EQ(readFile("map.mef"), "");

    MapEditor other;
    EXPECT_EQ(captureLoad(other, "map.mef"), "");
    EXPECT_EQ(other.segmentCount(), 0);
    EXPECT_EQ(other.getViewOffset(), (ControlPoint{1.0, 1.0}));
}

TEST(MapEditorFile, MissingFileChangesNothing) {
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

TEST(MapEditorFile, WhatIsNoRegularFileOrTooLargeIsRefusedAtOnce) {
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

TEST(MapEditorFile, RejectedFileLeavesMapMarkersAndViewAsTheyWere) {
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
TEST(MapEditorFile, MapsPastTheSampleBudgetAreRefused) {
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
        {records(filling, 9998) + records(1, 0), "File input error: m.mef: " + std::to_string(sampleBudget + 2) + limit},
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

TEST(MapEditorFile, TruncatedFileLoadsTheCompleteRecordsWithAWarning) {
    ScratchDir scratch;
    writeFile("cut.mef", std::string(initialMapText) + "\n1 2 3");
    MapEditor editor = editorWithOwnChain();
    EXPECT_EQ(captureLoad(editor, "cut.mef"),
              "Warning: cut.mef: incomplete last record 3 dropped (3 of 9 values)\n");
    EXPECT_EQ(fileView(editor), initialMapText);
    EXPECT_EQ(editor.getViewOffset(), (ControlPoint{1.0, 1.0}));
}

TEST(MapEditorFile, SaveOverADirectoryFailsAndLeavesNoTemporaryFile) {
    ScratchDir scratch;
    std::filesystem::create_directory("map.mef");
    writeFile("map.mef/keep", "old");
    MapEditor editor;
    testing::internal::CaptureStdout();
    saveMapFile(editor);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "File output error: map.mef: not a regular file\n");
    EXPECT_TRUE(std::filesystem::is_directory("map.mef"));
    EXPECT_EQ(readFile("map.mef/keep"), "old");
    EXPECT_EQ(directoryEntries(), std::set<std::string>{"map.mef"});
}

TEST(MapEditorFile, WriteFailingPartWayKeepsTheOldFile) {
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

TEST(TextFile, NamesUpToTheLimitSaveAndTheirAbandonedTemporariesAreRemoved) {
    ScratchDir scratch;
    std::string accents = "x";  // 255 bytes: "x" and 127 two-byte characters, one cut by the shortening
    for (int i = 0; i < 127; ++i) accents += "\xC3\xA9";
    const std::string names[] = {std::string(241, 'a'), std::string(242, 'b'), std::string(250, 'c'),
                                 std::string(255, 'd'), accents};
    const auto entryCount = [] {
        return std::distance(std::filesystem::directory_iterator("."), std::filesystem::directory_iterator());
    };
    for (const std::string& name : names) {
        SCOPED_TRACE(name.size());
        // As a killed save of the name leaves it: closed, so nobody holds it.
        const TempFile abandoned = createTempFileBeside(name);
        ASSERT_NE(abandoned.stream, nullptr);
        std::fclose(abandoned.stream);
        EXPECT_EQ(replaceFile(name, "new"), ReplaceResult::replaced);
        std::string text;
        EXPECT_TRUE(readWholeFile(name.c_str(), text));
        EXPECT_EQ(text, "new");
        EXPECT_EQ(entryCount(), 1);
        std::filesystem::remove(std::filesystem::u8path(name));
    }
    // Two long names alike up to the cut: a save of one leaves the other's temporary alone.
    const TempFile other = createTempFileBeside(std::string(250, 'f') + "1");
    ASSERT_NE(other.stream, nullptr);
    std::fclose(other.stream);
    EXPECT_EQ(replaceFile(std::string(250, 'f') + "2", "new"), ReplaceResult::replaced);
    EXPECT_TRUE(std::filesystem::exists(other.path));
}

TEST(TextFile, ReplaceFileWritesExactBytes) {
    ScratchDir scratch;
    const std::string bytes("a\0b\r\n\xff", 6);
    EXPECT_EQ(replaceFile("f.txt", bytes), ReplaceResult::replaced);
    EXPECT_EQ(readFile("f.txt"), bytes);
    std::string back;
    EXPECT_TRUE(readWholeFile("f.txt", back));
    EXPECT_EQ(back, bytes);
    EXPECT_FALSE(readWholeFile("missing.txt", back));
    EXPECT_EQ(back, bytes);
}

}  // namespace
