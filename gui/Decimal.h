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

// n in at most four characters, for a counter four characters wide: n itself
// below 10000, else rounded down to thousands ("600k"), millions with one
// decimal below ten ("2.6M") or whole millions, and so on, so that what is
// shown is never more than n and never cut. Negative values show as "0".
inline DecimalText toShortDecimal(long long n) {
    DecimalText out{};
    char* end = out.data() + out.size() - 1;
    if (n < 0) n = 0;
    if (n < 10000) {
        std::to_chars(out.data(), end, n);
        return out;
    }
    // Each scale: its letter and its size; one decimal while the whole part is one digit.
    constexpr struct {
        char letter;
        long long size;
    } scales[] = {{'k', 1000LL}, {'M', 1000000LL}, {'G', 1000000000LL}, {'T', 1000000000000LL},
                  {'P', 1000000000000000LL}, {'E', 1000000000000000000LL}};
    for (const auto& scale : scales) {
        const long long tenths = n / (scale.size / 10);
        if (tenths >= 10000) continue;  // 1000 or more of this scale: the next one
        char* at = out.data();
        if (tenths < 100) {
            at = std::to_chars(at, end, tenths / 10).ptr;
            *at++ = '.';
            *at++ = static_cast<char>('0' + tenths % 10);
        } else {
            at = std::to_chars(at, end, tenths / 10).ptr;
        }
        *at = scale.letter;
        return out;
    }
    return out;  // not reached: the largest long long is 9.2E
}
