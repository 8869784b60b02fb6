#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "NewFile.h"

CreateResult createNewFile(const std::string& path, std::string* reason) {
    // O_EXCL never follows a link in the name's place: the link exists.
    // 0666 less the umask, as any new file gets.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        if (errno == EEXIST) return CreateResult::exists;
        if (reason) *reason = std::strerror(errno);
        return CreateResult::failed;
    }
    ::close(fd);
    return CreateResult::created;
}
