#include "NumberFormat.h"

#include <charconv>
#include <cmath>

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
    double printed = value;
    std::from_chars(buffer, formatNumber(buffer, value), printed);
    return printed;
}
