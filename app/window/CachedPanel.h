#pragma once

#include <array>
#include <memory>

#include "Panel.h"

// A panel whose picture never changes while it is open (the keys panel): the
// first frame draws it and copies its pixels, frame and all, into an
// offscreen buffer; later frames copy them back instead of drawing every line
// of text again, which on a software renderer is a copy of bytes. The copy is
// exact, so a copied frame is the frame the panel would have drawn. The
// picture is drawn again whenever what it depends on changes: the viewport
// and the matrices, the panel's highlight and the way text is drawn (the
// glyph atlas or glyph by glyph). Until enabled, and where the panel does not
// land one unit to a pixel on whole pixels (a window of another size), it is
// drawn every frame as before.
class CachedPanel : public Panel {
public:
    using Proc = void (*)();
    using ProcLoader = Proc (*)(const char*);

    // The buffer lives as long as the window: it is never deleted at exit,
    // when there may be no context any more.
    CachedPanel();
    ~CachedPanel();
    CachedPanel(const CachedPanel&) = delete;
    CachedPanel& operator=(const CachedPanel&) = delete;

    // With the window's context current, and only where the map layer cache
    // could be enabled (framebuffers, and a colour buffer that takes an
    // exact copy): loads the framebuffer functions through `load`.
    bool enable(ProcLoader load);

    void draw() override;

    // Whether the last draw put the copied picture back instead of drawing the panel.
    bool lastDrawWasCopy() const { return reused; }

private:
    // The panel's rectangle with its frame in window pixels (x, y from the
    // bottom, width, height), when it lands on whole pixels one to a unit.
    bool windowRectangle(std::array<int, 4>& rectangle) const;
    // Makes the offscreen buffer `w` x `h`; false, and the cache off, when it cannot be made.
    bool allocate(int w, int h);

    struct Key {
        std::array<int, 4> viewport{};
        std::array<double, 32> matrices{};
        const void* atlas = nullptr;
        bool active = false;
        bool operator==(const Key& other) const;
    };
    struct Functions;
    std::unique_ptr<Functions> gl;
    Key pictureKey;
    std::array<int, 4> pictureRectangle{};
    bool holdsPicture = false;
    bool reused = false;
    unsigned colour = 0;
    unsigned framebuffer = 0;
    int bufferWidth = 0;
    int bufferHeight = 0;
};
