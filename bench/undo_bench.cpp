// The undo history on the 100,000-segment course: a drag step (press, one
// motion, release) with and without the history, its undo and its redo; a
// load of the course's map.mef with and without the history, and its undo;
// the memory 1,000 drag steps keep. Every time is the thread's CPU time of
// the operation alone, so that waiting for a core on a shared machine does
// not count and the untimed work that sets up each operation stays out.
#include <benchmark/benchmark.h>

#include <malloc.h>
#include <stdlib.h>
#include <time.h>

#include <filesystem>
#include <string>

#include "Courses.h"
#include "EditorFiles.h"
#include "MapEditor.h"
#include "MapFile.h"

namespace {

constexpr int courseLength = 100000;

double threadSeconds() {
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Runs `operation` once per iteration, timing it alone.
template <typename Operation>
void timeEach(benchmark::State& state, Operation operation) {
    for (auto _ : state) {
        const double start = threadSeconds();
        operation();
        state.SetIterationTime(threadSeconds() - start);
    }
}

MapEditor courseEditor(bool history) {
    MapEditor editor;
    editor.replaceChain(longCourse(courseLength, 5, 7));
    if (!history) editor.setHistoryLimits(0, 0);
    return editor;
}

// A press on the junction of segments 10 and 11, one motion a pixel to the
// side and back on alternate calls, and the release: one drag step each time.
void dragJunction(MapEditor& editor, bool there) {
    const ControlPoint& p = editor.segment(10).getEndPoint();
    const int x = static_cast<int>(p.x * 10 + 1), y = static_cast<int>(p.y * 10 + 1);
    editor.mouse(ButtonAction::press, x, y);
    editor.motion(there ? x + 1 : x - 1, y);
    editor.mouse(ButtonAction::release, x, y);
}

void dragSteps(benchmark::State& state, bool history) {
    static MapEditor editors[2] = {courseEditor(false), courseEditor(true)};
    MapEditor& editor = editors[history];
    bool there = true;
    timeEach(state, [&] {
        dragJunction(editor, there);
        there = !there;
    });
    if (history && editor.getHistory().undoCount() == 0) state.SkipWithError("no drag step was kept");
}

void Undo_DragStep(benchmark::State& state) { dragSteps(state, true); }
BENCHMARK(Undo_DragStep)->UseManualTime()->Unit(benchmark::kMicrosecond);

void Undo_DragStepWithoutHistory(benchmark::State& state) { dragSteps(state, false); }
BENCHMARK(Undo_DragStepWithoutHistory)->UseManualTime()->Unit(benchmark::kMicrosecond);

// Times undo (or redo) alone: the other one, untimed, puts the step back.
void exchangeTimed(benchmark::State& state, MapEditor& editor, bool timeUndo) {
    if (!timeUndo) editor.undo();
    for (auto _ : state) {
        const double start = threadSeconds();
        const bool done = timeUndo ? editor.undo() : editor.redo();
        state.SetIterationTime(threadSeconds() - start);
        if (!done) state.SkipWithError("nothing to undo or redo");
        timeUndo ? editor.redo() : editor.undo();
    }
    if (!timeUndo) editor.redo();
}

MapEditor& draggedEditor() {
    static MapEditor editor = [] {
        MapEditor e = courseEditor(true);
        dragJunction(e, true);
        return e;
    }();
    return editor;
}

void Undo_UndoDragStep(benchmark::State& state) { exchangeTimed(state, draggedEditor(), true); }
BENCHMARK(Undo_UndoDragStep)->UseManualTime()->Unit(benchmark::kMicrosecond);

void Undo_RedoDragStep(benchmark::State& state) { exchangeTimed(state, draggedEditor(), false); }
BENCHMARK(Undo_RedoDragStep)->UseManualTime()->Unit(benchmark::kMicrosecond);

// The course's map.mef in a directory of its own, removed at exit.
class CourseFile {
public:
    CourseFile() {
        char templ[] = "/tmp/mapeditor-undo-XXXXXX";
        directory = ::mkdtemp(templ);
        path = directory + "/map.mef";
        storeMapFile(path, longCourse(courseLength, 5, 7));
    }
    ~CourseFile() {
        std::error_code ignored;
        std::filesystem::remove_all(directory, ignored);
    }
    std::string directory, path;
};

const std::string& courseFile() {
    static const CourseFile file;
    return file.path;
}

void loads(benchmark::State& state, bool history) {
    MapEditor editor = courseEditor(history);
    timeEach(state, [&] { loadMapFile(editor, courseFile().c_str(), windowMessages()); });
    if (editor.segmentCount() != courseLength) state.SkipWithError("the load failed");
}

void Undo_Load(benchmark::State& state) { loads(state, true); }
BENCHMARK(Undo_Load)->UseManualTime()->Unit(benchmark::kMillisecond);

void Undo_LoadWithoutHistory(benchmark::State& state) { loads(state, false); }
BENCHMARK(Undo_LoadWithoutHistory)->UseManualTime()->Unit(benchmark::kMillisecond);

void Undo_UndoLoad(benchmark::State& state) {
    MapEditor editor = courseEditor(true);
    loadMapFile(editor, courseFile().c_str(), windowMessages());
    exchangeTimed(state, editor, true);
}
BENCHMARK(Undo_UndoLoad)->UseManualTime()->Unit(benchmark::kMillisecond);

// The heap the history holds after 1,000 drag steps, per step, as the
// allocator counts it and as the history itself counts it.
void Undo_MemoryOfDragSteps(benchmark::State& state) {
    constexpr int steps = 1000;
    for (auto _ : state) {
        state.PauseTiming();
        MapEditor editor = courseEditor(true);
        const std::size_t before = ::mallinfo2().uordblks;
        state.ResumeTiming();
        for (int i = 0; i < steps; ++i) dragJunction(editor, i % 2 == 0);
        state.PauseTiming();
        const std::size_t after = ::mallinfo2().uordblks;
        if (editor.getHistory().undoCount() != steps) state.SkipWithError("not every drag was a step");
        state.counters["heap_per_step"] = (static_cast<double>(after) - static_cast<double>(before)) / steps;
        state.counters["counted_per_step"] = static_cast<double>(editor.getHistory().bytes()) / steps;
        state.ResumeTiming();
    }
}
BENCHMARK(Undo_MemoryOfDragSteps)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
