// Temporary files on Windows. The lock of a temporary file is its writer's
// open handle: a cleaner opens a candidate asking for no sharing at all,
// which fails while any handle to it is open, and handles go with their
// process, so a temporary file that such an open succeeds on was left by a
// writer that was killed or crashed.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>

#include "TempFileName.h"
#include "TextFile.h"
#include "WindowsFiles.h"

std::string folderOf(const std::string& path) {
    const std::size_t separator = path.find_last_of("/\\");
    return separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
}

// Removes the temporary files beside `target` that no living writer holds:
// opening one without sharing succeeds only when nobody has it open, and
// FILE_FLAG_DELETE_ON_CLOSE removes it with that very handle.
void removeAbandonedTempsOf(const std::string& target) {
    const std::string folder = folderOf(target);
    const std::string base = target.substr(folder.size());
    WIN32_FIND_DATAW found;
    const HANDLE search =
        ::FindFirstFileW(widePath(folder + tempStemOf(base) + tempInfix + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) continue;
        const std::string name = utf8Name(found.cFileName);
        if (!isTempNameOf(name, base)) continue;
        const HANDLE abandoned =
            ::CreateFileW(widePath(folder + name).c_str(), DELETE, 0, nullptr, OPEN_EXISTING,
                          FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (abandoned != INVALID_HANDLE_VALUE) ::CloseHandle(abandoned);
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
}

namespace {

// Six letters or digits that differ between processes and between calls.
std::string uniqueSuffix() {
    static std::uint64_t calls = 0;
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    std::uint64_t state = static_cast<std::uint64_t>(now.QuadPart) ^
                          (std::uint64_t{::GetCurrentProcessId()} << 32) ^ (++calls * 0x9E3779B97F4A7C15ull);
    static const char alphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::string suffix;
    for (std::size_t i = 0; i < tempSuffixLength; ++i) {
        // splitmix64 step
        state += 0x9E3779B97F4A7C15ull;
        std::uint64_t z = state;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        suffix += alphabet[(z ^ (z >> 31)) % (sizeof alphabet - 1)];
    }
    return suffix;
}

// The errno that the shared contract of TempFile::error speaks of.
int errnoOf(DWORD error) {
    switch (error) {
        case ERROR_ACCESS_DENIED:
            return EACCES;
        case ERROR_WRITE_PROTECT:
            return EROFS;
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            return EEXIST;
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return ENOENT;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return ENOSPC;
        case ERROR_FILENAME_EXCED_RANGE:
            return ENAMETOOLONG;
        default:
            return EIO;
    }
}

}  // namespace

TempFile createTempFileBeside(const std::string& target) {
    const std::string folder = folderOf(target);
    const std::string stem = folder + tempStemOf(target.substr(folder.size()));
    for (int attempt = 0; attempt < 8; ++attempt) {
        TempFile temp;
        temp.path = stem + tempInfix + uniqueSuffix();
        const std::wstring wide = widePath(temp.path);
        if (wide.empty()) return {nullptr, {}, EINVAL};
        // No sharing: nobody else reads or renames it while it is written.
        const HANDLE handle = ::CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                            FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            const DWORD error = ::GetLastError();
            if (error == ERROR_FILE_EXISTS) continue;
            return {nullptr, {}, errnoOf(error)};
        }
        // Binary: the bytes reach the disk as given, LF line ends included.
        const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
        if (fd < 0) {
            ::CloseHandle(handle);
            ::DeleteFileW(wide.c_str());
            return {nullptr, {}, EIO};
        }
        temp.stream = ::_fdopen(fd, "wb");
        if (temp.stream == nullptr) {
            ::_close(fd);
            ::DeleteFileW(wide.c_str());
            return {nullptr, {}, EIO};
        }
        return temp;
    }
    return {nullptr, {}, EEXIST};
}
