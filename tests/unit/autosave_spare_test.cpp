// Spare autosave files: their names, taken exclusively and within bounds,
// the run's spare while an earlier autosave waits for an answer, and the
// spare taken when the autosave itself cannot be written.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "Autosave.h"
#include "AutosaveSpares.h"
#include "MapFile.h"
#include "ScratchDir.h"

namespace {

namespace fs = std::filesystem;

// Long names at and past the length where ".autosave-N" no longer fits:
// each spare's name fits, is its own, and can be created; short names keep
// their plain form.
TEST(AutosaveSpares, NamesFitAndDifferAtEveryLength) {
    ScratchDir scratch;
    for (std::size_t length : {10, 242, 243, 245, 250, 254, 255}) {
        const std::string map(length, 'm');
        std::vector<std::string> names{Autosave::pathFor(map)};
        for (int n : {2, 3, 10, maxSpareNumber}) names.push_back(sparePathFor(map, n));
        for (std::size_t k = 0; k < names.size(); ++k) {
            EXPECT_LE(names[k].size(), maxFileNameLength) << length;
            for (std::size_t o = 0; o < k; ++o) EXPECT_NE(names[k], names[o]) << length;
        }
        if (length <= 242) {
            EXPECT_EQ(names[1], map + ".autosave-2");
        }
        // A map named as this one's shortened stem has files of its own.
        const std::string stem = names[0].substr(0, names[0].size() - std::string(".autosave").size());
        if (stem != map) {
            EXPECT_NE(Autosave::pathFor(stem), names[0]) << length;
            EXPECT_NE(sparePathFor(stem, 2), names[1]) << length;
        }
        std::string problem;
        const std::string taken = takeSpareName(map, problem);
        EXPECT_EQ(taken, names[1]) << length << ": " << problem;
        EXPECT_EQ(existingSpares(map), std::vector<std::string>{names[1]}) << length;
    }
}

// What lies in the folder already: every spare is listed whatever the gaps,
// a link or a folder is neither listed nor taken, and the lowest free name
// is the one taken.
TEST(AutosaveSpares, ListingAndTakingAroundWhatIsThere) {
    const struct {
        std::vector<std::string> files, folders, links;
        std::vector<std::string> listed;
        std::string taken;
    } cases[] = {
        // clang-format off
        {{}, {}, {}, {}, "a.mef.autosave-2"},
        {{"a.mef.autosave", "a.mef.autosave-3", "a.mef.autosave-4"}, {}, {},
         {"a.mef.autosave-3", "a.mef.autosave-4"}, "a.mef.autosave-2"},
        {{"a.mef.autosave-2", "a.mef.autosave-40"}, {}, {}, {"a.mef.autosave-2", "a.mef.autosave-40"},
         "a.mef.autosave-3"},
        {{"a.mef.autosave-2"}, {"a.mef.autosave-3"}, {"a.mef.autosave-4"}, {"a.mef.autosave-2"}, "a.mef.autosave-5"},
        {{"b.mef.autosave-2", "a.mef.autosave-2x"}, {}, {}, {}, "a.mef.autosave-2"},
        // clang-format on
    };
    for (const auto& c : cases) {
#ifdef _WIN32
        if (!c.links.empty()) continue;  // symbolic links need rights a test run does not have
#endif
        ScratchDir scratch;
        for (const std::string& name : c.files) writeFile(name, "0 10 3 5\n5 5 8 10\n3");
        for (const std::string& name : c.folders) fs::create_directory(name);
        for (const std::string& name : c.links) fs::create_symlink("elsewhere", name);
        EXPECT_EQ(existingSpares("a.mef"), c.listed) << c.taken;
        std::string problem;
        EXPECT_EQ(takeSpareName("a.mef", problem), c.taken) << problem;
        EXPECT_FALSE(fs::exists("elsewhere")) << "a link was followed";
    }
}

// The search for a spare ends when every name is taken, or at once when
// the folder cannot take one.
TEST(AutosaveSpares, TheSearchForANameEnds) {
    ScratchDir scratch;
    std::string problem;
    EXPECT_EQ(takeSpareName("no/such/a.mef", problem), "");
    EXPECT_EQ(problem.rfind("no/such/a.mef.autosave-2 could not be made: ", 0), 0u) << problem;
    for (int n = 2; n <= maxSpareNumber; ++n) writeFile(sparePathFor("full.mef", n), "");
    EXPECT_EQ(takeSpareName("full.mef", problem), "");
    EXPECT_EQ(problem, "every spare name up to full.mef.autosave-999 is taken");
}

TempFile failingTemp(const std::string&) { return {nullptr, {}, 5 /* EIO */}; }
// A folder that refuses new files, where a map file would be rewritten in place.
TempFile refusingTemp(const std::string&) { return {nullptr, {}, 13 /* EACCES */}; }

// While an earlier autosave waits for an answer, the run's changes go to a
// spare of its own on the usual delay; two runs get two spares. Discard
// makes the spare the autosave; after Recover it stays for the next start.
TEST(AutosaveSpares, TheRunsSpareWhileTheOfferWaits) {
    const std::string earlier = "0 10 0.5 18\n10 18 10.5 10\n5";
    for (const std::string answer : {"none", "Discard", "Recover"}) {
        ScratchDir scratch;
        writeFile("map.mef.autosave", earlier);
        MapEditor editor, other;
        editor.setMapFileName("map.mef");
        other.setMapFileName("map.mef");
        Autosave saver(editor, windowMessages()), otherSaver(other, windowMessages());
        for (Autosave* s : {&saver, &otherSaver}) {
            s->markClean();
            s->holdEarlier();
        }
        editor.appendSegment();
        saver.tick(0);
        saver.tick(Autosave::delay - 2);
        EXPECT_FALSE(fs::exists("map.mef.autosave-2"));
        saver.tick(Autosave::delay);
        EXPECT_EQ(readFile("map.mef.autosave-2"), formatMapFile(editor.getSegments())) << answer;
        EXPECT_EQ(readFile("map.mef.autosave"), earlier);
        other.appendSegment();
        other.appendSegment();
        ASSERT_TRUE(otherSaver.finish());
        EXPECT_EQ(readFile("map.mef.autosave-3"), formatMapFile(other.getSegments()));
        if (answer == "Discard") {
            const std::string spare = readFile("map.mef.autosave-2");
            EXPECT_TRUE(saver.discardEarlier());
            EXPECT_EQ(readFile("map.mef.autosave"), spare);
            EXPECT_TRUE(saver.ownsFile());
        }
        if (answer == "Recover") {
            saver.releaseEarlier();
            saver.takeOver();
        }
        editor.appendSegment();
        ASSERT_TRUE(saver.finish());
        const std::string now = formatMapFile(editor.getSegments());
        EXPECT_EQ(readFile("map.mef.autosave"), answer == "none" ? earlier : now) << answer;
        EXPECT_EQ(fs::exists("map.mef.autosave-2"), answer != "Discard") << answer;
        EXPECT_EQ(existingSpares("map.mef").size(), answer == "Discard" ? 1u : 2u) << answer;
    }
}

// Discard removes only the file the offer named: one rewritten since (as
// another run's Discard leaves its own there) or a link is kept with a
// warning, and the run goes on writing its spare; one gone frees the name.
TEST(AutosaveSpares, DiscardRemovesOnlyTheFileTheOfferNamed) {
    for (const std::string meanwhile : {"rewritten", "link", "gone"}) {
#ifdef _WIN32
        if (meanwhile == "link") continue;
#endif
        ScratchDir scratch;
        writeFile("map.mef.autosave", "0 10 0.5 18\n10 18 10.5 10\n5");
        MapEditor editor;
        editor.setMapFileName("map.mef");
        std::FILE* out = std::fopen("messages.txt", "wb");
        ASSERT_NE(out, nullptr);
        StreamMessages messages(out, out);
        Autosave saver(editor, messages);
        saver.markClean();
        saver.holdEarlier();
        fs::remove("map.mef.autosave");
        if (meanwhile == "rewritten") writeFile("map.mef.autosave", "0 1 2 3\n");
        if (meanwhile == "link") fs::create_symlink("elsewhere", "map.mef.autosave");
        EXPECT_EQ(saver.discardEarlier(), meanwhile == "gone") << meanwhile;
        editor.appendSegment();
        ASSERT_TRUE(saver.finish());
        std::fclose(out);
        const std::string mine = formatMapFile(editor.getSegments());
        const bool kept = meanwhile != "gone";
        EXPECT_EQ(readFile("messages.txt").rfind("Warning: map.mef.autosave was kept: ", 0) == 0, kept)
            << meanwhile;
        EXPECT_EQ(readFile(kept ? "map.mef.autosave-2" : "map.mef.autosave"), mine) << meanwhile;
        if (meanwhile == "rewritten") {
            EXPECT_EQ(readFile("map.mef.autosave"), "0 1 2 3\n");
        }
    }
}

// The autosave cannot be written at the end: a spare takes the changes,
// unless the autosave holds exactly this map already. Nothing written
// anywhere is the only loss claimed.
TEST(AutosaveSpares, WhenTheAutosaveCannotBeWrittenAtTheEnd) {
    const struct {
        const char* what;
        bool folder, holdsMap;
        TempFileFactory temp;  // null: the usual temporary file
        bool ok;
        const char* lineStart;
        bool spare;
    } cases[] = {
        {"a folder by its name", true, false, nullptr, true,
         "Warning: map.mef.autosave could not be written: ", true},
        {"holds this map", false, true, failingTemp, true, "", false},
        {"holds another map", false, false, failingTemp, false, "The unsaved changes are lost: map.mef.autosave",
         false},
        // Never rewritten in place, where a failure midway would leave neither map.
        {"in a folder that refuses new files", false, false, refusingTemp, false,
         "The unsaved changes are lost: map.mef.autosave", false},
    };
    for (const auto& c : cases) {
        ScratchDir scratch;
        MapEditor editor;
        editor.setMapFileName("map.mef");
        std::FILE* out = std::fopen("messages.txt", "wb");
        ASSERT_NE(out, nullptr);
        StreamMessages messages(out, out);
        Autosave saver(editor, messages);
        saver.markClean();
        editor.appendSegment();
        if (c.folder) fs::create_directory("map.mef.autosave");
        if (!c.folder)
            writeFile("map.mef.autosave", c.holdsMap ? formatMapFile(editor.getSegments()) : "0 1 2 3\n");
        if (c.temp) saver.setTempFileFactory(c.temp);
        EXPECT_EQ(saver.finish(), c.ok) << c.what;
        if (!c.folder && !c.holdsMap) {
            EXPECT_EQ(readFile("map.mef.autosave"), "0 1 2 3\n") << c.what;
        }
        std::fclose(out);
        const std::string said = readFile("messages.txt");
        EXPECT_EQ(said.rfind(c.lineStart, 0), 0u) << c.what << ": " << said;
        EXPECT_EQ(said.empty(), std::string(c.lineStart).empty()) << c.what << ": " << said;
        EXPECT_EQ(fs::exists("map.mef.autosave-2"), c.spare) << c.what;
        if (c.spare) {
            EXPECT_NE(said.find("; the unsaved changes are in map.mef.autosave-2\n"), std::string::npos)
                << said;
            EXPECT_EQ(readFile("map.mef.autosave-2"), formatMapFile(editor.getSegments()));
        }
    }
}

// A last write that fails after this run's earlier one succeeded: the
// earlier one is still on disk, and the line names it; the changes are said
// to be lost only when nothing of them is (another run replaced the file).
TEST(AutosaveSpares, AFailedLastWriteNamesWhereTheRestIs) {
    const struct {
        bool holding, replaced;
        std::string line, rest;
    } cases[] = {
        {true, false, "The last changes could not be written: map.mef.autosave-2 could not be written: ",
         "; the rest are in map.mef.autosave-2\n"},
        {false, false, "The last changes could not be written: map.mef.autosave could not be written: ",
         "; the rest are in map.mef.autosave\n"},
        {false, true, "The unsaved changes are lost: map.mef.autosave could not be written: ",
         "; map.mef.autosave-2 could not be written: "},
    };
    for (const auto& c : cases) {
        ScratchDir scratch;
        if (c.holding) writeFile("map.mef.autosave", "0 1 2 3\n");
        MapEditor editor;
        editor.setMapFileName("map.mef");
        std::FILE* out = std::fopen("messages.txt", "wb");
        ASSERT_NE(out, nullptr);
        StreamMessages messages(out, out);
        Autosave saver(editor, messages);
        saver.markClean();
        if (c.holding) saver.holdEarlier();
        editor.appendSegment();
        saver.tick(0);
        saver.tick(Autosave::delay);
        // Another run's autosave renamed over this run's.
        if (c.replaced) writeFile("other", "0 1 2 3\n"), fs::rename("other", "map.mef.autosave");
        editor.appendSegment();
        saver.setTempFileFactory(failingTemp);
        EXPECT_FALSE(saver.finish());
        std::fclose(out);
        const std::string said = readFile("messages.txt");
        EXPECT_EQ(said.rfind(c.line, 0), 0u) << said;
        EXPECT_NE(said.find(c.rest), std::string::npos) << said;
        EXPECT_EQ(said.find('\n'), said.size() - 1) << said;
    }
}

}  // namespace
