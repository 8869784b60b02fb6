#include "gl/OffscreenContext.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

OffscreenContext::OffscreenContext(Colour colour) {
    auto getPlatformDisplay =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (!getPlatformDisplay) return;
    EGLDisplay dpy = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (dpy == EGL_NO_DISPLAY || !eglInitialize(dpy, nullptr, nullptr)) return;
    display = dpy;
    const EGLint configAttributes[] = {EGL_SURFACE_TYPE,
                                       EGL_PBUFFER_BIT,
                                       EGL_RENDERABLE_TYPE,
                                       EGL_OPENGL_BIT,
                                       EGL_RED_SIZE,
                                       8,
                                       EGL_GREEN_SIZE,
                                       8,
                                       EGL_BLUE_SIZE,
                                       8,
                                       EGL_DEPTH_SIZE,
                                       16,
                                       EGL_NONE};
    EGLConfig configs[64];
    EGLint count = 0;
    if (!eglChooseConfig(dpy, configAttributes, configs, 64, &count) || count < 1) return;
    EGLConfig config = configs[0];
    if (colour == Colour::eightBits) {
        // eglChooseConfig puts the deepest colour first; take the first like a
        // window on a 24-bit display: 8 bits a channel, no alpha, one sample.
        EGLint i = 0;
        for (EGLint red = 0, alpha = 0, samples = 0; i < count; ++i) {
            if (eglGetConfigAttrib(dpy, configs[i], EGL_RED_SIZE, &red) &&
                eglGetConfigAttrib(dpy, configs[i], EGL_ALPHA_SIZE, &alpha) &&
                eglGetConfigAttrib(dpy, configs[i], EGL_SAMPLES, &samples) && red == 8 && alpha == 0 &&
                samples == 0)
                break;
        }
        if (i == count) return;
        config = configs[i];
    }
    if (!eglBindAPI(EGL_OPENGL_API)) return;
    const EGLint surfaceAttributes[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
    EGLSurface surf = eglCreatePbufferSurface(dpy, config, surfaceAttributes);
    if (surf == EGL_NO_SURFACE) return;
    surface = surf;
    EGLContext ctx = eglCreateContext(dpy, config, EGL_NO_CONTEXT, nullptr);
    if (ctx == EGL_NO_CONTEXT) return;
    context = ctx;
    ready = eglMakeCurrent(dpy, surf, surf, ctx) == EGL_TRUE;
}

OffscreenContext::~OffscreenContext() {
    if (!display) return;
    eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (context) eglDestroyContext(display, context);
    if (surface) eglDestroySurface(display, surface);
    eglTerminate(display);
}

void OffscreenContext::beginFrame() {
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glOrtho(0, width, height, 0, -10, 10);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

std::array<int, 3> OffscreenContext::pixel(int x, int y) const {
    glFinish();
    unsigned char rgba[4] = {};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, height - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    return {rgba[0], rgba[1], rgba[2]};
}

std::vector<unsigned char> OffscreenContext::frame() const {
    glFinish();
    std::vector<unsigned char> rgba(static_cast<std::size_t>(width) * height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    return rgba;
}
