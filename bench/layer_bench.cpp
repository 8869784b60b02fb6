// The map layer of a frame, with and without the map layer cache, in a real
// OpenGL context (Mesa's surfaceless EGL platform).
#include <benchmark/benchmark.h>

#include <GL/gl.h>

#include <EGL/egl.h>

#include "Courses.h"
#include "FrameLoop.h"
#include "GlFrames.h"
#include "MapDraw.h"
#include "MapLayerCache.h"

namespace {

// The map layer of an idle frame: the black background and the map, as
// the frame function puts them into the window before the controls. Timed
// without a clear of their own.

bool enableCache(MapLayerCache& cache) {
    return context() != nullptr && cache.enable([](const char* name) {
        return reinterpret_cast<MapLayerCache::Proc>(eglGetProcAddress(name));
    });
}

// The 100,000-segment course of bench/idle_cpu (27 segments in the window),
// and the initial map.
const MapEditor& idleCourseEditor() {
    static MapEditor editor = [] {
        MapEditor e;
        e.replaceChain(longCourse(100000, 5, 7));
        return e;
    }();
    return editor;
}

// What the frame did before the cache, and does where it is off: clear, draw.
void drawnLayer(benchmark::State& state, const MapEditor& editor) {
    timeLayers(state, [&] {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        editor.draw(drawCache);
    });
}

// An idle frame with the cache: the key, then the copy.
void copiedLayer(benchmark::State& state, const MapEditor& editor) {
    static MapLayerCache cache;
    if (!enableCache(cache)) {
        state.SkipWithError("the map layer cache cannot be enabled here");
        return;
    }
    timeLayers(state, [&] {
        drawMapLayer(cache, drawCache, gridPicture, editor, OffscreenContext::width, OffscreenContext::height);
    });
    if (!cache.lastDrawWasCopy()) state.SkipWithError("the cache drew instead of copying");
    cache.disable();
}

// A frame while the map changes, as during a drag: two views of a map a
// pixel apart take turns, so every frame draws the map into the cache and
// then copies it.
void timeRedrawnLayers(benchmark::State& state, const MapEditor& view, const MapEditor& shifted) {
    MapLayerCache cache;
    if (!enableCache(cache)) {
        state.SkipWithError("the map layer cache cannot be enabled here");
        return;
    }
    bool turn = false;
    timeLayers(state, [&] {
        drawMapLayer(cache, drawCache, gridPicture, (turn = !turn) ? shifted : view, OffscreenContext::width,
                     OffscreenContext::height);
    });
    if (cache.lastDrawWasCopy()) state.SkipWithError("the cache copied instead of drawing");
    cache.disable();
}

// `editor` with its view a pixel to the right.
MapEditor shiftedByAPixel(const MapEditor& editor) {
    MapEditor e = editor;
    e.shiftView(1.0, 0.0);
    return e;
}

void MapLayer_CourseRedrawn(benchmark::State& state) {
    static const MapEditor shifted = shiftedByAPixel(idleCourseEditor());
    timeRedrawnLayers(state, idleCourseEditor(), shifted);
}
BENCHMARK(MapLayer_CourseRedrawn)->UseRealTime()->Unit(benchmark::kMicrosecond);

// A frame of a drag at zoom 1/64: as above, on the zoomed-out course.
void MapLayer_ZoomedOutRedrawn(benchmark::State& state) {
    static const MapEditor shifted = shiftedByAPixel(zoomedOutEditor());
    timeRedrawnLayers(state, zoomedOutEditor(), shifted);
}
BENCHMARK(MapLayer_ZoomedOutRedrawn)->UseRealTime()->Unit(benchmark::kMicrosecond);

// 100,000 segments, every one of them in the window (a 4 MB map).
const MapEditor& denseEditor() {
    static MapEditor editor = [] {
        MapEditor e;
        e.replaceChain(windowFullOfSegments(100000, 5, 7));
        return e;
    }();
    return editor;
}

void MapLayer_CourseDrawn(benchmark::State& state) { drawnLayer(state, idleCourseEditor()); }
BENCHMARK(MapLayer_CourseDrawn)->UseRealTime()->Unit(benchmark::kMicrosecond);
void MapLayer_CourseCopied(benchmark::State& state) { copiedLayer(state, idleCourseEditor()); }
BENCHMARK(MapLayer_CourseCopied)->UseRealTime()->Unit(benchmark::kMicrosecond);
void MapLayer_DenseCopied(benchmark::State& state) { copiedLayer(state, denseEditor()); }
BENCHMARK(MapLayer_DenseCopied)->UseRealTime()->Unit(benchmark::kMicrosecond);
void MapLayer_InitialDrawn(benchmark::State& state) { drawnLayer(state, MapEditor()); }
BENCHMARK(MapLayer_InitialDrawn)->UseRealTime()->Unit(benchmark::kMicrosecond);
void MapLayer_InitialCopied(benchmark::State& state) {
    static const MapEditor initial;
    copiedLayer(state, initial);
}
BENCHMARK(MapLayer_InitialCopied)->UseRealTime()->Unit(benchmark::kMicrosecond);
// The floor's share of a frame: the clear alone.
void MapLayer_ClearOnly(benchmark::State& state) {
    timeLayers(state, [] { glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT); });
}
BENCHMARK(MapLayer_ClearOnly)->UseRealTime()->Unit(benchmark::kMicrosecond);

}  // namespace

// Precision mode's grid under the same frames, through the cache as the
// window draws them: idle, a drag (the map redrawn over an unchanged view),
// a scroll by a pixel, a wheel step, and a scroll at zoom 1/64. Each beside
// the same frame without the grid. Without the cache (drawn) the grid's
// lines are drawn too, which a software renderer pays for in full.
namespace {

MapEditor withGrid(const MapEditor& editor) {
    MapEditor copy = editor;
    copy.precision().set(true);
    return copy;
}

// The same view drawn again: `editor` after an edit that changes nothing
// on screen but the revision, as a drag's step does to the map's layer.
MapEditor edited(const MapEditor& editor) {
    MapEditor e = editor;
    e.shiftView(0.0, 0.0);
    return e;
}

MapEditor zoomedIn(const MapEditor& editor) {
    MapEditor e = editor;
    e.zoomAt(400, 250, 1);
    return e;
}

const MapEditor& course(bool grid) {
    static const MapEditor plain = idleCourseEditor();
    static const MapEditor gridded = withGrid(plain);
    return grid ? gridded : plain;
}

void MapLayer_CourseIdle(benchmark::State& state, bool grid) { copiedLayer(state, course(grid)); }
void MapLayer_CourseSameView(benchmark::State& state, bool grid) {
    static const MapEditor again[2] = {edited(course(false)), edited(course(true))};
    timeRedrawnLayers(state, course(grid), again[grid]);
}
void MapLayer_CourseScrolled(benchmark::State& state, bool grid) {
    static const MapEditor shifted[2] = {shiftedByAPixel(course(false)), shiftedByAPixel(course(true))};
    timeRedrawnLayers(state, course(grid), shifted[grid]);
}
void MapLayer_CourseZoomed(benchmark::State& state, bool grid) {
    static const MapEditor zoomed[2] = {zoomedIn(course(false)), zoomedIn(course(true))};
    timeRedrawnLayers(state, course(grid), zoomed[grid]);
}
void MapLayer_ZoomedOutScrolled(benchmark::State& state, bool grid) {
    static const MapEditor view[2] = {zoomedOutEditor(), withGrid(zoomedOutEditor())};
    static const MapEditor shifted[2] = {shiftedByAPixel(view[0]), shiftedByAPixel(view[1])};
    timeRedrawnLayers(state, view[grid], shifted[grid]);
}
BENCHMARK_CAPTURE(MapLayer_CourseIdle, plain, false)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(MapLayer_CourseIdle, grid, true)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(MapLayer_CourseSameView, plain, false)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(MapLayer_CourseSameView, grid, true)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(MapLayer_CourseScrolled, plain, false)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(MapLayer_CourseScrolled, grid, true)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(MapLayer_CourseZoomed, plain, false)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(MapLayer_CourseZoomed, grid, true)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(MapLayer_ZoomedOutScrolled, plain, false)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(MapLayer_ZoomedOutScrolled, grid, true)->UseRealTime()->Unit(benchmark::kMicrosecond);

void MapLayer_CourseDrawnGrid(benchmark::State& state) { drawnLayer(state, course(true)); }
BENCHMARK(MapLayer_CourseDrawnGrid)->UseRealTime()->Unit(benchmark::kMicrosecond);

}  // namespace
