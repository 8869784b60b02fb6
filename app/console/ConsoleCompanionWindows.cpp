// mapeditor.com, the console companion of mapeditor.exe.
//
// mapeditor.exe is a GUI program, so started from Explorer or a shortcut it
// opens no console window. But cmd.exe returns at once from a GUI program,
// without its exit status, and PowerShell does the same. This small console
// program fills that gap: typed as "mapeditor", cmd.exe and PowerShell find
// it first (".COM" comes before ".EXE" in PATHEXT). It starts mapeditor.exe
// from its own folder with the same arguments and its own standard handles,
// so the messages reach the console or the redirection, waits for it, and
// exits with its status, all 32 bits of it.
//
// The editor is started apart from the console (Wine would otherwise attach
// the GUI program to it: a key would reach it twice, and closing the console
// would kill it before its autosave). What goes between the editor and a
// console passes through this program: the editor's UTF-8 messages are
// written to the console as UTF-16, so that names show as typed (standard
// output and error through one pipe, so that they keep their order), and typed
// input is read as Windows tools read it, up to Ctrl+Z and Enter. Handles
// that are no console (a file, a pipe) are handed to the editor as they are.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string>

namespace {

// What is left of the command line after the program's name, which runs to
// the closing quote when it starts with one and to the first blank otherwise
// (the way CommandLineToArgvW reads it); the rest goes on untouched.
const wchar_t* argumentsOf(const wchar_t* line) {
    const wchar_t* p = line;
    if (*p == L'"') {
        ++p;
        while (*p != L'\0' && *p != L'"') ++p;
        if (*p == L'"') ++p;
    } else {
        while (*p != L'\0' && *p != L' ' && *p != L'\t') ++p;
    }
    while (*p == L' ' || *p == L'\t') ++p;
    return p;
}

// This program's own path with ".exe" in place of its extension.
std::wstring windowProgramPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return L"";
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    std::size_t dot = path.find_last_of(L'.');
    const std::size_t separator = path.find_last_of(L"\\/");
    if (dot == std::wstring::npos || (separator != std::wstring::npos && dot < separator)) dot = path.size();
    return path.substr(0, dot) + L".exe";
}

std::string utf8(const std::wstring& text) {
    const int length = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (length <= 1) return "";
    std::string narrow(static_cast<std::size_t>(length - 1), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, narrow.data(), length, nullptr, nullptr);
    return narrow;
}

// The system's reason for `error`, without the line end it comes with.
std::string reason(DWORD error) {
    wchar_t* text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message = length > 0 && text != nullptr ? std::wstring(text, length) : L"error " + std::to_wstring(error);
    ::LocalFree(text);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L'.'))
        message.pop_back();
    return utf8(message);
}

// The window program, once started, and the events that ask it to end: it
// writes its autosave first, as on an end signal, and this program hands on
// the status it then has (130 after Ctrl+C, 149 after Ctrl+Break). The
// editor watches this program's process too: killed, it ends the editor.
HANDLE windowProgram = nullptr;
HANDLE interruptEvent = nullptr;
HANDLE breakEvent = nullptr;
HANDLE closeEvent = nullptr;

BOOL WINAPI onConsoleEvent(DWORD event) {
    if (windowProgram == nullptr) return FALSE;
    if (event == CTRL_C_EVENT) {
        ::SetEvent(interruptEvent);
    } else if (event == CTRL_BREAK_EVENT) {
        ::SetEvent(breakEvent);
    } else {
        // The console closes or the session ends: the system ends this
        // program once the handler returns (or after 5 s); the editor gets
        // that long to write its autosave and go.
        ::SetEvent(closeEvent);
        ::WaitForSingleObject(windowProgram, 4500);
    }
    return TRUE;
}

// The handles the editor watches, inherited under the same values, passed in
// MAPEDITOR_COMPANION as "PROCESS:CTRL_C:CTRL_BREAK:CLOSE".
bool passEndRequests() {
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    HANDLE self = nullptr;
    if (!::DuplicateHandle(::GetCurrentProcess(), ::GetCurrentProcess(), ::GetCurrentProcess(), &self, SYNCHRONIZE,
                           TRUE, 0))
        return false;
    for (HANDLE* event : {&interruptEvent, &breakEvent, &closeEvent}) {
        *event = ::CreateEventW(&inherited, FALSE, FALSE, nullptr);
        if (*event == nullptr) return false;
    }
    std::wstring value;
    for (HANDLE handle : {self, interruptEvent, breakEvent, closeEvent}) {
        if (!value.empty()) value += L':';
        value += std::to_wstring(reinterpret_cast<std::uintptr_t>(handle));
    }
    return ::SetEnvironmentVariableW(L"MAPEDITOR_COMPANION", value.c_str()) != 0;
}

bool isConsole(HANDLE handle) {
    DWORD mode = 0;
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle, &mode);
}

// One direction of the traffic between the editor and the console.
struct Relay {
    HANDLE from = nullptr;  // this program's end of the pipe, or the console
    HANDLE to = nullptr;
    HANDLE thread = nullptr;
};

// The editor's output to the console, as UTF-16. A character cut by the end
// of one read waits for the rest in the next.
DWORD WINAPI relayToConsole(void* argument) {
    const Relay& relay = *static_cast<Relay*>(argument);
    char bytes[8192 + 4];
    std::size_t kept = 0;
    wchar_t wide[8192 + 4];
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(relay.from, bytes + kept, 8192, &got, nullptr) || got == 0) break;
        std::size_t size = kept + got;
        // The start of an unfinished UTF-8 sequence at the end stays for the next read.
        std::size_t end = size;
        for (std::size_t back = 1; back <= 3 && back <= size; ++back) {
            const unsigned char c = static_cast<unsigned char>(bytes[size - back]);
            if ((c & 0xC0) == 0x80) continue;
            const std::size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
            if (length > back) end = size - back;
            break;
        }
        const int count = ::MultiByteToWideChar(CP_UTF8, 0, bytes, static_cast<int>(end), wide, 8192 + 4);
        DWORD written = 0;
        if (count > 0) ::WriteConsoleW(relay.to, wide, static_cast<DWORD>(count), &written, nullptr);
        kept = size - end;
        std::memmove(bytes, bytes + end, kept);
    }
    return 0;
}

// Typed input to the editor, as Windows tools take it: Ctrl+Z ends it (at
// the start of a line, as typed before Enter). A read that Ctrl+C broke off
// is read again: the key's request reaches the editor through its event.
DWORD WINAPI relayFromConsole(void* argument) {
    const Relay& relay = *static_cast<Relay*>(argument);
    char bytes[4096];
    for (bool ended = false; !ended;) {
        DWORD got = 0;
        if (!::ReadFile(relay.from, bytes, sizeof bytes, &got, nullptr)) {
            if (::GetLastError() != ERROR_OPERATION_ABORTED) break;
            got = 0;
        }
        if (got == 0) {
            ::Sleep(50);
            continue;
        }
        const char* end = static_cast<const char*>(std::memchr(bytes, '\x1a', got));
        ended = end != nullptr;
        const DWORD size = ended ? static_cast<DWORD>(end - bytes) : got;
        DWORD written = 0;
        if (size > 0 && !::WriteFile(relay.to, bytes, size, &written, nullptr)) break;
    }
    ::CloseHandle(relay.to);
    return 0;
}

// The handle the editor gets for the standard handle `which`: the handle
// itself, or for a console one end of a pipe whose other end `relay` serves.
HANDLE editorHandle(DWORD which, Relay& relay) {
    const HANDLE own = ::GetStdHandle(which);
    if (!isConsole(own)) return own;
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    HANDLE read = nullptr;
    HANDLE write = nullptr;
    if (!::CreatePipe(&read, &write, &inherited, 0)) return own;
    const bool input = which == STD_INPUT_HANDLE;
    // This program's end is not inherited.
    ::SetHandleInformation(input ? write : read, HANDLE_FLAG_INHERIT, 0);
    relay.from = input ? own : read;
    relay.to = input ? write : own;
    return input ? read : write;
}

void startRelay(Relay& relay, bool input) {
    if (relay.to == nullptr) return;
    relay.thread = ::CreateThread(nullptr, 0, input ? relayFromConsole : relayToConsole, &relay, 0, nullptr);
}

}  // namespace

int main() {
    const std::wstring program = windowProgramPath();
    std::wstring commandLine = L"\"" + program + L"\"";
    const wchar_t* arguments = argumentsOf(::GetCommandLineW());
    if (*arguments != L'\0') commandLine += L' ' + std::wstring(arguments);

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    static Relay relays[3];
    startup.hStdInput = editorHandle(STD_INPUT_HANDLE, relays[0]);
    startup.hStdOutput = editorHandle(STD_OUTPUT_HANDLE, relays[1]);
    // Both to the console: one pipe carries both, so that the lines show in
    // the order the editor wrote them (two pipes with a thread each would
    // race).
    const bool oneChannel = relays[1].to != nullptr && isConsole(::GetStdHandle(STD_ERROR_HANDLE));
    startup.hStdError = oneChannel ? startup.hStdOutput : editorHandle(STD_ERROR_HANDLE, relays[2]);
    PROCESS_INFORMATION process{};
    passEndRequests();
    ::SetConsoleCtrlHandler(onConsoleEvent, TRUE);
    if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, DETACHED_PROCESS, nullptr,
                          nullptr, &startup, &process)) {
        const DWORD error = ::GetLastError();
        std::fprintf(stderr, "mapeditor: cannot start %s: %s\n", utf8(program).c_str(), reason(error).c_str());
        return 1;
    }
    ::CloseHandle(process.hThread);
    windowProgram = process.hProcess;
    // The editor's ends of the pipes are its own now: an output pipe ends
    // when the editor (and whatever it started) has closed it.
    if (relays[0].to != nullptr) ::CloseHandle(startup.hStdInput);
    for (int i : {1, 2})
        if (relays[i].to != nullptr) ::CloseHandle(i == 1 ? startup.hStdOutput : startup.hStdError);
    for (int i : {0, 1, 2}) startRelay(relays[i], i == 0);
    ::WaitForSingleObject(process.hProcess, INFINITE);
    // Everything the editor wrote reaches the console before its status
    // goes back; a program it left running with the pipe gets 2 s.
    for (int i : {1, 2})
        if (relays[i].thread != nullptr) ::WaitForSingleObject(relays[i].thread, 2000);
    DWORD status = 1;
    ::GetExitCodeProcess(process.hProcess, &status);
    return static_cast<int>(status);
}
