// Unsaved changes and the autosave beside the map, without a window: the
// commands are run through the same functions the controls call.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "Autosave.h"
#include "EditorFiles.h"
#include "Globals.h"
#include "Interface.h"
#include "MapFile.h"
#include "ScratchDir.h"

namespace {

bool exists(const char* path) { return std::filesystem::exists(path); }

// One step of a sequence on the global editor, as the window would run it.
// The initial map is shown with view offset (10, 10): its junction at (115, 110).
void run(const std::string& step) {
    if (step == "drag") {
        mapEditor.mouse(ButtonAction::press, 115, 110);
        mapEditor.motion(200, 150);
        mapEditor.mouse(ButtonAction::release, 200, 150);
    } else if (step == "select") {  // a press and release on the first start point, no motion
        mapEditor.mouse(ButtonAction::press, 10, 110);
        mapEditor.mouse(ButtonAction::release, 10, 110);
    } else if (step == "press nowhere") {
        mapEditor.mouse(ButtonAction::press, 300, 300);
        mapEditor.mouse(ButtonAction::release, 300, 300);
    } else if (step == "view") {
        mapEditor.keyboard('a');
        mapEditor.zoomAt(400, 300, 2);
    } else if (step.rfind("slider ", 0) == 0) {
        resolutionSlider.setValue(std::stoi(step.substr(7)));
        resolutionChanged();
    } else if (step == "append") {
        appendPointPressed();
    } else if (step == "insert") {
        insertPointPressed();
    } else if (step == "remove") {
        removePointPressed();
    } else if (step == "save") {
        yesPressed();
    } else if (step == "load") {
        loadPressed();
    } else if (step == "undo") {
        mapEditor.undo();
    } else if (step == "redo") {
        mapEditor.redo();
    } else if (step == "spoil map.mef") {
        writeFile("map.mef", "not a map");
    } else {
        FAIL() << "no step " << step;
    }
}

TEST(UnsavedChanges, SequencesOfChangesSavesAndLoads) {
    const struct {
        std::vector<std::string> steps;
        bool unsaved;
    } cases[] = {
        {{}, false},
        {{"select", "press nowhere", "view"}, false},
        {{"select", "slider 5"}, false},
        {{"slider 8"}, false},  // nothing selected
        {{"remove", "insert"}, false},
        {{"drag"}, true},
        {{"select", "slider 8"}, true},
        {{"append"}, true},
        {{"select", "insert"}, true},
        {{"select", "remove"}, true},
        {{"drag", "save"}, false},
        {{"drag", "save", "view", "select"}, false},
        {{"drag", "save", "append"}, true},
        {{"save", "drag", "load"}, false},
        {{"drag", "spoil map.mef", "load"}, true},  // a load that fails changes nothing
        {{"spoil map.mef", "save", "drag", "load"}, false},
        {{"drag", "undo"}, false},
        {{"drag", "undo", "redo"}, true},
        {{"drag", "save", "undo"}, true},
        {{"drag", "save", "append", "undo"}, false},
        {{"save", "drag", "load", "undo"}, true},
    };
    for (const auto& c : cases) {
        std::string shown;
        for (const std::string& s : c.steps) shown += "[" + s + "] ";
        ScratchDir scratch;
        mapEditor = MapEditor();
        resetWindowState();
        mapEditor.setMapFileName("map.mef");
        autosave.markClean();
        for (const std::string& s : c.steps) run(s);
        EXPECT_EQ(autosave.unsavedChanges(), c.unsaved) << shown;

        // Ending writes the autosave exactly when there is something unsaved,
        // with the bytes a save writes; the save then removes it.
        autosave.finish();
        ASSERT_EQ(exists("map.mef.autosave"), c.unsaved) << shown;
        if (!c.unsaved) continue;
        const std::string autosaved = readFile("map.mef.autosave");
        yesPressed();
        EXPECT_EQ(readFile("map.mef"), autosaved) << shown;
        EXPECT_FALSE(exists("map.mef.autosave")) << shown;
        EXPECT_FALSE(autosave.unsavedChanges()) << shown;
    }
}

// The delay is counted on the frame loop's tick counter; it wraps at 2^32.
TEST(Autosave, WritesThirtySecondsAfterTheFirstChangeItDoesNotHold) {
    ScratchDir scratch;
    MapEditor editor;
    Autosave saver(editor, windowMessages());
    saver.markClean();
    const std::uint32_t t0 = 0xFFFFF000u;
    saver.tick(t0);
    editor.appendSegment();
    saver.tick(t0 + 10);
    editor.appendSegment();  // a second change does not restart the wait
    saver.tick(t0 + 10 + Autosave::delay - 1);
    EXPECT_FALSE(exists("map.mef.autosave"));
    saver.tick(t0 + 10 + Autosave::delay);
    EXPECT_EQ(readFile("map.mef.autosave"), formatMapFile(editor.getSegments()));

    editor.appendSegment();
    saver.tick(t0 + 50000);
    saver.tick(t0 + 50000 + Autosave::delay - 1);
    EXPECT_NE(readFile("map.mef.autosave"), formatMapFile(editor.getSegments()));
    saver.tick(t0 + 50000 + Autosave::delay);
    EXPECT_EQ(readFile("map.mef.autosave"), formatMapFile(editor.getSegments()));

    // Clean again (as after undoing back to the saved map): this run's file goes.
    saver.markClean();
    EXPECT_FALSE(exists("map.mef.autosave"));
}

TEST(Autosave, AnEarlierRunsFileIsKeptUntilThisRunChangesSomething) {
    ScratchDir scratch;
    writeFile("map.mef.autosave", "earlier");
    MapEditor editor;
    Autosave saver(editor, windowMessages());
    saver.markClean();
    for (std::uint32_t t = 0; t <= 3u * Autosave::delay; t += 1000) saver.tick(t);
    saver.finish();
    EXPECT_EQ(readFile("map.mef.autosave"), "earlier");

    editor.appendSegment();
    saver.finish();
    EXPECT_EQ(readFile("map.mef.autosave"), formatMapFile(editor.getSegments()));
}

TEST(Autosave, AFailedWriteWarnsOnceAndIsTriedAgainLater) {
    ScratchDir scratch;
    MapEditor editor;
    editor.setMapFileName("missing/map.mef");
    std::FILE* messages = std::fopen("messages.txt", "wb");
    ASSERT_NE(messages, nullptr);
    StreamMessages problems(messages, messages);
    Autosave saver(editor, problems);
    saver.markClean();
    editor.appendSegment();
    for (std::uint32_t t = 0; t <= 4u * Autosave::delay; t += 1000) saver.tick(t);
    std::fflush(messages);
    const std::string warned = readFile("messages.txt");
    EXPECT_EQ(warned.rfind("Warning: missing/map.mef.autosave: ", 0), 0u) << warned;
    EXPECT_EQ(warned.find('\n'), warned.size() - 1) << warned;
    // The last write at the end always says that the changes are lost.
    EXPECT_FALSE(saver.finish());
    const std::string lost = readFile("messages.txt").substr(warned.size());
    // Nor can a spare be made in a folder that does not exist.
    std::string reason = warned.substr(std::strlen("Warning: missing/map.mef.autosave: "));
    reason.pop_back();
    EXPECT_EQ(lost, "The unsaved changes are lost: missing/map.mef.autosave could not be written: " + reason +
                        "; missing/map.mef.autosave-2 could not be made: " + reason + "\n");

    std::filesystem::create_directory("missing");
    EXPECT_TRUE(saver.finish());
    EXPECT_EQ(readFile("missing/map.mef.autosave"), formatMapFile(editor.getSegments()));
    EXPECT_EQ(readFile("messages.txt"), warned + lost);
    std::fclose(messages);
}

// Names up to the longest a file may have: the autosave's name always fits,
// cut before a whole UTF-8 character, and two long names differing only at
// the end keep autosaves of their own. The start finds them (StartMap test).
TEST(Autosave, EveryMapNameGetsAnAutosaveNameThatFits) {
    std::string accents = std::string(236, 'm');
    for (int i = 0; i < 7; ++i) accents += "\xc3\xa9";
    const std::pair<std::string, std::size_t> cases[] = {{std::string(246, 'm'), 255},
                                                         {std::string(247, 'm'), 255},
                                                         {accents, 254},
                                                         {std::string(255, 'm'), 255}};
    for (const auto& [name, size] : cases) {
        ScratchDir scratch;
        MapEditor editor;
        editor.setMapFileName(name);
        Autosave saver(editor, windowMessages());
        saver.markClean();
        editor.appendSegment();
        ASSERT_TRUE(saver.finish());
        const std::string path = Autosave::pathFor(name);
        EXPECT_EQ(path.size(), size);
        EXPECT_EQ(path == name + ".autosave", name.size() == 246);
        EXPECT_EQ(readFile(path), formatMapFile(editor.getSegments())) << name.size();
    }
    EXPECT_NE(Autosave::pathFor(std::string(250, 'm') + "a"), Autosave::pathFor(std::string(250, 'm') + "b"));
    EXPECT_EQ(Autosave::pathFor("levels/" + std::string(250, 'm')).rfind("levels/", 0), 0u);
}

// A recovered autosave holds changes no other file holds: undo back to the
// saved map, a load and an end with nothing unsaved keep it; a save removes it.
TEST(Autosave, ARecoveredAutosaveStaysUntilASave) {
    const std::string earlier = "0 10 0.5 18\n10 18 10.5 10\n5";
    for (const std::string step : {"undo", "load", "save"}) {
        ScratchDir scratch;
        writeFile("map.mef", formatMapFile(MapEditor().getSegments()));
        writeFile("map.mef.autosave", earlier);
        MapEditor editor;
        editor.setMapFileName("map.mef");
        Autosave saver(editor, windowMessages());
        saver.markClean();
        saver.holdEarlier();
        ASSERT_TRUE(recoverForWindow(editor, saver, windowMessages()));
        if (step == "undo") editor.undo();
        if (step == "load") loadForWindow(editor, saver, windowMessages());
        if (step == "save") saveForWindow(editor, saver, windowMessages());
        for (std::uint32_t t = 0; t <= 2u * Autosave::delay; t += 1000) saver.tick(t);
        EXPECT_TRUE(saver.finish());
        EXPECT_EQ(exists("map.mef.autosave") ? readFile("map.mef.autosave") : "",
                  step == "save" ? "" : earlier)
            << step;
    }
}

#ifndef _WIN32
// A symbolic link in the autosave's place, to the map file or to anything
// else, is replaced by the autosave, never written through.
TEST(Autosave, ReplacesALinkInItsPlaceNeverWritingThroughIt) {
    for (const char* target : {"map.mef", "elsewhere.txt", "missing.txt"}) {
        SCOPED_TRACE(target);
        ScratchDir scratch;
        writeFile("map.mef", "the map, ");
        writeFile("elsewhere.txt", "someone else's");
        std::filesystem::create_symlink(target, "map.mef.autosave");
        MapEditor editor;
        Autosave saver(editor, windowMessages());
        saver.markClean();
        editor.appendSegment();
        ASSERT_TRUE(saver.finish());
        EXPECT_FALSE(std::filesystem::is_symlink("map.mef.autosave"));
        EXPECT_EQ(readFile("map.mef.autosave"), formatMapFile(editor.getSegments()));
        EXPECT_EQ(readFile("map.mef") + readFile("elsewhere.txt"), "the map, someone else's");
        EXPECT_FALSE(exists("missing.txt"));
    }
}
#endif

}  // namespace
