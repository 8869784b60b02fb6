// Writes the benchmarks' 100,000-segment course to a map file, for measuring
// the idle editor with a long course loaded (bench/idle_cpu). With
// --in-window the segments are laid out row over row inside the window, so
// that every one of them is drawn. --zigzag, --comb and --spiral write the
// shapes that are hardest for the ground check (bench/Courses.h), and
// --zigzag-grid the zigzag followed by a grid of 1,100 x 1,100 lines
// (--zigzag-wide-grid: 2,100 x 2,100, which sends the check to its last
// search).
//
// Usage: mapeditor_course_file PATH [SEGMENTS] [--in-window | --zigzag | --comb | --spiral | --zigzag-grid
//                                              | --zigzag-wide-grid]
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "Courses.h"
#include "MapFile.h"

int main(int argc, char** argv) {
    const std::string shape = argc > 1 && std::strncmp(argv[argc - 1], "--", 2) == 0 ? argv[argc - 1] : "";
    if (!shape.empty()) --argc;
    if (argc < 2 || argc > 3 ||
        (!shape.empty() && shape != "--in-window" && shape != "--zigzag" && shape != "--comb" &&
         shape != "--spiral" && shape != "--zigzag-grid" && shape != "--zigzag-wide-grid")) {
        std::fprintf(stderr,
                     "usage: mapeditor_course_file PATH [SEGMENTS] [--in-window | --zigzag | --comb | "
                     "--spiral | --zigzag-grid\n"
                     "       | --zigzag-wide-grid]\n");
        return 2;
    }
    const int count = argc == 3 ? std::atoi(argv[2]) : 100000;
    if (count < 1) {
        std::fprintf(stderr, "mapeditor_course_file: SEGMENTS must be a positive number\n");
        return 2;
    }
    std::vector<Segment> segments;
    if (shape == "--in-window")
        segments = windowFullOfSegments(count, 5, 7);
    else if (shape == "--zigzag")
        segments = shearedZigzag(count);
    else if (shape == "--zigzag-grid")
        segments = zigzagAndGrid(count, 1100);
    else if (shape == "--zigzag-wide-grid")
        segments = zigzagAndGrid(count, 2100);
    else if (shape == "--comb")
        segments = comb(count);
    else if (shape == "--spiral")
        segments = spiral(count);
    else
        segments =
            longCourse(count, 5, 7);  // the course and seed of the edit benchmarks (bench/edit_bench.cpp)
    return storeMapFile(argv[1], segments) ? 0 : 1;
}
