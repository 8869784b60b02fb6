#include "OppositeHandles.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include <boost/multiprecision/cpp_int.hpp>

#include "DragConstraint.h"

// Three doubles are rarely exactly collinear, so the handles are placed on a
// lattice through the junction instead. On each axis take a power of two g
// that divides the junction's coordinate; every point junction + k * (m * gx,
// n * gy), k, m, n whole, lies exactly on the line through the junction with
// direction (m * gx, n * gy), as long as its coordinates are doubles without
// rounding. The direction (m, n) is a best rational approximation of the
// target's direction measured in those steps (a convergent or intermediate
// fraction of its continued fraction); the handle is i steps out, the partner
// j steps back, i and j the whole numbers nearest the wanted distances among
// those whose coordinates come out exact. Of all directions tried, the one
// that misses least wins.

namespace {

using boost::multiprecision::cpp_int;
__extension__ typedef __int128 Wide;

// The largest miss of the handle's place or the partner's length, relative to
// their lengths, taken for exact opposition: a thousandth of a pixel on a
// handle ten pixels long. The doubles' own coarseness sets the misses,
// roughly (length / step of the doubles)^(-2/3).
constexpr double largestMiss = 1e-4;

// The exponent of the lowest set bit of a nonzero finite v.
int lowestBit(double v) {
    int e = 0;
    const double fraction = std::frexp(v, &e);
    const auto mantissa = static_cast<std::uint64_t>(std::fabs(std::ldexp(fraction, 53)));
    return e - 53 + __builtin_ctzll(mantissa);
}

// v / 2^exponent, a whole number when 2^exponent divides v.
cpp_int wholeAt(double v, int exponent) {
    if (v == 0.0) return 0;
    int e = 0;
    const double fraction = std::frexp(v, &e);
    const auto mantissa = static_cast<long long>(std::ldexp(fraction, 53));
    const int shift = e - 53 - exponent;
    cpp_int whole = shift < 0 ? mantissa / (1LL << -shift) : mantissa;
    if (shift > 0) whole <<= static_cast<unsigned>(shift);
    return whole;
}

// The exponent of the step of the doubles at and a little above |v|: a
// coordinate near v is a double when it is a multiple of 2^that.
int stepExponentNear(double v) {
    if (v == 0.0) return -1074;
    return std::max(std::ilogb(std::fabs(v) * (1.0 + 0x1p-20)) - 52, -1074);
}

// One axis of the lattice: the junction's coordinate is `origin` steps of
// 2^exponent.
struct Axis {
    int exponent = 0;
    std::int64_t origin = 0;
};

// The axis for a junction coordinate `p` whose lattice must reach magnitude
// `reach`: steps of at most twice the doubles' step there, so that every
// lattice point within reach is a double, and dividing p.
Axis axisFor(double p, double reach) {
    const int cap = std::max(std::ilogb(reach) - 51, -1074);
    Axis axis;
    axis.exponent = p == 0.0 ? cap : std::min(lowestBit(p), cap);
    axis.origin = static_cast<std::int64_t>(std::ldexp(p, -axis.exponent));
    return axis;
}

// The multipliers k with origin + k * step divisible by 2^bits: k = value
// modulo 2^bits.
struct Residue {
    std::uint64_t value = 0;
    int bits = 0;
};

// The inverse of an odd number modulo 2^64 (Newton's iteration).
std::uint64_t inverseOfOdd(std::uint64_t a) {
    std::uint64_t x = a;
    for (int k = 0; k < 5; ++k) x *= 2 - a * x;
    return x;
}

// The multipliers k that make origin + k * step a multiple of 2^bits; false
// when no k does.
bool solve(const Axis& axis, std::int64_t step, int bits, Residue& out) {
    out = {};
    if (bits <= 0) return true;
    if (bits > 62) return false;
    const std::uint64_t mask = (std::uint64_t{1} << bits) - 1;
    const auto origin = static_cast<std::uint64_t>(axis.origin);
    if ((static_cast<std::uint64_t>(step) & 1) == 0) return (origin & mask) == 0;
    out = {(0 - origin) * inverseOfOdd(static_cast<std::uint64_t>(step)) & mask, bits};
    return true;
}

// The multipliers that satisfy both residues; false when none does.
bool both(Residue a, Residue b, Residue& out) {
    if (a.bits < b.bits) std::swap(a, b);
    const std::uint64_t mask = (std::uint64_t{1} << b.bits) - 1;
    out = a;
    return ((a.value ^ b.value) & mask) == 0;
}

// The multiplier of residue `r` nearest `wanted`, at least 1.
std::int64_t nearestIn(const Residue& r, double wanted) {
    const double modulus = std::ldexp(1.0, r.bits);
    const auto base = static_cast<double>(r.value);
    auto k = static_cast<std::int64_t>(base + modulus * std::nearbyint((wanted - base) / modulus));
    while (k < 1) k += static_cast<std::int64_t>(modulus);
    return k;
}

// origin + k * step steps of the axis as a double; false when it is not one exactly.
bool place(const Axis& axis, std::int64_t step, std::int64_t k, double& out) {
    const Wide steps = Wide{axis.origin} + Wide{step} * k;
    const auto rounded = static_cast<double>(steps);
    if (static_cast<Wide>(rounded) != steps) return false;
    out = std::ldexp(rounded, axis.exponent);
    return std::isfinite(out) && std::ldexp(out, -axis.exponent) == rounded;
}

// What the search is after: the junction, the target, the partner's distance
// and the partner's place as plain floating point puts it; on each axis, how
// many low bits of the junction's coordinate the handle's and the partner's
// must clear to be doubles where they land.
struct Goal {
    ControlPoint junction, target, roughPartner;
    double length, keep;
    Axis x, y;
    int signX, signY;
    int handleBitsX, handleBitsY, partnerBitsX, partnerBitsY;
};

struct Best {
    HandlePair pair;
    double miss = INFINITY;
};

// The handle and partner along direction (m, n) steps, if exact doubles exist
// for them; kept when they miss less than the best so far.
void tryDirection(const Goal& g, std::int64_t m, std::int64_t n, Best& best) {
    const std::int64_t stepX = g.signX * m, stepY = g.signY * n;
    const double sideX = std::ldexp(static_cast<double>(m), g.x.exponent);
    const double sideY = std::ldexp(static_cast<double>(n), g.y.exponent);
    const double along = std::hypot(sideX, sideY);
    if (!(along > 0.0) || !std::isfinite(along)) return;
    const double out = (std::fabs(g.target.x - g.junction.x) * (sideX / along) +
                        std::fabs(g.target.y - g.junction.y) * (sideY / along)) /
                       along;
    const double back = g.keep / along;
    if (!(out < 0x1p61) || !(back < 0x1p61)) return;
    Residue hx, hy, h, qx, qy, q;
    if (!solve(g.x, stepX, g.handleBitsX, hx) || !solve(g.y, stepY, g.handleBitsY, hy) || !both(hx, hy, h) ||
        !solve(g.x, -stepX, g.partnerBitsX, qx) || !solve(g.y, -stepY, g.partnerBitsY, qy) ||
        !both(qx, qy, q))
        return;
    const std::int64_t i = nearestIn(h, out), j = nearestIn(q, back);
    HandlePair pair;
    if (!place(g.x, stepX, i, pair.handle.x) || !place(g.y, stepY, i, pair.handle.y) ||
        !place(g.x, -stepX, j, pair.partner.x) || !place(g.y, -stepY, j, pair.partner.y))
        return;
    const double missHandle = std::hypot(pair.handle.x - g.target.x, pair.handle.y - g.target.y) / g.length;
    const double missPartner = std::fabs(static_cast<double>(j) * along - g.keep) / g.keep;
    const double miss = std::max(missHandle, missPartner);
    if (miss < best.miss) best = {pair, miss};
}

// Which intermediate fractions between two convergents are tried: all of a
// few, else both ends and every scale in between, of either parity.
std::vector<std::int64_t> intermediates(std::int64_t term) {
    std::vector<std::int64_t> ts;
    for (std::int64_t t = 1; t <= term; t = t < 8 ? t + 1 : t * 2) {
        ts.push_back(t);
        if (t >= 8 && t + 1 <= term) ts.push_back(t + 1);
    }
    for (std::int64_t t = std::max<std::int64_t>(term - 3, 9); t <= term; ++t) ts.push_back(t);
    return ts;
}

// The best exactly opposite pair over directions (m, n) in lattice steps with
// n / m near |dy| / |dx|. Where the junction has finer bits than the handles
// need, both axes' bits clear at one multiplier only for directions with
// n = c * m modulo 2^bits; writing n = c * u + 2^bits * v, m = u turns those
// into the convergents v / u of (n / m - c) / 2^bits.
Best searchLattice(const Goal& g) {
    Best best;
    const int bits =
        std::max(std::min(g.handleBitsX, g.handleBitsY), std::min(g.partnerBitsX, g.partnerBitsY));
    if (bits > 60) return best;
    const std::uint64_t modulus = std::uint64_t{1} << bits;
    const std::uint64_t c = bits == 0 ? 0
                                      : static_cast<std::uint64_t>(g.signX * g.signY * g.y.origin) *
                                                inverseOfOdd(static_cast<std::uint64_t>(g.x.origin)) &
                                            (modulus - 1);
    const double dx = std::ldexp(std::fabs(g.target.x - g.junction.x), -g.x.exponent);
    const double dy = std::ldexp(std::fabs(g.target.y - g.junction.y), -g.y.exponent);
    long double rest = (static_cast<long double>(dy) / dx - static_cast<long double>(c)) / modulus;
    if (!std::isfinite(static_cast<double>(rest))) return best;
    const auto tryFraction = [&](Wide v, Wide u) {
        const Wide n = Wide{c} * u + Wide{modulus} * v;
        if (u >= 1 && u < (Wide{1} << 53) && n >= 0 && n < (Wide{1} << 53))
            tryDirection(g, static_cast<std::int64_t>(u), static_cast<std::int64_t>(n), best);
    };
    // v / u convergents: (v0 / u0) the one before (v1 / u1).
    Wide v0 = 0, u0 = 1, v1 = 1, u1 = 0;
    const Wide most = Wide{1} << 53;
    const double shortest = std::min(g.length, g.keep);
    for (int term = 0; term < 80; ++term) {
        const long double whole = std::floor(rest);
        if (term == 0 && std::fabs(whole) > 0x1p60L) break;
        // The expansion ends where the ratio is reached, or where its terms
        // outgrow the doubles: the fractions on both sides of the last
        // convergent are tried at every scale instead.
        bool last = rest == whole || std::fabs(whole) > 0x1p52L;
        Wide a = static_cast<Wide>(std::min(whole, 0x1p52L));
        if (term == 0) {
            tryFraction(a + 1, 1);
        } else {
            const Wide room = (most - u0) / u1;
            if (a >= room) a = room, last = true;
            for (std::int64_t t : intermediates(static_cast<std::int64_t>(a)))
                tryFraction(v0 + t * v1, u0 + t * u1);
        }
        const Wide v2 = v0 + a * v1, u2 = u0 + a * u1;
        v0 = v1, u0 = u1, v1 = v2, u1 = u2;
        tryFraction(v1, u1);
        if (last) {
            for (std::int64_t t : intermediates(static_cast<std::int64_t>((most - u0) / u1))) {
                tryFraction(v0 + t * v1, u0 + t * u1);
                tryFraction(t * v1 - v0, t * u1 - u0);
            }
            break;
        }
        // A step longer than either handle leaves no whole step for it.
        const double m = static_cast<double>(u1), n = static_cast<double>(Wide{c} * u1 + Wide{modulus} * v1);
        const double step = std::hypot(std::ldexp(m, g.x.exponent), std::ldexp(n, g.y.exponent));
        if (step > 2.0 * shortest) break;
        rest = 1.0L / (rest - whole);
    }
    return best;
}

}  // namespace

bool exactlyOpposite(const ControlPoint& junction, const ControlPoint& a, const ControlPoint& b) {
    for (double v : {junction.x, junction.y, a.x, a.y, b.x, b.y})
        if (!std::isfinite(v)) return false;
    const auto side = [](double from, double to) { return (to > from) - (to < from); };
    const int ax = side(junction.x, a.x), ay = side(junction.y, a.y);
    const int bx = side(junction.x, b.x), by = side(junction.y, b.y);
    if (ax != -bx || ay != -by || (ax == 0 && ay == 0)) return false;
    if (ax == 0 || ay == 0) return true;
    const double all[6] = {junction.x, junction.y, a.x, a.y, b.x, b.y};
    int lowest = 0;
    bool any = false;
    for (double v : all) {
        if (v == 0.0) continue;
        const int e = lowestBit(v);
        lowest = any ? std::min(lowest, e) : e;
        any = true;
    }
    if (!any) return false;
    const cpp_int jx = wholeAt(junction.x, lowest), jy = wholeAt(junction.y, lowest);
    const cpp_int cross = (wholeAt(a.x, lowest) - jx) * (wholeAt(b.y, lowest) - jy) -
                          (wholeAt(a.y, lowest) - jy) * (wholeAt(b.x, lowest) - jx);
    return cross == 0;
}

HandlePair opposedHandles(const ControlPoint& junction, const ControlPoint& target,
                          const ControlPoint& partner) {
    if (exactlyOpposite(junction, target, partner)) return {target, partner};
    HandlePair plain{target, oppositeHandle(junction, target, partner)};
    // Turned past the largest double, the partner stays where it was.
    if (!std::isfinite(plain.partner.x) || !std::isfinite(plain.partner.y)) plain.partner = partner;
    const double length = std::hypot(target.x - junction.x, target.y - junction.y);
    const double keep = std::hypot(partner.x - junction.x, partner.y - junction.y);
    if (!(length > 0.0) || !(keep > 0.0) || !std::isfinite(length) || !std::isfinite(keep) ||
        exactlyOpposite(junction, plain.handle, plain.partner))
        return plain;
    const auto reach = [&](double p, double t) {
        return std::max({std::fabs(p), std::fabs(t), std::fabs(p) + std::max(length, keep)});
    };
    const double reachX = reach(junction.x, target.x), reachY = reach(junction.y, target.y);
    if (!std::isfinite(reachX) || !std::isfinite(reachY)) return plain;
    Goal goal{junction,
              target,
              plain.partner,
              length,
              keep,
              axisFor(junction.x, reachX),
              axisFor(junction.y, reachY),
              target.x > junction.x ? 1 : -1,
              target.y > junction.y ? 1 : -1,
              0,
              0,
              0,
              0};
    const auto bitsAt = [](const Axis& axis, double v) {
        return std::max(stepExponentNear(v) - axis.exponent, 0);
    };
    goal.handleBitsX = bitsAt(goal.x, target.x);
    goal.handleBitsY = bitsAt(goal.y, target.y);
    goal.partnerBitsX = bitsAt(goal.x, plain.partner.x);
    goal.partnerBitsY = bitsAt(goal.y, plain.partner.y);
    // Where the lattice is too coarse for one handle (a partner a tiny
    // fraction of a handle far out), plain floating point is the lesser evil.
    const Best best = searchLattice(goal);
    return best.miss <= largestMiss ? best.pair : plain;
}
