#pragma once

#include <GL/gl.h>

#include <array>
#include <vector>

// An 800 x 600 OpenGL compatibility context on Mesa's surfaceless EGL
// platform: real drawing without an X server.
class OffscreenContext {
public:
    static constexpr int width = 800;
    static constexpr int height = 600;

    // The colour buffer: the renderer's first choice (which may hold more
    // than 8 bits a channel), or exactly 8 bits a channel and no alpha as the
    // editor's window has on a 24-bit display.
    enum class Colour { firstChoice, eightBits };

    explicit OffscreenContext(Colour colour = Colour::firstChoice);
    ~OffscreenContext();
    OffscreenContext(const OffscreenContext&) = delete;
    OffscreenContext& operator=(const OffscreenContext&) = delete;

    bool ok() const { return ready; }
    // The window's projection: one unit a pixel, origin top left, y down; cleared to black.
    void beginFrame();
    // RGB of the pixel at window coordinates (x, y), y growing downward.
    std::array<int, 3> pixel(int x, int y) const;
    // The whole frame as RGBA bytes, bottom row first, after glFinish.
    std::vector<unsigned char> frame() const;

private:
    bool ready = false;
    void* display = nullptr;
    void* surface = nullptr;
    void* context = nullptr;
};
