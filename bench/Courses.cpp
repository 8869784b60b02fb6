#include "Courses.h"

#include <cmath>
#include <random>

namespace {

// Keeps six significant digits, like a value read back from a map file.
double sixDigits(double v) {
    if (v == 0.0) return v;
    const double magnitude = std::pow(10.0, 5 - static_cast<int>(std::floor(std::log10(std::fabs(v)))));
    return std::round(v * magnitude) / magnitude;
}

}  // namespace

std::vector<Segment> longCourse(int count, int resolution, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> height(20.0, 40.0);
    std::uniform_real_distribution<double> bend(-2.0, 2.0);
    std::vector<Segment> chain;
    chain.reserve(static_cast<std::size_t>(count));
    double x = 0.5, y = 30.0;
    for (int i = 0; i < count; ++i) {
        const double nx = sixDigits(x + 3.0);
        const double ny = sixDigits(height(rng));
        Segment s;
        s.setResolution(resolution);
        s.setPoints(x, y, sixDigits(x + 1.0), sixDigits(y + bend(rng)), sixDigits(nx - 1.0),
                    sixDigits(ny + bend(rng)), nx, ny);
        chain.push_back(s);
        x = nx;
        y = ny;
    }
    return chain;
}

std::vector<Segment> windowFullOfSegments(int count, int resolution, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> bend(-0.8, 0.8);
    // 40 segments of 1.8 map units per row, rows 2.2 units apart: 1,000
    // segments fill 25 rows, from (1, 2) to (73, 55) map units.
    constexpr int perRow = 40;
    std::vector<Segment> chain;
    chain.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const double x = 1.0 + 1.8 * (i % perRow);
        const double y = 2.0 + 2.2 * ((i / perRow) % 25);
        Segment s;
        s.setResolution(resolution);
        s.setPoints(x, y, x + 0.6, y + bend(rng), x + 1.2, y + bend(rng), x + 1.8, y);
        chain.push_back(s);
    }
    return chain;
}
