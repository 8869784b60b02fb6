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
#include "GlFrames.h"
#include "gl/OffscreenContext.h"

// Mesa's driver leaves allocations behind at exit that LeakSanitizer can only
// attribute to an unknown module; a sanitizer build of the benchmarks would
// otherwise end in a leak report that is not ours.
extern "C" const char* __asan_default_options() { return "detect_leaks=0"; }

namespace {

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
}  // namespace

MapEditor& zoomedOutEditor() {
    static MapEditor editor = [] {
        MapEditor e;
        e.replaceChain(longCourse(100000, 5, 11));
        e.zoomAt(0, 300, -19);
        return e;
    }();
    return editor;
}

namespace {

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

}  // namespace
