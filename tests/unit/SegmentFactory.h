#pragma once

#include <random>
#include <vector>

#include "Segment.h"

// A segment with the given control points, in curve order, and resolution.
inline Segment makeSegment(double x0, double y0, double x1, double y1, double x2, double y2, double x3,
                           double y3, int resolution = 5) {
    Segment s;
    s.setResolution(resolution);
    s.setPoints(x0, y0, x1, y1, x2, y2, x3, y3);
    return s;
}

// How wanderingChain walks: the largest step and handle offset in map units,
// the largest resolution, and the area the walk turns back at.
struct Walk {
    double step, handle;
    int maxResolution;
    double minX, maxX, minY, maxY;
};

// A joined chain of `count` segments, a seeded random walk from (40, 30) with
// random handles and resolutions.
inline std::vector<Segment> wanderingChain(unsigned seed, int count, const Walk& walk) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> step(-walk.step, walk.step);
    std::uniform_real_distribution<double> handle(-walk.handle, walk.handle);
    std::uniform_int_distribution<int> resolution(0, walk.maxResolution);
    std::vector<Segment> chain;
    double x = 40.0, y = 30.0;
    for (int i = 0; i < count; ++i) {
        double nx = x + step(rng), ny = y + step(rng);
        if (nx < walk.minX || nx > walk.maxX) nx = x - (nx - x);
        if (ny < walk.minY || ny > walk.maxY) ny = y - (ny - y);
        Segment s;
        s.setResolution(resolution(rng));
        s.setPoints(x, y, x + handle(rng), y + handle(rng), nx + handle(rng), ny + handle(rng), nx, ny);
        chain.push_back(s);
        x = nx;
        y = ny;
    }
    return chain;
}
