// What an autosave of the 100,000-segment course costs the frame it runs
// after: the map file text, a temporary file written and synced, the rename.
// Against the same map saved with "Save QUIV File", which takes the same path.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "Autosave.h"
#include "Courses.h"
#include "EditorFiles.h"
#include "MapEditor.h"

namespace {

constexpr int autosaveSegments = 100000;

// The course loaded into an editor whose map file lies in a directory of its
// own, made once and removed at exit.
struct CourseEditor {
    CourseEditor() {
        char templ[] = "/tmp/mapeditor-autosave-XXXXXX";
        directory = ::mkdtemp(templ);
        editor.setMapFileName(directory + "/map.mef");
        saver.markClean();
        editor.replaceChain(longCourse(autosaveSegments, 5, 4242));
    }
    ~CourseEditor() {
        std::error_code ignored;
        std::filesystem::remove_all(directory, ignored);
    }
    std::string directory;
    MapEditor editor;
    Autosave saver{editor, windowMessages()};
};

CourseEditor& courseEditor() {
    static CourseEditor course;
    return course;
}

// The map has unsaved changes throughout, so every finish() writes.
void Autosave_Write(benchmark::State& state) {
    CourseEditor& course = courseEditor();
    for (auto _ : state) course.saver.finish();
}
BENCHMARK(Autosave_Write)->Unit(benchmark::kMillisecond)->UseRealTime();

void Autosave_Save(benchmark::State& state) {
    CourseEditor& course = courseEditor();
    for (auto _ : state) benchmark::DoNotOptimize(saveMapFile(course.editor, windowMessages()));
}
BENCHMARK(Autosave_Save)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
