// SPDX-License-Identifier: Apache-2.0
// Numbers as text: the results must be those of printf and atof in the C
// locale, which these tests run in, so the C library serves as the oracle.

#include "numeric/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

namespace {

std::string printf_text(const char* format, double value) {
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

const double inf = std::numeric_limits<double>::infinity();
const double nan = std::numeric_limits<double>::quiet_NaN();

class NumberTextFormat : public testing::TestWithParam<double> {};

TEST_P(NumberTextFormat, FixedMatchesPrintfF) {
    EXPECT_EQ(format_fixed(GetParam()), printf_text("%f", GetParam()));
}

TEST_P(NumberTextFormat, GeneralMatchesPrintfG15) {
    EXPECT_EQ(format_general15(GetParam()), printf_text("%.15g", GetParam()));
}

INSTANTIATE_TEST_SUITE_P(Values, NumberTextFormat,
                         testing::Values(0.0, -0.0, 0.5, -0.5, 1.0, 0.1 + 0.2, 1.0 / 3.0, 0.0000005,
                                         0.0000015, 0.0000025, 2.5e-7, 1e-300, 123456.789,
                                         -98765.4321e10, 1e15, 1e16, 1.5e300,
                                         -1.7976931348623157e308, 4.9e-324, 0.333333333333333, inf,
                                         -inf, nan, -nan));

class NumberTextLeading : public testing::TestWithParam<const char*> {};

TEST_P(NumberTextLeading, MatchesAtof) {
    const double expected = std::atof(GetParam());
    const double actual = parse_leading_double(GetParam());
    if (std::isnan(expected)) {
        EXPECT_TRUE(std::isnan(actual));
        return;
    }
    EXPECT_EQ(actual, expected);
    EXPECT_EQ(std::signbit(actual), std::signbit(expected));
}

INSTANTIATE_TEST_SUITE_P(Texts, NumberTextLeading,
                         testing::Values("", "   ", "abc", "1.5", "  -2.5e3x", "+.5", ".", "-",
                                         "1e", "1e+", "1.e2", "0x1p3", "inf", "-Infinity", "nan",
                                         "1e400", "-1e400", "1e-400", "12,5", "\t\n 7", "-0",
                                         "0.333333333333333", "5 6", "1.000000", "00012.50000",
                                         "2.2250738585072011e-308"));

struct WholeCase {
    const char* text;
    bool accepted;
    double value;
};

void PrintTo(const WholeCase& c, std::ostream* os) {
    *os << '"' << c.text << '"';
}

class NumberTextWhole : public testing::TestWithParam<WholeCase> {};

TEST_P(NumberTextWhole, AcceptsOnlyOneFiniteNumber) {
    double value = -77.0;
    EXPECT_EQ(parse_whole_double(GetParam().text, value), GetParam().accepted);
    EXPECT_EQ(value, GetParam().accepted ? GetParam().value : -77.0);
}

INSTANTIATE_TEST_SUITE_P(Texts, NumberTextWhole,
                         testing::Values(WholeCase{"1.5", true, 1.5}, WholeCase{" 2 ", true, 2.0},
                                         WholeCase{"\t-3e2\n", true, -300.0},
                                         WholeCase{"+.25", true, 0.25}, WholeCase{"0.1", true, 0.1},
                                         WholeCase{"", false, 0}, WholeCase{"   ", false, 0},
                                         WholeCase{"1.5x", false, 0}, WholeCase{"1 2", false, 0},
                                         WholeCase{"1,5", false, 0}, WholeCase{".", false, 0},
                                         WholeCase{"-", false, 0}, WholeCase{"inf", false, 0},
                                         WholeCase{"-infinity", false, 0},
                                         WholeCase{"nan", false, 0}, WholeCase{"1e400", false, 0},
                                         WholeCase{"-1e400", false, 0}));

TEST(NumberTextWhole, NegativeZeroKeepsItsSign) {
    double value = 1.0;
    ASSERT_TRUE(parse_whole_double("-0", value));
    EXPECT_TRUE(std::signbit(value));
}

TEST(NumberTextWhole, TextWithAnEmbeddedNulIsRejected) {
    double value = 0.0;
    EXPECT_FALSE(parse_whole_double(std::string_view("1.5\0"
                                                     "7",
                                                     5),
                                    value));
}

} // namespace
