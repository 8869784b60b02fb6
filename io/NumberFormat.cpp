#include "NumberFormat.h"

#include <charconv>
#include <cmath>
#include <cstdint>

char* formatNumber(char* out, double value) {
    // std::to_chars ignores the locale and, with general notation and precision
    // 6, gives the same text as printf("%g") in the C locale.
    return std::to_chars(out, out + maxNumberLength, value, std::chars_format::general, 6).ptr;
}

void appendNumber(std::string& text, double value) {
    char buffer[maxNumberLength];
    text.append(buffer, formatNumber(buffer, value));
}

std::string formatNumber(double value) {
    std::string text;
    appendNumber(text, value);
    return text;
}

double printedValue(double value) {
    if (!std::isfinite(value)) return value;
    char buffer[maxNumberLength];
    return readNumber(buffer, formatNumber(buffer, value));
}

double readNumber(const char* first, const char* last) {
    // The powers of ten that a double holds exactly.
    static constexpr double exactPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                             1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                             1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    constexpr int maxExactPower = 22;
    const char* p = first;
    const bool negative = p != last && *p == '-';
    if (negative) ++p;
    std::uint64_t digits = 0;
    int digitCount = 0;
    int exponent = 0;
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    for (; p != last && isDigit(*p); ++p, ++digitCount) digits = digits * 10 + static_cast<unsigned>(*p - '0');
    if (p != last && *p == '.') {
        for (++p; p != last && isDigit(*p); ++p, ++digitCount, --exponent)
            digits = digits * 10 + static_cast<unsigned>(*p - '0');
    }
    if (p != last && *p == 'e') {
        ++p;
        const bool negativePower = p != last && *p == '-';
        if (p != last && (*p == '-' || *p == '+')) ++p;
        int power = 0;
        for (; p != last && isDigit(*p) && power < 1000; ++p) power = power * 10 + (*p - '0');
        exponent += negativePower ? -power : power;
    }
    // Up to 15 digits the integer is exact in a double.
    if (p == last && digitCount > 0 && digitCount <= 15 && exponent >= -maxExactPower &&
        exponent <= maxExactPower) {
        const double whole = static_cast<double>(digits);
        const double value = exponent < 0 ? whole / exactPowers[-exponent] : whole * exactPowers[exponent];
        return negative ? -value : value;
    }
    double value = 0.0;
    readNumberText(first, last, value);
    return value;
}

const char* skipPlusSign(const char* first, const char* last) {
    if (*first == '+' && first + 1 != last && first[1] != '-' && first[1] != '+') return first + 1;
    return first;
}

NumberProblem readNumberText(const char* first, const char* last, double& value) {
    const char* const digits = first == last ? first : skipPlusSign(first, last);
    const std::from_chars_result r = std::from_chars(digits, last, value);
    if (r.ec == std::errc::invalid_argument || r.ptr != last) return NumberProblem::notANumber;
    if (r.ec == std::errc::result_out_of_range) return NumberProblem::outOfRange;
    if (!std::isfinite(value)) return NumberProblem::notFinite;
    return NumberProblem::none;
}

std::string numberProblemText(const std::string& quoted, NumberProblem problem) {
    switch (problem) {
        case NumberProblem::outOfRange:
            return quoted + " is out of range";
        case NumberProblem::notFinite:
            return quoted + " is not a finite number";
        case NumberProblem::notANumber:
        case NumberProblem::none:
        default:
            return quoted + " is not a number";
    }
}

std::string readTypedNumber(std::string_view text, double& value) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    double read = 0.0;
    const NumberProblem problem = readNumberText(text.data(), text.data() + text.size(), read);
    if (problem != NumberProblem::none) return numberProblemText("\"" + std::string(text) + "\"", problem);
    value = read;
    return {};
}
