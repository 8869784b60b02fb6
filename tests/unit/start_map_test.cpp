// The map the window starts with: a named map file that exists, is missing
// or is not a map, and the autosave that an earlier run left beside it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "Autosave.h"
#include "CommandLine.h"
#include "MapEditor.h"
#include "ScratchDir.h"
#include "StartMap.h"

namespace {

// What the window starts with for a named map file that exists, is missing,
// or is not a map; the file name is what Load and Save use afterwards.
TEST(StartMap, LoadsAnExistingMapKeepsTheInitialOneForANewFileAndRefusesABadOne) {
    ScratchDir scratch;
    writeFile("good.mef", "0 10 3 5\n5 5 8 10\n3");
    writeFile("bad.mef", "0 10 3 5\n5 5 oops 10\n3");
    const MapEditor initial;
    // A start without MAP reads no file, not even the map.mef that is there.
    writeFile("map.mef", "0 10 3 5\n5 5 8 10\n3");
    const struct {
        const char* file;
        MapAtStart result;
        int segments;
        double offset;
        std::string message;
    } cases[] = {
        {"good.mef", MapAtStart::fileRead, 1, 1.0, ""},
        {"new.mef", MapAtStart::otherMap, initial.segmentCount(), initial.getViewOffset().x, ""},
        {"", MapAtStart::otherMap, initial.segmentCount(), initial.getViewOffset().x, ""},
        {"bad.mef", MapAtStart::unreadable, initial.segmentCount(), initial.getViewOffset().x,
         "File input error: bad.mef: record 1, line 2: \"oops\" is not a number\n"},
        {".", MapAtStart::unreadable, initial.segmentCount(), initial.getViewOffset().x,
         "File input error: .: not a regular file\n"},
    };
    for (const auto& c : cases) {
        MapEditor editor;
        std::FILE* errors = std::tmpfile();
        ASSERT_NE(errors, nullptr);
        StreamMessages messages(errors, errors);
        const CommandLine commandLine =
            parseCommandLine(*c.file == '\0' ? std::vector<std::string>{} : std::vector<std::string>{c.file});
        EXPECT_EQ(prepareMapAtStart(editor, commandLine, messages), c.result) << c.file;
        std::rewind(errors);
        char buffer[256] = {};
        EXPECT_EQ(std::string(buffer, std::fread(buffer, 1, sizeof buffer - 1, errors)), c.message) << c.file;
        std::fclose(errors);
        EXPECT_EQ(editor.segmentCount(), c.segments) << c.file;
        EXPECT_EQ(editor.getViewOffset().x, c.offset) << c.file;
        EXPECT_EQ(editor.getMapFileName(), *c.file == '\0' ? "map.mef" : c.file);
    }
}

std::string readBack(std::FILE* stream) {
    std::rewind(stream);
    char buffer[512] = {};
    return std::string(buffer, std::fread(buffer, 1, sizeof buffer - 1, stream));
}

// --recover does not read MAP, so a damaged MAP is no obstacle; the start
// line itself is checked end to end, with the file's time.
TEST(StartMap, AnnouncesOrRecoversTheAutosave) {
    ScratchDir scratch;
    writeFile("bad.mef", "0 10 3 5\n5 5 oops 10\n3");
    writeFile("bad.mef.autosave", "0 10 3 5\n5 5 8 10\n3");
    writeFile("good.mef", "0 10 3 5\n5 5 8 10\n7");
    writeFile("good.mef.autosave", "oops");
    const char* notAMap = "File input error: good.mef.autosave: record 1, line 1: \"oops\" is not a number\n";
    // A long name's autosave is found under its shortened name.
    const std::string longName(250, 'm');
    writeFile(Autosave::pathFor(longName), "0 10 3 5\n5 5 8 10\n3");
#ifndef _WIN32
    std::filesystem::create_symlink("bad.mef", "link.mef.autosave");
    const std::string linkNotRead = "link.mef.autosave is a symbolic link, not an autosave\n";
#endif
    const struct {
        std::vector<std::string> args;
        bool ok;
        int resolution;  // of the first segment the window starts with; unsaved when 3
        std::string out, errors;
    } cases[] = {
        {{"--recover", "bad.mef"}, true, 3, "", ""},
        {{"good.mef"}, true, 7, "Unsaved changes from ", ""},
        {{"--recover", "good.mef"}, false, 5, "", notAMap},
        {{"--recover", "new.mef"}, false, 5, "", "Nothing to recover: new.mef.autosave does not exist\n"},
        {{longName}, true, 5, "Unsaved changes from ", ""},
        {{"--recover", longName}, true, 3, "", ""},
#ifndef _WIN32
        {{"link.mef"},
         true,
         5,
         "Warning: link.mef.autosave: a symbolic link, not an autosave; the next ",
         ""},
        {{"--recover", "link.mef"}, false, 5, "", "Nothing to recover: " + linkNotRead},
#endif
    };
    for (const auto& c : cases) {
        const CommandLine commandLine = parseCommandLine(c.args);
        MapEditor editor;
        Autosave autosave(editor, windowMessages());
        std::FILE* out = std::tmpfile();
        std::FILE* errors = std::tmpfile();
        ASSERT_TRUE(out != nullptr && errors != nullptr);
        StreamMessages messages(out, errors);
        EXPECT_EQ(prepareMapAtStart(editor, commandLine, messages) != MapAtStart::unreadable &&
                      startAutosave(editor, autosave, commandLine, messages),
                  c.ok)
            << c.args.back();
        EXPECT_EQ(readBack(out).substr(0, c.out.size()), c.out) << c.args.back();
        EXPECT_EQ(readBack(errors), c.errors) << c.args.back();
        std::fclose(out);
        std::fclose(errors);
        EXPECT_EQ(editor.segment(0).getResolution(), c.resolution) << c.args.back();
        EXPECT_EQ(autosave.unsavedChanges(), c.resolution == 3) << c.args.back();
        EXPECT_EQ(autosave.ownsFile(), c.resolution == 3) << c.args.back();
    }
}

// Only spares that hold a map are announced; an empty one (a run ended
// while writing it) and one that is not a map are said to hold nothing.
TEST(StartMap, NamesOnlySparesThatHoldAMap) {
    ScratchDir scratch;
    writeFile("map.mef.autosave-2", "0 10 3 5\n5 5 8 10\n3");
    writeFile("map.mef.autosave-3", "");
    writeFile("map.mef.autosave-4", "oops");
    MapEditor editor;
    editor.setMapFileName("map.mef");
    Autosave autosave(editor, windowMessages());
    std::FILE* out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    StreamMessages messages(out, out);
    ASSERT_TRUE(startAutosave(editor, autosave, parseCommandLine({}), messages));
    const std::string said = readBack(out);
    std::fclose(out);
    const std::string lines[] = {
        " are in map.mef.autosave-2; open that file to continue them\n",
        "Warning: map.mef.autosave-3 is empty; no unsaved changes are in it\n",
        "Warning: map.mef.autosave-4 is not a map: record 1, line 1: \"oops\" is not a number; "
        "no unsaved changes are in it\n",
    };
    for (const std::string& line : lines) EXPECT_NE(said.find(line), std::string::npos) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 3) << said;
}

// --import: the drawing's chain, unsaved, to be saved as MAP (which is not read);
// a drawing that cannot be converted opens no window.
TEST(StartMap, ImportStartsWithTheDrawingUnsaved) {
    ScratchDir scratch;
    writeFile("bad.mef", "oops");
    writeFile("g.svg", "<svg xmlns=\"http://www.w3.org/2000/svg\"><path d=\"M0 0 L30 0 L30 30\"/></svg>");
    for (const char* drawing : {"g.svg", "g.svg#x"}) {
        const CommandLine commandLine = parseCommandLine({"--import", drawing, "bad.mef"});
        MapEditor editor;
        Autosave autosave(editor, windowMessages());
        const bool imported = std::string(drawing) == "g.svg";
        EXPECT_EQ(prepareMapAtStart(editor, commandLine) == MapAtStart::otherMap &&
                      startAutosave(editor, autosave, commandLine) && importAtStart(editor, commandLine),
                  imported);
        EXPECT_EQ(editor.segmentCount(), imported ? 2 : MapEditor().segmentCount());
        EXPECT_EQ(editor.segment(editor.segmentCount() - 1).getEndPoint() == (ControlPoint{3, 3}), imported);
        EXPECT_EQ(autosave.unsavedChanges(), imported);
        EXPECT_EQ(editor.getMapFileName(), "bad.mef");
    }
}

}  // namespace
