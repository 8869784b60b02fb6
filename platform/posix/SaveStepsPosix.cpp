// The safe save's steps on POSIX systems: a temporary file made with
// mkostemp and locked with flock, synced with fsync and moved with rename(2)
// within the final file's folder. SafeSave.cpp puts them in order.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "SafeSave.h"
#include "TempFileName.h"

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
struct FoundFile {
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
bool resolveLinks(const std::string& path, FoundFile& file) {
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
void keepOwnerAndModeOf(int fd, const struct stat& old) {
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

// Reserves the disk space for the first `size` bytes of the regular file
// `fd`, whose size is `oldSize`; returns 0 or the errno of the failure. Where
// the file system cannot reserve (no fallocate, and glibc's emulation needs
// to read a file opened write-only) there is nothing to do but write.
int reserveSpace(int fd, std::size_t size, off_t oldSize) {
    if (size == 0) return 0;
    int error;
    do error = ::posix_fallocate(fd, 0, static_cast<off_t>(size));
    while (error == EINTR);
    if (error == EOPNOTSUPP || error == EINVAL || error == EBADF) return 0;
    // A reservation that failed half-way may have grown the file; the
    // reservation's error is the one to report either way.
    if (error != 0 && ::ftruncate(fd, oldSize) != 0) return error;
    return error;
}

// Overwrites the regular file `path` with `content` the way a plain write
// works, used only where no temporary file can take its place. The space for
// the new content is reserved first, so that a disk too full for it leaves
// every old byte as it was; the file is cut to its new length only after the
// new bytes are written. Returns 0 or the errno of the failure.
int rewrite(const std::string& path, std::string_view content) {
    constexpr int flags = O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY;
    // Readable where allowed, which glibc's emulation of fallocate needs.
    int fd = ::open(path.c_str(), O_RDWR | flags);
    if (fd < 0 && errno == EACCES) fd = ::open(path.c_str(), O_WRONLY | flags);
    if (fd < 0) return errno;
    struct stat info;
    int error = 0;
    if (::fstat(fd, &info) != 0)
        error = errno;
    else if (!S_ISREG(info.st_mode))
        error = EINVAL;
    else if ((error = reserveSpace(fd, content.size(), info.st_size)) != 0) {
    } else if (!writeAll(fd, content) || ::ftruncate(fd, static_cast<off_t>(content.size())) != 0 ||
               (::fsync(fd) != 0 && errno != EINVAL))
        error = errno;
    if (::close(fd) != 0 && error == 0) error = errno;
    return error;
}

// The file a write to `path` replaces when links are not followed: `path`
// itself, existing only when it is no symbolic link (a link is renamed over).
bool nameItself(const std::string& path, FoundFile& file) {
    file.path = path;
    file.exists = false;
    struct stat info;
    if (::lstat(path.c_str(), &info) != 0) return errno == ENOENT;
    if (S_ISLNK(info.st_mode)) return true;
    file.exists = true;
    file.info = info;
    return true;
}

}  // namespace

// A writer holds an exclusive lock on its temporary file until it is renamed
// or removed; the lock goes with the process, so a temporary file nobody holds
// was left by a writer that was killed or crashed.

namespace {

// Removes the temporary files beside `target` that no living writer holds.
void removeAbandonedTempsOf(const std::string& target) {
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
    const std::string folder = folderOf(target);
    const std::string stem = folder + tempStemOf(target.substr(folder.size()));
    for (int attempt = 0; attempt < 8; ++attempt) {
        TempFile temp;
        temp.path = stem + tempInfix + "XXXXXX";
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

namespace {

StepResult failure(int error) { return {error, std::strerror(error)}; }

// The first failure's errno; a stream error without one counts as EIO.
StepResult streamFailure() { return failure(errno != 0 ? errno : EIO); }

class PosixSaveSteps : public SaveSteps {
public:
    StepResult findFinal(const std::string& target, bool followLinks, FinalFile& file) override {
        FoundFile found;
        if (!(followLinks ? resolveLinks(target, found) : nameItself(target, found))) return failure(errno);
        file.path = found.path;
        file.exists = found.exists;
        info = found.info;
        return {};
    }

    StepResult refusal(const FinalFile& file) override {
        // A device or FIFO is not swapped for a regular file.
        if (!S_ISREG(info.st_mode)) return {EINVAL, notRegularFileReason};
        if (::faccessat(AT_FDCWD, file.path.c_str(), W_OK, AT_EACCESS) != 0) return failure(errno);
        return {};
    }

    void keepOwnerAndMode(const TempFile& temp, const FinalFile&) override {
        // Only the file named temp.path gets the old file's owner and mode (a
        // substituted stream may write elsewhere).
        if (stillNamed(::fileno(temp.stream), temp.path)) keepOwnerAndModeOf(::fileno(temp.stream), info);
    }

    StepResult write(std::FILE* stream, std::string_view content) override {
        errno = 0;
        if (std::fwrite(content.data(), 1, content.size(), stream) != content.size()) return streamFailure();
        return {};
    }

    StepResult flush(std::FILE* stream) override {
        if (!flushSync(stream)) return streamFailure();
        return {};
    }

    StepResult close(std::FILE* stream) override {
        if (std::fclose(stream) != 0) return streamFailure();
        return {};
    }

    StepResult rename(const std::string& from, const std::string& to) override {
        if (std::rename(from.c_str(), to.c_str()) != 0) return failure(errno);
        return {};
    }

    void remove(const std::string& path) override { std::remove(path.c_str()); }

    StepResult writeInPlace(const std::string& path, std::string_view content) override {
        if (const int error = rewrite(path, content)) return failure(error);
        return {};
    }

    void removeAbandonedTemps(const std::string& path) override { removeAbandonedTempsOf(path); }

    std::string errnoReason(int error) override { return std::strerror(error); }

private:
    struct stat info {};  // the final file's, when it exists
};

}  // namespace

std::unique_ptr<SaveSteps> systemSaveSteps() { return std::make_unique<PosixSaveSteps>(); }

const SaveOrder& systemSaveOrder() { return posixSaveOrder; }
