#include <windows.h>

#include <io.h>

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

// Started from Explorer, a shortcut or "start", or with a handle closed, a
// stream has no handle and every write to it fails: it is opened on NUL, as
// POSIX opens /dev/null, so that only a real failure counts as one. A closed
// pipe is an error of the write, never a signal.
void guardStandardStreams() {
    const struct {
        DWORD handle;
        std::FILE* stream;
        const char* mode;
    } streams[] = {{STD_INPUT_HANDLE, stdin, "r"}, {STD_OUTPUT_HANDLE, stdout, "w"}, {STD_ERROR_HANDLE, stderr, "w"}};
    for (const auto& standard : streams) {
        const HANDLE handle = ::GetStdHandle(standard.handle);
        ::SetLastError(NO_ERROR);
        const bool usable = handle != nullptr && handle != INVALID_HANDLE_VALUE && _fileno(standard.stream) >= 0 &&
                            (::GetFileType(handle) != FILE_TYPE_UNKNOWN || ::GetLastError() == NO_ERROR);
        if (usable) continue;
        if (std::freopen("NUL", standard.mode, standard.stream) == nullptr) continue;
        ::SetStdHandle(standard.handle, reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(standard.stream))));
    }
}

bool standardOutputFailed() { return std::fflush(stdout) != 0 || std::ferror(stdout); }
