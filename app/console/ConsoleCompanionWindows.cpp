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
#include <windows.h>

#include <cstdint>
#include <cstdio>
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

}  // namespace

int main() {
    const std::wstring program = windowProgramPath();
    std::wstring commandLine = L"\"" + program + L"\"";
    const wchar_t* arguments = argumentsOf(::GetCommandLineW());
    if (*arguments != L'\0') commandLine += L' ' + std::wstring(arguments);

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = ::GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process{};
    passEndRequests();
    ::SetConsoleCtrlHandler(onConsoleEvent, TRUE);
    if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                          &startup, &process)) {
        const DWORD error = ::GetLastError();
        std::fprintf(stderr, "mapeditor: cannot start %s: %s\n", utf8(program).c_str(), reason(error).c_str());
        return 1;
    }
    ::CloseHandle(process.hThread);
    windowProgram = process.hProcess;
    ::WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 1;
    ::GetExitCodeProcess(process.hProcess, &status);
    return static_cast<int>(status);
}
