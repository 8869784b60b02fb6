// The file code on Windows: reads through a handle checked to be a disk
// file, and what names are. Paths are UTF-8 and go through the
// wide-character API. The safe save's steps are SaveStepsWindows.cpp.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>

#include "TempFileName.h"
#include "TextFile.h"
#include "WindowsFiles.h"

ReadError readRegularFile(const char* path, std::string& text, std::string& reason) {
    const std::wstring wide = path == nullptr ? std::wstring() : widePath(path);
    if (wide.empty()) {
        reason = reasonOf(invalidNameError);
        return ReadError::cannotOpen;
    }
    // FILE_FLAG_BACKUP_SEMANTICS lets a folder open, so that it is refused for
    // what it is; devices, pipes and consoles are no disk files.
    Handle in(::CreateFileW(wide.c_str(), GENERIC_READ, shareAll, nullptr, OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!in.valid()) {
        const DWORD error = ::GetLastError();
        if (consoleWithoutConsole(error)) return ReadError::notRegularFile;
        reason = reasonOf(error);
        return ReadError::cannotOpen;
    }
    if (!isRegularFile(in.get())) return ReadError::notRegularFile;
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(in.get(), &size) || size.QuadPart < 0) {
        reason = reasonOf(::GetLastError());
        return ReadError::readFailed;
    }
    if (static_cast<std::uint64_t>(size.QuadPart) > maxReadFileSize) return ReadError::tooLarge;
    std::string result;
    result.reserve(static_cast<std::size_t>(size.QuadPart));
    char buffer[1 << 16];
    DWORD got = 0;
    for (;;) {
        if (!::ReadFile(in.get(), buffer, sizeof buffer, &got, nullptr)) {
            reason = reasonOf(::GetLastError());
            return ReadError::readFailed;
        }
        if (got == 0) break;
        result.append(buffer, got);
        // The file may grow while it is read.
        if (result.size() > maxReadFileSize) return ReadError::tooLarge;
    }
    text = std::move(result);
    return ReadError::none;
}

// A file or a pipe is read as it is. A console is read as Windows tools read
// it, in text mode, where Ctrl+Z at the start of a line ends the input.
void readStandardInputAsBytes() {
    DWORD mode = 0;
    if (::GetConsoleMode(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stdin))), &mode)) return;
    _setmode(_fileno(stdin), _O_BINARY);
}

std::string systemFileName(const std::string& path) {
    const std::size_t start = path.find_last_of("\\/:") + 1;
    const std::string last = path.substr(start);
    if (last.empty() || last == "." || last == "..") return path;
    // The full path as Windows makes it, whose last part is the name it keeps.
    const std::wstring wide = widePath(path);
    if (wide.empty()) return path;
    const DWORD size = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (size == 0) return path;
    std::wstring full(size, L'\0');
    const DWORD length = ::GetFullPathNameW(wide.c_str(), size, full.data(), nullptr);
    if (length == 0 || length >= size) return path;
    full.resize(length);
    // A short 8.3 name ("CANY~A5O.MEF") names the same file as its long one,
    // which an existing file's name is made into.
    const DWORD longSize = ::GetLongPathNameW(full.c_str(), nullptr, 0);
    if (longSize > 0) {
        std::wstring longName(longSize, L'\0');
        const DWORD longLength = ::GetLongPathNameW(full.c_str(), longName.data(), longSize);
        if (longLength > 0 && longLength < longSize) full.assign(longName.c_str(), longLength);
    }
    const std::string name = utf8Name(full.c_str() + full.find_last_of(L"\\/") + 1);
    return name.empty() ? path : path.substr(0, start) + name;
}

PathKind pathKind(const char* path) {
    const std::wstring wide = path == nullptr ? std::wstring() : widePath(path);
    if (wide.empty()) return PathKind::missing;
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? PathKind::missing
                                                                              : PathKind::unknown;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return PathKind::other;
    // Device names such as NUL or COM1 have attributes too: only a disk file
    // opened without access rights (no effect on any device) is regular.
    Handle handle(::CreateFileW(wide.c_str(), 0, shareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                nullptr));
    if (!handle.valid()) return consoleWithoutConsole(::GetLastError()) ? PathKind::other : PathKind::unknown;
    return isRegularFile(handle.get()) ? PathKind::regularFile : PathKind::other;
}

bool enterFolderOf(std::string& path) {
    // The last separator of either kind, or the colon of a drive-relative "C:map.mef".
    std::size_t end = path.find_last_of("/\\");
    if (end == std::string::npos && path.size() > 2 && path[1] == ':') end = 1;
    if (end == std::string::npos) return true;
    const std::wstring folder = widePath(path.substr(0, end + 1));
    if (folder.empty() || !::SetCurrentDirectoryW(folder.c_str())) {
        errno = ENOENT;
        return false;
    }
    path.erase(0, end + 1);
    return true;
}

bool isSymbolicLink(const char* path) {
    const std::wstring wide = path == nullptr ? std::wstring() : widePath(path);
    if (wide.empty()) return false;
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

PathKind pathKind(const char* path, std::string& reason) {
    const PathKind kind = pathKind(path);
    if (kind == PathKind::unknown) reason = reasonOf(::GetLastError());
    return kind;
}
