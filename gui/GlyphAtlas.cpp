#include "GlyphAtlas.h"

#include <GL/gl.h>
// GL_CLAMP_TO_EDGE: Windows' gl.h stops at OpenGL 1.1.
#include <GL/glext.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

// glBitmap places a bitmap at the floor of the raster position plus this
// epsilon (Mesa's rule), so a position a rounding error below an integer
// still lands on that integer.
constexpr float rasterEpsilon = 0.0001f;

int rasterPixel(float position) { return static_cast<int>(std::floor(position + rasterEpsilon)); }

// Window pixels as the coordinates of both matrices, y up as the raster's,
// whatever the caller's projection is; popWindowPixels restores the caller's.
void pushWindowPixels(const GLint viewport[4]) {
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(viewport[0], viewport[0] + viewport[2], viewport[1], viewport[1] + viewport[3], -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
}

void popWindowPixels() {
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}

// The framebuffer functions, present from OpenGL 3.0 or with the extension.
struct FramebufferFunctions {
    PFNGLGENFRAMEBUFFERSPROC genFramebuffers = nullptr;
    PFNGLDELETEFRAMEBUFFERSPROC deleteFramebuffers = nullptr;
    PFNGLBINDFRAMEBUFFERPROC bindFramebuffer = nullptr;
    PFNGLFRAMEBUFFERRENDERBUFFERPROC framebufferRenderbuffer = nullptr;
    PFNGLCHECKFRAMEBUFFERSTATUSPROC checkFramebufferStatus = nullptr;
    PFNGLGENRENDERBUFFERSPROC genRenderbuffers = nullptr;
    PFNGLDELETERENDERBUFFERSPROC deleteRenderbuffers = nullptr;
    PFNGLBINDRENDERBUFFERPROC bindRenderbuffer = nullptr;
    PFNGLRENDERBUFFERSTORAGEPROC renderbufferStorage = nullptr;

    // Loaders may hand out an entry point for any name, so the version and
    // the extensions decide what the driver really has.
    bool load(GlyphAtlas::ProcLoader loader) {
        if (!loader || !(versionAtLeast(3) || hasExtension("GL_ARB_framebuffer_object"))) return false;
        return into(genFramebuffers, loader, "glGenFramebuffers") &&
               into(deleteFramebuffers, loader, "glDeleteFramebuffers") &&
               into(bindFramebuffer, loader, "glBindFramebuffer") &&
               into(framebufferRenderbuffer, loader, "glFramebufferRenderbuffer") &&
               into(checkFramebufferStatus, loader, "glCheckFramebufferStatus") &&
               into(genRenderbuffers, loader, "glGenRenderbuffers") &&
               into(deleteRenderbuffers, loader, "glDeleteRenderbuffers") &&
               into(bindRenderbuffer, loader, "glBindRenderbuffer") &&
               into(renderbufferStorage, loader, "glRenderbufferStorage");
    }

private:
    template <typename F>
    static bool into(F& f, GlyphAtlas::ProcLoader loader, const char* name) {
        f = reinterpret_cast<F>(loader(name));
        return f != nullptr;
    }
    static bool versionAtLeast(int major) {
        const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
        return version != nullptr && std::atoi(version) >= major;
    }
    static bool hasExtension(const char* name) {
        const char* all = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
        if (all == nullptr) return false;
        const std::size_t length = std::strlen(name);
        for (const char* p = std::strstr(all, name); p != nullptr; p = std::strstr(p + 1, name))
            if ((p == all || p[-1] == ' ') && (p[length] == '\0' || p[length] == ' ')) return true;
        return false;
    }
};

}  // namespace

std::unique_ptr<GlyphAtlas> GlyphAtlas::capture(GlyphFunction drawGlyph, void* font, ProcLoader load) {
    if (!drawGlyph) return nullptr;
    std::unique_ptr<GlyphAtlas> atlas(new GlyphAtlas);
    FramebufferFunctions fb;
    GLuint framebuffer = 0, colour = 0;
    GLint previousDraw = 0, previousRead = 0, viewport[4] = {};
    const bool offscreen = fb.load(load);
    if (offscreen) {
        glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &previousDraw);
        glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &previousRead);
        glGetIntegerv(GL_VIEWPORT, viewport);
        fb.genRenderbuffers(1, &colour);
        fb.bindRenderbuffer(GL_RENDERBUFFER, colour);
        fb.renderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, textureSize, textureSize);
        fb.genFramebuffers(1, &framebuffer);
        fb.bindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        fb.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
        glViewport(0, 0, textureSize, textureSize);
    }
    bool drawn = false;
    if (!offscreen || fb.checkFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE)
        drawn = atlas->drawAndRead(drawGlyph, font);
    if (offscreen) {
        fb.bindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(previousDraw));
        fb.bindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(previousRead));
        glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
        fb.deleteFramebuffers(1, &framebuffer);
        fb.deleteRenderbuffers(1, &colour);
        // An offscreen buffer the driver would not draw into: the window's own.
        if (!drawn) return capture(drawGlyph, font, nullptr);
    }
    return drawn ? std::move(atlas) : nullptr;
}

bool GlyphAtlas::drawAndRead(GlyphFunction drawGlyph, void* font) {
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glColor3f(1.0f, 1.0f, 1.0f);
    // Each glyph at its cell's origin, the raster placed in window pixels.
    pushWindowPixels(viewport);
    for (int c = 0; c < 256; ++c) {
        const int cellX = (c % cellsPerRow) * cellSize, cellY = (c / cellsPerRow) * cellSize;
        glRasterPos2i(viewport[0] + cellX + cellOrigin, viewport[1] + cellY + cellOrigin);
        GLfloat before[4] = {}, after[4] = {};
        glGetFloatv(GL_CURRENT_RASTER_POSITION, before);
        drawGlyph(font, c);
        glGetFloatv(GL_CURRENT_RASTER_POSITION, after);
        advance[c] = after[0] - before[0];
    }
    popWindowPixels();
    glFinish();
    coverage.assign(static_cast<std::size_t>(textureSize) * textureSize, 0);
    std::vector<unsigned char> rgba(static_cast<std::size_t>(textureSize) * textureSize * 4);
    // RGBA rows need no padding at any alignment.
    glReadPixels(viewport[0], viewport[1], textureSize, textureSize, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    glClear(GL_COLOR_BUFFER_BIT);

    bool anyLit = false;
    for (int c = 0; c < 256; ++c) {
        const int cellX = (c % cellsPerRow) * cellSize, cellY = (c / cellsPerRow) * cellSize;
        Extent e{cellSize, cellSize, 0, 0};
        for (int y = 0; y < cellSize; ++y) {
            for (int x = 0; x < cellSize; ++x) {
                const std::size_t i = static_cast<std::size_t>(cellY + y) * textureSize + cellX + x;
                if (rgba[4 * i] == 0 && rgba[4 * i + 1] == 0 && rgba[4 * i + 2] == 0) continue;
                coverage[i] = 255;
                e = {std::min(e.left, x), std::min(e.bottom, y), std::max(e.right, x + 1),
                     std::max(e.top, y + 1)};
                anyLit = true;
            }
        }
        if (e.right > e.left) extent[c] = e;
    }
    return anyLit;
}

void GlyphAtlas::createTexture() const {
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    // Rows of single bytes, without touching the unpacking that glBitmap callers rely on.
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA8, textureSize, textureSize, 0, GL_ALPHA, GL_UNSIGNED_BYTE,
                 coverage.data());
    glPopClientAttrib();
    texture = name;
}

void GlyphAtlas::drawString(const char* text, int count) const {
    GLboolean valid = GL_FALSE;
    glGetBooleanv(GL_CURRENT_RASTER_POSITION_VALID, &valid);
    // glBitmap draws nothing from an invalid raster position.
    if (!valid || count <= 0) return;
    GLfloat position[4] = {}, color[4] = {}, current[4] = {};
    glGetFloatv(GL_CURRENT_RASTER_POSITION, position);
    glGetFloatv(GL_CURRENT_RASTER_COLOR, color);
    glGetFloatv(GL_CURRENT_COLOR, current);
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);

    // One quad per lit glyph, in window coordinates, where glBitmap would put
    // the glyph: its cell origin on the floor of the advancing raster position.
    vertices.clear();
    float penX = position[0];
    const int baseY = rasterPixel(position[1]) - cellOrigin;
    for (int n = 0; n < count; ++n) {
        const int c = static_cast<unsigned char>(text[n]);
        const Extent& e = extent[c];
        if (e.right > e.left) {
            const float cellLeft = static_cast<float>(rasterPixel(penX) - cellOrigin);
            const float s0 = static_cast<float>((c % cellsPerRow) * cellSize);
            const float t0 = static_cast<float>((c / cellsPerRow) * cellSize);
            const float x0 = cellLeft + e.left, x1 = cellLeft + e.right;
            const float y0 = static_cast<float>(baseY + e.bottom), y1 = static_cast<float>(baseY + e.top);
            const float u0 = (s0 + e.left) / textureSize, u1 = (s0 + e.right) / textureSize;
            const float v0 = (t0 + e.bottom) / textureSize, v1 = (t0 + e.top) / textureSize;
            vertices.insert(vertices.end(), {x0, y0, u0, v0, x1, y0, u1, v0, x1, y1, u1, v1, x0, y1, u0, v1});
        }
        // Accumulated in single precision, as the raster position is.
        penX += advance[c];
    }
    // glBitmap moves the raster position; later text sets its own, but keep it the same.
    glBitmap(0, 0, 0.0f, 0.0f, penX - position[0], 0.0f, nullptr);
    if (vertices.empty()) return;

    if (texture == 0) createTexture();
    pushWindowPixels(viewport);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glEnable(GL_TEXTURE_2D);
    // An alpha texture keeps the colour and carries the coverage in alpha;
    // the alpha test drops the glyph's unlit pixels as glBitmap does.
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.5f);
    glColor4f(color[0], color[1], color[2], 1.0f);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(2, GL_FLOAT, 4 * sizeof(float), vertices.data());
    glTexCoordPointer(2, GL_FLOAT, 4 * sizeof(float), vertices.data() + 2);
    glDrawArrays(GL_QUADS, 0, static_cast<GLsizei>(vertices.size() / 4));
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_TEXTURE_2D);
    glColor4fv(current);
    popWindowPixels();
}
