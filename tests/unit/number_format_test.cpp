// The number notation shared by "map.mef", "gnd.pts" and "go".

#include <gtest/gtest.h>

#include <charconv>
#include <cfloat>
#include <cstring>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <string>

#include "NumberFormat.h"

namespace {

TEST(NumberFormat, WritesTheNotationExamples) {
    EXPECT_EQ(formatNumber(0.0), "0");
    EXPECT_EQ(formatNumber(-0.0), "-0");
    EXPECT_EQ(formatNumber(10.0), "10");
    EXPECT_EQ(formatNumber(10.5), "10.5");
    EXPECT_EQ(formatNumber(123.4567), "123.457");
    EXPECT_EQ(formatNumber(-13.333333333), "-13.3333");
    EXPECT_EQ(formatNumber(0.916666666), "0.916667");
}

TEST(NumberFormat, SwitchesToExponentOutsideTheFixedRange) {
    // Fixed notation from 0.0001 up to, after rounding to six digits, 999999.
    EXPECT_EQ(formatNumber(0.0001), "0.0001");
    EXPECT_EQ(formatNumber(0.00009), "9e-05");
    EXPECT_EQ(formatNumber(999999.0), "999999");
    EXPECT_EQ(formatNumber(999999.5), "1e+06");
    EXPECT_EQ(formatNumber(1000000.0), "1e+06");
    EXPECT_EQ(formatNumber(-1234567.0), "-1.23457e+06");
    EXPECT_EQ(formatNumber(1e100), "1e+100");
    EXPECT_EQ(formatNumber(-DBL_MAX), "-1.79769e+308");
    EXPECT_EQ(formatNumber(std::numeric_limits<double>::denorm_min()), "4.94066e-324");
}

TEST(NumberFormat, AppendKeepsWhatIsThere) {
    std::string text = "x ";
    appendNumber(text, 2.5);
    appendNumber(text, -1.0);
    EXPECT_EQ(text, "x 2.5-1");
}

TEST(NumberFormat, AgreesWithPrintfOverManyMagnitudes) {
    // printf("%g") in the C locale is the reference notation.
    std::setlocale(LC_NUMERIC, "C");
    std::mt19937_64 random(20240611);
    std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
    std::uniform_int_distribution<int> exponent(-12, 12);
    char expected[64];
    for (int i = 0; i < 200000; ++i) {
        double value = mantissa(random) * std::pow(10.0, exponent(random));
        // Values near the rounding boundaries of six digits are the risky ones.
        if (i % 4 == 0) value = std::round(value * 1e6) / 1e6 + 5e-7;
        std::snprintf(expected, sizeof expected, "%g", value);
        ASSERT_EQ(formatNumber(value), expected) << "value " << value;
    }
}

TEST(NumberFormat, LongestTextFitsTheBuffer) {
    char buffer[maxNumberLength + 1];
    const double extremes[] = {-DBL_MAX,
                               -DBL_MIN,
                               -std::numeric_limits<double>::denorm_min(),
                               -1.23456789e-300,
                               -std::numeric_limits<double>::infinity(),
                               -std::numeric_limits<double>::quiet_NaN()};
    for (const double value : extremes) {
        char* end = formatNumber(buffer, value);
        EXPECT_LE(end - buffer, maxNumberLength);
        EXPECT_GT(end - buffer, 0);
    }
}

// The ground check reads every printed number back with readNumber, which
// must get exactly what std::from_chars gets, bit for bit, at every scale.
TEST(NumberFormat, ReadsBackWhatFromCharsReads) {
    std::mt19937_64 random(31);
    std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
    std::uniform_int_distribution<int> power(-330, 310);
    const double specials[] = {0.0, -0.0, 5e-324, DBL_MIN, DBL_MAX, -DBL_MAX, 1e22, 1e23, 1e-22, 1e-23,
                               999999.5, 0.0001, 0.00009, 123456789.0, std::numeric_limits<double>::infinity()};
    const auto same = [](double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; };
    for (int k = 0; k < 200000; ++k) {
        const double value = k < 15 ? specials[k] : mantissa(random) * std::pow(10.0, power(random));
        char text[maxNumberLength];
        char* end = formatNumber(text, value);
        ASSERT_LE(end - text, maxFormattedLength) << value;
        double expected = 0.0;
        std::from_chars(text, end, expected);
        ASSERT_TRUE(same(readNumber(text, end), expected)) << std::string(text, end);
    }
}

// The one reader of typed and stored numbers: what it takes, why it refuses,
// and the typed entry's message for each refusal.
TEST(NumberFormat, ReaderTakesOneWholeNumberAndSaysWhyNot) {
    const double untouched = 42.0;
    const struct {
        const char* text;
        NumberProblem problem;
        double value;  // when read
    } cases[] = {
        {"12.5", NumberProblem::none, 12.5},
        {"-2e3", NumberProblem::none, -2000.0},
        {"+3", NumberProblem::none, 3.0},
        {"+.5", NumberProblem::none, 0.5},
        {"", NumberProblem::notANumber, 0},
        {"+", NumberProblem::notANumber, 0},
        {"++1", NumberProblem::notANumber, 0},
        {"+-1", NumberProblem::notANumber, 0},
        {"1e", NumberProblem::notANumber, 0},
        {"1 2", NumberProblem::notANumber, 0},
        {"1,5", NumberProblem::notANumber, 0},
        {"0x10", NumberProblem::notANumber, 0},
        {"1e999", NumberProblem::outOfRange, 0},
        {"-1e-999", NumberProblem::outOfRange, 0},
        {"inf", NumberProblem::notFinite, 0},
        {"nan", NumberProblem::notFinite, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        double value = untouched;
        EXPECT_EQ(readNumberText(c.text, c.text + std::strlen(c.text), value), c.problem);
        if (c.problem == NumberProblem::none) {
            EXPECT_EQ(value, c.value);
        }

        // Typed: blanks around the number are dropped, and a refused value is left alone.
        double typed = untouched;
        const std::string message = readTypedNumber(std::string(" \t") + c.text + " ", typed);
        const std::string quoted = std::string("\"") + c.text + "\"";
        switch (c.problem) {
            case NumberProblem::none:
                EXPECT_EQ(message, "");
                EXPECT_EQ(typed, c.value);
                break;
            case NumberProblem::notANumber:
                EXPECT_EQ(message, quoted + " is not a number");
                break;
            case NumberProblem::outOfRange:
                EXPECT_EQ(message, quoted + " is out of range");
                break;
            case NumberProblem::notFinite:
                EXPECT_EQ(message, quoted + " is not a finite number");
                break;
        }
        if (c.problem != NumberProblem::none) {
            EXPECT_EQ(typed, untouched);
        }
    }
}

}  // namespace
