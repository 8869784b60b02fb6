// Seeded Shift drags of a junction's handle to pixel positions: how often the
// two handles come out exactly opposite (by the ground check's exact
// orientation test), turned in plain floating point and as the editor places
// them, how far the placed handle lands from the pointer and the partner's
// length from its own, and the time per placement.
//   mapeditor_opposite_handles [COUNT] [zoom1]
// zoom1: every drag at zoom 1 with the view offset (10, 10), the junction at
// a pixel; otherwise around coordinates from 0 to a million at six zooms,
// half the junctions with every bit of their coordinates used.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "DragConstraint.h"
#include "GroundGeometry.h"
#include "OppositeHandles.h"
#include "View.h"

namespace {

bool opposite(const ControlPoint& p, const ControlPoint& h, const ControlPoint& q) {
    const auto side = [](double from, double to) { return (to > from) - (to < from); };
    return side(p.x, h.x) == -side(p.x, q.x) && side(p.y, h.y) == -side(p.y, q.y) && h != p &&
           orientation({h.x, h.y}, {p.x, p.y}, {q.x, q.y}) == 0;
}

struct Tally {
    long drags = 0, plainExact = 0, exact = 0;
    double handleMiss = 0, lengthMiss = 0;
    std::vector<double> misses;

    void print(const char* name) {
        if (drags == 0) return;
        std::sort(misses.begin(), misses.end());
        std::printf(
            "%-8s %7ld  plain %6ld  placed %7ld  |H-H*|/|H*-P| %8.2g  length %8.2g  median %8.2g  99.9%% "
            "%8.2g\n",
            name, drags, plainExact, exact, handleMiss, lengthMiss, misses[misses.size() / 2],
            misses[misses.size() * 999 / 1000]);
    }
};

}  // namespace

int main(int argc, char** argv) {
    const long count = argc > 1 ? std::atol(argv[1]) : 100000;
    const bool zoomOne = argc > 2 && std::strcmp(argv[2], "zoom1") == 0;
    std::mt19937_64 random(44);
    const auto unit = [&] { return static_cast<double>(random() >> 11) * 0x1p-53; };
    const double centers[] = {0, 0.001, 7.83333, 1e6, -523.7, -0.001, 12.5, -1e6, 3e-5};
    const double zooms[] = {1, 1.0 / 64, 16, 4, 0.25, 2};
    Tally all, byCenter[9];
    double seconds = 0;
    for (long k = 0; k < count; ++k) {
        const int c = static_cast<int>(random() % 9);
        const double zoom = zooms[random() % 6];
        View view{{400 - centers[c] * 10 * zoom, 300 - centers[c] * 10 * zoom}, zoom};
        if (zoomOne) view = View{{10, 10}, 1};
        const auto pixel = [&] { return view.toMap({double(random() % 800), double(random() % 600)}); };
        ControlPoint p = pixel();
        if (!zoomOne && random() % 2) p = {p.x + (unit() - 0.5) / zoom, p.y + (unit() - 0.5) / zoom};
        const double angle = unit() * 6.283185307179586, length = (1 + unit() * 200) / 10 / view.zoom;
        const ControlPoint partner{p.x + length * std::cos(angle), p.y + length * std::sin(angle)};
        ControlPoint target = pixel();
        if (target == p) target.x += 0.1 / view.zoom;
        const auto start = std::chrono::steady_clock::now();
        const HandlePair got = opposedHandles(p, target, partner);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const double reach = std::hypot(target.x - p.x, target.y - p.y),
                     keep = std::hypot(partner.x - p.x, partner.y - p.y);
        const double handleMiss = std::hypot(got.handle.x - target.x, got.handle.y - target.y) / reach;
        const double lengthMiss =
            std::fabs(std::hypot(got.partner.x - p.x, got.partner.y - p.y) - keep) / keep;
        for (Tally* t : {&all, &byCenter[zoomOne ? 0 : c]}) {
            ++t->drags;
            t->plainExact += opposite(p, target, oppositeHandle(p, target, partner));
            t->exact += opposite(p, got.handle, got.partner);
            t->handleMiss = std::max(t->handleMiss, handleMiss);
            t->lengthMiss = std::max(t->lengthMiss, lengthMiss);
            t->misses.push_back(std::max(handleMiss, lengthMiss));
        }
    }
    char name[32];
    if (!zoomOne)
        for (int c = 0; c < 9; ++c)
            std::snprintf(name, sizeof name, "%g", centers[c]), byCenter[c].print(name);
    all.print("all");
    std::printf("mean time per placement %.3g us\n", seconds / static_cast<double>(count) * 1e6);
}
