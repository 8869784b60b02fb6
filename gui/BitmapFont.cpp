#include "BitmapFont.h"

void* BitmapFont::font9by15 = nullptr;
GlyphFunction BitmapFont::drawGlyph = nullptr;
const GlyphAtlas* BitmapFont::atlas = nullptr;
