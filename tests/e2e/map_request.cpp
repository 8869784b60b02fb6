// Plays the window manager for one display, as far as a test needs: it takes
// the map requests of the root window's children and, for each, prints what
// a window manager reads while handling it (WM_CLASS and the size hints),
// then maps the window. Configure requests are granted as asked. Prints
// "ready" once it has the display's redirection; runs until killed or the
// display goes away.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>

int main() {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return 2;
    // Fails with BadAccess (and exits through Xlib's handler) when another manager runs.
    XSelectInput(display, DefaultRootWindow(display), SubstructureRedirectMask);
    XSync(display, False);
    std::printf("ready\n");
    std::fflush(stdout);
    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == MapRequest) {
            const Window window = event.xmaprequest.window;
            XClassHint hint{};
            const bool classed = XGetClassHint(display, window, &hint) != 0;
            XSizeHints* sizes = XAllocSizeHints();
            long supplied = 0;
            if (!XGetWMNormalHints(display, window, sizes, &supplied)) sizes->flags = 0;
            std::printf("map request: class %s %s, minimum %dx%d, maximum %dx%d\n",
                        classed ? hint.res_name : "none", classed ? hint.res_class : "none",
                        (sizes->flags & PMinSize) ? sizes->min_width : 0,
                        (sizes->flags & PMinSize) ? sizes->min_height : 0,
                        (sizes->flags & PMaxSize) ? sizes->max_width : 0,
                        (sizes->flags & PMaxSize) ? sizes->max_height : 0);
            std::fflush(stdout);
            if (classed) {
                XFree(hint.res_name);
                XFree(hint.res_class);
            }
            XFree(sizes);
            XMapWindow(display, window);
        } else if (event.type == ConfigureRequest) {
            const XConfigureRequestEvent& request = event.xconfigurerequest;
            XWindowChanges changes{request.x,     request.y,    request.width, request.height,
                                   request.border_width, request.above, request.detail};
            XConfigureWindow(display, request.window, static_cast<unsigned>(request.value_mask), &changes);
        }
        XFlush(display);
    }
}
