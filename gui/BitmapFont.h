#pragma once

// The toolkit draws text through a glyph function that the application
// installs (the windowing library's bitmap font), so the toolkit itself stays
// free of the windowing library and can be drawn and tested without it.
using GlyphFunction = void (*)(void* font, int character);

class GlyphAtlas;

struct BitmapFont {
    // The 9 x 15 bitmap font handle every control uses; null until installed.
    static void* font9by15;
    // Draws one character at the raster position and advances it; null draws nothing.
    static GlyphFunction drawGlyph;
    // The same font captured into one texture (GlyphAtlas::capture); when set,
    // text is drawn from it, one call per string, with the same pixels.
    static const GlyphAtlas* atlas;
};
