#include "GroundGeometry.h"

#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>

#include <boost/multiprecision/cpp_int.hpp>

#include "NumberFormat.h"

namespace {

using boost::multiprecision::cpp_int;

// Every double is a whole number times a power of two. Scales `values` by
// the smallest such power (returned) to whole numbers, exactly.
template <std::size_t N>
int scaleExactly(const std::array<double, N>& values, std::array<cpp_int, N>& whole) {
    std::array<long long, N> mantissas{};
    std::array<int, N> exponents{};
    int lowest = 0;
    bool any = false;
    for (std::size_t k = 0; k < N; ++k) {
        int e = 0;
        const double fraction = std::frexp(values[k], &e);
        mantissas[k] = static_cast<long long>(std::ldexp(fraction, 53));
        exponents[k] = e - 53;
        if (mantissas[k] != 0 && (!any || exponents[k] < lowest)) lowest = exponents[k];
        any = any || mantissas[k] != 0;
    }
    for (std::size_t k = 0; k < N; ++k) {
        whole[k] = mantissas[k];
        if (mantissas[k] != 0) whole[k] <<= static_cast<unsigned>(exponents[k] - lowest);
    }
    return lowest;
}

// (a - c) x (b - c) on whole numbers: twice the signed area of the triangle.
cpp_int crossProduct(const cpp_int& ax, const cpp_int& ay, const cpp_int& bx, const cpp_int& by,
                     const cpp_int& cx, const cpp_int& cy) {
    return (ax - cx) * (by - cy) - (ay - cy) * (bx - cx);
}

// The orientation of c against the line from a to b on the exact values:
// 1 to the left, -1 to the right, 0 on the line.
int wholeNumberOrientation(const GroundPoint& a, const GroundPoint& b, const GroundPoint& c) {
    std::array<cpp_int, 6> v;
    scaleExactly(std::array<double, 6>{a.x, a.y, b.x, b.y, c.x, c.y}, v);
    return crossProduct(v[0], v[1], v[2], v[3], v[4], v[5]).sign();
}

// A double and the rounding error of the operation that made it: together
// they hold the exact result.
struct Exact {
    double value;
    double error;
};

Exact exactSum(double a, double b) {
    const double sum = a + b;
    const double bPart = sum - a;
    const double aPart = sum - bPart;
    return {sum, (a - aPart) + (b - bPart)};
}

Exact exactDifference(double a, double b) {
    const double difference = a - b;
    const double bPart = a - difference;
    const double aPart = difference + bPart;
    return {difference, (a - aPart) + (bPart - b)};
}

Exact exactProduct(double a, double b) {
    const double product = a * b;
#ifdef FP_FAST_FMA
    return {product, std::fma(a, b, -product)};
#else
    // Dekker's product: each factor split into two halves of 26 bits.
    const auto split = [](double v) {
        const double scaled = 134217729.0 * v;  // 2^27 + 1
        const double high = scaled - (scaled - v);
        return Exact{high, v - high};
    };
    const Exact x = split(a), y = split(b);
    const double error = product - x.value * y.value - x.error * y.value - x.value * y.error;
    return {product, x.error * y.error - error};
#endif
}

// The orientation on the exact values by sums of doubles that carry their
// rounding errors along (Shewchuk's expansions): each difference is exact
// as a pair, each product of pairs as four pairs, and the sixteen parts are
// summed without loss. Exact where no part underflows: every coordinate is
// 0 or at least 2^-300, so that every part is a multiple of 2^-704 at least.
int expansionOrientation(const GroundPoint& a, const GroundPoint& b, const GroundPoint& c) {
    const Exact dx1 = exactDifference(a.x, c.x), dy2 = exactDifference(b.y, c.y);
    const Exact dy1 = exactDifference(a.y, c.y), dx2 = exactDifference(b.x, c.x);
    // The sum so far: parts of increasing size that do not overlap, so that
    // the last one's sign is the sum's.
    std::array<double, 32> parts;
    std::size_t count = 0;
    const auto add = [&](double v) {
        if (v == 0.0) return;
        std::size_t kept = 0;
        for (std::size_t k = 0; k < count; ++k) {
            const Exact s = exactSum(v, parts[k]);
            if (s.error != 0.0) parts[kept++] = s.error;
            v = s.value;
        }
        if (v != 0.0) parts[kept++] = v;
        count = kept;
    };
    const auto addProduct = [&](double x, double y) {
        const Exact p = exactProduct(x, y);
        add(p.error);
        add(p.value);
    };
    for (const double x : {dx1.value, dx1.error})
        for (const double y : {dy2.value, dy2.error}) addProduct(x, y);
    for (const double x : {dy1.value, dy1.error})
        for (const double y : {dx2.value, dx2.error}) addProduct(-x, y);
    if (count == 0) return 0;
    return parts[count - 1] > 0 ? 1 : -1;
}

// Whether expansionOrientation is exact for p: see there. Coordinates in
// range lie below 2^499, so nothing overflows.
bool suitsExpansions(const GroundPoint& p) {
    const auto suits = [](double v) { return v == 0.0 || (std::fabs(v) >= 0x1p-300 && std::fabs(v) <= 0x1p499); };
    return suits(p.x) && suits(p.y);
}

int exactOrientation(const GroundPoint& a, const GroundPoint& b, const GroundPoint& c) {
    if (suitsExpansions(a) && suitsExpansions(b) && suitsExpansions(c)) return expansionOrientation(a, b, c);
    return wholeNumberOrientation(a, b, c);
}

// numerator / denominator times 2^exponent, to about 60 bits before rounding
// to a double; the denominator is not zero.
double quotient(const cpp_int& numerator, const cpp_int& denominator, int exponent) {
    if (numerator == 0) return 0.0;
    const cpp_int n = abs(numerator), d = abs(denominator);
    const long shift = 62 - (static_cast<long>(msb(n)) - static_cast<long>(msb(d)));
    cpp_int q;
    if (shift >= 0)
        q = (n << static_cast<unsigned>(shift)) / d;
    else
        q = n / (d << static_cast<unsigned>(-shift));
    const double value = std::ldexp(q.convert_to<double>(), exponent - static_cast<int>(shift));
    return numerator.sign() * denominator.sign() < 0 ? -value : value;
}

// Where the pieces p1-p2 and q1-q2 cross, at a point inside both, computed on
// the exact values so that it is as good at every scale.
GroundPoint crossingPoint(const GroundPoint& p1, const GroundPoint& p2, const GroundPoint& q1,
                          const GroundPoint& q2) {
    std::array<cpp_int, 8> v;
    const int exponent =
        scaleExactly(std::array<double, 8>{p1.x, p1.y, p2.x, p2.y, q1.x, q1.y, q2.x, q2.y}, v);
    // The point divides p1-p2 in the ratio of the areas p1 and p2 span with q1-q2.
    const cpp_int s1 = crossProduct(v[4], v[5], v[6], v[7], v[0], v[1]);
    const cpp_int s2 = crossProduct(v[4], v[5], v[6], v[7], v[2], v[3]);
    const cpp_int denominator = s1 - s2;
    return {quotient(v[2] * s1 - v[0] * s2, denominator, exponent),
            quotient(v[3] * s1 - v[1] * s2, denominator, exponent)};
}

}  // namespace

int orientation(const GroundPoint& a, const GroundPoint& b, const GroundPoint& c) {
    const double left = (a.x - c.x) * (b.y - c.y);
    const double right = (a.y - c.y) * (b.x - c.x);
    const double det = left - right;
    const double sum = std::fabs(left) + std::fabs(right);
    // Shewchuk's bound on the rounding error of the expression above, which
    // holds while the products stay clear of underflow; coordinates are in
    // range, so nothing overflows. Only near-ties take the exact way.
    constexpr double errorBound = (3.0 + 16.0 * 0x1p-53) * 0x1p-53;
    if (sum >= 0x1p-900 && std::fabs(det) > errorBound * sum) return det > 0 ? 1 : -1;
    // Both products are exactly 0 when a factor of each is: points on one
    // line along an axis, as where consecutive samples print with the same x.
    if ((a.x == c.x || b.y == c.y) && (a.y == c.y || b.x == c.x)) return 0;
    return exactOrientation(a, b, c);
}

PieceMeeting meetingOf(const GroundPoint& p1, const GroundPoint& p2, const GroundPoint& q1,
                       const GroundPoint& q2) {
    using Kind = PieceMeeting::Kind;
    const int d1 = orientation(q1, q2, p1), d2 = orientation(q1, q2, p2);
    if (d1 == d2 && d1 != 0) return {};
    const int d3 = orientation(p1, p2, q1), d4 = orientation(p1, p2, q2);
    if (d3 == d4 && d3 != 0) return {};
    if (d1 == 0 && d2 == 0) {
        // On one line: points on it are ordered as (x, y) pairs are.
        const GroundPoint pLow = std::min(p1, p2, lexicographicLess);
        const GroundPoint pHigh = std::max(p1, p2, lexicographicLess);
        const GroundPoint qLow = std::min(q1, q2, lexicographicLess);
        const GroundPoint qHigh = std::max(q1, q2, lexicographicLess);
        const GroundPoint low = std::max(pLow, qLow, lexicographicLess);
        const GroundPoint high = std::min(pHigh, qHigh, lexicographicLess);
        if (lexicographicLess(high, low)) return {};
        if (high == low) return {Kind::point, low, {}, true};
        return {Kind::overlap, low, high, true};
    }
    // Where an end of one piece lies on the other, the meeting is that end
    // exactly: the same vertex is then found as one crossing from every pair
    // of pieces at it.
    if (d1 == 0) return {Kind::point, p1, {}, true};
    if (d2 == 0) return {Kind::point, p2, {}, true};
    if (d3 == 0) return {Kind::point, q1, {}, true};
    if (d4 == 0) return {Kind::point, q2, {}, true};
    return {Kind::point, crossingPoint(p1, p2, q1, q2), {}, false};
}

GroundPoint printedPoint(const GroundPoint& p) { return {printedValue(p.x), printedValue(p.y)}; }

GroundPoint printedEnd(const GroundPoint& p) {
    // A normal double read from six significant digits prints as those digits again.
    const auto reprints = [](double v) { return v == 0.0 || std::fabs(v) >= DBL_MIN; };
    return reprints(p.x) && reprints(p.y) ? p : printedPoint(p);
}
