#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdint>
#include <cstdio>

#include "TextFile.h"

// The Windows means of the same contract. Paths are UTF-8 and go through the
// wide-character API. The lock of a temporary file is its writer's open
// handle: a cleaner opens a candidate asking for no sharing at all, which
// fails while any handle to it is open, and handles go with their process,
// so a temporary file that such an open succeeds on was left by a writer
// that was killed or crashed.

namespace {

constexpr std::uint64_t maxReadSize = 256ull << 20;

std::wstring widePath(const std::string& path) {
    if (path.empty()) return L"";
    const int length = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.data(),
                                             static_cast<int>(path.size()), nullptr, 0);
    if (length <= 0) return L"";
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.data(), static_cast<int>(path.size()),
                          wide.data(), length);
    return wide;
}

std::string utf8Name(const wchar_t* name) {
    const int length = ::WideCharToMultiByte(CP_UTF8, 0, name, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 1) return "";
    std::string narrow(static_cast<std::size_t>(length - 1), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, name, -1, narrow.data(), length, nullptr, nullptr);
    return narrow;
}

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

}  // namespace

bool readWholeFile(const char* path, std::string& text) {
    if (path == nullptr) return false;
    const std::wstring wide = widePath(path);
    if (wide.empty()) return false;
    // Without FILE_FLAG_BACKUP_SEMANTICS a directory does not open.
    Handle in(::CreateFileW(wide.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!in.valid()) return false;
    // Devices, pipes and consoles are no map files, and a file too large for
    // any map is not read into memory.
    LARGE_INTEGER size;
    if (::GetFileType(in.get()) != FILE_TYPE_DISK || !::GetFileSizeEx(in.get(), &size) || size.QuadPart < 0 ||
        static_cast<std::uint64_t>(size.QuadPart) > maxReadSize)
        return false;
    std::string result;
    result.reserve(static_cast<std::size_t>(size.QuadPart));
    char buffer[1 << 16];
    DWORD got = 0;
    for (;;) {
        if (!::ReadFile(in.get(), buffer, sizeof buffer, &got, nullptr)) return false;
        if (got == 0) break;
        result.append(buffer, got);
        if (result.size() > maxReadSize) return false;
    }
    text = std::move(result);
    return true;
}

namespace {

// A temporary file is named after its target: "map.mef.saving-" and six
// letters or digits; no other name is ever taken for one.
constexpr char tempInfix[] = ".saving-";
constexpr std::size_t tempInfixLength = sizeof tempInfix - 1;
constexpr std::size_t tempSuffixLength = 6;

bool isAlphanumeric(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// Windows file names compare without regard to case.
bool isTempNameOf(const std::string& name, const std::string& base) {
    if (name.size() != base.size() + tempInfixLength + tempSuffixLength ||
        ::CompareStringOrdinal(widePath(name.substr(0, base.size())).c_str(), -1, widePath(base).c_str(), -1,
                               TRUE) != CSTR_EQUAL ||
        name.compare(base.size(), tempInfixLength, tempInfix) != 0)
        return false;
    for (std::size_t i = base.size() + tempInfixLength; i < name.size(); ++i)
        if (!isAlphanumeric(name[i])) return false;
    return true;
}

// The folder part of `target` with its separator ("" for the working directory)
// and the name part.
void splitPath(const std::string& target, std::string& dir, std::string& base) {
    const std::size_t separator = target.find_last_of("/\\");
    dir = separator == std::string::npos ? "" : target.substr(0, separator + 1);
    base = separator == std::string::npos ? target : target.substr(separator + 1);
}

// Removes the temporary files beside `target` that no living writer holds:
// opening one without sharing succeeds only when nobody has it open, and
// FILE_FLAG_DELETE_ON_CLOSE removes it with that very handle.
void removeAbandonedTemps(const std::string& target) {
    std::string dir, base;
    splitPath(target, dir, base);
    WIN32_FIND_DATAW found;
    const HANDLE search = ::FindFirstFileW(widePath(dir + base + tempInfix + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) continue;
        const std::string name = utf8Name(found.cFileName);
        if (!isTempNameOf(name, base)) continue;
        const HANDLE abandoned =
            ::CreateFileW(widePath(dir + name).c_str(), DELETE, 0, nullptr, OPEN_EXISTING,
                          FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (abandoned != INVALID_HANDLE_VALUE) ::CloseHandle(abandoned);
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
}

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

}  // namespace

TempFile createTempFileBeside(const std::string& target) {
    for (int attempt = 0; attempt < 8; ++attempt) {
        TempFile temp;
        temp.path = target + tempInfix + uniqueSuffix();
        const std::wstring wide = widePath(temp.path);
        if (wide.empty()) return {};
        // No sharing: nobody else reads or renames it while it is written.
        const HANDLE handle = ::CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                            FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            if (::GetLastError() == ERROR_FILE_EXISTS) continue;
            return {};
        }
        // Binary: the bytes reach the disk as given, LF line ends included.
        const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
        if (fd < 0) {
            ::CloseHandle(handle);
            ::DeleteFileW(wide.c_str());
            return {};
        }
        temp.stream = ::_fdopen(fd, "wb");
        if (temp.stream == nullptr) {
            ::_close(fd);
            ::DeleteFileW(wide.c_str());
            return {};
        }
        return temp;
    }
    return {};
}

bool replaceFile(const std::string& target, std::string_view content, TempFileFactory createTemp) {
    TempFile temp = createTemp(target);
    if (temp.stream == nullptr) return false;
    bool ok = std::fwrite(content.data(), 1, content.size(), temp.stream) == content.size();
    ok = std::fflush(temp.stream) == 0 && ok;
    // Flushed to the disk so that a crash after the replacement cannot leave
    // an empty target. A handle that is no disk file (a test's stand-in) has
    // nothing to flush.
    if (ok) {
        const HANDLE handle = reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(temp.stream)));
        if (::GetFileType(handle) == FILE_TYPE_DISK && !::FlushFileBuffers(handle)) ok = false;
    }
    // A file open without sharing cannot be renamed: closed first.
    ok = std::fclose(temp.stream) == 0 && ok;
    const std::wstring from = widePath(temp.path);
    if (ok)
        ok = ::MoveFileExW(from.c_str(), widePath(target).c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    if (!ok) ::DeleteFileW(from.c_str());
    // What a killed earlier write left beside the target would otherwise stay for good.
    if (ok) removeAbandonedTemps(target);
    return ok;
}
