#include <windows.h>

#include <cstdio>
#include <string>

#include "BatchRunner.h"

namespace {

// The command interpreter: %ComSpec% when set, else cmd.exe in the system
// folder, never one found through the PATH or the working directory.
std::wstring commandInterpreter() {
    wchar_t buffer[MAX_PATH];
    DWORD length = ::GetEnvironmentVariableW(L"ComSpec", buffer, MAX_PATH);
    if (length > 0 && length < MAX_PATH) return std::wstring(buffer, length);
    length = ::GetSystemDirectoryW(buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return L"";
    return std::wstring(buffer, length) + L"\\cmd.exe";
}

// "./copy.bat" becomes ".\copy.bat": cmd takes a leading "./" for a switch,
// while ".\" names the file in the working directory and nothing on the PATH.
std::wstring batchArgument(const char* path) {
    std::wstring result;
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, path, -1, nullptr, 0);
    if (length > 1) {
        result.resize(static_cast<std::size_t>(length - 1));
        ::MultiByteToWideChar(CP_UTF8, 0, path, -1, result.data(), length);
    }
    for (wchar_t& c : result)
        if (c == L'/') c = L'\\';
    return result;
}

// Passes on what the pipe `from` holds now to our standard error, keeping its last line.
void pumpErrors(HANDLE from, LastLineKeeper& keeper) {
    const HANDLE to = ::GetStdHandle(STD_ERROR_HANDLE);
    char buffer[4096];
    for (;;) {
        DWORD waiting = 0;
        if (!::PeekNamedPipe(from, nullptr, 0, nullptr, &waiting, nullptr) || waiting == 0) return;
        DWORD got = 0;
        if (!::ReadFile(from, buffer, waiting < sizeof buffer ? waiting : sizeof buffer, &got, nullptr) || got == 0)
            return;
        keeper.feed(buffer, got);
        DWORD put = 0;
        if (to != nullptr && to != INVALID_HANDLE_VALUE) ::WriteFile(to, buffer, got, &put, nullptr);
    }
}

}  // namespace

std::string exampleBatchFile() { return "copy.bat.example in the program's folder"; }

std::string batchFolderRefusal() {
    // The longest working folder that SetCurrentDirectory, and so cmd.exe,
    // takes: MAX_PATH less the final backslash and the terminating null.
    constexpr DWORD longestFolder = MAX_PATH - 2;
    // With no buffer, the length the path needs with its terminating null.
    const DWORD needed = ::GetCurrentDirectoryW(0, nullptr);
    if (needed == 0 || needed - 1 <= longestFolder) return {};
    return "the working folder's path has " + std::to_string(needed - 1) +
           " characters, more than the command interpreter takes (" + std::to_string(longestFolder) + ")";
}

std::optional<int> runBatchFile(const char* path, std::string* lastErrorLine) {
    // Our buffered messages must come out before anything the batch file prints.
    std::fflush(stdout);
    std::fflush(stderr);
    const std::wstring interpreter = commandInterpreter();
    if (interpreter.empty()) return std::nullopt;
    // /d: no AutoRun commands from the registry; /c: run the file and end.
    // cmd strips the outer quotes of what follows /c and runs the rest.
    std::wstring commandLine = L"\"" + interpreter + L"\" /d /c \"" + batchArgument(path) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    // Handles inherited, so that what the batch file prints goes where our
    // standard output and error go, as on POSIX.
    // Without a console of its own, the editor's output going to a pipe or
    // a file (the console companion's), cmd.exe would open a console window
    // of its own that shows nothing: it gets a hidden one.
    const DWORD outputType = ::GetFileType(::GetStdHandle(STD_OUTPUT_HANDLE));
    const DWORD flags = ::GetConsoleWindow() == nullptr && (outputType == FILE_TYPE_PIPE || outputType == FILE_TYPE_DISK)
                            ? CREATE_NO_WINDOW
                            : 0;
    // A captured standard error goes through a pipe whose write end alone is inherited.
    HANDLE errorRead = nullptr;
    HANDLE errorWrite = nullptr;
    if (lastErrorLine != nullptr) {
        lastErrorLine->clear();
        SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
        if (::CreatePipe(&errorRead, &errorWrite, &inherited, 0)) {
            ::SetHandleInformation(errorRead, HANDLE_FLAG_INHERIT, 0);
            startup.dwFlags |= STARTF_USESTDHANDLES;
            startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
            startup.hStdOutput = ::GetStdHandle(STD_OUTPUT_HANDLE);
            startup.hStdError = errorWrite;
        } else {
            errorRead = errorWrite = nullptr;
        }
    }
    const bool started = ::CreateProcessW(interpreter.c_str(), commandLine.data(), nullptr, nullptr, TRUE, flags,
                                          nullptr, nullptr, &startup, &process) != 0;
    if (errorWrite != nullptr) ::CloseHandle(errorWrite);
    if (!started) {
        if (errorRead != nullptr) ::CloseHandle(errorRead);
        return std::nullopt;
    }
    ::CloseHandle(process.hThread);
    if (errorRead != nullptr) {
        LastLineKeeper keeper;
        while (::WaitForSingleObject(process.hProcess, 10) == WAIT_TIMEOUT) pumpErrors(errorRead, keeper);
        pumpErrors(errorRead, keeper);
        ::CloseHandle(errorRead);
        *lastErrorLine = keeper.line();
    } else {
        ::WaitForSingleObject(process.hProcess, INFINITE);
    }
    DWORD status = 0;
    const bool known = ::GetExitCodeProcess(process.hProcess, &status) != 0;
    ::CloseHandle(process.hProcess);
    if (!known) return std::nullopt;
    // All 32 bits, read as cmd's %ERRORLEVEL% reads them: keeping only the low
    // byte, as a POSIX parent would, made `exit /b 256` a success.
    return static_cast<int>(status);
}
