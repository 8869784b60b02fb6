// The file code on POSIX systems: reads through a descriptor that cannot
// block, replacement by rename(2) within the final file's folder.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "TempFileName.h"
#include "TextFile.h"

namespace {

// Reads all of `fd`, a regular file, refusing more than maxReadFileSize bytes
// even when the file grows while it is read.
ReadError readAll(int fd, std::size_t expected, std::string& text) {
    std::string result;
    result.reserve(expected);
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return ReadError::readFailed;
        if (got == 0) break;
        result.append(buffer, static_cast<std::size_t>(got));
        if (result.size() > maxReadFileSize) return ReadError::tooLarge;
    }
    text = std::move(result);
    return ReadError::none;
}

}  // namespace

ReadError readRegularFile(const char* path, std::string& text) {
    if (path == nullptr) return ReadError::cannotOpen;
    struct stat info;
    // Looked at before opening, since opening a device can have effects of its own.
    if (::stat(path, &info) == 0 && !S_ISREG(info.st_mode)) return ReadError::notRegularFile;
    // Non-blocking, so that a FIFO put in the file's place after the check
    // cannot hold the open up; it is refused below.
    const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return ReadError::cannotOpen;
    ReadError error = ReadError::readFailed;
    if (::fstat(fd, &info) == 0) {
        if (!S_ISREG(info.st_mode))
            error = ReadError::notRegularFile;
        else if (static_cast<std::uint64_t>(info.st_size) > maxReadFileSize)
            error = ReadError::tooLarge;
        else
            error = readAll(fd, static_cast<std::size_t>(info.st_size), text);
    }
    ::close(fd);
    return error;
}

PathKind pathKind(const char* path) {
    struct stat info;
    if (::stat(path, &info) == 0) return S_ISREG(info.st_mode) ? PathKind::regularFile : PathKind::other;
    return errno == ENOENT || errno == ENOTDIR ? PathKind::missing : PathKind::unknown;
}

bool enterFolderOf(std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return true;
    // "/map.mef" is in the root folder: its folder keeps the slash.
    if (::chdir(path.substr(0, slash + 1).c_str()) != 0) return false;
    path.erase(0, slash + 1);
    return true;
}

namespace {

// The permissions open() with 0666 would give under the current umask;
// mkstemp itself creates 0600.
mode_t newFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// Reports whether every byte written through `stream` reached the disk.
bool flushSync(std::FILE* stream) {
    bool ok = std::fflush(stream) == 0;
    // fsync so that a crash after the rename cannot leave an empty target;
    // devices and some file systems do not support it, which is no write error.
    if (ok && ::fsync(::fileno(stream)) != 0 && errno != EINVAL && errno != EROFS) ok = false;
    return ok;
}

// The folder part of `path` with its final slash, or "" for a bare name.
std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The file a write to some name ends up in.
struct FinalFile {
    std::string path;     // no symbolic link as its last component
    bool exists = false;  // when false, `info` is not set
    struct stat info {};
};

// Linux gives up after 40 links as well.
constexpr int maxLinkHops = 40;

bool readLink(const std::string& path, std::string& target) {
    std::string buffer(256, '\0');
    for (;;) {
        const ssize_t n = ::readlink(path.c_str(), buffer.data(), buffer.size());
        if (n < 0) return false;
        if (static_cast<std::size_t>(n) < buffer.size()) {
            target.assign(buffer, 0, static_cast<std::size_t>(n));
            return true;
        }
        buffer.resize(buffer.size() * 2);
    }
}

// Follows `path` through its chain of symbolic links, each relative one taken
// from the folder of the link that holds it. False (errno set) for a loop or
// a chain that cannot be read; a dangling chain ends at the missing name.
bool resolveLinks(const std::string& path, FinalFile& file) {
    std::string current = path;
    for (int hop = 0; hop <= maxLinkHops; ++hop) {
        struct stat info;
        if (::lstat(current.c_str(), &info) != 0) {
            if (errno != ENOENT) return false;
            file.path = current;
            file.exists = false;
            return true;
        }
        if (!S_ISLNK(info.st_mode)) {
            file.path = current;
            file.exists = true;
            file.info = info;
            return true;
        }
        std::string link;
        if (!readLink(current, link) || link.empty()) return false;
        current = link[0] == '/' ? link : folderOf(current) + link;
    }
    errno = ELOOP;
    return false;
}

// Gives the new file `fd` the owner, group and permission bits of the file it
// replaces, as far as the process may.
void keepOwnerAndMode(int fd, const struct stat& old) {
    mode_t mode = old.st_mode & 07777;
    // Owner first: changing it clears the set-user-ID and set-group-ID bits.
    if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
        // An ordinary user can still keep a group it belongs to, but must not
        // end up owning a set-ID file that someone else owned.
        if (::fchown(fd, static_cast<uid_t>(-1), old.st_gid) != 0) {
            // Not a member of that group: the file keeps the process's group.
        }
        mode &= ~static_cast<mode_t>(S_ISUID | S_ISGID);
    }
    ::fchmod(fd, mode);
}

// Errors with which a folder refuses a new file although its files may be written.
bool folderRefusesNewFiles(int error) { return error == EACCES || error == EPERM || error == EROFS; }

bool writeAll(int fd, std::string_view content) {
    const char* p = content.data();
    std::size_t left = content.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

// Overwrites the regular file `path` with `content`: the way a plain write
// works, used only when the folder refuses a temporary file.
bool writeInPlace(const std::string& path, std::string_view content) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return false;
    struct stat info;
    bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && ::ftruncate(fd, 0) == 0 &&
              writeAll(fd, content) && (::fsync(fd) == 0 || errno == EINVAL);
    ok = ::close(fd) == 0 && ok;
    return ok;
}

}  // namespace

// A writer holds an exclusive lock on its temporary file until it is renamed
// or removed; the lock goes with the process, so a temporary file nobody holds
// was left by a writer that was killed or crashed.

namespace {

// Removes the temporary files beside `target` that no living writer holds.
void removeAbandonedTemps(const std::string& target) {
    const std::string folder = folderOf(target);
    const std::string base = target.substr(folder.size());
    DIR* listing = ::opendir(folder.empty() ? "." : folder.c_str());
    if (listing == nullptr) return;
    while (const dirent* entry = ::readdir(listing)) {
        if (!isTempNameOf(entry->d_name, base)) continue;
        const std::string path = folder + entry->d_name;
        const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat info;
        if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlink(path.c_str());
        ::close(fd);
    }
    ::closedir(listing);
}

// True when `path` still names the file open as `fd` (a cleaner may have
// removed it between its creation and the lock).
bool stillNamed(int fd, const std::string& path) {
    struct stat opened, named;
    return ::fstat(fd, &opened) == 0 && ::stat(path.c_str(), &named) == 0 && opened.st_dev == named.st_dev &&
           opened.st_ino == named.st_ino;
}

}  // namespace

TempFile createTempFileBeside(const std::string& target) {
    for (int attempt = 0; attempt < 8; ++attempt) {
        TempFile temp;
        temp.path = target + tempInfix + "XXXXXX";
        // mkostemp fills in the X's of the name in place.
        const int fd = ::mkostemp(temp.path.data(), O_CLOEXEC);
        if (fd < 0) return {nullptr, {}, errno};
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || !stillNamed(fd, temp.path)) {
            // Taken for abandoned by a cleaning writer in the instant before the lock.
            ::close(fd);
            continue;
        }
        ::fchmod(fd, newFileMode());
        temp.stream = ::fdopen(fd, "w");
        if (temp.stream == nullptr) {
            const int error = errno;
            std::remove(temp.path.c_str());
            ::close(fd);
            return {nullptr, {}, error};
        }
        return temp;
    }
    return {nullptr, {}, EEXIST};
}

ReplaceResult replaceFile(const std::string& target, std::string_view content, TempFileFactory createTemp) {
    FinalFile file;
    if (!resolveLinks(target, file)) return ReplaceResult::failed;
    if (file.exists) {
        // What a plain write would refuse, the replacement refuses too; a
        // device or FIFO is not swapped for a regular file.
        if (!S_ISREG(file.info.st_mode) || ::faccessat(AT_FDCWD, file.path.c_str(), W_OK, AT_EACCESS) != 0)
            return ReplaceResult::failed;
    }
    TempFile temp = createTemp(file.path);
    if (temp.stream == nullptr) {
        if (file.exists && folderRefusesNewFiles(temp.error))
            return writeInPlace(file.path, content) ? ReplaceResult::writtenInPlace : ReplaceResult::failed;
        return ReplaceResult::failed;
    }
    // Only the file named temp.path gets the old file's owner and mode (a
    // substituted stream may write elsewhere).
    if (file.exists && stillNamed(::fileno(temp.stream), temp.path))
        keepOwnerAndMode(::fileno(temp.stream), file.info);
    bool ok = std::fwrite(content.data(), 1, content.size(), temp.stream) == content.size();
    ok = flushSync(temp.stream) && ok;
    // Renamed while still open and locked, so that no other writer takes it for
    // abandoned; once the bytes are synced, closing can lose nothing.
    if (ok) ok = std::rename(temp.path.c_str(), file.path.c_str()) == 0;
    std::fclose(temp.stream);
    if (!ok) std::remove(temp.path.c_str());
    // What a killed earlier write left beside the file would otherwise stay for good.
    if (ok) removeAbandonedTemps(file.path);
    return ok ? ReplaceResult::replaced : ReplaceResult::failed;
}
