// X11: the window's class, size hints, UTF-8 title, icon and process, as the
// desktop's task bar and window list read them (ICCCM and the freedesktop
// window manager hints). A window manager reads the class and the size hints
// when it handles the window's map request, and GLUT has mapped the window
// already: the window is withdrawn, given them and mapped again. Later
// changes of the title and the icon are followed. Nothing here draws.
#include "WindowIdentity.h"

#include <GL/freeglut.h>
#include <GL/glx.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "WindowIconPixels.h"

namespace {

bool isAscii(const std::string& text) {
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

void setUtf8Property(Display* display, Window window, const char* name, const std::string& value) {
    XChangeProperty(display, window, XInternAtom(display, name, False), XInternAtom(display, "UTF8_STRING", False),
                    8, PropModeReplace, reinterpret_cast<const unsigned char*>(value.data()),
                    static_cast<int>(value.size()));
}

// GLUT stores the title's bytes as a Latin-1 WM_NAME, which garbles anything
// beyond ASCII for window managers that read only that property: store it as
// the ICCCM text that holds those characters (Latin-1 or compound text).
void setLegacyTitle(Display* display, Window window, const std::string& titleUtf8) {
    if (isAscii(titleUtf8)) return;
    char* list[] = {const_cast<char*>(titleUtf8.c_str())};
    XTextProperty text{};
    if (Xutf8TextListToTextProperty(display, list, 1, XStdICCTextStyle, &text) < Success) return;
    XSetWMName(display, window, &text);
    XSetWMIconName(display, window, &text);
    XFree(text.value);
}

// _NET_WM_ICON: width, height, then the pixels as ARGB, each a CARDINAL that
// Xlib takes as a long whatever the width of long.
void setIcon(Display* display, Window window) {
    std::vector<unsigned long> data;
    data.reserve(2 + sizeof windowIconPixels / sizeof windowIconPixels[0]);
    data.push_back(windowIconSize);
    data.push_back(windowIconSize);
    for (const std::uint32_t pixel : windowIconPixels) data.push_back(pixel);
    XChangeProperty(display, window, XInternAtom(display, "_NET_WM_ICON", False), XA_CARDINAL, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(data.data()),
                    static_cast<int>(data.size()));
}

void setProcess(Display* display, Window window) {
    const unsigned long pid = static_cast<unsigned long>(getpid());
    XChangeProperty(display, window, XInternAtom(display, "_NET_WM_PID", False), XA_CARDINAL, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(&pid), 1);
}

void setClass(Display* display, Window window) {
    char name[] = "mapeditor";
    char className[] = "Mapeditor";
    XClassHint hint{name, className};
    XSetClassHint(display, window, &hint);
}

// The window keeps 800 x 600: as its minimum and maximum size, window
// managers offer no maximise and tiling managers let it float. GLUT's own
// hints (the position) stay.
void setSizeHints(Display* display, Window window) {
    XSizeHints* hints = XAllocSizeHints();
    if (hints == nullptr) return;
    long supplied = 0;
    if (!XGetWMNormalHints(display, window, hints, &supplied)) hints->flags = 0;
    hints->flags |= PMinSize | PMaxSize;
    hints->min_width = hints->max_width = 800;
    hints->min_height = hints->max_height = 600;
    XSetWMNormalHints(display, window, hints);
    XFree(hints);
}

// The Motif window manager hints, which openbox and other managers read for
// the functions they offer: move, minimise and close, but neither resize nor
// maximise, so that no maximise button is drawn that could do nothing. Five
// CARDINALs: the flags (the functions field is given), the functions, the
// decorations, the input mode and the status.
void setMotifHints(Display* display, Window window) {
    constexpr unsigned long functionsGiven = 1;
    constexpr unsigned long move = 4, minimise = 8, close = 32;
    const unsigned long hints[5] = {functionsGiven, move | minimise | close, 0, 0, 0};
    const Atom motif = XInternAtom(display, "_MOTIF_WM_HINTS", False);
    XChangeProperty(display, window, motif, motif, 32, PropModeReplace, reinterpret_cast<const unsigned char*>(hints),
                    5);
}

void setTitle(Display* display, Window window, const std::string& titleUtf8) {
    setUtf8Property(display, window, "_NET_WM_NAME", titleUtf8);
    setUtf8Property(display, window, "_NET_WM_ICON_NAME", titleUtf8);
    setLegacyTitle(display, window, titleUtf8);
}

}  // namespace

void setWindowIdentity(const std::string& titleUtf8) {
    Display* display = glXGetCurrentDisplay();
    const GLXDrawable window = glXGetCurrentDrawable();
    if (display == nullptr || window == None) return;
    XWithdrawWindow(display, window, DefaultScreen(display));
    setClass(display, window);
    setSizeHints(display, window);
    setMotifHints(display, window);
    setTitle(display, window, titleUtf8);
    setIcon(display, window);
    setProcess(display, window);
    XMapWindow(display, window);
    XFlush(display);
}

void setWindowTitle(const std::string& titleUtf8) {
    glutSetWindowTitle(titleUtf8.c_str());
    Display* display = glXGetCurrentDisplay();
    const GLXDrawable window = glXGetCurrentDrawable();
    if (display == nullptr || window == None) return;
    setTitle(display, window, titleUtf8);
    XFlush(display);
}
