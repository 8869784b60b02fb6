// "mapeditor --export --no-batch" of a 100,000-segment map as a whole process,
// next to the same work in memory and to each of its phases on their own:
// reading the file, building the segments, making the texts, checking the
// outline, writing the files; and "mapeditor --check" of the same map.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "Courses.h"
#include "Export.h"
#include "GroundCheck.h"
#include "GroundFile.h"
#include "MapFile.h"
#include "ScenarioScript.h"
#include "TextFile.h"

extern char** environ;

namespace {

constexpr int headlessSegments = 100000;

// A directory holding the course's map.mef, made once and removed at exit.
class CourseDirectory {
public:
    CourseDirectory() {
        char templ[] = "/tmp/mapeditor-headless-XXXXXX";
        path = ::mkdtemp(templ);
        mapText = formatMapFile(longCourse(headlessSegments, 5, 4242));
        replaceFile(path + "/map.mef", mapText);
    }
    ~CourseDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    std::string path;
    std::string mapText;
};

const CourseDirectory& courseDirectory() {
    static const CourseDirectory directory;
    return directory;
}

const std::vector<Segment>& courseSegments() {
    static const std::vector<Segment> segments =
        segmentsFromRecords(parseMapFile(courseDirectory().mapText).records);
    return segments;
}

// What the export makes in memory: the listing, the ground file and the script.
void makeTexts(const std::vector<Segment>& segments, benchmark::State& state) {
    std::string listing = sharedStartPointListing(segments);
    std::string ground;
    benchmark::DoNotOptimize(appendGroundFile(ground, segments));
    std::string script = formatScenarioScript({0.5, 0.5});
    if (ground.empty() || script.empty()) state.SkipWithError("nothing made");
    benchmark::DoNotOptimize(listing.data());
}

// The whole program in a process of its own, in the course's directory, with
// its output to /dev/null; it must exit with `expectedStatus`.
void runProcess(benchmark::State& state, const char* option, const char* option2, int expectedStatus) {
    const CourseDirectory& dir = courseDirectory();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const std::string program = MAPEDITOR_PROGRAM;
    const std::string previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.path);
    char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>(option), const_cast<char*>(option2),
                    nullptr};
    for (auto _ : state) {
        pid_t child = 0;
        int status = 0;
        if (::posix_spawn(&child, program.c_str(), &actions, nullptr, argv, environ) != 0 ||
            ::waitpid(child, &status, 0) < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != expectedStatus) {
            state.SkipWithError("the process failed");
            break;
        }
    }
    std::filesystem::current_path(previous);
    posix_spawn_file_actions_destroy(&actions);
}

void Headless_Process(benchmark::State& state) { runProcess(state, "--export", "--no-batch", 0); }
BENCHMARK(Headless_Process)->Unit(benchmark::kMillisecond)->UseRealTime();

// "mapeditor --check": the course has problems past x 100,000, where its
// samples 0.6 apart print as whole numbers, so it exits 1.
void Headless_CheckProcess(benchmark::State& state) { runProcess(state, "--check", "map.mef", 1); }
BENCHMARK(Headless_CheckProcess)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same work as the export with the map text already in memory and
// nothing written: parse, build the segments, make the listing, the ground
// file and the script, check the outline.
void Headless_InMemory(benchmark::State& state) {
    const std::string& text = courseDirectory().mapText;
    for (auto _ : state) {
        std::vector<Segment> segments = segmentsFromRecords(parseMapFile(text).records);
        makeTexts(segments, state);
        benchmark::DoNotOptimize(checkGround(segments).crossings.data());
    }
}
BENCHMARK(Headless_InMemory)->Unit(benchmark::kMillisecond)->UseRealTime();

// Phases of the process on their own.
void Headless_ReadFile(benchmark::State& state) {
    const std::string path = courseDirectory().path + "/map.mef";
    for (auto _ : state) {
        std::string text;
        if (!readWholeFile(path.c_str(), text)) state.SkipWithError("cannot read");
        MapFileParse parsed = parseMapFile(text);
        benchmark::DoNotOptimize(parsed.records.data());
    }
}
BENCHMARK(Headless_ReadFile)->Unit(benchmark::kMillisecond)->UseRealTime();

void Headless_Build(benchmark::State& state) {
    const std::vector<MapRecord> records = parseMapFile(courseDirectory().mapText).records;
    for (auto _ : state) {
        std::vector<Segment> segments = segmentsFromRecords(records);
        benchmark::DoNotOptimize(segments.data());
    }
}
BENCHMARK(Headless_Build)->Unit(benchmark::kMillisecond)->UseRealTime();

void Headless_Texts(benchmark::State& state) {
    const std::vector<Segment>& segments = courseSegments();
    for (auto _ : state) makeTexts(segments, state);
}
BENCHMARK(Headless_Texts)->Unit(benchmark::kMillisecond)->UseRealTime();

// Checking the outline: printing and reading back every number, the R-tree
// and the comparisons of the pieces whose boxes meet.
void Headless_Check(benchmark::State& state) {
    const std::vector<Segment>& segments = courseSegments();
    for (auto _ : state) benchmark::DoNotOptimize(checkGround(segments).crossings.data());
}
BENCHMARK(Headless_Check)->Unit(benchmark::kMillisecond)->UseRealTime();

// Replacing gnd.pts and go on disk, each written, synced and renamed.
void Headless_WriteFiles(benchmark::State& state) {
    const std::string dir = courseDirectory().path;
    std::string ground;
    appendGroundFile(ground, courseSegments());
    const std::string script = formatScenarioScript({0.5, 0.5});
    for (auto _ : state) {
        if (replaceFile(dir + "/bench-gnd.pts", ground) == ReplaceResult::failed ||
            replaceFile(dir + "/bench-go", script) == ReplaceResult::failed)
            state.SkipWithError("cannot write");
    }
}
BENCHMARK(Headless_WriteFiles)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
