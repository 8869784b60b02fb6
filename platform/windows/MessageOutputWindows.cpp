#include <cstdio>

#include "MessageOutput.h"

namespace {
char outBuffer[64 * 1024];
char errBuffer[64 * 1024];
}  // namespace

void writeMessagesAtOnce() {
    std::setvbuf(stdout, outBuffer, _IOFBF, sizeof outBuffer);
    std::setvbuf(stderr, errBuffer, _IOFBF, sizeof errBuffer);
}

// A closed pipe is an error of the write, never a signal, and the C runtime
// ignores standard handles that are missing.
void guardStandardStreams() {}

bool standardOutputFailed() { return std::fflush(stdout) != 0 || std::ferror(stdout); }
