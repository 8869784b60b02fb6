#include <windows.h>

#include "FileIdentity.h"
#include "WindowsFiles.h"

std::optional<FileIdentity> fileIdentity(const char* path) {
    const std::wstring wide = widePath(path);
    if (wide.empty()) return std::nullopt;
    // Opened for no access at all: a file another program holds open still
    // answers; a link is looked at itself, not followed.
    Handle file(::CreateFileW(wide.c_str(), 0, shareAll, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file.valid()) return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info;
    if (!::GetFileInformationByHandle(file.get(), &info)) return std::nullopt;
    return FileIdentity{info.dwVolumeSerialNumber,
                        (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}
