// The end signals: the handler records the signal for the frame loop, which
// leaves through exit() so that the autosave is written.
#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <thread>

#include "EndSignal.h"

namespace {

#ifdef SIGHUP
constexpr int hangUp = SIGHUP;
#else
constexpr int hangUp = SIGINT;  // Windows has no SIGHUP
#endif

#ifndef _WIN32
// Exits with 0 when a signal raised after the handler's installation is
// recorded and none was before; 1 or 2 when not.
void recordHangUp() {
    installEndSignalHandlers();
    if (pendingEndSignal() != 0) std::_Exit(1);
    std::raise(hangUp);
    std::_Exit(pendingEndSignal() == hangUp ? 0 : 2);
}
#endif

TEST(EndSignal, IsRecordedForTheFrameLoop) {
#ifndef _WIN32
    // In a fresh process: the signal stays recorded, and a second one would end
    // this process when the test runs again (--gtest_repeat).
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(recordHangUp(), ::testing::ExitedWithCode(0), "");
#else
    // Each program runs once under Wine; death tests are not tried there.
    installEndSignalHandlers();
    EXPECT_EQ(pendingEndSignal(), 0);
    std::raise(hangUp);
    EXPECT_EQ(pendingEndSignal(), hangUp);
#endif
    EXPECT_EQ(endSignalExitStatus(hangUp), 128 + hangUp);
}

#ifndef _WIN32
// A second end signal ends the editor at once, except while the final
// autosave is being written: then it waits, and the first one's status
// stands, whichever thread the second reaches (the GL driver runs threads).
TEST(EndSignal, ASecondSignalWaitsWhileTheFinalAutosaveIsWritten) {
    // Each case in a fresh process: the test before left a signal recorded.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto secondSignal = [](bool held) {
        installEndSignalHandlers();
        // A thread that was running before the end began, as the driver's are.
        std::atomic<bool> go{false};
        std::thread other([&go] {
            while (!go) std::this_thread::yield();
            std::raise(SIGHUP);
        });
        std::raise(SIGTERM);
        if (held) holdEndSignals();
        go = true;
        other.join();
        std::_Exit(endSignalExitStatus(pendingEndSignal()));
    };
    EXPECT_EXIT(secondSignal(true), ::testing::ExitedWithCode(128 + SIGTERM), "");
    EXPECT_EXIT(secondSignal(false), ::testing::KilledBySignal(SIGHUP), "");
}
#endif

}  // namespace
