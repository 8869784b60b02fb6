// The end signals: the handler records the signal for the frame loop, which
// leaves through exit() so that the autosave is written.
#include <gtest/gtest.h>

#include <csignal>

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

}  // namespace
