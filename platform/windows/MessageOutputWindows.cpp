#include <windows.h>

#include <io.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "MessageOutput.h"

namespace {
char outBuffer[64 * 1024];
char errBuffer[64 * 1024];
}  // namespace

void writeMessagesAtOnce() {
    std::setvbuf(stdout, outBuffer, _IOFBF, sizeof outBuffer);
    std::setvbuf(stderr, errBuffer, _IOFBF, sizeof errBuffer);
}

namespace {

// Whether `handle` leads nowhere: there is none (a GUI program started from
// Explorer, a shortcut or "start"), it is not valid (a closed descriptor
// under Wine), or it is a character device that aborts every write (Wine's
// stand-in for a missing console). A zero-byte write tells, and succeeds on
// a pipe whose reader is gone, whose failure stays a failure.
bool leadsNowhere(HANDLE handle) {
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return true;
    DWORD written = 0;
    if (::WriteFile(handle, "", 0, &written, nullptr)) return false;
    const DWORD error = ::GetLastError();
    return error == ERROR_INVALID_HANDLE || error == ERROR_OPERATION_ABORTED;
}

// Standard output led nowhere at start. A GUI program's C runtime marks such
// a stream as having no file at all, and cannot reopen it: its writes keep
// failing, which is then no failure of the work.
bool outputLeadsNowhere = false;

bool isConsole(HANDLE handle) {
    DWORD mode = 0;
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle, &mode);
}


}  // namespace

// Where standard output or standard error leads nowhere, every write to it
// would fail: it is opened on NUL where the C runtime can, as POSIX opens /dev/null in place of a
// closed descriptor, so that only a real failure counts as one. A closed
// pipe is an error of the write, never a signal.
void guardStandardStreams() {
    const struct {
        DWORD handle;
        std::FILE* stream;
    } streams[] = {{STD_OUTPUT_HANDLE, stdout}, {STD_ERROR_HANDLE, stderr}};
    for (const auto& standard : streams) {
        if (!leadsNowhere(::GetStdHandle(standard.handle))) continue;
        if (standard.stream == stdout) outputLeadsNowhere = true;
        if (std::freopen("NUL", "w", standard.stream) == nullptr) continue;
        ::SetStdHandle(standard.handle, reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(standard.stream))));
    }
}

bool standardOutputFailed() {
    const bool failed = std::fflush(stdout) != 0 || std::ferror(stdout);
    return failed && !outputLeadsNowhere;
}

// The text as UTF-16 with CRLF line ends; a byte that is not UTF-8 becomes
// U+FFFD, as MultiByteToWideChar makes it.
std::wstring consoleText(std::string_view text) {
    std::string lines;
    lines.reserve(text.size() + 8);
    for (const char c : text) {
        if (c == '\n') lines += '\r';
        lines += c;
    }
    if (lines.empty()) return {};
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, lines.data(), static_cast<int>(lines.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0)
        ::MultiByteToWideChar(CP_UTF8, 0, lines.data(), static_cast<int>(lines.size()), wide.data(), length);
    return wide;
}

bool writeMessage(std::FILE* stream, std::string_view text) {
    const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    if (!isConsole(handle))
        return std::fwrite(text.data(), 1, text.size(), stream) == text.size() && std::fflush(stream) == 0;
    // Whatever the stream still holds goes first, in its order.
    if (std::fflush(stream) != 0) return false;
    const std::wstring wide = consoleText(text);
    std::size_t done = 0;
    while (done < wide.size()) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(wide.size() - done, 16384));
        if (!::WriteConsoleW(handle, wide.data() + done, chunk, &written, nullptr) || written == 0) return false;
        done += written;
    }
    return true;
}
