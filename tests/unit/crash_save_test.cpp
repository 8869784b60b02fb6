// Saving survives being killed: a child process saves a large map over an
// older one and is killed with SIGKILL at a random moment of the save. After
// every kill "map.mef" must hold the old map or the new one, complete, and the
// next save must succeed and leave nothing behind but "map.mef".
//
// MAPEDITOR_KILL_SEED and MAPEDITOR_KILL_ROUNDS override the seed and count.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "MapEditor.h"
#include "MapFile.h"
#include "ScratchDir.h"
#include "TextFile.h"

namespace {

unsigned long envNumber(const char* name, unsigned long fallback) {
    const char* text = std::getenv(name);
    if (text == nullptr || *text == '\0') return fallback;
    return std::strtoul(text, nullptr, 10);
}

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

void sleepMicroseconds(long us) {
    timespec t{us / 1000000, (us % 1000000) * 1000};
    while (::nanosleep(&t, &t) != 0) {
    }
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

TEST(CrashSafeSave, KilledSavesLeaveTheOldOrTheNewMapAndNoStrayFile) {
    const unsigned long seed = envNumber("MAPEDITOR_KILL_SEED", 7151);
    const int rounds = static_cast<int>(envNumber("MAPEDITOR_KILL_ROUNDS", 120));
    std::printf("kill test seed %lu, %d rounds (MAPEDITOR_KILL_SEED / MAPEDITOR_KILL_ROUNDS to change)\n",
                seed, rounds);
    std::mt19937 random(static_cast<std::mt19937::result_type>(seed));

    ScratchDir scratch;
    // About 2 MB of text: a save takes tens of milliseconds, most of it in the write and the sync.
    constexpr int segments = 30000;
    MapEditor oldMap, newMap;
    oldMap.replaceChain(largeChain(segments, 0.0));
    newMap.replaceChain(largeChain(segments, 0.5));
    const std::string oldText = formatMapFile(oldMap.getSegments());
    const std::string newText = formatMapFile(newMap.getSegments());
    ASSERT_NE(oldText, newText);

    // How long one save of the new map takes here, so the kills spread over it.
    newMap.saveMapFile();
    const auto calibration = std::chrono::steady_clock::now();
    newMap.saveMapFile();
    newMap.saveMapFile();
    const double saveSeconds = secondsSince(calibration) / 2;
    ASSERT_EQ(readFile("map.mef"), newText);
    std::printf("one save of %zu bytes takes about %.1f ms\n", newText.size(), saveSeconds * 1000);

    // The kill lands anywhere from the fork to a little after a save would end.
    std::uniform_int_distribution<long> delay(0, static_cast<long>(saveSeconds * 1.3e6) + 1000);
    int killedMidway = 0, keptOld = 0, gotNew = 0, strayFiles = 0;
    for (int round = 0; round < rounds && !HasFailure(); ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        // The later save: succeeds whatever the killed one left, and leaves only "map.mef".
        ASSERT_TRUE(storeMapFile("map.mef", oldMap.getSegments()));
        ASSERT_EQ(directoryEntries(), std::set<std::string>{"map.mef"});
        ASSERT_EQ(readFile("map.mef"), oldText);

        std::fflush(nullptr);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            newMap.saveMapFile();
            ::_exit(0);
        }
        sleepMicroseconds(delay(random));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        if (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) ++killedMidway;

        const std::string text = readFile("map.mef");
        ASSERT_TRUE(text == oldText || text == newText)
            << "map.mef holds " << text.size() << " bytes, neither the old map (" << oldText.size()
            << ") nor the new one (" << newText.size() << ")";
        ++(text == oldText ? keptOld : gotNew);
        strayFiles += static_cast<int>(directoryEntries().size()) - 1;
    }
    // The final save cleans up after the last kill as well.
    ASSERT_TRUE(storeMapFile("map.mef", oldMap.getSegments()));
    EXPECT_EQ(directoryEntries(), std::set<std::string>{"map.mef"});

    std::printf(
        "kill test: %d rounds, %d saves killed by SIGKILL, %d left the old map, %d the new one, "
        "%d temporary files left by killed saves and removed by the next save\n",
        rounds, killedMidway, keptOld, gotNew, strayFiles);
    // The kills spread over the whole save: both outcomes occur.
    EXPECT_GT(keptOld, 0);
    EXPECT_GT(gotNew, 0);
    EXPECT_GE(killedMidway, rounds / 2);
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
    editor.saveMapFile();
    EXPECT_EQ(directoryEntries(),
              (std::set<std::string>{"map.mef", liveName, "map.mef.backup", "map.mef.saving-Ab12x",
                                     "map.mef.saving-Ab12x!", "other.mef.saving-Ab12xZ"}));
    EXPECT_EQ(readFile("map.mef"), formatMapFile(editor.getSegments()));

    // Once its writer is gone, the next save removes it too.
    std::fclose(live.stream);
    editor.saveMapFile();
    EXPECT_EQ(directoryEntries(),
              (std::set<std::string>{"map.mef", "map.mef.backup", "map.mef.saving-Ab12x",
                                     "map.mef.saving-Ab12x!", "other.mef.saving-Ab12xZ"}));
}

}  // namespace
