#include "CachedPanel.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <cmath>

#include "BitmapFont.h"

namespace {

// The window position of the point (x, y) of the current matrices.
void toWindow(const double projection[16], const double modelview[16], const int viewport[4], double x,
              double y, double& windowX, double& windowY) {
    double eye[4];
    for (int row = 0; row < 4; ++row)
        eye[row] = modelview[row] * x + modelview[4 + row] * y + modelview[12 + row];
    double clip[4];
    for (int row = 0; row < 4; ++row) {
        clip[row] = projection[row] * eye[0] + projection[4 + row] * eye[1] + projection[8 + row] * eye[2] +
                    projection[12 + row] * eye[3];
    }
    windowX = viewport[0] + (clip[0] / clip[3] + 1.0) * 0.5 * viewport[2];
    windowY = viewport[1] + (clip[1] / clip[3] + 1.0) * 0.5 * viewport[3];
}

// `value` as a whole number, when it is one (within rounding).
bool whole(double value, int& result) {
    const double rounded = std::round(value);
    if (std::fabs(value - rounded) > 1e-3 || std::fabs(rounded) > 1e6) return false;
    result = static_cast<int>(rounded);
    return true;
}

int integer(GLenum what) {
    GLint value = 0;
    glGetIntegerv(what, &value);
    return value;
}

}  // namespace

struct CachedPanel::Functions {
    PFNGLGENFRAMEBUFFERSPROC genFramebuffers = nullptr;
    PFNGLBINDFRAMEBUFFERPROC bindFramebuffer = nullptr;
    PFNGLFRAMEBUFFERTEXTURE2DPROC framebufferTexture2D = nullptr;
    PFNGLCHECKFRAMEBUFFERSTATUSPROC checkFramebufferStatus = nullptr;
    PFNGLBLITFRAMEBUFFERPROC blitFramebuffer = nullptr;
};

CachedPanel::CachedPanel() = default;

// No OpenGL calls here: at exit the context may already be gone.
CachedPanel::~CachedPanel() = default;

bool CachedPanel::enable(ProcLoader load) {
    auto f = std::make_unique<Functions>();
    f->genFramebuffers = reinterpret_cast<PFNGLGENFRAMEBUFFERSPROC>(load("glGenFramebuffers"));
    f->bindFramebuffer = reinterpret_cast<PFNGLBINDFRAMEBUFFERPROC>(load("glBindFramebuffer"));
    f->framebufferTexture2D = reinterpret_cast<PFNGLFRAMEBUFFERTEXTURE2DPROC>(load("glFramebufferTexture2D"));
    f->checkFramebufferStatus =
        reinterpret_cast<PFNGLCHECKFRAMEBUFFERSTATUSPROC>(load("glCheckFramebufferStatus"));
    f->blitFramebuffer = reinterpret_cast<PFNGLBLITFRAMEBUFFERPROC>(load("glBlitFramebuffer"));
    if (!f->genFramebuffers || !f->bindFramebuffer || !f->framebufferTexture2D ||
        !f->checkFramebufferStatus || !f->blitFramebuffer)
        return false;
    gl = std::move(f);
    holdsPicture = false;
    return true;
}

bool CachedPanel::Key::operator==(const Key& other) const {
    return viewport == other.viewport && matrices == other.matrices && atlas == other.atlas &&
           active == other.active;
}

bool CachedPanel::windowRectangle(std::array<int, 4>& rectangle) const {
    GLint viewport[4];
    GLdouble projection[16], modelview[16];
    glGetIntegerv(GL_VIEWPORT, viewport);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    // The frame lies one pixel around the face.
    double x0, y0, x1, y1;
    toWindow(projection, modelview, viewport, x - 1.0, y - 1.0, x0, y0);
    toWindow(projection, modelview, viewport, x + width + 1.0, y + height + 1.0, x1, y1);
    int left, right, top, bottom;
    if (!whole(std::fmin(x0, x1), left) || !whole(std::fmax(x0, x1), right) ||
        !whole(std::fmin(y0, y1), bottom) || !whole(std::fmax(y0, y1), top)) {
        return false;
    }
    if (right - left != width + 2 || top - bottom != height + 2) return false;
    if (left < viewport[0] || bottom < viewport[1] || right > viewport[0] + viewport[2] ||
        top > viewport[1] + viewport[3]) {
        return false;
    }
    rectangle = {left, bottom, right - left, top - bottom};
    return true;
}

void CachedPanel::draw() {
    reused = false;
    if (hidden) return;
    std::array<int, 4> rectangle{};
    // A scissor box would limit the copies; it is not in use.
    if (!gl || glIsEnabled(GL_SCISSOR_TEST) || !windowRectangle(rectangle)) {
        Panel::draw();
        return;
    }
    Key key;
    glGetIntegerv(GL_VIEWPORT, key.viewport.data());
    glGetDoublev(GL_PROJECTION_MATRIX, key.matrices.data());
    glGetDoublev(GL_MODELVIEW_MATRIX, key.matrices.data() + 16);
    key.atlas = BitmapFont::atlas;
    key.active = active;
    const int left = rectangle[0], bottom = rectangle[1], w = rectangle[2], h = rectangle[3];
    const bool drawn = !holdsPicture || !(key == pictureKey) || rectangle != pictureRectangle;
    if (drawn) {
        Panel::draw();
        if ((w > bufferWidth || h > bufferHeight) && !allocate(w, h)) return;
    }
    const GLint boundDraw = integer(GL_DRAW_FRAMEBUFFER_BINDING);
    const GLint boundRead = integer(GL_READ_FRAMEBUFFER_BINDING);
    // Rows upside down in the offscreen buffer, as the map layer cache keeps
    // its picture, so that both copies are straight copies of memory rows.
    if (drawn) {
        gl->bindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffer);
        gl->blitFramebuffer(left, bottom, left + w, bottom + h, 0, h, w, 0, GL_COLOR_BUFFER_BIT, GL_NEAREST);
        pictureKey = key;
        pictureRectangle = rectangle;
        holdsPicture = glGetError() == GL_NO_ERROR;
    } else {
        gl->bindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
        gl->blitFramebuffer(0, h, w, 0, left, bottom, left + w, bottom + h, GL_COLOR_BUFFER_BIT, GL_NEAREST);
        reused = true;
    }
    gl->bindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(boundDraw));
    gl->bindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(boundRead));
}

bool CachedPanel::allocate(int w, int h) {
    const GLint boundTexture = integer(GL_TEXTURE_BINDING_2D);
    const GLint boundDraw = integer(GL_DRAW_FRAMEBUFFER_BINDING);
    const GLint boundRead = integer(GL_READ_FRAMEBUFFER_BINDING);
    if (colour == 0) glGenTextures(1, &colour);
    glBindTexture(GL_TEXTURE_2D, colour);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    // Blue first, as the window stores its pixels (see MapLayerCache).
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, w, h, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(boundTexture));
    if (framebuffer == 0) gl->genFramebuffers(1, &framebuffer);
    gl->bindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    gl->framebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colour, 0);
    const bool complete = gl->checkFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    gl->bindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(boundDraw));
    gl->bindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(boundRead));
    holdsPicture = false;
    if (!complete) {
        // Drawn every frame from now on.
        gl.reset();
        return false;
    }
    bufferWidth = w;
    bufferHeight = h;
    return true;
}
