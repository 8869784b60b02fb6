// A press and a drag step on a 100,000-segment chain, per event.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "Courses.h"
#include "MapEditor.h"

namespace {

constexpr int chainLength = 100000;

// The junction between segments 10 and 11 of the course, in window pixels at
// the view offset (1, 1) of a loaded map.
struct Pixel {
    int x, y;
};

Pixel junctionPixel(const MapEditor& editor) {
    const ControlPoint& p = editor.segment(10).getEndPoint();
    return {static_cast<int>(p.x * 10 + 1), static_cast<int>(p.y * 10 + 1)};
}

MapEditor& longEditor() {
    static MapEditor editor = [] {
        MapEditor e;
        e.replaceChain(longCourse(chainLength, 5, 7));
        return e;
    }();
    return editor;
}

void Edit_Press(benchmark::State& state) {
    MapEditor& editor = longEditor();
    const Pixel at = junctionPixel(editor);
    for (auto _ : state) editor.mouse(ButtonAction::press, at.x, at.y);
    if (!editor.segment(10).isSelected() || !editor.segment(11).isSelected())
        state.SkipWithError("the press missed the junction");
    editor.mouse(ButtonAction::release, at.x, at.y);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(Edit_Press)->Unit(benchmark::kMicrosecond);

void Edit_DragStep(benchmark::State& state) {
    MapEditor& editor = longEditor();
    const Pixel at = junctionPixel(editor);
    editor.mouse(ButtonAction::press, at.x, at.y);
    int step = 0;
    for (auto _ : state) {
        editor.motion(at.x + (step & 1), at.y);
        ++step;
    }
    editor.mouse(ButtonAction::release, at.x, at.y);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(Edit_DragStep)->Unit(benchmark::kMicrosecond);

// The limit for a press: the same hit test over a flat array of the chain's
// control points in window pixels, nothing else.
void Edit_PressLimit(benchmark::State& state) {
    const MapEditor& editor = longEditor();
    std::vector<ControlPoint> points;
    for (const Segment& s : editor.getSegments())
        for (const ControlPoint& p :
             {s.getStartPoint(), s.getEndPoint(), s.getStartHandle(), s.getEndHandle()})
            points.push_back({p.x * 10 + 1, p.y * 10 + 1});
    std::vector<std::uint8_t> hit(chainLength);
    const Pixel at = junctionPixel(editor);
    for (auto _ : state) {
        for (std::size_t i = 0; i < hit.size(); ++i) {
            std::uint8_t first = 0;
            for (int k = 3; k >= 0; --k) {
                const ControlPoint& p = points[4 * i + k];
                if (std::fabs(std::trunc(p.x - at.x)) < 6.0 && std::fabs(std::trunc(p.y - at.y)) < 6.0)
                    first = static_cast<std::uint8_t>(k + 1);
            }
            hit[i] = first;
        }
        benchmark::DoNotOptimize(hit.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(Edit_PressLimit)->Unit(benchmark::kMicrosecond);

// The limit for a drag step: one flag read per segment, and the two picked
// segments moved and resampled.
void Edit_DragStepLimit(benchmark::State& state) {
    std::vector<std::uint8_t> picked(chainLength, 0);
    picked[10] = picked[11] = 1;
    std::vector<Segment> moved = {longEditor().segment(10), longEditor().segment(11)};
    int step = 0;
    for (auto _ : state) {
        std::size_t m = 0;
        for (std::size_t i = 0; i < picked.size(); ++i) {
            if (!picked[i]) continue;
            Segment& s = moved[m++];
            const ControlPoint a = s.getStartPoint(), b = s.getStartHandle(), c = s.getEndHandle();
            s.setPoints(a.x, a.y, b.x, b.y, c.x, c.y, 33.0 + 0.1 * (step & 1), 30.0);
        }
        ++step;
        benchmark::DoNotOptimize(moved.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(Edit_DragStepLimit)->Unit(benchmark::kMicrosecond);

// Every end point picked (Ctrl+A), the pressed junction's group moved one
// pixel each motion: the model's part of a frame of the drag, per motion.
MapEditor& groupEditor(int length) {
    static MapEditor editor;
    if (editor.getSegments().size() != static_cast<std::size_t>(length)) {
        editor.replaceChain(longCourse(length, 5, 7));
        editor.many().pickAllEndPoints();
    }
    return editor;
}

void Edit_GroupDragStep(benchmark::State& state) {
    MapEditor& editor = groupEditor(static_cast<int>(state.range(0)));
    const Pixel at = junctionPixel(editor);
    if (!editor.many().press(at.x, at.y, false, false)) state.SkipWithError("the press missed the group");
    int step = 0;
    for (auto _ : state) {
        editor.many().motion(at.x + (step & 1), at.y);
        ++step;
    }
    editor.many().motion(at.x, at.y);
    editor.many().release();
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(Edit_GroupDragStep)->Arg(100000)->Arg(742857)->Unit(benchmark::kMillisecond);

// A whole group move: the press, one motion and the release, where the index
// is brought up to date and the undo step made.
void Edit_GroupDragRelease(benchmark::State& state) {
    MapEditor& editor = groupEditor(static_cast<int>(state.range(0)));
    const Pixel at = junctionPixel(editor);
    int step = 0;
    for (auto _ : state) {
        editor.many().press(at.x + (step & 1), at.y, false, false);
        editor.many().motion(at.x + 1 - (step & 1), at.y);
        editor.many().release();
        ++step;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(Edit_GroupDragRelease)->Arg(100000)->Arg(742857)->Unit(benchmark::kMillisecond);

// Ctrl+L and Ctrl+M on every segment of the course, each followed by its
// undo so that the next one changes the map again.
void Edit_ShapeAllAndUndo(benchmark::State& state) {
    MapEditor& editor = groupEditor(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        if (state.range(1) == 0 ? !editor.shaping().straightenSelected() : !editor.shaping().smoothSelected())
            state.SkipWithError("nothing selected");
        editor.undo();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(Edit_ShapeAllAndUndo)->Args({100000, 0})->Args({100000, 1})->Args({742857, 0})->Args({742857, 1})->Unit(benchmark::kMillisecond);

}  // namespace
