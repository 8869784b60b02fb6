#include <cerrno>
#include <csignal>
#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

#include "MessageOutput.h"

namespace {
// Longer than any message; glibc writes a line that fits in one write.
char outBuffer[64 * 1024];
char errBuffer[64 * 1024];
}  // namespace

void writeMessagesAtOnce() {
    std::setvbuf(stdout, outBuffer, _IOLBF, sizeof outBuffer);
    std::setvbuf(stderr, errBuffer, _IOLBF, sizeof errBuffer);
}

void guardStandardStreams() {
    // open() takes the lowest free descriptor, so each closed one is filled in turn.
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        const int opened = ::open("/dev/null", O_RDWR);
        if (opened != fd && opened >= 0) ::close(opened);
    }
    std::signal(SIGPIPE, SIG_IGN);
}

bool standardOutputFailed() { return std::fflush(stdout) != 0 || std::ferror(stdout); }

bool writeMessage(std::FILE* stream, std::string_view text) {
    return std::fwrite(text.data(), 1, text.size(), stream) == text.size() && std::fflush(stream) == 0;
}
