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

std::string readNumber(std::string_view text, double& value) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    const std::string quoted = "\"" + std::string(text) + "\"";
    if (text.empty()) return quoted + " is not a number";
    const char* digits = text.data();
    const char* const end = digits + text.size();
    // The reader of map files takes a leading plus, which from_chars does not.
    if (*digits == '+' && digits + 1 != end && digits[1] != '-' && digits[1] != '+') ++digits;
    double read = 0.0;
    const std::from_chars_result r = std::from_chars(digits, end, read);
    if (r.ec == std::errc::invalid_argument || r.ptr != end) return quoted + " is not a number";
    if (r.ec == std::errc::result_out_of_range) return quoted + " is out of range";
    if (!std::isfinite(read)) return quoted + " is not a finite number";
    value = read;
    return {};
}
