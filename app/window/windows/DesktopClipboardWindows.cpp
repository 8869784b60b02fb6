// Windows: the Win32 clipboard, with the stretch as CF_UNICODETEXT and as the
// registered format "image/svg+xml" (UTF-8 bytes), as drawing programs there
// exchange SVG. The clipboard belongs to a message-only window of the
// editor's own, so that a paste can tell the editor's own offer. The text is
// put there at once; the drawing, which takes seconds for a long course, is
// promised and made only when a program asks for it (WM_RENDERFORMAT), or
// when the editor ends while the promise stands (WM_RENDERALLFORMATS).
#include <windows.h>

#include <cstring>
#include <string>
#include <utility>

#include "DesktopClipboard.h"

namespace {

UINT svgFormat() {
    static const UINT format = ::RegisterClipboardFormatW(L"image/svg+xml");
    return format;
}

// The drawing promised to the clipboard, made when first asked for.
std::function<std::string()> promisedDrawing;

void put(UINT format, const void* bytes, std::size_t size);

// Keeps the promise: the drawing into the clipboard, which the caller holds open.
void renderDrawing() {
    const std::string svg = promisedDrawing ? promisedDrawing() : std::string();
    promisedDrawing = nullptr;
    if (!svg.empty()) put(svgFormat(), svg.c_str(), svg.size() + 1);
}

LRESULT CALLBACK clipboardWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_RENDERFORMAT:
            if (static_cast<UINT>(wParam) == svgFormat()) renderDrawing();
            return 0;
        case WM_RENDERALLFORMATS:
            // Only while the clipboard is still the editor's.
            if (promisedDrawing && ::OpenClipboard(window)) {
                if (::GetClipboardOwner() == window) renderDrawing();
                ::CloseClipboard();
            }
            return 0;
        case WM_DESTROYCLIPBOARD:
            promisedDrawing = nullptr;
            return 0;
        default:
            return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

HWND ownWindow() {
    static const HWND window = [] {
        WNDCLASSW kind{};
        kind.lpfnWndProc = clipboardWindowProc;
        kind.hInstance = ::GetModuleHandleW(nullptr);
        kind.lpszClassName = L"MapEditorClipboard";
        ::RegisterClassW(&kind);
        return ::CreateWindowExW(0, kind.lpszClassName, L"Map Editor clipboard", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                 nullptr, kind.hInstance, nullptr);
    }();
    return window;
}

// The contents asked for by the last requestClipboard, until clipboardArrived takes them.
bool arrivedContent = false;
ClipboardContent arrived;

// `bytes` in memory the clipboard takes over; null when it cannot be had.
HGLOBAL globalOf(const void* bytes, std::size_t size) {
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, size);
    if (memory == nullptr) return nullptr;
    void* target = ::GlobalLock(memory);
    if (target == nullptr) {
        ::GlobalFree(memory);
        return nullptr;
    }
    std::memcpy(target, bytes, size);
    ::GlobalUnlock(memory);
    return memory;
}

void put(UINT format, const void* bytes, std::size_t size) {
    HGLOBAL memory = globalOf(bytes, size);
    if (memory != nullptr && ::SetClipboardData(format, memory) == nullptr) ::GlobalFree(memory);
}

std::wstring wide(const std::string& utf8) {
    const int length =
        ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(length), L'\0');
    if (length > 0)
        ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), length);
    return out;
}

std::string narrow(const wchar_t* text, std::size_t length) {
    const int size =
        ::WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    if (size > 0)
        ::WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), out.data(), size, nullptr, nullptr);
    return out;
}

// The bytes the clipboard holds in `format`, up to a NUL; empty when none.
std::string bytesOf(UINT format) {
    HANDLE data = ::GetClipboardData(format);
    if (data == nullptr) return {};
    const char* bytes = static_cast<const char*>(::GlobalLock(data));
    if (bytes == nullptr) return {};
    const std::size_t size = ::GlobalSize(data);
    std::string out(bytes, size);
    ::GlobalUnlock(data);
    const std::size_t end = out.find('\0');
    if (end != std::string::npos) out.resize(end);
    return out;
}

std::string unicodeText() {
    HANDLE data = ::GetClipboardData(CF_UNICODETEXT);
    if (data == nullptr) return {};
    const wchar_t* text = static_cast<const wchar_t*>(::GlobalLock(data));
    if (text == nullptr) return {};
    const std::size_t limit = ::GlobalSize(data) / sizeof(wchar_t);
    std::size_t length = 0;
    while (length < limit && text[length] != L'\0') ++length;
    std::string out = narrow(text, length);
    ::GlobalUnlock(data);
    return out;
}

// The names of the formats the clipboard holds, for a notice.
std::string formatNames() {
    std::string names;
    for (UINT format = ::EnumClipboardFormats(0); format != 0; format = ::EnumClipboardFormats(format)) {
        wchar_t name[128];
        const int length = ::GetClipboardFormatNameW(format, name, 128);
        std::string one = length > 0 ? narrow(name, static_cast<std::size_t>(length))
                          : format == CF_BITMAP || format == CF_DIB || format == CF_DIBV5
                              ? "a picture"
                              : "format " + std::to_string(format);
        if (names.find(one) == std::string::npos) names += (names.empty() ? "" : ", ") + one;
    }
    return names;
}

}  // namespace

bool offerToClipboard(std::function<std::string()> drawing, std::string text) {
    const HWND window = ownWindow();
    if (window == nullptr || !::OpenClipboard(window)) return false;
    // Emptying it sends the window WM_DESTROYCLIPBOARD, which drops an earlier promise.
    ::EmptyClipboard();
    const std::wstring unicode = wide(text);
    put(CF_UNICODETEXT, unicode.c_str(), (unicode.size() + 1) * sizeof(wchar_t));
    if (svgFormat() != 0) {
        promisedDrawing = std::move(drawing);
        ::SetClipboardData(svgFormat(), nullptr);
    }
    ::CloseClipboard();
    return true;
}

bool requestClipboard() {
    const HWND window = ownWindow();
    if (window == nullptr || !::OpenClipboard(window)) return false;
    arrived = {};
    if (::GetClipboardOwner() == window) {
        arrived.own = true;
    } else {
        if (svgFormat() != 0 && ::IsClipboardFormatAvailable(svgFormat())) arrived.svg = bytesOf(svgFormat());
        if (arrived.svg.empty() && ::IsClipboardFormatAvailable(CF_UNICODETEXT)) arrived.text = unicodeText();
        arrived.targets = formatNames();
    }
    ::CloseClipboard();
    arrivedContent = true;
    return true;
}

bool clipboardArrived(ClipboardContent& content) {
    if (!arrivedContent) return false;
    arrivedContent = false;
    content = std::move(arrived);
    arrived = {};
    return true;
}
