#include "SweepQueue.h"

#include <algorithm>
#include <cmath>

#include <boost/multiprecision/cpp_int.hpp>

#include "GroundGeometry.h"

using boost::multiprecision::cpp_rational;

namespace {

constexpr double epsilon = 0x1p-53;

cpp_rational exact(double v) { return cpp_rational(v); }

}  // namespace

// The crossing of the pieces p1-p2 and q1-q2: within `margin` of each
// coordinate of its rounded place lies the exact one, worked out when asked.
struct SweepQueue::ExactPoint {
    GroundPoint p1, p2, q1, q2;
    GroundPoint margin;
    // Whether x (or y) is its rounded place exactly: a piece upright (or
    // level) fixes it, as where the lines of a grid cross.
    bool xIsNear = false, yIsNear = false;
    mutable bool known = false;
    mutable cpp_rational x, y;
    std::size_t* workedOut = nullptr;  // counts the places worked out exactly

    void workOut() const {
        if (known) return;
        if (workedOut != nullptr) ++*workedOut;
        // The crossing divides p in the ratio of the areas that p's ends span with q.
        const cpp_rational qx1 = exact(q1.x), qy1 = exact(q1.y);
        const cpp_rational qdx = exact(q2.x) - qx1, qdy = exact(q2.y) - qy1;
        const cpp_rational px1 = exact(p1.x), py1 = exact(p1.y);
        const cpp_rational px2 = exact(p2.x), py2 = exact(p2.y);
        const cpp_rational s1 = qdx * (py1 - qy1) - qdy * (px1 - qx1);
        const cpp_rational s2 = qdx * (py2 - qy1) - qdy * (px2 - qx1);
        const cpp_rational t = s1 / (s1 - s2);
        x = px1 + (px2 - px1) * t;
        y = py1 + (py2 - py1) * t;
        known = true;
    }
};

namespace {

// The place of the crossing in floating point, with the margin of its error
// in `c`; false where that error could be large (nearly parallel pieces, tiny
// numbers), which then take the exact way.
bool estimate(SweepQueue::ExactPoint& c, GroundPoint& near) {
    const double qdx = c.q2.x - c.q1.x, qdy = c.q2.y - c.q1.y;
    const auto area = [&](const GroundPoint& e, double& bound) {
        const double left = qdx * (e.y - c.q1.y), right = qdy * (e.x - c.q1.x);
        // Two differences, a product and a difference: well within 8 roundings.
        bound = 8 * epsilon * (std::fabs(left) + std::fabs(right));
        return left - right;
    };
    double e1 = 0, e2 = 0;
    const double s1 = area(c.p1, e1), s2 = area(c.p2, e2);
    if (!(e1 >= 0x1p-900 && e2 >= 0x1p-900 && std::fabs(s1) > e1 && std::fabs(s2) > e2)) return false;
    // s1 and s2 have opposite signs: their difference does not cancel, and t lies in [0, 1].
    const double d = s1 - s2;
    const double t = s1 / d;
    const double tError = (2 * e1 + e2) / std::fabs(d) + 4 * epsilon;
    if (!(tError < 0x1p-20)) return false;
    const double pdx = c.p2.x - c.p1.x, pdy = c.p2.y - c.p1.y;
    near = {c.p1.x + pdx * t, c.p1.y + pdy * t};
    const auto margin = [&](double start, double run) {
        return 2 * (std::fabs(run) * (tError + 4 * epsilon) +
                    4 * epsilon * (std::fabs(start) + std::fabs(run))) +
               0x1p-1070;
    };
    c.margin = {margin(c.p1.x, pdx), margin(c.p1.y, pdy)};
    // Along an upright or level piece one coordinate is that piece's own.
    c.xIsNear = pdx == 0 || qdx == 0;
    c.yIsNear = pdy == 0 || qdy == 0;
    if (c.xIsNear) near.x = pdx == 0 ? c.p1.x : c.q1.x, c.margin.x = 0;
    if (c.yIsNear) near.y = pdy == 0 ? c.p1.y : c.q1.y, c.margin.y = 0;
    return true;
}

// The exact coordinate of a place, x or y.
// Whether coordinate x (or y) of a place is its rounded one exactly.
bool nearIsExact(const SweepQueue::Place& p, bool isX) {
    return p.exact == nullptr || (isX ? p.exact->xIsNear : p.exact->yIsNear);
}

cpp_rational exactCoordinate(const SweepQueue::Place& p, bool isX) {
    if (nearIsExact(p, isX)) return exact(isX ? p.near.x : p.near.y);
    p.exact->workOut();
    return isX ? p.exact->x : p.exact->y;
}

// -1, 0 or 1 as coordinate x (or y) of a is below, at or above b's: by the
// rounded places where their margins keep them apart, exactly otherwise.
int compareCoordinate(const SweepQueue::Place& a, const SweepQueue::Place& b, bool isX) {
    const double u = isX ? a.near.x : a.near.y, v = isX ? b.near.x : b.near.y;
    const double mu = a.exact == nullptr ? 0 : (isX ? a.exact->margin.x : a.exact->margin.y);
    const double mv = b.exact == nullptr ? 0 : (isX ? b.exact->margin.x : b.exact->margin.y);
    if (u + mu < v - mv) return -1;
    if (v + mv < u - mu) return 1;
    if (nearIsExact(a, isX) && nearIsExact(b, isX)) return u < v ? -1 : (v < u ? 1 : 0);
    const cpp_rational x = exactCoordinate(a, isX), y = exactCoordinate(b, isX);
    return x < y ? -1 : (y < x ? 1 : 0);
}

// Whether a and b are crossings of the same two pieces, as when a pair of
// pieces comes next to each other again: the same place, known without
// working it out.
bool sameCrossing(const SweepQueue::Place& a, const SweepQueue::Place& b) {
    if (a.exact == nullptr || b.exact == nullptr) return false;
    const SweepQueue::ExactPoint& c = *a.exact;
    const SweepQueue::ExactPoint& d = *b.exact;
    return (c.p1 == d.p1 && c.p2 == d.p2 && c.q1 == d.q1 && c.q2 == d.q2) ||
           (c.p1 == d.q1 && c.p2 == d.q2 && c.q1 == d.p1 && c.q2 == d.p2);
}

int comparePlaces(const SweepQueue::Place& a, const SweepQueue::Place& b) {
    if (sameCrossing(a, b)) return 0;
    const int x = compareCoordinate(a, b, true);
    return x != 0 ? x : compareCoordinate(a, b, false);
}

}  // namespace

bool SweepQueue::Before::operator()(const Place& a, const Place& b) const { return comparePlaces(a, b) < 0; }

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
    ExactPoint point;
    point.p1 = pieces[a].low;
    point.p2 = pieces[a].high;
    point.q1 = pieces[b].low;
    point.q2 = pieces[b].high;
    point.workedOut = &workedOut;
    GroundPoint near;
    if (!estimate(point, near)) {
        point.workOut();
        point.margin = {0, 0};
        near = {point.x.convert_to<double>(), point.y.convert_to<double>()};
    }
    exactPoints.push_back(std::move(point));
    const Place place{near, &exactPoints.back()};
    if (comparePlaces(place, after) <= 0) {
        exactPoints.pop_back();
        return;
    }
    const auto found = stops.try_emplace(place);
    // A crossing already known keeps its first place.
    if (!found.second) exactPoints.pop_back();
    found.first->second.crossing.push_back(a);
    found.first->second.crossing.push_back(b);
}

bool SweepQueue::passesThrough(std::uint32_t k, const Place& at) const {
    const SweepPiece& p = pieces[k];
    const ExactPoint& c = *at.exact;
    // The side of the crossing's rounded place, with a bound on its error.
    const double dx = p.high.x - p.low.x, dy = p.high.y - p.low.y;
    const double left = dx * (at.near.y - p.low.y), right = dy * (at.near.x - p.low.x);
    const double bound = std::fabs(dx) * c.margin.y + std::fabs(dy) * c.margin.x +
                         8 * epsilon * (std::fabs(left) + std::fabs(right)) + 0x1p-1000;
    if (std::fabs(left - right) > 2 * bound) return false;
    if (c.xIsNear && c.yIsNear) return orientation(p.low, p.high, at.near) == 0;
    c.workOut();
    const cpp_rational x1 = exact(p.low.x), y1 = exact(p.low.y);
    const cpp_rational ex = exact(p.high.x) - x1, ey = exact(p.high.y) - y1;
    return ex * (c.y - y1) == ey * (c.x - x1);
}
