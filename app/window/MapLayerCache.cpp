#include "MapLayerCache.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

// The functions past OpenGL 1.1 that the cache needs, loaded at run time:
// the Windows OpenGL library exports only 1.1.
struct MapLayerCache::Functions {
    PFNGLGENFRAMEBUFFERSPROC genFramebuffers;
    PFNGLDELETEFRAMEBUFFERSPROC deleteFramebuffers;
    PFNGLBINDFRAMEBUFFERPROC bindFramebuffer;
    PFNGLFRAMEBUFFERTEXTURE2DPROC framebufferTexture2D;
    PFNGLFRAMEBUFFERRENDERBUFFERPROC framebufferRenderbuffer;
    PFNGLCHECKFRAMEBUFFERSTATUSPROC checkFramebufferStatus;
    PFNGLGENRENDERBUFFERSPROC genRenderbuffers;
    PFNGLDELETERENDERBUFFERSPROC deleteRenderbuffers;
    PFNGLBINDRENDERBUFFERPROC bindRenderbuffer;
    PFNGLRENDERBUFFERSTORAGEPROC renderbufferStorage;
    PFNGLBLITFRAMEBUFFERPROC blitFramebuffer;
    PFNGLCLIPCONTROLPROC clipControl;
};

namespace {

template <typename F>
bool loadInto(F& f, MapLayerCache::ProcLoader load, const char* name) {
    f = reinterpret_cast<F>(load(name));
    return f != nullptr;
}

bool hasExtension(const char* name) {
    const char* all = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    if (all == nullptr) return false;
    const std::size_t length = std::strlen(name);
    for (const char* p = std::strstr(all, name); p != nullptr; p = std::strstr(p + 1, name)) {
        const bool starts = p == all || p[-1] == ' ';
        const bool ends = p[length] == '\0' || p[length] == ' ';
        if (starts && ends) return true;
    }
    return false;
}

bool versionAtLeast(int major, int minor) {
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    int have[2] = {0, 0};
    if (version == nullptr || std::sscanf(version, "%d.%d", &have[0], &have[1]) != 2) return false;
    return have[0] > major || (have[0] == major && have[1] >= minor);
}

int integer(GLenum what) {
    GLint value = 0;
    glGetIntegerv(what, &value);
    return value;
}

}  // namespace

MapLayerCache::MapLayerCache() = default;

// No OpenGL calls here: at exit the context may already be gone, and its
// objects go with it.
MapLayerCache::~MapLayerCache() = default;

bool MapLayerCache::enable(ProcLoader load) {
    disable();
    // Loaders may hand out an entry point for any name, so the version and
    // the extensions decide what the driver really has.
    const bool framebuffers = versionAtLeast(3, 0) || hasExtension("GL_ARB_framebuffer_object");
    const bool clipControl = versionAtLeast(4, 5) || hasExtension("GL_ARB_clip_control");
    if (!framebuffers || !clipControl) return false;
    auto f = std::make_unique<Functions>();
    const bool loaded = loadInto(f->genFramebuffers, load, "glGenFramebuffers") &&
                        loadInto(f->deleteFramebuffers, load, "glDeleteFramebuffers") &&
                        loadInto(f->bindFramebuffer, load, "glBindFramebuffer") &&
                        loadInto(f->framebufferTexture2D, load, "glFramebufferTexture2D") &&
                        loadInto(f->framebufferRenderbuffer, load, "glFramebufferRenderbuffer") &&
                        loadInto(f->checkFramebufferStatus, load, "glCheckFramebufferStatus") &&
                        loadInto(f->genRenderbuffers, load, "glGenRenderbuffers") &&
                        loadInto(f->deleteRenderbuffers, load, "glDeleteRenderbuffers") &&
                        loadInto(f->bindRenderbuffer, load, "glBindRenderbuffer") &&
                        loadInto(f->renderbufferStorage, load, "glRenderbufferStorage") &&
                        loadInto(f->blitFramebuffer, load, "glBlitFramebuffer") &&
                        loadInto(f->clipControl, load, "glClipControl");
    if (!loaded) return false;
    // A copy is exact only into 8 bits a channel without multisampling.
    if (integer(GL_RED_BITS) != 8 || integer(GL_GREEN_BITS) != 8 || integer(GL_BLUE_BITS) != 8 ||
        integer(GL_SAMPLE_BUFFERS) != 0)
        return false;
    // A software renderer may skip clipping where no depth or stencil buffer
    // is attached, which moves the pixels of lines leaving the window: the
    // offscreen buffer has one whenever the window has.
    if (integer(GL_STENCIL_BITS) > 0) {
        depthFormat = GL_DEPTH24_STENCIL8;
    } else if (integer(GL_DEPTH_BITS) > 0) {
        depthFormat = GL_DEPTH_COMPONENT24;
    } else {
        depthFormat = 0;
    }
    gl = std::move(f);
    return true;
}

void MapLayerCache::deleteBuffers() {
    if (gl) {
        if (framebuffer != 0) gl->deleteFramebuffers(1, &framebuffer);
        if (depth != 0) gl->deleteRenderbuffers(1, &depth);
        if (colour != 0) glDeleteTextures(1, &colour);
    }
    framebuffer = depth = colour = 0;
    bufferWidth = bufferHeight = 0;
    holdsPicture = false;
}

void MapLayerCache::disable() {
    deleteBuffers();
    gl.reset();
}

bool MapLayerCache::allocate(int width, int height) {
    deleteBuffers();

    const GLint boundTexture = integer(GL_TEXTURE_BINDING_2D);
    const GLint boundDraw = integer(GL_DRAW_FRAMEBUFFER_BINDING);
    const GLint boundRead = integer(GL_READ_FRAMEBUFFER_BINDING);
    // Blue first, as a 24- or 32-bit window stores its pixels, so that the
    // copy into the window is a plain copy of bytes.
    glGenTextures(1, &colour);
    glBindTexture(GL_TEXTURE_2D, colour);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(boundTexture));

    gl->genFramebuffers(1, &framebuffer);
    gl->bindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    gl->framebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colour, 0);
    if (depthFormat != 0) {
        gl->genRenderbuffers(1, &depth);
        gl->bindRenderbuffer(GL_RENDERBUFFER, depth);
        gl->renderbufferStorage(GL_RENDERBUFFER, static_cast<GLenum>(depthFormat), width, height);
        gl->bindRenderbuffer(GL_RENDERBUFFER, 0);
        const GLenum attachment =
            depthFormat == GL_DEPTH24_STENCIL8 ? GL_DEPTH_STENCIL_ATTACHMENT : GL_DEPTH_ATTACHMENT;
        gl->framebufferRenderbuffer(GL_FRAMEBUFFER, attachment, GL_RENDERBUFFER, depth);
    }
    const bool complete = gl->checkFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    gl->bindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(boundDraw));
    gl->bindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(boundRead));
    bufferWidth = width;
    bufferHeight = height;
    return complete;
}

void MapLayerCache::loadFloor(int width, int height, const std::uint32_t* floor) {
    // The buffer's rows are kept top first (see draw), as the floor's are:
    // the words go in as they stand, with the default unpacking.
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_SWAP_BYTES, GL_FALSE);
    glPixelStorei(GL_UNPACK_LSB_FIRST, GL_FALSE);
    const GLint boundTexture = integer(GL_TEXTURE_BINDING_2D);
    glBindTexture(GL_TEXTURE_2D, colour);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, floor);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(boundTexture));
    glPopClientAttrib();
}

bool MapLayerCache::draw(int width, int height, MapRevision revision, const std::function<void()>& drawMap,
                         const std::uint32_t* floor) {
    if (!gl || width <= 0 || height <= 0) return false;
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    if (viewport[0] != 0 || viewport[1] != 0 || viewport[2] != width || viewport[3] != height) return false;
    // A scissor box would limit the clear and the copy, and a depth or stencil
    // test would see the window's buffers; neither is in use, and with either
    // the map is drawn straight into the window as before.
    if (glIsEnabled(GL_SCISSOR_TEST) || glIsEnabled(GL_DEPTH_TEST) || glIsEnabled(GL_STENCIL_TEST))
        return false;
    if ((width != bufferWidth || height != bufferHeight) && !allocate(width, height)) {
        disable();
        return false;
    }

    // The picture also depends on the viewport and the matrices it was drawn under.
    Key frameKey;
    frameKey.revision = revision;
    std::copy(viewport, viewport + 4, frameKey.viewport.begin());
    glGetDoublev(GL_PROJECTION_MATRIX, frameKey.matrices.data());
    glGetDoublev(GL_MODELVIEW_MATRIX, frameKey.matrices.data() + 16);
    // The matrices compared bit for bit, so that a NaN matches itself.
    reused = holdsPicture && frameKey.revision == pictureKey.revision &&
             frameKey.viewport == pictureKey.viewport &&
             std::memcmp(frameKey.matrices.data(), pictureKey.matrices.data(), sizeof frameKey.matrices) == 0;

    const GLint boundDraw = integer(GL_DRAW_FRAMEBUFFER_BINDING);
    const GLint boundRead = integer(GL_READ_FRAMEBUFFER_BINDING);
    if (!reused) {
        gl->bindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        // The window keeps its rows top first: drawing with the origin at the
        // top makes the offscreen buffer store and rasterise every primitive
        // the same way, and the copy below keeps the rows in that order.
        const GLint origin = integer(GL_CLIP_ORIGIN);
        const GLint depthMode = integer(GL_CLIP_DEPTH_MODE);
        gl->clipControl(GL_UPPER_LEFT, static_cast<GLenum>(depthMode));
        // Only the colour: with the depth and stencil tests off (checked
        // above) nothing reads or writes the other buffers.
        if (floor != nullptr) {
            loadFloor(width, height, floor);
        } else {
            glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
            glClear(GL_COLOR_BUFFER_BIT);
        }
        drawMap();
        gl->clipControl(static_cast<GLenum>(origin), static_cast<GLenum>(depthMode));
        pictureKey = frameKey;
        holdsPicture = true;
    }
    gl->bindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
    gl->bindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(boundDraw));
    // Rows named bottom-up in the offscreen buffer and top-down in the window,
    // so that both name the same memory rows: a straight copy.
    gl->blitFramebuffer(0, height, width, 0, 0, 0, width, height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    gl->bindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(boundRead));
    return true;
}
