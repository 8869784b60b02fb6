// The safe save in each system's order, with every step that can fail made to
// fail in turn: the file keeps its old bytes (or takes the new ones in
// place, where the order falls back to that), no temporary file stays, and
// the reason is the failure's.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "FaultySaveSteps.h"
#include "SafeSave.h"
#include "ScratchDir.h"

namespace {

// The steps of a save that succeeds, in the order each system takes them.
const std::vector<std::string> posixCalls = {"findFinal", "refusal", "createTemp", "write",
                                             "flush",     "rename",  "close"};
const std::vector<std::string> windowsCalls = {"findFinal", "refusal", "createTemp", "write",
                                               "flush",     "close",   "rename"};

// The number of the first call named `step` that a save through `faults`
// makes, of "map.mef" holding "old" (or of no file).
int callNumber(const SaveOrder& order, const std::map<int, int>& faults, const std::string& step,
               bool targetExists) {
    ScratchDir scratch;
    if (targetExists) writeFile("map.mef", "old");
    FaultySaveSteps steps(systemSaveSteps(), faults);
    safeSave(steps, order, "map.mef", "new", createTempFileBeside, true, nullptr);
    for (std::size_t i = 0; i < steps.calls().size(); ++i)
        if (steps.calls()[i] == step) return static_cast<int>(i);
    return -1;
}

TEST(SafeSave, EachSystemsOrderTakesItsStepsAndReplacesTheFile) {
    for (const auto& [order, calls] :
         {std::pair{posixSaveOrder, posixCalls}, {windowsSaveOrder, windowsCalls}}) {
        ScratchDir scratch;
        writeFile("map.mef", "old");
        FaultySaveSteps steps(systemSaveSteps(), {});
        std::string reason = "unset";
        EXPECT_EQ(safeSave(steps, order, "map.mef", "new", createTempFileBeside, true, &reason),
                  ReplaceResult::replaced);
        EXPECT_EQ(steps.calls(), calls);
        EXPECT_EQ(reason, "");
        EXPECT_EQ(readFile("map.mef"), "new");
        EXPECT_EQ(directoryEntries(), std::set<std::string>{"map.mef"});
    }
}

TEST(SafeSave, EveryFailingStepOfEitherOrderKeepsTheFileAndSaysWhy) {
    const bool posix = true, windows = false;
    const struct Case {
        bool posixOrder;
        const char* step;
        int error;
        int inPlaceError;  // then the in-place write fails with this, when not 0
        ReplaceResult result;
        const char* reason;  // null: the failure's own words
        bool targetExists = true;
        InPlaceFallback fallback = InPlaceFallback::allowed;
    } cases[] = {
        {posix, "findFinal", ELOOP, 0, ReplaceResult::failed, nullptr},
        {posix, "refusal", EACCES, 0, ReplaceResult::failed, nullptr},
        {posix, "createTemp", ENOSPC, 0, ReplaceResult::failed, nullptr},
        {posix, "createTemp", EACCES, 0, ReplaceResult::writtenInPlace, "folder not writable"},
        {posix, "createTemp", EACCES, 0, ReplaceResult::failed, nullptr, false},
        {posix, "createTemp", EROFS, ENOSPC, ReplaceResult::failed, nullptr},
        {posix, "write", ENOSPC, 0, ReplaceResult::failed, nullptr},
        {posix, "flush", EIO, 0, ReplaceResult::failed, nullptr},
        {posix, "rename", EXDEV, 0, ReplaceResult::failed, nullptr},
        {posix, "rename", EBUSY, 0, ReplaceResult::writtenInPlace, "a mount point"},
        {posix, "rename", EBUSY, EIO, ReplaceResult::failed, nullptr},
        {posix, "rename", EBUSY, 0, ReplaceResult::failed, nullptr, false},
        // A caller that never takes the in-place write gets the failure instead.
        {posix, "createTemp", EACCES, 0, ReplaceResult::failed, nullptr, true, InPlaceFallback::never},
        {posix, "rename", EBUSY, 0, ReplaceResult::failed, nullptr, true, InPlaceFallback::never},
        // Closed after the rename: nothing is left to lose.
        {posix, "close", EIO, 0, ReplaceResult::replaced, ""},
        {windows, "findFinal", ENOENT, 0, ReplaceResult::failed, nullptr},
        {windows, "refusal", EACCES, 0, ReplaceResult::failed, nullptr},
        {windows, "createTemp", ENOSPC, 0, ReplaceResult::failed, nullptr},
        {windows, "createTemp", EPERM, 0, ReplaceResult::writtenInPlace, "folder not writable"},
        {windows, "createTemp", EACCES, 0, ReplaceResult::failed, nullptr, false},
        {windows, "createTemp", EACCES, ENOSPC, ReplaceResult::failed, nullptr},
        {windows, "write", ENOSPC, 0, ReplaceResult::failed, nullptr},
        {windows, "flush", EIO, 0, ReplaceResult::failed, nullptr},
        {windows, "close", EIO, 0, ReplaceResult::failed, nullptr},
        {windows, "rename", EACCES, 0, ReplaceResult::failed, nullptr},
        // No mount point fallback on Windows.
        {windows, "rename", EBUSY, 0, ReplaceResult::failed, nullptr},
        {windows, "createTemp", EPERM, 0, ReplaceResult::failed, nullptr, true, InPlaceFallback::never},
    };
    std::set<std::string> covered;
    for (const Case& c : cases) {
        const SaveOrder& order = c.posixOrder ? posixSaveOrder : windowsSaveOrder;
        SCOPED_TRACE(testing::Message()
                     << (c.posixOrder ? "POSIX " : "Windows ") << c.step << " " << std::strerror(c.error)
                     << " then " << c.inPlaceError << (c.targetExists ? "" : ", no file"));
        covered.insert((c.posixOrder ? "posix " : "windows ") + std::string(c.step));
        std::map<int, int> faults{{callNumber(order, {}, c.step, c.targetExists), c.error}};
        if (c.inPlaceError != 0)
            faults[callNumber(order, faults, "writeInPlace", c.targetExists)] = c.inPlaceError;
        ASSERT_EQ(faults.count(-1), 0u);

        ScratchDir scratch;
        if (c.targetExists) writeFile("map.mef", "old");
        FaultySaveSteps steps(systemSaveSteps(), faults);
        std::string reason;
        EXPECT_EQ(safeSave(steps, order, "map.mef", "new", createTempFileBeside, true, &reason, c.fallback), c.result);
        EXPECT_EQ(reason, c.reason ? c.reason : std::strerror(c.inPlaceError ? c.inPlaceError : c.error));
        const bool written = c.result != ReplaceResult::failed;
        EXPECT_EQ(directoryEntries(),
                  written || c.targetExists ? std::set<std::string>{"map.mef"} : std::set<std::string>{});
        if (written || c.targetExists) {
            EXPECT_EQ(readFile("map.mef"), written ? "new" : "old");
        }
    }
    for (const std::string& step : posixCalls) EXPECT_EQ(covered.count("posix " + step), 1u) << step;
    for (const std::string& step : windowsCalls) EXPECT_EQ(covered.count("windows " + step), 1u) << step;
}

}  // namespace
