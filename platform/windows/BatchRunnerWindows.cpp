#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "BatchRunner.h"
#include "MessageOutput.h"
#include "windows/BatchOutputText.h"

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

// The code page cmd writes to a pipe in: the output code page of the console
// it shares with the editor, else the system's OEM code page, which the
// console made for it starts with. (GetOEMCP answers for this process, which
// its manifest makes UTF-8.)
UINT batchCodePage() {
    if (const UINT console = ::GetConsoleOutputCP()) return console;
    wchar_t value[16];
    DWORD size = sizeof value;
    if (::RegGetValueW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\Nls\\CodePage", L"OEMCP",
                       RRF_RT_REG_SZ, nullptr, value, &size) == ERROR_SUCCESS)
        if (const unsigned long number = std::wcstoul(value, nullptr, 10)) return static_cast<UINT>(number);
    return ::GetOEMCP();
}

}  // namespace

std::string batchOutputText(const std::string& bytes, unsigned codePage) {
    const int size = static_cast<int>(bytes.size());
    if (size == 0 || codePage == CP_UTF8 ||
        ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0) > 0)
        return bytes;
    const int length = ::MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
    if (length <= 0) return bytes;
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(codePage, 0, bytes.data(), size, wide.data(), length);
    const int narrow = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(narrow > 0 ? narrow : 0), '\0');
    if (narrow > 0) ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, text.data(), narrow, nullptr, nullptr);
    return text;
}

namespace {

// One output stream of the batch file, read through a pipe and passed on to
// ours as UTF-8; `keeper`, when set, keeps its last line.
struct BatchStream {
    std::FILE* to = nullptr;
    LastLineKeeper* keeper = nullptr;
    HANDLE pipe = nullptr;
    // The start of a line that may still be being written.
    std::string unfinished;
};

// Appends what `pipe` holds now to `text`; true when anything came.
bool readWaiting(HANDLE pipe, std::string& text) {
    bool came = false;
    char buffer[4096];
    for (;;) {
        DWORD waiting = 0;
        if (!::PeekNamedPipe(pipe, nullptr, 0, nullptr, &waiting, nullptr) || waiting == 0) return came;
        DWORD got = 0;
        if (!::ReadFile(pipe, buffer, waiting < sizeof buffer ? waiting : sizeof buffer, &got, nullptr) || got == 0)
            return came;
        text.append(buffer, got);
        came = true;
    }
}

// Passes on what the stream's pipe holds now. A line goes once it is ended,
// so that a character is never cut in two, or once nothing more came for a
// while (a prompt), or at the `last` call.
void pump(BatchStream& stream, UINT codePage, bool last) {
    if (stream.pipe == nullptr) return;
    std::string text = std::move(stream.unfinished);
    stream.unfinished.clear();
    const bool came = readWaiting(stream.pipe, text);
    const std::size_t end = last || !came ? text.size() : text.rfind('\n') + 1;
    stream.unfinished = text.substr(end);
    text.resize(end);
    if (text.empty()) return;
    std::string passed;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t next = std::min(text.find('\n', start), text.size() - 1) + 1;
        passed += batchOutputText(text.substr(start, next - start), codePage);
        start = next;
    }
    if (stream.keeper != nullptr) stream.keeper->feed(passed.data(), passed.size());
    writeMessage(stream.to, passed);
}

// A pipe whose write end alone is inherited; false when none could be made.
bool openPipe(HANDLE& read, HANDLE& write) {
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    if (!::CreatePipe(&read, &write, &inherited, 0)) return false;
    ::SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
    return true;
}

bool isConsole(HANDLE handle) {
    DWORD mode = 0;
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle, &mode);
}

// A job that ends every process in it when its last handle closes: the
// editor's end, however it comes, ends the batch file and what it started.
HANDLE jobEndedWithTheEditor() {
    const HANDLE job = ::CreateJobObjectW(nullptr, nullptr);
    if (job == nullptr) return nullptr;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (::SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits)) return job;
    ::CloseHandle(job);
    return nullptr;
}

// Ends every process of the job with `status` and waits, two seconds at
// most, until none is left.
void endJob(HANDLE job, UINT status) {
    ::TerminateJobObject(job, status);
    for (int waited = 0; waited < 200; ++waited) {
        JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting{};
        if (!::QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &accounting, sizeof accounting,
                                         nullptr) ||
            accounting.ActiveProcesses == 0)
            return;
        ::Sleep(10);
    }
}

// Lets what the batch file left running go on after the job's handle closes.
void releaseJob(HANDLE job) {
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    ::SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    ::CloseHandle(job);
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
    if (lastErrorLine != nullptr) lastErrorLine->clear();
    const std::wstring interpreter = commandInterpreter();
    if (interpreter.empty()) return std::nullopt;
    // /d: no AutoRun commands from the registry; /c: run the file and end.
    // cmd strips the outer quotes of what follows /c and runs the rest.
    std::wstring commandLine = L"\"" + interpreter + L"\" /d /c \"" + batchArgument(path) + L"\"";
    // Without a console of its own, the editor's output going to a pipe or
    // a file (the console companion's), cmd.exe would open a console window
    // of its own that shows nothing: it gets a hidden one.
    const HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
    const DWORD outputType = ::GetFileType(output);
    const DWORD flags = ::GetConsoleWindow() == nullptr && (outputType == FILE_TYPE_PIPE || outputType == FILE_TYPE_DISK)
                            ? CREATE_NO_WINDOW
                            : 0;
    // What the batch file prints goes where ours goes, as on POSIX. cmd
    // writes to a console as UTF-16, which shows every name; to anything else
    // in a code page, so a standard output that is no console, and the
    // standard error whose last line is kept, go through pipes and are passed
    // on as UTF-8, the editor's own encoding.
    LastLineKeeper keeper;
    BatchStream streams[2] = {{stdout, nullptr, nullptr, {}}, {stderr, &keeper, nullptr, {}}};
    HANDLE writeEnds[2] = {nullptr, nullptr};
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = output;
    startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    if (!isConsole(output) && openPipe(streams[0].pipe, writeEnds[0])) startup.hStdOutput = writeEnds[0];
    if (openPipe(streams[1].pipe, writeEnds[1])) startup.hStdError = writeEnds[1];
    const HANDLE job = jobEndedWithTheEditor();
    PROCESS_INFORMATION process{};
    // Suspended until it is in the job, so that nothing it starts escapes it.
    const bool started = ::CreateProcessW(interpreter.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                          flags | CREATE_SUSPENDED, nullptr, nullptr, &startup, &process) != 0;
    for (const HANDLE end : writeEnds)
        if (end != nullptr) ::CloseHandle(end);
    if (!started) {
        for (const BatchStream& stream : streams)
            if (stream.pipe != nullptr) ::CloseHandle(stream.pipe);
        if (job != nullptr) ::CloseHandle(job);
        return std::nullopt;
    }
    // Outside a job (the editor's own job may refuse one inside it), an end
    // signal ends cmd alone.
    const bool inJob = job != nullptr && ::AssignProcessToJobObject(job, process.hProcess);
    ::ResumeThread(process.hThread);
    ::CloseHandle(process.hThread);
    const UINT codePage = batchCodePage();
    const EndSignalSource endSignal = endSignalsWatchedDuringBatch();
    while (::WaitForSingleObject(process.hProcess, 10) == WAIT_TIMEOUT) {
        for (BatchStream& stream : streams) pump(stream, codePage, false);
        const int signal = endSignal != nullptr ? endSignal() : 0;
        if (signal == 0) continue;
        // No signal reaches a batch file in a console of its own: it ends at
        // once, with the status of one ended by the signal.
        const UINT status = static_cast<UINT>(128 + signal);
        if (inJob) {
            endJob(job, status);
        } else {
            ::TerminateProcess(process.hProcess, status);
        }
        ::WaitForSingleObject(process.hProcess, 2000);
        break;
    }
    if (job != nullptr) releaseJob(job);
    // What the batch file wrote just before it ended; a program it left
    // running that still holds a pipe is not waited for.
    for (BatchStream& stream : streams) {
        pump(stream, codePage, true);
        if (stream.pipe != nullptr) ::CloseHandle(stream.pipe);
    }
    if (lastErrorLine != nullptr) *lastErrorLine = keeper.line();
    DWORD status = 0;
    const bool known = ::GetExitCodeProcess(process.hProcess, &status) != 0;
    ::CloseHandle(process.hProcess);
    if (!known) return std::nullopt;
    // All 32 bits, read as cmd's %ERRORLEVEL% reads them: keeping only the low
    // byte, as a POSIX parent would, made `exit /b 256` a success.
    return static_cast<int>(status);
}
