// The safe save's steps on Windows: a temporary file that nobody else may
// open, flushed with FlushFileBuffers and moved with MoveFileExW within the
// final file's folder. SafeSave.cpp puts them in order.
#include <io.h>
#include <windows.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cwchar>

#include "SafeSave.h"
#include "TempFileName.h"
#include "WindowsFiles.h"

namespace {

// The file a write to some name ends up in.
struct FoundFile {
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
bool resolveFinalFile(const std::string& target, FoundFile& file, DWORD& error) {
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
std::string whyNotWritable(const FoundFile& file) {
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
DWORD rewrite(const std::string& path, std::string_view content) {
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

StepResult failure(DWORD error) { return {static_cast<int>(error), reasonOf(error)}; }

// A failure of the C library's stream: its errno, or EIO when it gave none.
StepResult streamFailure() {
    const int error = errno != 0 ? errno : EIO;
    return {error, reasonOfErrno(error)};
}

class WindowsSaveSteps : public SaveSteps {
public:
    StepResult findFinal(const std::string& target, bool followLinks, FinalFile& file) override {
        // Not followed, the link itself goes first (a link to a folder is
        // removed as a folder, which removes only the link), then the name
        // is free for a regular file.
        if (!followLinks && isSymbolicLink(target.c_str())) {
            const std::wstring wide = widePath(target);
            const DWORD attributes = ::GetFileAttributesW(wide.c_str());
            const BOOL removed = (attributes & FILE_ATTRIBUTE_DIRECTORY) ? ::RemoveDirectoryW(wide.c_str())
                                                                         : ::DeleteFileW(wide.c_str());
            if (!removed) return failure(::GetLastError());
        }
        // Like CON, every device is refused for what it is, before it is opened.
        if (namesDevice(target)) return {EINVAL, notRegularFileReason};
        FoundFile found;
        DWORD error = 0;
        if (!resolveFinalFile(target, found, error)) return failure(error);
        file.path = found.path;
        file.exists = found.exists;
        finalFile = found;
        return {};
    }

    StepResult refusal(const FinalFile&) override {
        std::string why = whyNotWritable(finalFile);
        if (!why.empty()) return {EACCES, std::move(why)};
        return {};
    }

    // The replaced file gets the permissions its folder gives new files.
    void keepOwnerAndMode(const TempFile&, const FinalFile&) override {}

    StepResult write(std::FILE* stream, std::string_view content) override {
        // The C library's errno says why a write through the stream failed;
        // the system calls give their own error.
        errno = 0;
        if (std::fwrite(content.data(), 1, content.size(), stream) != content.size()) return streamFailure();
        return {};
    }

    StepResult flush(std::FILE* stream) override {
        errno = 0;
        if (std::fflush(stream) != 0) return streamFailure();
        // Flushed to the disk so that a crash after the replacement cannot
        // leave an empty target. A handle that is no disk file (a test's
        // stand-in) has nothing to flush.
        const HANDLE handle = reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(stream)));
        if (::GetFileType(handle) == FILE_TYPE_DISK && !::FlushFileBuffers(handle))
            return failure(::GetLastError());
        return {};
    }

    StepResult close(std::FILE* stream) override {
        if (std::fclose(stream) != 0) return streamFailure();
        return {};
    }

    StepResult rename(const std::string& from, const std::string& to) override {
        if (!::MoveFileExW(widePath(from).c_str(), widePath(to).c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return failure(renameError(to, ::GetLastError()));
        return {};
    }

    void remove(const std::string& path) override { ::DeleteFileW(widePath(path).c_str()); }

    StepResult writeInPlace(const std::string& path, std::string_view content) override {
        if (const DWORD error = rewrite(path, content)) return failure(error);
        return {};
    }

    void removeAbandonedTemps(const std::string& path) override { removeAbandonedTempsOf(path); }

    std::string errnoReason(int error) override { return reasonOfErrno(error); }

private:
    FoundFile finalFile;  // the file the save replaces
};

}  // namespace

std::unique_ptr<SaveSteps> systemSaveSteps() { return std::make_unique<WindowsSaveSteps>(); }

const SaveOrder& systemSaveOrder() { return windowsSaveOrder; }
