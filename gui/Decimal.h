#pragma once

#include <array>
#include <charconv>

// Enough for every int in decimal: a minus sign, ten digits and a terminator.
using DecimalText = std::array<char, 12>;

// n in decimal, NUL-terminated: a minus sign for negative values, no padding.
// Safe for every int, the most negative one included.
inline DecimalText toDecimal(int n) {
    DecimalText out{};
    std::to_chars(out.data(), out.data() + out.size() - 1, n);
    return out;
}
