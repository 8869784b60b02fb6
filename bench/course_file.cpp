// Writes the benchmarks' 100,000-segment course to a map file, for measuring
// the idle editor with a long course loaded (bench/idle_cpu). With
// --in-window the segments are laid out row over row inside the window, so
// that every one of them is drawn.
//
// Usage: mapeditor_course_file PATH [SEGMENTS] [--in-window]
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "Courses.h"
#include "MapFile.h"

int main(int argc, char** argv) {
    const bool inWindow = argc > 1 && std::strcmp(argv[argc - 1], "--in-window") == 0;
    if (inWindow) --argc;
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: mapeditor_course_file PATH [SEGMENTS] [--in-window]\n");
        return 2;
    }
    const int count = argc == 3 ? std::atoi(argv[2]) : 100000;
    if (count < 1) {
        std::fprintf(stderr, "mapeditor_course_file: SEGMENTS must be a positive number\n");
        return 2;
    }
    // The course and seed of the edit benchmarks (bench/edit_bench.cpp).
    return storeMapFile(argv[1], inWindow ? windowFullOfSegments(count, 5, 7) : longCourse(count, 5, 7)) ? 0
                                                                                                         : 1;
}
