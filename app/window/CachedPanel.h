#pragma once

#include <array>

#include "Panel.h"

// A panel whose picture never changes while it is open (the keys panel): the
// first frame draws it and copies its pixels, frame and all, into a texture;
// later frames put that texture back in one quad instead of drawing every
// line of text again. The copy is drawn pixel for pixel, so a copied frame is
// the frame the panel would have drawn. The picture is drawn again whenever
// what it depends on changes: the viewport and the matrices, the panel's
// highlight and the way text is drawn (the glyph atlas or glyph by glyph).
// Where the panel does not land one unit to a pixel on whole pixels (a window
// of another size) it is drawn every frame as before.
class CachedPanel : public Panel {
public:
    // The texture lives as long as the window: it is never deleted at exit,
    // when there may be no context any more.
    CachedPanel() = default;
    CachedPanel(const CachedPanel&) = delete;
    CachedPanel& operator=(const CachedPanel&) = delete;

    void draw() override;

    // Whether the last draw put the copied picture back instead of drawing the panel.
    bool lastDrawWasCopy() const { return reused; }
    // Forgets the picture (and its texture, with the context current): the next draw draws.
    void forgetPicture();

private:
    // The panel's rectangle with its frame in window pixels (x, y from the
    // bottom, width, height), when it lands on whole pixels one to a unit.
    bool windowRectangle(std::array<int, 4>& rectangle) const;

    struct Key {
        std::array<int, 4> viewport{};
        std::array<double, 32> matrices{};
        const void* atlas = nullptr;
        bool active = false;
        bool operator==(const Key& other) const;
    };
    Key pictureKey;
    std::array<int, 4> pictureRectangle{};
    bool holdsPicture = false;
    bool reused = false;
    unsigned texture = 0;
    int textureWidth = 0;
    int textureHeight = 0;
};
