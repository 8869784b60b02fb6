// Saving survives being killed: a child process saves a large map over an
// older one and kills itself with SIGKILL at a named point of the save's
// steps (before a step, after it, half-way through the write), in each
// system's order, so that the kill points are the same in every run. After
// every kill "map.mef" must hold the old map or the new one, complete, and
// beside it at most the temporary file with as much of the new map as the
// save had written; the next save must succeed and leave nothing behind but
// "map.mef".
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "EditorFiles.h"
#include "FaultySaveSteps.h"
#include "MapEditor.h"
#include "MapFile.h"
#include "SafeSave.h"
#include "ScratchDir.h"
#include "TempFileName.h"
#include "TextFile.h"

namespace {

// A long chain whose text differs from one `variant` to the other all the way through.
std::vector<Segment> largeChain(int segments, double variant) {
    std::vector<Segment> chain(static_cast<std::size_t>(segments));
    for (int i = 0; i < segments; ++i) {
        const double x = i * 3.0 + variant;
        chain[static_cast<std::size_t>(i)].setPoints(x, 10.0 + variant, x + 1.25, 11.5, x + 2.0625,
                                                     11.0 / 3.0, x + 3.0, 10.0 + variant);
        chain[static_cast<std::size_t>(i)].setResolution(i % 51);
    }
    return chain;
}

// Saves `text` as "map.mef" in `order` through this system's steps in a child
// process that kills itself with SIGKILL when the save reaches `step` at
// `moment`. True when the child died of that kill.
bool saveKilledAt(const SaveOrder& order, const std::string& text, const std::string& step,
                  StepMoment moment) {
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child < 0) return false;
    if (child == 0) {
        FaultySaveSteps steps(systemSaveSteps(), {});
        steps.watch([&](const std::string& name, StepMoment at) {
            if (name == step && at == moment) ::raise(SIGKILL);
        });
        safeSave(steps, order, "map.mef", text, createTempFileBeside, true, nullptr);
        ::_exit(0);
    }
    int status = 0;
    return ::waitpid(child, &status, 0) == child && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

// The steps, by name, that a save in `order` passes when nothing fails.
std::set<std::string> stepsOfASave(const SaveOrder& order) {
    ScratchDir scratch;
    writeFile("map.mef", "old");
    FaultySaveSteps steps(systemSaveSteps(), {});
    std::set<std::string> passed;
    steps.watch([&](const std::string& name, StepMoment) { passed.insert(name); });
    safeSave(steps, order, "map.mef", "new", createTempFileBeside, true, nullptr);
    return passed;
}

// What a killed save leaves of the new map in its temporary file.
enum class Temp { none, empty, half, start, whole };

TEST(CrashSafeSave, KilledSavesLeaveTheOldOrTheNewMapAndNoStrayFile) {
    ScratchDir scratch;
    // About 200 KB of text, far more than one stream buffer.
    constexpr int segments = 3000;
    const std::string oldText = formatMapFile(largeChain(segments, 0.0));
    const std::string newText = formatMapFile(largeChain(segments, 0.5));
    ASSERT_NE(oldText, newText);

    const bool posix = true, windows = false, oldMap = false, newMap = true;
    using M = StepMoment;
    const struct Case {
        bool posixOrder;
        const char* step;
        StepMoment moment;
        bool holdsNew;  // "map.mef" holds the new map, else the old one
        Temp temp;
    } cases[] = {
        {posix, "findFinal", M::before, oldMap, Temp::none},
        {posix, "refusal", M::after, oldMap, Temp::none},
        {posix, "createTemp", M::before, oldMap, Temp::none},
        {posix, "createTemp", M::after, oldMap, Temp::empty},
        {posix, "keepOwnerAndMode", M::after, oldMap, Temp::empty},
        {posix, "write", M::during, oldMap, Temp::half},
        // Some of the bytes may still wait in the stream's buffer.
        {posix, "write", M::after, oldMap, Temp::start},
        {posix, "flush", M::after, oldMap, Temp::whole},
        {posix, "rename", M::before, oldMap, Temp::whole},
        {posix, "rename", M::after, newMap, Temp::none},
        {posix, "close", M::after, newMap, Temp::none},
        {posix, "removeAbandonedTemps", M::before, newMap, Temp::none},
        {posix, "removeAbandonedTemps", M::after, newMap, Temp::none},
        // Closed before the rename: the temporary file is no longer locked.
        {windows, "flush", M::after, oldMap, Temp::whole},
        {windows, "close", M::after, oldMap, Temp::whole},
        {windows, "rename", M::after, newMap, Temp::none},
        {windows, "removeAbandonedTemps", M::after, newMap, Temp::none},
    };
    std::set<std::string> posixKillSteps;
    for (const Case& c : cases) {
        const SaveOrder& order = c.posixOrder ? posixSaveOrder : windowsSaveOrder;
        if (c.posixOrder) posixKillSteps.insert(c.step);
        const char* moments[] = {"before", "during", "after"};
        SCOPED_TRACE(std::string(c.posixOrder ? "POSIX" : "Windows") + " order, killed " +
                     moments[static_cast<int>(c.moment)] + " " + c.step);
        // The editor's save of the old map, whatever the kill before left.
        ASSERT_TRUE(storeMapFile("map.mef", largeChain(segments, 0.0)));
        ASSERT_EQ(directoryEntries(), std::set<std::string>{"map.mef"});
        ASSERT_TRUE(readFile("map.mef") == oldText);

        ASSERT_TRUE(saveKilledAt(order, newText, c.step, c.moment)) << "the save was not killed";
        std::set<std::string> left = directoryEntries();
        ASSERT_EQ(left.count("map.mef"), 1u);
        EXPECT_TRUE(readFile("map.mef") == (c.holdsNew ? newText : oldText))
            << "map.mef holds " << readFile("map.mef").size() << " bytes; the old map has " << oldText.size()
            << ", the new one " << newText.size();
        left.erase("map.mef");
        ASSERT_EQ(left.size(), c.temp == Temp::none ? 0u : 1u);
        if (left.empty()) continue;
        EXPECT_TRUE(isTempNameOf(*left.begin(), "map.mef")) << *left.begin();
        const std::string temp = readFile(*left.begin());
        EXPECT_EQ(newText.compare(0, temp.size(), temp), 0)
            << "the temporary file is no start of the new map";
        if (c.temp == Temp::start) {
            EXPECT_GT(temp.size(), newText.size() / 2);
        } else {
            const std::size_t half = newText.size() / 2;
            EXPECT_EQ(temp.size(), c.temp == Temp::empty ? 0 : c.temp == Temp::half ? half : newText.size());
        }
    }
    // The final save cleans up after the last kill as well.
    ASSERT_TRUE(storeMapFile("map.mef", largeChain(segments, 0.0)));
    EXPECT_EQ(directoryEntries(), std::set<std::string>{"map.mef"});

    // Every step a save takes is a kill point above; the Windows order takes
    // the same steps and differs only in where it closes the file.
    EXPECT_EQ(stepsOfASave(posixSaveOrder), posixKillSteps);
    EXPECT_EQ(stepsOfASave(windowsSaveOrder), posixKillSteps);
}

}  // namespace

namespace {

TEST(CrashSafeSave, ASaveRemovesOnlyAbandonedTemporaryFiles) {
    ScratchDir scratch;
    // Left by a killed save: nobody holds it.
    writeFile("map.mef.saving-Ab12xZ", "0 10 0.5");
    // A save in progress elsewhere: its writer holds the lock.
    TempFile live = createTempFileBeside("map.mef");
    ASSERT_NE(live.stream, nullptr);
    const std::string liveName = live.path.substr(live.path.rfind('/') + 1);
    // Names that are no temporary file of ours.
    writeFile("map.mef.backup", "kept");
    writeFile("map.mef.saving-Ab12x", "kept");
    writeFile("map.mef.saving-Ab12x!", "kept");
    writeFile("other.mef.saving-Ab12xZ", "kept");

    MapEditor editor;
    saveMapFile(editor, windowMessages());
    EXPECT_EQ(directoryEntries(),
              (std::set<std::string>{"map.mef", liveName, "map.mef.backup", "map.mef.saving-Ab12x",
                                     "map.mef.saving-Ab12x!", "other.mef.saving-Ab12xZ"}));
    EXPECT_EQ(readFile("map.mef"), formatMapFile(editor.getSegments()));

    // Once its writer is gone, the next save removes it too.
    std::fclose(live.stream);
    saveMapFile(editor, windowMessages());
    EXPECT_EQ(directoryEntries(),
              (std::set<std::string>{"map.mef", "map.mef.backup", "map.mef.saving-Ab12x",
                                     "map.mef.saving-Ab12x!", "other.mef.saving-Ab12xZ"}));
}

}  // namespace
