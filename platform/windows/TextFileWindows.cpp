// The file code on Windows: reads through a handle checked to be a disk file,
// replacement by MoveFileExW within the final file's folder. Paths are UTF-8
// and go through the wide-character API.
//
// The lock of a temporary file is its writer's open handle: a cleaner opens a
// candidate asking for no sharing at all, which fails while any handle to it
// is open, and handles go with their process, so a temporary file that such
// an open succeeds on was left by a writer that was killed or crashed.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cwchar>

#include "TempFileName.h"
#include "TextFile.h"
#include "WindowsReason.h"

namespace {

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

constexpr DWORD shareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The system's words for `error` (a GetLastError value), in English where the
// system has them, else in its own language, without the final full stop and
// line end: "Access is denied".
std::string reasonOf(DWORD error) {
    // The system's sentence speaks of a "process", which means nothing to a
    // user who has the file open in another program.
    if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION) return "used by another program";
    constexpr DWORD flags =
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    wchar_t* text = nullptr;
    DWORD length = ::FormatMessageW(flags, nullptr, error, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                                    reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    if (length == 0)
        length = ::FormatMessageW(flags, nullptr, error, MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL),
                                  reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string reason;
    if (length > 0) {
        while (length > 0 && (text[length - 1] == L'.' || text[length - 1] == L'\r' ||
                              text[length - 1] == L'\n' || text[length - 1] == L' '))
            --length;
        text[length] = L'\0';
        reason = utf8Name(text);
    }
    if (text != nullptr) ::LocalFree(text);
    return reason.empty() ? "error " + std::to_string(error) : reason;
}

// CON, CONIN$ and CONOUT$ in a program without a console: no file, as they
// are in one.
bool consoleWithoutConsole(DWORD error) { return error == ERROR_INVALID_HANDLE; }

// A name that is not valid UTF-8 never reaches the system.
constexpr DWORD invalidNameError = ERROR_NO_UNICODE_TRANSLATION;

// A disk file that is no folder: what Windows has for a regular file.
bool isRegularFile(HANDLE handle) {
    BY_HANDLE_FILE_INFORMATION info;
    return ::GetFileType(handle) == FILE_TYPE_DISK && ::GetFileInformationByHandle(handle, &info) &&
           !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

std::string windowsReason(unsigned long error) { return reasonOf(static_cast<DWORD>(error)); }

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

namespace {

// The folder part of `target` with its separator ("" for the working directory).
std::string folderOf(const std::string& path) {
    const std::size_t separator = path.find_last_of("/\\");
    return separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
}

// Removes the temporary files beside `target` that no living writer holds:
// opening one without sharing succeeds only when nobody has it open, and
// FILE_FLAG_DELETE_ON_CLOSE removes it with that very handle.
void removeAbandonedTemps(const std::string& target) {
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

namespace {

// The file a write to some name ends up in.
struct FinalFile {
    std::string path;     // no symbolic link as its last component
    bool exists = false;  // when false, `attributes` is not set
    DWORD attributes = 0;
};

// "\\?\C:\x" as "C:\x" and "\\?\UNC\host\x" as "\\host\x", the forms every
// API and every message takes.
std::string withoutLongPathPrefix(std::string path) {
    if (path.rfind("\\\\?\\UNC\\", 0) == 0) return "\\" + path.substr(7);
    if (path.rfind("\\\\?\\", 0) == 0 && path.size() > 6 && path[5] == ':') return path.substr(4);
    return path;
}

// Follows a symbolic link (or a chain, or a junction) at `target` to the file
// at its end. False for a link that leads nowhere or into a loop, and for a
// name that cannot be looked at; `error` then says why.
bool resolveFinalFile(const std::string& target, FinalFile& file, DWORD& error) {
    const std::wstring wide = widePath(target);
    error = invalidNameError;
    if (wide.empty()) return false;
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    file.path = target;
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        error = ::GetLastError();
        file.exists = false;
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
    file.exists = true;
    file.attributes = attributes;
    // Opened without FILE_FLAG_OPEN_REPARSE_POINT, the handle is the file at
    // the end of any chain of links; the system follows and limits the chain
    // itself. Asked for every file, since not every link shows as a reparse
    // point (Wine shows a POSIX symbolic link as the file it leads to).
    Handle final(::CreateFileW(wide.c_str(), FILE_READ_ATTRIBUTES, shareAll, nullptr, OPEN_EXISTING,
                               FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!final.valid()) {
        error = ::GetLastError();
        return !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
    }
    BY_HANDLE_FILE_INFORMATION info;
    if (!::GetFileInformationByHandle(final.get(), &info)) {
        error = ::GetLastError();
        return false;
    }
    file.attributes = info.dwFileAttributes;
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetFinalPathNameByHandleW(
            final.get(), name.data(), static_cast<DWORD>(name.size()), FILE_NAME_NORMALIZED);
        if (length == 0) {
            error = ::GetLastError();
            return !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
        }
        if (length < name.size()) {
            name.resize(length);
            break;
        }
        name.resize(length + 1);
    }
    file.path = withoutLongPathPrefix(utf8Name(name.c_str()));
    error = ERROR_INVALID_NAME;
    return !file.path.empty();
}

// What a plain write would refuse: the read-only attribute, an access
// control list that denies writing, a file another process holds without
// sharing write access (as most programs open what they read). Opening for
// writing without truncating changes nothing. Returns the reason for a
// refusal, empty when the file may be written.
std::string whyNotWritable(const FinalFile& file) {
    if (file.attributes & FILE_ATTRIBUTE_DIRECTORY) return notRegularFileReason;
    if (file.attributes & FILE_ATTRIBUTE_READONLY) return reasonOf(ERROR_ACCESS_DENIED);
    Handle out(::CreateFileW(widePath(file.path).c_str(), GENERIC_WRITE, shareAll, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out.valid()) {
        const DWORD error = ::GetLastError();
        return consoleWithoutConsole(error) ? notRegularFileReason : reasonOf(error);
    }
    if (::GetFileType(out.get()) != FILE_TYPE_DISK) return notRegularFileReason;
    return {};
}

// Errors with which a folder refuses a new file although its files may be written.
bool folderRefusesNewFiles(int error) { return error == EACCES || error == EPERM || error == EROFS; }

// Reserves the disk space for `size` bytes of the open file `file`, whose
// size is `oldSize`; returns 0 or the error. A smaller allocation would cut
// the file, so only growth is reserved; where the call is not supported (by
// the file system, or by Wine) there is nothing to do but write.
DWORD reserveSpace(HANDLE file, std::uint64_t size, std::uint64_t oldSize) {
    if (size <= oldSize) return 0;
    FILE_ALLOCATION_INFO allocation{};
    allocation.AllocationSize.QuadPart = static_cast<LONGLONG>(size);
    if (::SetFileInformationByHandle(file, FileAllocationInfo, &allocation, sizeof allocation)) return 0;
    const DWORD error = ::GetLastError();
    return error == ERROR_INVALID_PARAMETER || error == ERROR_NOT_SUPPORTED ||
                   error == ERROR_INVALID_FUNCTION || error == ERROR_CALL_NOT_IMPLEMENTED
               ? 0
               : error;
}

// Overwrites the existing file `path` with `content` the way a plain write
// works, used only when the folder refuses a temporary file. The space for
// the new content is reserved first, so that a disk too full for it leaves
// every old byte as it was; the file is cut to its new length only after the
// new bytes are written. Returns 0 or the error.
DWORD writeInPlace(const std::string& path, std::string_view content) {
    Handle out(::CreateFileW(widePath(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out.valid()) return ::GetLastError();
    if (::GetFileType(out.get()) != FILE_TYPE_DISK) return ERROR_INVALID_FUNCTION;
    LARGE_INTEGER oldSize;
    if (!::GetFileSizeEx(out.get(), &oldSize)) return ::GetLastError();
    if (const DWORD error =
            reserveSpace(out.get(), content.size(), static_cast<std::uint64_t>(oldSize.QuadPart)))
        return error;
    const char* p = content.data();
    std::size_t left = content.size();
    while (left > 0) {
        const DWORD chunk = left > (1u << 30) ? (1u << 30) : static_cast<DWORD>(left);
        DWORD written = 0;
        if (!::WriteFile(out.get(), p, chunk, &written, nullptr)) return ::GetLastError();
        if (written == 0) return ERROR_WRITE_FAULT;
        p += written;
        left -= written;
    }
    FILE_END_OF_FILE_INFO end{};
    end.EndOfFile.QuadPart = static_cast<LONGLONG>(content.size());
    if (!::SetFileInformationByHandle(out.get(), FileEndOfFileInfo, &end, sizeof end) ||
        !::FlushFileBuffers(out.get()))
        return ::GetLastError();
    return 0;
}

// The replacement removes the old file: a file another program has open,
// whatever it shares (deletion included), refuses that with "Access is
// denied", although it is no read-only one. Opening it without sharing
// anything tells the two apart: that fails only while another holds it.
DWORD renameError(const std::string& target, DWORD error) {
    if (error != ERROR_ACCESS_DENIED) return error;
    Handle probe(::CreateFileW(widePath(target).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                               FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return !probe.valid() && ::GetLastError() == ERROR_SHARING_VIOLATION ? ERROR_SHARING_VIOLATION : error;
}

// The system's words for what the C library reports as `error` (an errno),
// so that one cause reads the same whichever call met it: "Access is
// denied", never also "Permission denied".
std::string reasonOfErrno(int error) {
    switch (error) {
        case EACCES:
        case EPERM:
            return reasonOf(ERROR_ACCESS_DENIED);
        case EROFS:
            return reasonOf(ERROR_WRITE_PROTECT);
        case ENOENT:
            // A temporary file beside the target fails so only without its folder.
            return reasonOf(ERROR_PATH_NOT_FOUND);
        case ENOSPC:
            return reasonOf(ERROR_DISK_FULL);
        case ENAMETOOLONG:
            return reasonOf(ERROR_FILENAME_EXCED_RANGE);
        case EEXIST:
            return reasonOf(ERROR_FILE_EXISTS);
        default:
            return std::strerror(error);
    }
}

// A device's name (NUL, AUX, LPT1, COM1, CON, with any extension, in any
// folder): Windows makes the full path "\\.\NUL" of it.
bool namesDevice(const std::string& target) {
    const std::wstring wide = widePath(target);
    if (wide.empty()) return false;
    wchar_t full[64];
    const DWORD length = ::GetFullPathNameW(wide.c_str(), 64, full, nullptr);
    return length > 4 && length < 64 && std::wcsncmp(full, L"\\\\.\\", 4) == 0;
}

ReplaceResult failedBecause(std::string& reason, const std::string& why) {
    reason = why;
    return ReplaceResult::failed;
}

}  // namespace

ReplaceResult replaceFile(const std::string& target, std::string_view content, TempFileFactory createTemp,
                          std::string* reasonOut) {
    std::string unused;
    std::string& reason = reasonOut != nullptr ? *reasonOut : unused;
    reason.clear();
    // Like CON, every device is refused for what it is, before it is opened.
    if (namesDevice(target)) return failedBecause(reason, notRegularFileReason);
    FinalFile file;
    DWORD error = 0;
    if (!resolveFinalFile(target, file, error)) return failedBecause(reason, reasonOf(error));
    if (file.exists) {
        const std::string refusal = whyNotWritable(file);
        if (!refusal.empty()) return failedBecause(reason, refusal);
    }
    TempFile temp = createTemp(file.path);
    if (temp.stream == nullptr) {
        if (!file.exists || !folderRefusesNewFiles(temp.error))
            return failedBecause(reason, reasonOfErrno(temp.error));
        if (const DWORD inPlace = writeInPlace(file.path, content))
            return failedBecause(reason, reasonOf(inPlace));
        reason = folderNotWritableReason;
        return ReplaceResult::writtenInPlace;
    }
    // The C library's errno says why a write through the stream failed; the
    // system calls below give their own error.
    errno = 0;
    std::string why;
    if (std::fwrite(content.data(), 1, content.size(), temp.stream) != content.size() ||
        std::fflush(temp.stream) != 0)
        why = reasonOfErrno(errno != 0 ? errno : EIO);
    // Flushed to the disk so that a crash after the replacement cannot leave
    // an empty target. A handle that is no disk file (a test's stand-in) has
    // nothing to flush.
    if (why.empty()) {
        const HANDLE handle = reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(temp.stream)));
        if (::GetFileType(handle) == FILE_TYPE_DISK && !::FlushFileBuffers(handle))
            why = reasonOf(::GetLastError());
    }
    // A file open without sharing cannot be renamed: closed first.
    if (std::fclose(temp.stream) != 0 && why.empty()) why = reasonOfErrno(errno != 0 ? errno : EIO);
    const std::wstring from = widePath(temp.path);
    if (why.empty() && !::MoveFileExW(from.c_str(), widePath(file.path).c_str(),
                                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        why = reasonOf(renameError(file.path, ::GetLastError()));
    if (!why.empty()) {
        ::DeleteFileW(from.c_str());
        return failedBecause(reason, why);
    }
    // What a killed earlier write left beside the file would otherwise stay for good.
    removeAbandonedTemps(file.path);
    return ReplaceResult::replaced;
}

bool isSymbolicLink(const char* path) {
    const std::wstring wide = path == nullptr ? std::wstring() : widePath(path);
    if (wide.empty()) return false;
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// The link itself goes first (a link to a folder is removed as a folder,
// which removes only the link), then the name is free for a regular file.
ReplaceResult replaceFileItself(const std::string& target, std::string_view content,
                                TempFileFactory createTemp, std::string* reason) {
    if (isSymbolicLink(target.c_str())) {
        const std::wstring wide = widePath(target);
        const DWORD attributes = ::GetFileAttributesW(wide.c_str());
        const BOOL removed = (attributes & FILE_ATTRIBUTE_DIRECTORY) ? ::RemoveDirectoryW(wide.c_str())
                                                                     : ::DeleteFileW(wide.c_str());
        if (!removed) {
            if (reason != nullptr) *reason = reasonOf(::GetLastError());
            return ReplaceResult::failed;
        }
    }
    return replaceFile(target, content, createTemp, reason);
}

PathKind pathKind(const char* path, std::string& reason) {
    const PathKind kind = pathKind(path);
    if (kind == PathKind::unknown) reason = reasonOf(::GetLastError());
    return kind;
}
