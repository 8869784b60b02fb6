#include <windows.h>

#include "NewFile.h"
#include "WindowsReason.h"

namespace {

std::wstring widePath(const std::string& path) {
    const int length = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.data(),
                                             static_cast<int>(path.size()), nullptr, 0);
    if (length <= 0) return L"";
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.data(), static_cast<int>(path.size()),
                          wide.data(), length);
    return wide;
}

}  // namespace

CreateResult createNewFile(const std::string& path, std::string* reason) {
    const std::wstring wide = widePath(path);
    if (wide.empty()) {
        if (reason) *reason = "not a valid file name";
        return CreateResult::failed;
    }
    // CREATE_NEW fails on any name that exists, a reparse point included.
    const HANDLE handle =
        ::CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) return CreateResult::exists;
        if (reason) *reason = windowsReason(error);
        return CreateResult::failed;
    }
    ::CloseHandle(handle);
    return CreateResult::created;
}
