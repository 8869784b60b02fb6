#include <windows.h>

#include "NewFile.h"
#include "WindowsFiles.h"

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
        if (reason) *reason = reasonOf(error);
        return CreateResult::failed;
    }
    ::CloseHandle(handle);
    return CreateResult::created;
}
