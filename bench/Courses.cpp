#include "Courses.h"

#include <cmath>
#include <random>
#include <utility>

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

namespace {

// Straight segments through `points`, of resolution 0.
std::vector<Segment> straightChain(const std::vector<std::pair<double, double>>& points) {
    std::vector<Segment> chain;
    chain.reserve(points.size() - 1);
    for (std::size_t k = 0; k + 1 < points.size(); ++k) {
        const auto [x0, y0] = points[k];
        const auto [x3, y3] = points[k + 1];
        Segment s;
        s.setResolution(0);
        s.setPoints(x0, y0, x0 + (x3 - x0) / 3, y0 + (y3 - y0) / 3, x0 + 2 * (x3 - x0) / 3,
                    y0 + 2 * (y3 - y0) / 3, x3, y3);
        chain.push_back(s);
    }
    return chain;
}

// The i-th number from 1 up that six significant digits write exactly:
// 1.00000, 1.00001, ..., 9.99999, 10.0000, 10.0001, ... So many points of a
// long shape keep apart as the ground points file prints them, where whole
// numbers from 1,000,000 up would print alike by tens.
double sixDigitValue(long i) {
    long decade = i / 900000, mantissa = 100000 + i % 900000;
    return decade <= 5 ? mantissa / std::pow(10.0, 5 - decade) : mantissa * std::pow(10.0, decade - 5);
}

}  // namespace

std::vector<Segment> shearedZigzag(int count) {
    const int teeth = count / 2;
    std::vector<std::pair<double, double>> points{{sixDigitValue(0), 0.0}};
    for (int k = 0; k < teeth; ++k) {
        points.emplace_back(sixDigitValue(k + teeth), -100.0);
        points.emplace_back(sixDigitValue(k + 1), 0.0);
    }
    return straightChain(points);
}

std::vector<Segment> zigzagAndGrid(int count, int lines) {
    std::vector<Segment> chain = shearedZigzag(count);
    // Up and down the lines x = 1000, 1001, ... from y = 0 to lines + 1,
    // joined by steps along their ends; then right, left and right again
    // along y = 1, 2, ... from x = 999 to 1000 + lines, joined by steps
    // outside the first lines; then one step on to the right, where the
    // right foot runs clear of every line.
    const double left = 1000.0, right = left + lines;
    std::vector<std::pair<double, double>> points{{sixDigitValue(count / 2), 0.0}};
    for (int k = 0; k < lines; ++k) {
        const double from = k % 2 == 0 ? 0.0 : lines + 1.0;
        points.emplace_back(left + k, from);
        points.emplace_back(left + k, lines + 1.0 - from);
    }
    points.emplace_back(right, points.back().second);
    for (int k = 0; k < lines; ++k) {
        const double from = k % 2 == 0 ? right : left - 1.0;
        points.emplace_back(from, k + 1.0);
        points.emplace_back(right + left - 1.0 - from, k + 1.0);
    }
    points.emplace_back(right + 1.0, points.back().second);
    for (const Segment& s : straightChain(points)) chain.push_back(s);
    return chain;
}

std::vector<Segment> comb(int count) {
    std::vector<std::pair<double, double>> points{{sixDigitValue(0), 0.0}};
    long across = 0;
    for (int k = 0; k < count; ++k) {
        const auto [x, y] = points.back();
        // Down a tooth, across its foot, up, across to the next one.
        if (k % 4 == 0 || k % 4 == 2)
            points.emplace_back(x, y == 0.0 ? -100.0 : 0.0);
        else
            points.emplace_back(sixDigitValue(++across), y);
    }
    return straightChain(points);
}

std::vector<Segment> spiral(int count) {
    // In along one arm to the middle, then out along a second arm between
    // the first one's turns, so that both ends lie outside at the top, clear
    // of the feet above them. The arms lie 2 apart, twice what six digits
    // can tell apart at the point budget's 325,000 from the middle.
    const int arm = (count - 1) / 2;
    const double turns = arm / 16.0, middleY = -(4.0 * turns + 10.0);
    std::vector<std::pair<double, double>> points;
    const auto add = [&](int k, double radius) {
        const double angle = 3.14159265358979 * (0.5 + k / 8.0);
        points.emplace_back(sixDigits(radius * std::cos(angle)),
                            sixDigits(middleY + radius * std::sin(angle)));
    };
    for (int k = 0; k <= arm; ++k) add(k, 4.0 * (turns + 1.5 - k / 16.0));
    for (int k = arm; k >= 0; --k) add(k, 4.0 * (turns + 1.0 - k / 16.0));
    return straightChain(points);
}
