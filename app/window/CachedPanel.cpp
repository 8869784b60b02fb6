#include "CachedPanel.h"

#include <GL/gl.h>

#include <cmath>

#include "BitmapFont.h"

namespace {

// The window position of the point (x, y) of the current matrices.
void toWindow(const double projection[16], const double modelview[16], const int viewport[4], double x,
              double y, double& windowX, double& windowY) {
    double eye[4];
    for (int row = 0; row < 4; ++row) eye[row] = modelview[row] * x + modelview[4 + row] * y + modelview[12 + row];
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

int powerOfTwoAtLeast(int n) {
    int p = 1;
    while (p < n) p *= 2;
    return p;
}

}  // namespace

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
    if (!whole(std::fmin(x0, x1), left) || !whole(std::fmax(x0, x1), right) || !whole(std::fmin(y0, y1), bottom) ||
        !whole(std::fmax(y0, y1), top)) {
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
    if (!windowRectangle(rectangle)) {
        Panel::draw();
        return;
    }
    Key key;
    glGetIntegerv(GL_VIEWPORT, key.viewport.data());
    glGetDoublev(GL_PROJECTION_MATRIX, key.matrices.data());
    glGetDoublev(GL_MODELVIEW_MATRIX, key.matrices.data() + 16);
    key.atlas = BitmapFont::atlas;
    key.active = active;
    const int w = rectangle[2], h = rectangle[3];

    if (!holdsPicture || !(key == pictureKey) || rectangle != pictureRectangle) {
        Panel::draw();
        glPushAttrib(GL_TEXTURE_BIT);
        if (texture == 0) glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        if (textureWidth < w || textureHeight < h) {
            // Powers of two, for OpenGL 1.1; only the corner the panel needs is used.
            textureWidth = powerOfTwoAtLeast(w);
            textureHeight = powerOfTwoAtLeast(h);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, textureWidth, textureHeight, 0, GL_RGB, GL_UNSIGNED_BYTE,
                         nullptr);
        }
        glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, rectangle[0], rectangle[1], w, h);
        holdsPicture = glGetError() == GL_NO_ERROR;
        pictureKey = key;
        pictureRectangle = rectangle;
        glPopAttrib();
        return;
    }
    // One textured quad in window pixels, each pixel's centre on its texel's.
    glPushAttrib(GL_ENABLE_BIT | GL_TEXTURE_BIT);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(key.viewport[0], key.viewport[0] + key.viewport[2], key.viewport[1], key.viewport[1] + key.viewport[3],
            -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glDisable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_DEPTH_TEST);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glEnable(GL_TEXTURE_2D);
    const float s = static_cast<float>(w) / static_cast<float>(textureWidth);
    const float t = static_cast<float>(h) / static_cast<float>(textureHeight);
    const float left = static_cast<float>(rectangle[0]), bottom = static_cast<float>(rectangle[1]);
    const float right = left + static_cast<float>(w), top = bottom + static_cast<float>(h);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(left, bottom);
    glTexCoord2f(s, 0.0f);
    glVertex2f(right, bottom);
    glTexCoord2f(s, t);
    glVertex2f(right, top);
    glTexCoord2f(0.0f, t);
    glVertex2f(left, top);
    glEnd();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glPopAttrib();
    reused = true;
}

void CachedPanel::forgetPicture() {
    if (texture != 0) glDeleteTextures(1, &texture);
    texture = 0;
    textureWidth = textureHeight = 0;
    holdsPicture = false;
}
