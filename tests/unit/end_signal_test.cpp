// The end signals: the handler records the signal for the frame loop, which
// leaves through exit() so that the autosave is written.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>

#include "EndSignal.h"

namespace {

#ifdef SIGHUP
constexpr int hangUp = SIGHUP;
#else
constexpr int hangUp = SIGINT;  // Windows has no SIGHUP
#endif

TEST(EndSignal, IsRecordedForTheFrameLoop) {
    installEndSignalHandlers();
    EXPECT_EQ(pendingEndSignal(), 0);
    std::raise(hangUp);
    EXPECT_EQ(pendingEndSignal(), hangUp);
    EXPECT_EQ(endSignalExitStatus(hangUp), 128 + hangUp);
}

#ifndef _WIN32
// A second end signal ends the editor at once, except while the final
// autosave is being written: then it waits, and the first one's status stands.
TEST(EndSignal, ASecondSignalWaitsWhileTheFinalAutosaveIsWritten) {
    const auto secondSignal = [](bool held) {
        installEndSignalHandlers();
        std::raise(SIGTERM);
        if (held) holdEndSignals();
        std::raise(SIGHUP);
        std::_Exit(endSignalExitStatus(pendingEndSignal()));
    };
    EXPECT_EXIT(secondSignal(true), ::testing::ExitedWithCode(128 + SIGTERM), "");
    EXPECT_EXIT(secondSignal(false), ::testing::KilledBySignal(SIGHUP), "");
}
#endif

}  // namespace
