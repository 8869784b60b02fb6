// Plays the window manager for a test: takes the map requests of the root
// window's children and prints, for each, what a window manager reads while
// handling it (WM_CLASS and the size hints), then maps the window. Prints
// "ready" once it has the redirection; runs until killed.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>

int main() {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return 2;
    // Another manager makes this fail, and Xlib's handler exit.
    XSelectInput(display, DefaultRootWindow(display), SubstructureRedirectMask);
    XSync(display, False);
    std::printf("ready\n");
    for (XEvent event;; XFlush(display)) {
        std::fflush(stdout);
        XNextEvent(display, &event);
        if (event.type != MapRequest) continue;
        const Window window = event.xmaprequest.window;
        XClassHint hint{};
        XSizeHints sizes{};
        long supplied = 0;
        const bool classed = XGetClassHint(display, window, &hint) != 0;
        const long both = PMinSize | PMaxSize;
        if (!XGetWMNormalHints(display, window, &sizes, &supplied) || (sizes.flags & both) != both) sizes = {};
        std::printf("map request: class %s %s, minimum %dx%d, maximum %dx%d\n", classed ? hint.res_name : "none",
                    classed ? hint.res_class : "none", sizes.min_width, sizes.min_height, sizes.max_width,
                    sizes.max_height);
        XMapWindow(display, window);
    }
}
