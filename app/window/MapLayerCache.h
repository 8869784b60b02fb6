#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

#include "MapRevision.h"

// The map's picture kept between frames in an offscreen colour buffer the size
// of the window. While nothing the map's drawing reads has changed, a frame
// copies that picture into the back buffer instead of clearing the window and
// drawing every segment again; on a software renderer the copy costs less
// than the clear alone. The offscreen buffer is drawn with the window's own
// rasterisation rules (origin at the top, a depth buffer when the window has
// one) and in a format the window copies byte for byte, so a copied frame is
// the frame the window would have drawn, pixel for pixel.
class MapLayerCache {
public:
    using Proc = void (*)();
    using ProcLoader = Proc (*)(const char*);

    MapLayerCache();
    ~MapLayerCache();
    MapLayerCache(const MapLayerCache&) = delete;
    MapLayerCache& operator=(const MapLayerCache&) = delete;

    // With the window's context current: loads the framebuffer and clip
    // control functions through `load` and checks that the window's colour
    // buffer takes an exact copy (8 bits a channel, no multisampling). When
    // anything is missing the cache stays off and says so here.
    bool enable(ProcLoader load);
    bool enabled() const { return gl != nullptr; }

    // Puts the map's layer into the back buffer of a `width` x `height`
    // window: copied when `revision` (which changes with everything the
    // map's drawing reads) and the viewport and matrices are those of the
    // copy, otherwise first drawn by `drawMap` into the offscreen buffer,
    // cleared to black. Returns false without drawing anything when the cache
    // is off or the viewport does not cover the window; the caller then
    // clears and draws the map itself.
    //
    // With a `floor` (width x height pixels, top row first, 0xAARRGGBB each,
    // such as the precision grid's picture) the offscreen buffer starts from
    // that picture instead of black; `revision` must then change with it too.
    bool draw(int width, int height, MapRevision revision, const std::function<void()>& drawMap,
              const std::uint32_t* floor = nullptr);

    // Whether the last successful draw copied the picture without drawing the map.
    bool lastDrawWasCopy() const { return reused; }

    // Deletes the offscreen buffer (with the context current) and turns the cache off.
    void disable();

private:
    struct Functions;
    bool allocate(int width, int height);
    // Replaces the offscreen buffer's picture with `floor`.
    void loadFloor(int width, int height, const std::uint32_t* floor);
    // Deletes the offscreen buffer and forgets its picture.
    void deleteBuffers();

    std::unique_ptr<Functions> gl;
    unsigned colour = 0;
    unsigned depth = 0;
    unsigned framebuffer = 0;
    int depthFormat = 0;
    int bufferWidth = 0;
    int bufferHeight = 0;
    // What a picture depends on: the map's editor and revision, the viewport and the
    // projection and modelview matrices, compared in constant time.
    struct Key {
        MapRevision revision;
        std::array<int, 4> viewport{};
        std::array<double, 32> matrices{};
    };
    // The key of the picture in the buffer, when it holds one.
    Key pictureKey;
    bool holdsPicture = false;
    bool reused = false;
};
