// A view step (a view key, a wheel step) on a map at the point budget,
// 2,600,000 segments of resolution 0, against the same step on the initial
// map: the step changes the one view the chain is shown through, so it costs
// the same whatever the map. Drawing what is visible is timed elsewhere.
#include <benchmark/benchmark.h>

#include "Courses.h"
#include "MapEditor.h"
#include "SampleBudget.h"

namespace {

MapEditor& editorAt(bool budget) {
    static MapEditor initial;
    static MapEditor* full = nullptr;
    if (budget && full == nullptr) {
        full = new MapEditor;
        full->replaceChain(longCourse(static_cast<int>(sampleBudget / 2), 0, 13));
    }
    return budget ? *full : initial;
}

// A view key, right and back left on alternate steps.
void keySteps(benchmark::State& state, bool budget) {
    MapEditor& editor = editorAt(budget);
    bool there = false;
    for (auto _ : state) {
        editor.keyboard(there ? 'd' : 'a');
        there = !there;
    }
    benchmark::DoNotOptimize(editor.revision());
}

// A wheel step about the window's middle, in and back out on alternate steps.
void wheelSteps(benchmark::State& state, bool budget) {
    MapEditor& editor = editorAt(budget);
    int steps = 1;
    for (auto _ : state) {
        editor.zoomAt(400, 300, steps);
        steps = -steps;
    }
    benchmark::DoNotOptimize(editor.revision());
}

// Home: the view fitted to the whole map, alternating with a view key so that each fit moves it.
void homeSteps(benchmark::State& state, bool budget) {
    MapEditor& editor = editorAt(budget);
    for (auto _ : state) {
        editor.many().fitView();
        editor.keyboard('a');
    }
    benchmark::DoNotOptimize(editor.revision());
}

void View_KeyStepInitial(benchmark::State& state) { keySteps(state, false); }
void View_KeyStepBudget(benchmark::State& state) { keySteps(state, true); }
void View_WheelStepInitial(benchmark::State& state) { wheelSteps(state, false); }
void View_HomeAndKeyInitial(benchmark::State& state) { homeSteps(state, false); }
void View_HomeAndKeyBudget(benchmark::State& state) { homeSteps(state, true); }
void View_WheelStepBudget(benchmark::State& state) { wheelSteps(state, true); }

}  // namespace

BENCHMARK(View_KeyStepInitial)->Unit(benchmark::kNanosecond);
BENCHMARK(View_KeyStepBudget)->Unit(benchmark::kNanosecond);
BENCHMARK(View_WheelStepInitial)->Unit(benchmark::kNanosecond);
BENCHMARK(View_WheelStepBudget)->Unit(benchmark::kNanosecond);
BENCHMARK(View_HomeAndKeyInitial)->Unit(benchmark::kNanosecond);
BENCHMARK(View_HomeAndKeyBudget)->Unit(benchmark::kNanosecond);
