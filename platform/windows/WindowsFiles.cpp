// What the Windows file code shares: see WindowsFiles.h.
#include "WindowsFiles.h"

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

bool isRegularFile(HANDLE handle) {
    BY_HANDLE_FILE_INFORMATION info;
    return ::GetFileType(handle) == FILE_TYPE_DISK && ::GetFileInformationByHandle(handle, &info) &&
           !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}
