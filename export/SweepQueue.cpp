#include "SweepQueue.h"

#include <algorithm>
#include <cmath>

#include <boost/multiprecision/cpp_int.hpp>

using boost::multiprecision::cpp_rational;

struct SweepQueue::ExactPoint {
    cpp_rational x;
    cpp_rational y;
};

namespace {

// -1, 0 or 1 as a is below, at or above b; `exact` holds what an inexact
// value stands for (none when the value is exact).
int compareValues(double a, const cpp_rational* exactA, double b, const cpp_rational* exactB) {
    if (exactA == nullptr && exactB == nullptr) return a < b ? -1 : (b < a ? 1 : 0);
    // A rounded crossing lies within a few units in the last place of its
    // exact value (or within the smallest subnormal of it): values further
    // apart are ordered as their doubles are.
    const double margin = 0x1p-48 * (std::fabs(a) + std::fabs(b)) + 0x1p-1070;
    if (a + margin < b) return -1;
    if (b + margin < a) return 1;
    const cpp_rational x = exactA != nullptr ? *exactA : cpp_rational(a);
    const cpp_rational y = exactB != nullptr ? *exactB : cpp_rational(b);
    return x < y ? -1 : (y < x ? 1 : 0);
}

int comparePlaces(const SweepQueue::Place& a, const cpp_rational* ax, const cpp_rational* ay,
                  const SweepQueue::Place& b, const cpp_rational* bx, const cpp_rational* by) {
    const int x = compareValues(a.near.x, ax, b.near.x, bx);
    return x != 0 ? x : compareValues(a.near.y, ay, b.near.y, by);
}

cpp_rational exact(double v) { return cpp_rational(v); }

}  // namespace

bool SweepQueue::Before::operator()(const Place& a, const Place& b) const {
    return comparePlaces(a, a.exact ? &a.exact->x : nullptr, a.exact ? &a.exact->y : nullptr, b,
                         b.exact ? &b.exact->x : nullptr, b.exact ? &b.exact->y : nullptr) < 0;
}

SweepQueue::SweepQueue(const std::vector<SweepPiece>& pieces) : pieces(pieces) {
    for (std::uint32_t k = 0; k < pieces.size(); ++k) {
        const SweepPiece& piece = pieces[k];
        Stop& low = stops[Place{piece.low, nullptr}];
        if (piece.low == piece.high) {
            low.points.push_back(k);
        } else {
            low.starting.push_back(k);
            stops[Place{piece.high, nullptr}];
        }
    }
}

SweepQueue::~SweepQueue() = default;

SweepQueue::Place SweepQueue::next(Stop& stop) {
    const auto first = stops.begin();
    const Place place = first->first;
    stop = std::move(first->second);
    stops.erase(first);
    return place;
}

void SweepQueue::addCrossing(std::uint32_t a, std::uint32_t b, const Place& after) {
    const SweepPiece& p = pieces[a];
    const SweepPiece& q = pieces[b];
    // The crossing divides p in the ratio of the areas that p's ends span with q.
    const cpp_rational qx1 = exact(q.low.x), qy1 = exact(q.low.y);
    const cpp_rational qdx = exact(q.high.x) - qx1, qdy = exact(q.high.y) - qy1;
    const cpp_rational px1 = exact(p.low.x), py1 = exact(p.low.y);
    const cpp_rational px2 = exact(p.high.x), py2 = exact(p.high.y);
    const cpp_rational s1 = qdx * (py1 - qy1) - qdy * (px1 - qx1);
    const cpp_rational s2 = qdx * (py2 - qy1) - qdy * (px2 - qx1);
    const cpp_rational t = s1 / (s1 - s2);
    ExactPoint point{px1 + (px2 - px1) * t, py1 + (py2 - py1) * t};
    const Place place{{point.x.convert_to<double>(), point.y.convert_to<double>()}, nullptr};
    const cpp_rational* ax = after.exact ? &after.exact->x : nullptr;
    const cpp_rational* ay = after.exact ? &after.exact->y : nullptr;
    if (comparePlaces(place, &point.x, &point.y, after, ax, ay) <= 0) return;
    exactPoints.push_back(std::move(point));
    const auto found = stops.try_emplace(Place{place.near, &exactPoints.back()});
    // A crossing already known keeps its first exact place.
    if (!found.second) exactPoints.pop_back();
    found.first->second.crossing.push_back(a);
    found.first->second.crossing.push_back(b);
}

bool SweepQueue::passesThrough(std::uint32_t k, const Place& at) const {
    const SweepPiece& p = pieces[k];
    const cpp_rational x1 = exact(p.low.x), y1 = exact(p.low.y);
    const cpp_rational dx = exact(p.high.x) - x1, dy = exact(p.high.y) - y1;
    return dx * (at.exact->y - y1) == dy * (at.exact->x - x1);
}
