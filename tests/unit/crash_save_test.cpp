// Saving survives being killed: a child process saves a large map over an
// older one and is killed with SIGKILL at the start of one of its system
// calls, in turn at every system call the save makes (ptrace counts them), so
// the kill points do not depend on timing. After every kill "map.mef" must
// hold the old map or the new one, complete, the new one from some kill point
// on, and the next save must succeed and leave nothing behind but "map.mef".
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/ptrace.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "EditorFiles.h"
#include "MapEditor.h"
#include "MapFile.h"
#include "ScratchDir.h"
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

struct TracedSave {
    bool traced = false;  // ptrace was allowed
    int systemCalls = 0;  // entered by the child before it was killed or ended
    bool killed = false;
};

// Saves `map` in a child process traced with ptrace and kills the child with
// SIGKILL at the start of its system call number `killAt` (from 0), before
// the call runs. The count begins when the child starts the save.
TracedSave saveKilledAtSystemCall(MapEditor& map, int killAt) {
    TracedSave result;
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child < 0) return result;
    if (child == 0) {
        if (::ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) != 0) ::_exit(2);
        ::kill(::getpid(), SIGSTOP);
        saveMapFile(map, windowMessages());
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);  // stopped before the save
    result.traced = WIFSTOPPED(status);
    if (!result.traced) return result;
    ::ptrace(PTRACE_SETOPTIONS, child, nullptr, PTRACE_O_TRACESYSGOOD | PTRACE_O_EXITKILL);
    bool inCall = true;  // the stop came inside kill(); its exit is the first stop
    int signal = 0;
    for (;;) {
        ::ptrace(PTRACE_SYSCALL, child, nullptr, signal);
        if (::waitpid(child, &status, 0) != child || !WIFSTOPPED(status)) break;
        signal = 0;
        if (WSTOPSIG(status) != (SIGTRAP | 0x80)) {
            signal = WSTOPSIG(status) == SIGSTOP ? 0 : WSTOPSIG(status);
            continue;
        }
        inCall = !inCall;
        if (!inCall) continue;
        if (result.systemCalls++ == killAt) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            result.killed = WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
            break;
        }
    }
    return result;
}

TEST(CrashSafeSave, KilledSavesLeaveTheOldOrTheNewMapAndNoStrayFile) {
    ScratchDir scratch;
    // About 2 MB of text.
    constexpr int segments = 30000;
    MapEditor oldMap, newMap;
    oldMap.replaceChain(largeChain(segments, 0.0));
    newMap.replaceChain(largeChain(segments, 0.5));
    const std::string oldText = formatMapFile(oldMap.getSegments());
    const std::string newText = formatMapFile(newMap.getSegments());
    ASSERT_NE(oldText, newText);

    // Killed at its first system call, then its second, and so on, until a
    // save gets to its end before the kill point (the last kill, at the
    // child's exit, already finds the save done).
    constexpr int maxSystemCalls = 100000;
    int keptOld = 0, gotNew = 0, strayFiles = 0, killAt = 0;
    for (; killAt < maxSystemCalls && !HasFailure(); ++killAt) {
        SCOPED_TRACE("killed at system call " + std::to_string(killAt));
        // The later save: succeeds whatever the killed one left, and leaves only "map.mef".
        ASSERT_TRUE(storeMapFile("map.mef", oldMap.getSegments()));
        ASSERT_EQ(directoryEntries(), std::set<std::string>{"map.mef"});
        ASSERT_TRUE(readFile("map.mef") == oldText);

        const TracedSave save = saveKilledAtSystemCall(newMap, killAt);
        ASSERT_TRUE(save.traced) << "ptrace is not permitted here";
        const std::string text = readFile("map.mef");
        if (!save.killed) {
            ASSERT_TRUE(text == newText) << "a save that was not killed did not write the new map";
            break;
        }
        ASSERT_TRUE(text == oldText || text == newText)
            << "map.mef holds " << text.size() << " bytes, neither the old map (" << oldText.size()
            << ") nor the new one (" << newText.size() << ")";
        // Once the new map is in place, a later kill cannot take it back.
        ASSERT_FALSE(text == oldText && gotNew > 0) << "the old map came back";
        ++(text == oldText ? keptOld : gotNew);
        strayFiles += static_cast<int>(directoryEntries().size()) - 1;
    }
    // The final save cleans up after the last kill as well.
    ASSERT_TRUE(storeMapFile("map.mef", oldMap.getSegments()));
    EXPECT_EQ(directoryEntries(), std::set<std::string>{"map.mef"});

    std::printf(
        "kill test: a save makes %d system calls; killed at each: %d left the old map, %d the new one, "
        "%d temporary files left by killed saves and removed by the next save\n",
        killAt, keptOld, gotNew, strayFiles);
    EXPECT_LT(killAt, maxSystemCalls);
    // Killed before its first call the save changed nothing; killed at its exit it was done.
    EXPECT_GT(keptOld, 0);
    EXPECT_GT(gotNew, 0);
    EXPECT_GT(strayFiles, 0);
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
