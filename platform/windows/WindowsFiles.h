#pragma once

// What the Windows file code shares (TextFileWindows.cpp, TempFileWindows.cpp
// and SaveStepsWindows.cpp): UTF-8 paths through the wide-character API,
// handles that close themselves, and the system's words for its errors.

#include <windows.h>

#include <string>

std::wstring widePath(const std::string& path);
std::string utf8Name(const wchar_t* name);

// An open handle, closed with the object.
class Handle {
public:
    explicit Handle(HANDLE handle) : handle(handle) {}
    ~Handle() {
        if (valid()) ::CloseHandle(handle);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    bool valid() const { return handle != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle; }

private:
    HANDLE handle;
};

constexpr DWORD shareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The system's words for `error` (a GetLastError value), in English where the
// system has them, else in its own language, without the final full stop and
// line end: "Access is denied".
std::string reasonOf(DWORD error);

// CON, CONIN$ and CONOUT$ in a program without a console: no file, as they
// are in one.
inline bool consoleWithoutConsole(DWORD error) { return error == ERROR_INVALID_HANDLE; }

// A name that is not valid UTF-8 never reaches the system.
constexpr DWORD invalidNameError = ERROR_NO_UNICODE_TRANSLATION;

// A disk file that is no folder: what Windows has for a regular file.
bool isRegularFile(HANDLE handle);

// The folder part of `path` with its separator ("" for the working directory).
std::string folderOf(const std::string& path);

// Removes the temporary files beside `target` that no living writer holds.
void removeAbandonedTempsOf(const std::string& target);
