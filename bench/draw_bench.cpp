// Drawing the map in a real OpenGL context (Mesa's surfaceless EGL platform),
// one frame per iteration: clear, draw, and wait until the frame is done. The
// renderer rasterises on threads of its own, so the wall-clock time counts.
#include <benchmark/benchmark.h>

#include <string>

#include <EGL/egl.h>
#include <GL/gl.h>

#include <cmath>
#include <vector>

#include "Courses.h"
#include "MapDraw.h"
#include "MapDrawCache.h"
#include "MapEditor.h"
#include "FrameLoop.h"
#include "MapLayerCache.h"
#include "gl/OffscreenContext.h"

// The map drawing's scratch, shared by every drawing here.
static MapDrawCache drawCache;
static GridPicture gridPicture;

// Mesa's driver leaves allocations behind at exit that LeakSanitizer can only
// attribute to an unknown module; a sanitizer build of the benchmarks would
// otherwise end in a leak report that is not ours.
extern "C" const char* __asan_default_options() { return "detect_leaks=0"; }

namespace {

// Like the window on a 24-bit display, so that the map layer cache is on.
OffscreenContext* context() {
    static OffscreenContext ctx(OffscreenContext::Colour::eightBits);
    return ctx.ok() ? &ctx : nullptr;
}

// Runs `frame` once untimed, then once per iteration, each time waiting
// until the frame is done.
template <typename Frame>
void timeLayers(benchmark::State& state, Frame frame) {
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
void timeFrames(benchmark::State& state, Draw draw) {
    timeLayers(state, [&] {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        draw();
    });
    state.SetItemsProcessed(state.iterations());
}

// (a) A course of 10,000 segments of which a few dozen lie in the window.

MapEditor& longCourseEditor() {
    static MapEditor editor = [] {
        MapEditor e;
        e.replaceChain(longCourse(10000, 5, 11));
        return e;
    }();
    return editor;
}

// The same editor state holding only the segments that show in the window.
MapEditor& visiblePartEditor() {
    static MapEditor editor = [] {
        std::vector<Segment> visible;
        for (const Segment& s : longCourseEditor().getSegments())
            if (s.mayShowIn(mapWindowWidth, mapWindowHeight)) visible.push_back(s);
        MapEditor e;
        e.replaceChain(visible);
        return e;
    }();
    return editor;
}

void DrawLongCourse_Editor(benchmark::State& state) {
    const MapEditor& editor = longCourseEditor();
    timeFrames(state, [&] { editor.draw(drawCache); });
    state.counters["segments"] = editor.segmentCount();
}
BENCHMARK(DrawLongCourse_Editor)->UseRealTime()->Unit(benchmark::kMicrosecond);

void DrawLongCourse_VisibleOnly(benchmark::State& state) {
    const MapEditor& editor = visiblePartEditor();
    timeFrames(state, [&] { editor.draw(drawCache); });
    state.counters["segments"] = editor.segmentCount();
}
BENCHMARK(DrawLongCourse_VisibleOnly)->UseRealTime()->Unit(benchmark::kMicrosecond);

void DrawLongCourse_Unculled(benchmark::State& state) {
    const MapEditor& editor = longCourseEditor();
    timeFrames(state, [&] {
        drawMap(editor.getSegments(), editor.getMarkers(), editor.getViewOffset(), editor.getZoom(),
                Culling::off);
    });
}
BENCHMARK(DrawLongCourse_Unculled)->UseRealTime()->Unit(benchmark::kMicrosecond);

// (a') A course of 100,000 segments seen at the smallest zoom, 1/64: a map
// unit is 0.156 pixels, so about 1,700 segments (5,100 map units) fill the
// window's width and the rest is culled.

MapEditor& zoomedOutEditor() {
    static MapEditor editor = [] {
        MapEditor e;
        e.replaceChain(longCourse(100000, 5, 11));
        e.zoomAt(0, 300, -19);
        return e;
    }();
    return editor;
}

void DrawLongCourse_ZoomedOut(benchmark::State& state) {
    const MapEditor& editor = zoomedOutEditor();
    timeFrames(state, [&] { editor.draw(drawCache); });
    int shown = 0;
    for (const Segment& s : editor.getSegments()) shown += s.mayShowIn(mapWindowWidth, mapWindowHeight);
    state.counters["segments"] = editor.segmentCount();
    // A label, not counters: the CSV report of bench/report needs the same
    // counters in every run.
    state.SetLabel("zoom " + std::to_string(editor.getZoom()) + ", " + std::to_string(shown) + " shown");
}
BENCHMARK(DrawLongCourse_ZoomedOut)->UseRealTime()->Unit(benchmark::kMillisecond);

// The same view drawn as before the merged drawing: each shown segment on its own.
void DrawLongCourse_ZoomedOutPerSegment(benchmark::State& state) {
    const MapEditor& editor = zoomedOutEditor();
    std::vector<std::size_t> shown;
    editor.visibleSegments(shown);
    timeFrames(state, [&] {
        drawMapSegments(editor.getSegments(), shown, editor.getMarkers(), editor.getViewOffset(),
                        editor.getZoom());
    });
}
BENCHMARK(DrawLongCourse_ZoomedOutPerSegment)->UseRealTime()->Unit(benchmark::kMillisecond);

// The same view holding only the segments that show: what drawing them costs
// without walking the rest.
void DrawLongCourse_ZoomedOutShownOnly(benchmark::State& state) {
    static MapEditor editor = [] {
        std::vector<Segment> shown;
        for (const Segment& s : zoomedOutEditor().getSegments())
            if (s.mayShowIn(mapWindowWidth, mapWindowHeight)) shown.push_back(s);
        MapEditor e;
        e.replaceChain(shown);
        e.zoomAt(0, 300, -19);
        return e;
    }();
    timeFrames(state, [&] { editor.draw(drawCache); });
    state.counters["segments"] = editor.segmentCount();
}
BENCHMARK(DrawLongCourse_ZoomedOutShownOnly)->UseRealTime()->Unit(benchmark::kMillisecond);

// (b) 1,000 segments at resolution 50, all inside the window.

MapEditor& fullWindowEditor() {
    static MapEditor editor = [] {
        MapEditor e;
        e.replaceChain(windowFullOfSegments(1000, 50, 12));
        return e;
    }();
    return editor;
}

void DrawFullWindow_Editor(benchmark::State& state) {
    const MapEditor& editor = fullWindowEditor();
    timeFrames(state, [&] { editor.draw(drawCache); });
}
BENCHMARK(DrawFullWindow_Editor)->UseRealTime()->Unit(benchmark::kMillisecond);

struct Vertex {
    float x, y;
};

struct ColouredVertex {
    float x, y;
    float r, g, b;
};

// Every vertex the editor draws for the map, gathered by primitive kind.
struct MapVertices {
    std::vector<Vertex> curveLines;
    std::vector<Vertex> samplePoints;
    std::vector<ColouredVertex> squares;  // four corners each
    std::vector<Vertex> handleLines;
};

MapVertices gatherVertices(const MapEditor& editor) {
    MapVertices v;
    const ControlPoint& o = editor.getViewOffset();
    auto window = [&](const ControlPoint& p) {
        return Vertex{static_cast<float>(p.x * 10 + o.x), static_cast<float>(p.y * 10 + o.y)};
    };
    auto square = [&](const ControlPoint& p, float r, float g, float b) {
        const Vertex c = window(p);
        v.squares.push_back({c.x - 3, c.y - 3, r, g, b});
        v.squares.push_back({c.x + 3, c.y - 3, r, g, b});
        v.squares.push_back({c.x + 3, c.y + 3, r, g, b});
        v.squares.push_back({c.x - 3, c.y + 3, r, g, b});
    };
    auto integral = [&](const ControlPoint& p) {
        const Vertex c = window(p);
        return Vertex{std::trunc(c.x), std::trunc(c.y)};
    };
    for (const Segment& s : editor.getSegments()) {
        const std::vector<ControlPoint>& samples = s.getSamples();
        for (std::size_t i = 1; i < samples.size(); ++i) {
            v.curveLines.push_back(window(samples[i - 1]));
            v.curveLines.push_back(window(samples[i]));
        }
        for (const ControlPoint& p : samples) v.samplePoints.push_back(window(p));
        square(s.getStartPoint(), 1, 0, 1);
        square(s.getEndPoint(), 1, 0, 1);
        square(s.getStartHandle(), 0, 1, 0);
        square(s.getEndHandle(), 0, 1, 0);
        v.handleLines.push_back(integral(s.getStartPoint()));
        v.handleLines.push_back(integral(s.getStartHandle()));
        v.handleLines.push_back(integral(s.getEndPoint()));
        v.handleLines.push_back(integral(s.getEndHandle()));
    }
    return v;
}

// The limit on this renderer: the same vertices, prepared beforehand, with one
// vertex-array call per primitive kind for the whole map, under the same state.
void DrawFullWindow_VertexArrayLimit(benchmark::State& state) {
    const MapVertices v = gatherVertices(fullWindowEditor());
    auto draw = [&] {
        glEnable(GL_LINE_SMOOTH);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glHint(GL_LINE_SMOOTH_HINT, GL_DONT_CARE);
        glLineWidth(1.2f);
        glEnableClientState(GL_VERTEX_ARRAY);
        glColor3f(1, 1, 0);
        glVertexPointer(2, GL_FLOAT, sizeof(Vertex), v.curveLines.data());
        glDrawArrays(GL_LINES, 0, static_cast<GLsizei>(v.curveLines.size()));
        glPointSize(3);
        glColor3f(1, 0, 0);
        glVertexPointer(2, GL_FLOAT, sizeof(Vertex), v.samplePoints.data());
        glDrawArrays(GL_POINTS, 0, static_cast<GLsizei>(v.samplePoints.size()));
        glEnableClientState(GL_COLOR_ARRAY);
        glVertexPointer(2, GL_FLOAT, sizeof(ColouredVertex), &v.squares[0].x);
        glColorPointer(3, GL_FLOAT, sizeof(ColouredVertex), &v.squares[0].r);
        glDrawArrays(GL_QUADS, 0, static_cast<GLsizei>(v.squares.size()));
        glDisableClientState(GL_COLOR_ARRAY);
        glColor3f(1, 1, 1);
        glVertexPointer(2, GL_FLOAT, sizeof(Vertex), v.handleLines.data());
        glDrawArrays(GL_LINES, 0, static_cast<GLsizei>(v.handleLines.size()));
        glDisableClientState(GL_VERTEX_ARRAY);
        glDisable(GL_LINE_SMOOTH);
        glDisable(GL_BLEND);
    };
    timeFrames(state, draw);
}
BENCHMARK(DrawFullWindow_VertexArrayLimit)->UseRealTime()->Unit(benchmark::kMillisecond);

// (c) The map layer of an idle frame: the black background and the map, as
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
