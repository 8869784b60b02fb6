#pragma once

// What the drawing benchmarks share: the offscreen context, the drawing's
// scratch and the timing of frames.
#include <benchmark/benchmark.h>

#include <GL/gl.h>

#include "GridPicture.h"
#include "MapDrawCache.h"
#include "MapEditor.h"
#include "gl/OffscreenContext.h"

// The map drawing's scratch, shared by every drawing here.
inline MapDrawCache drawCache;
inline GridPicture gridPicture;


// Like the window on a 24-bit display, so that the map layer cache is on.
inline OffscreenContext* context() {
    static OffscreenContext ctx(OffscreenContext::Colour::eightBits);
    return ctx.ok() ? &ctx : nullptr;
}

// Runs `frame` once untimed, then once per iteration, each time waiting
// until the frame is done.
template <typename Frame>
inline void timeLayers(benchmark::State& state, Frame frame) {
    OffscreenContext* ctx = context();
    if (ctx == nullptr) {
        state.SkipWithError("no offscreen OpenGL context");
        return;
    }
    ctx->beginFrame();
    frame();
    glFinish();
    for (auto _ : state) {
        frame();
        glFinish();
    }
}

// A whole frame's drawing: clear, then `draw`.
template <typename Draw>
inline void timeFrames(benchmark::State& state, Draw draw) {
    timeLayers(state, [&] {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        draw();
    });
    state.SetItemsProcessed(state.iterations());
}

// A course of 100,000 segments seen at the smallest zoom, 1/64 (draw_bench.cpp).
MapEditor& zoomedOutEditor();
