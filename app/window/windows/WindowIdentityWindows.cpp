// GLUT hands the title to an ANSI window in the ANSI code page, which turns
// UTF-8 into something else ("Ã©" for "é"); the title is set again as UTF-16.
#include <GL/freeglut.h>
#include <windows.h>

#include "WindowIdentity.h"

void setWindowIdentity(const std::string& titleUtf8) {
    // freeglut's window is the one whose device context the current OpenGL context draws on.
    const HWND window = ::WindowFromDC(::wglGetCurrentDC());
    if (window == nullptr) return;
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, titleUtf8.c_str(), -1, nullptr, 0);
    if (length <= 0) return;
    std::wstring title(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, titleUtf8.c_str(), -1, title.data(), length);
    // Straight to the wide default procedure: SetWindowTextW would pass the
    // text through freeglut's ANSI window procedure, and through the ANSI code
    // page with it, losing what that page lacks (an emoji, on most systems).
    ::DefWindowProcW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(title.c_str()));
}

void setWindowTitle(const std::string& titleUtf8) {
    glutSetWindowTitle(titleUtf8.c_str());
    setWindowIdentity(titleUtf8);
}
