#pragma once

#include <array>
#include <memory>
#include <vector>

#include "BitmapFont.h"

// Every character of a bitmap font as one texture, so that a string is drawn
// with one call instead of one glBitmap per character. The glyphs are not
// described but captured: each is drawn once with the font's own glyph
// function into the current frame buffer and read back, so the texture holds
// exactly the pixels that function draws, and a string drawn from it matches
// the same string drawn character by character pixel for pixel.
class GlyphAtlas {
public:
    // Side of the square cell that holds one glyph, and where in the cell the
    // raster position lies (from its left and bottom edges).
    static constexpr int cellSize = 32;
    static constexpr int cellOrigin = 8;
    static constexpr int cellsPerRow = 16;
    static constexpr int textureSize = cellSize * cellsPerRow;

    // How OpenGL functions past 1.1 are found (glutGetProcAddress, eglGetProcAddress).
    using Proc = void (*)();
    using ProcLoader = Proc (*)(const char*);

    // Draws the 256 characters of `font` with `drawGlyph` and reads them back.
    // With `load` and a driver that has framebuffer objects they are drawn
    // into an offscreen buffer of their own, which leaves the window's
    // buffers untouched: a window's pixels that another window covers are
    // undefined, and glyphs read back from them could be garbage. Otherwise
    // they are drawn into the current frame buffer (which must be at least
    // textureSize pixels in each direction), cleared to black before and
    // after. Null when the capture found no glyph at all.
    static std::unique_ptr<GlyphAtlas> capture(GlyphFunction drawGlyph, void* font, ProcLoader load = nullptr);

    // Draws the first `count` characters of `text` from the current raster
    // position in the current raster colour, advancing like glBitmap; nothing
    // when the raster position is invalid. The matrices, the current colour
    // and the enables are as they were afterwards.
    void drawString(const char* text, int count) const;

private:
    GlyphAtlas() = default;
    // The part of a glyph's cell that holds lit pixels, relative to the cell.
    struct Extent {
        int left = 0, bottom = 0, right = 0, top = 0;
    };
    void createTexture() const;
    // Draws the glyphs into the current frame buffer and reads them back.
    bool drawAndRead(GlyphFunction drawGlyph, void* font);

    std::vector<unsigned char> coverage;  // textureSize^2 alpha values, bottom row first
    std::array<float, 256> advance{};
    std::array<Extent, 256> extent{};
    mutable unsigned texture = 0;
    mutable std::vector<float> vertices;  // x, y, s, t per corner
};
