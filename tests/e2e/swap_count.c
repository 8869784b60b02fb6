// An LD_PRELOAD shim for the end-to-end tests: counts the frames a program
// shows by wrapping glXSwapBuffers, and keeps the count, as a decimal number
// on a line of its own, in the file SWAP_COUNT_FILE names.
#define _GNU_SOURCE
#include <GL/glx.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

void glXSwapBuffers(Display* display, GLXDrawable drawable) {
    static void (*real)(Display*, GLXDrawable);
    static unsigned long swaps;
    static int out = -2;
    if (real == NULL) real = (void (*)(Display*, GLXDrawable))dlsym(RTLD_NEXT, "glXSwapBuffers");
    real(display, drawable);
    if (out == -2) {
        const char* path = getenv("SWAP_COUNT_FILE");
        out = path != NULL ? open(path, O_WRONLY | O_CREAT | O_TRUNC, 0644) : -1;
    }
    if (out < 0) return;
    // One write of a fixed width at the start: a reader sees the old count or the new one.
    char line[24];
    const int length = snprintf(line, sizeof line, "%20lu\n", ++swaps);
    if (pwrite(out, line, (size_t)length, 0) != length) out = -1;
}
