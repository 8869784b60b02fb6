#pragma once

#include <string>
#include <string_view>

// The one notation for every double the program writes to a file: general
// notation with six significant digits, a full stop as decimal point whatever
// the locale, trailing zeros dropped, negative zero kept as "-0".
// 10 -> "10", 10.5 -> "10.5", 123.4567 -> "123.457", 1e6 -> "1e+06".

// Longest text formatNumber can produce ("-1.23457e-308" and the like).
constexpr int maxNumberLength = 24;

// Writes `value` at `out`, which has room for maxNumberLength characters;
// returns the end of the text. No terminating zero is written.
char* formatNumber(char* out, double value);

// Appends `value` to `text`.
void appendNumber(std::string& text, double value);

// `value` as a string of its own.
std::string formatNumber(double value);

// The value a reader gets back from the text formatNumber writes for `value`:
// `value` rounded to six significant digits (NaN and infinities kept).
double printedValue(double value);

// Reads one number as the map file's reader does (a sign, digits, a decimal
// point, an exponent; blanks around it ignored). Empty when `text` is a
// finite number in a double's range, which is stored in `value`; otherwise
// why not, for example "\"abc\" is not a number".
std::string readNumber(std::string_view text, double& value);
