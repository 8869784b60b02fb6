#pragma once

#include <string>
#include <string_view>

// The one notation for every double the program writes to a file: general
// notation with six significant digits, a full stop as decimal point whatever
// the locale, trailing zeros dropped, negative zero kept as "-0".
// 10 -> "10", 10.5 -> "10.5", 123.4567 -> "123.457", 1e6 -> "1e+06".

// Room for the text formatNumber writes; the longest it writes is
// maxFormattedLength characters ("-1.23457e-308", "-0.000123457").
constexpr int maxNumberLength = 24;
constexpr int maxFormattedLength = 13;

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

// The value a reader gets back from the text [first, last) that formatNumber
// wrote, exactly what std::from_chars reads from it. The digits formatNumber
// writes make an integer below 10^6 times a power of ten, which for powers
// up to 10^22 either way is one correctly rounded multiplication or division
// of two exact doubles; only other powers take std::from_chars.
double readNumber(const char* first, const char* last);

// Why a number could not be read; none when it was.
enum class NumberProblem { none, notANumber, outOfRange, notFinite };

// The one reader of the numbers a person or a tool wrote, as the map file
// holds them: all of [first, last) must be one number (a sign, digits, a
// decimal point, an exponent; a '+' is taken directly before a digit or a
// point). `value` gets what std::from_chars reads, infinities included, and
// is left alone when nothing in range could be read.
NumberProblem readNumberText(const char* first, const char* last, double& value);

// Past a '+' that directly precedes a digit or a point, which from_chars does
// not take; `first` otherwise. [first, last) must not be empty.
const char* skipPlusSign(const char* first, const char* last);

// What `problem` (not none) says about the number shown as `quoted`, for
// example "\"abc\" is not a number".
std::string numberProblemText(const std::string& quoted, NumberProblem problem);

// Reads one number as the map file's reader does, blanks around it ignored.
// Empty when `text` is a finite number in a double's range, which is stored
// in `value`; otherwise why not, for example "\"abc\" is not a number".
std::string readTypedNumber(std::string_view text, double& value);
