// Writes the benchmarks' 100,000-segment course to a map file, for measuring
// the idle editor with a long course loaded (bench/idle_cpu).
//
// Usage: mapeditor_course_file PATH [SEGMENTS]
#include <cstdio>
#include <cstdlib>

#include "Courses.h"
#include "MapFile.h"

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: mapeditor_course_file PATH [SEGMENTS]\n");
        return 2;
    }
    const int count = argc == 3 ? std::atoi(argv[2]) : 100000;
    if (count < 1) {
        std::fprintf(stderr, "mapeditor_course_file: SEGMENTS must be a positive number\n");
        return 2;
    }
    // The course and seed of the edit benchmarks (bench/edit_bench.cpp).
    return storeMapFile(argv[1], longCourse(count, 5, 7)) ? 0 : 1;
}
