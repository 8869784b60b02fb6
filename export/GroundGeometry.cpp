#include "GroundGeometry.h"

#include <algorithm>
#include <array>
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
int exactOrientation(const GroundPoint& a, const GroundPoint& b, const GroundPoint& c) {
    std::array<cpp_int, 6> v;
    scaleExactly(std::array<double, 6>{a.x, a.y, b.x, b.y, c.x, c.y}, v);
    return crossProduct(v[0], v[1], v[2], v[3], v[4], v[5]).sign();
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
        if (high == low) return {Kind::point, low, {}};
        return {Kind::overlap, low, high};
    }
    // Where an end of one piece lies on the other, the meeting is that end
    // exactly: the same vertex is then found as one crossing from every pair
    // of pieces at it.
    if (d1 == 0) return {Kind::point, p1, {}};
    if (d2 == 0) return {Kind::point, p2, {}};
    if (d3 == 0) return {Kind::point, q1, {}};
    if (d4 == 0) return {Kind::point, q2, {}};
    return {Kind::point, crossingPoint(p1, p2, q1, q2), {}};
}

GroundPoint printedPoint(const GroundPoint& p) { return {printedValue(p.x), printedValue(p.y)}; }
