// SPDX-License-Identifier: Apache-2.0
// The pieces of vendrill-cli that need no process: number parsing, the
// position range, the verdicts and the JSON rows.

#include <gtest/gtest.h>

#include <bit>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <limits>
#include <nlohmann/json.hpp>
#include <random>
#include <string>

#include "cli/output.h"
#include "cli/request.h"

using namespace vendrill::cli;

namespace {

struct NumberCase {
    const char* text;
    NumberStatus status;
    double value;
};

class ParseNumberTest : public ::testing::TestWithParam<NumberCase> {};

TEST_P(ParseNumberTest, ConvertsWholeTextOrNamesTheFault) {
    const NumberCase& c = GetParam();
    double value = -12345.0;
    EXPECT_EQ(parse_number(c.text, value), c.status) << c.text;
    if (c.status == NumberStatus::ok)
        EXPECT_EQ(std::bit_cast<std::uint64_t>(value), std::bit_cast<std::uint64_t>(c.value))
            << c.text;
    else
        EXPECT_EQ(value, -12345.0) << "value must stay untouched for " << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ParseNumberTest,
    ::testing::Values(
        NumberCase{"1", NumberStatus::ok, 1.0}, NumberCase{"-1.5", NumberStatus::ok, -1.5},
        NumberCase{"+2", NumberStatus::ok, 2.0}, NumberCase{".5", NumberStatus::ok, 0.5},
        NumberCase{"-0", NumberStatus::ok, -0.0}, NumberCase{"1e-3", NumberStatus::ok, 1e-3},
        NumberCase{"0.1", NumberStatus::ok, 0.1},
        NumberCase{"0.33333333333333331", NumberStatus::ok, 1.0 / 3.0},
        NumberCase{"4.9e-324", NumberStatus::ok, std::numeric_limits<double>::denorm_min()},
        NumberCase{"1.7976931348623157e308", NumberStatus::ok, std::numeric_limits<double>::max()},
        NumberCase{"", NumberStatus::not_a_number, 0},
        NumberCase{"abc", NumberStatus::not_a_number, 0},
        NumberCase{"1.5x", NumberStatus::not_a_number, 0},
        NumberCase{"1,5", NumberStatus::not_a_number, 0},
        NumberCase{" 1", NumberStatus::not_a_number, 0},
        NumberCase{"0x10", NumberStatus::not_a_number, 0},
        NumberCase{"+-1", NumberStatus::not_a_number, 0},
        NumberCase{"+", NumberStatus::not_a_number, 0},
        NumberCase{"nan", NumberStatus::not_finite, 0},
        NumberCase{"-inf", NumberStatus::not_finite, 0},
        NumberCase{"infinity", NumberStatus::not_finite, 0},
        NumberCase{"1e400", NumberStatus::out_of_range, 0},
        NumberCase{"-1e400", NumberStatus::out_of_range, 0}));

TEST(PositionRange, IncludesBothEndsExactlyAndSpacesEvenly) {
    const PositionRange range = parse_position_range("-1:2:7");
    ASSERT_EQ(range.count, 7u);
    EXPECT_EQ(range.at(0), -1.0);
    EXPECT_EQ(range.at(6), 2.0);
    for (std::uint64_t i = 1; i < 7; ++i)
        EXPECT_NEAR(range.at(i) - range.at(i - 1), 0.5, 1e-15) << i;
}

TEST(PositionRange, RunsDownwardAndSurvivesEndsNearTheLargestDouble) {
    const PositionRange down = parse_position_range("1:0:3");
    EXPECT_EQ(down.at(1), 0.5);
    EXPECT_EQ(down.at(2), 0.0);
    const PositionRange wide = parse_position_range("-1.7e308:1.7e308:3");
    EXPECT_EQ(wide.at(1), 0.0);
    EXPECT_EQ(wide.at(2), 1.7e308);
}

TEST(PositionRange, RejectsMalformedText) {
    for (const char* text : {"0:1", "0:1:2:3", "0:1:1", "0:1:0", "0:1:-3", "0:1:2.5",
                             "0:1:", "a:1:3", "0:nan:3", "::"})
        EXPECT_THROW(parse_position_range(text), InvalidInput) << text;
}

TEST(Request, RunsThroughSinglePositionsBeforeTheRange) {
    Request request;
    request.positions = {5.0, -5.0};
    request.range = PositionRange{0.0, 1.0, 3};
    ASSERT_EQ(request.position_count(), 5u);
    const double expected[] = {5.0, -5.0, 0.0, 0.5, 1.0};
    for (std::uint64_t i = 0; i < 5; ++i)
        EXPECT_EQ(request.position_at(i), expected[i]);
}

TEST(MomentList, SplitsAtAnyBlankAndNamesTheBadItem) {
    const auto moments = parse_moment_list(" 1\t0.5\r\n\n1  3\n", "file");
    EXPECT_EQ(moments, (std::vector<double>{1.0, 0.5, 1.0, 3.0}));
    EXPECT_TRUE(parse_moment_list(" \n\t", "file").empty());
    try {
        parse_moment_list("1 0.5 x 3", "--moments-file m.txt");
        FAIL() << "no error for x";
    } catch (const InvalidInput& e) {
        EXPECT_STREQ(e.what(), "--moments-file m.txt: moment M2: 'x' is not a number");
    }
}

TEST(Method, ParsesOnlyTheTwoNames) {
    EXPECT_EQ(parse_method("classic"), Method::classic);
    EXPECT_EQ(parse_method("sharp"), Method::sharp);
    for (const char* text : {"", "Sharp", "SHARP", "sharp ", "classical", "0", "1"})
        EXPECT_EQ(parse_method(text), std::nullopt) << text;
}

SharpAnalysis analysis_with(SharpStatus status, int used, int given) {
    SharpAnalysis analysis;
    analysis.status = status;
    analysis.moments_used = used;
    analysis.moments_given = given;
    analysis.message = "the library's own sentence";
    return analysis;
}

TEST(SharpVerdict, IsTheSentenceForTheStatus) {
    const std::string exact = "The moments determine the distribution: the bounds are exact.";
    const std::string misfit = "These moments do not fit the chosen support.";
    EXPECT_EQ(sharp_verdict_text(analysis_with(SharpStatus::sharp, 9, 9)), "");
    EXPECT_EQ(sharp_verdict_text(analysis_with(SharpStatus::sharp, 7, 9)),
              "Only the first 7 moments could be used.");
    EXPECT_EQ(sharp_verdict_text(analysis_with(SharpStatus::sharp, 32, 40)),
              "Only the first 32 moments could be used.");
    EXPECT_EQ(sharp_verdict_text(analysis_with(SharpStatus::determinate, 5, 5)), exact);
    EXPECT_EQ(sharp_verdict_text(analysis_with(SharpStatus::determinate, 3, 5)), exact);
    EXPECT_EQ(sharp_verdict_text(analysis_with(SharpStatus::infeasible, 3, 5)), misfit);
    EXPECT_EQ(sharp_verdict_text(analysis_with(SharpStatus::invalid, 0, 5)), "");
    // At a position, "exact" only where the position itself is determinate.
    const SharpAnalysis determinate = analysis_with(SharpStatus::determinate, 5, 5);
    EXPECT_EQ(sharp_verdict_text(determinate, SharpStatus::determinate), exact);
    EXPECT_EQ(sharp_verdict_text(determinate, SharpStatus::sharp),
              "The moments determine the distribution, but this position is next to an atom: "
              "the bounds cover the moments' rounding and are not exact.");
    EXPECT_EQ(sharp_verdict_text(analysis_with(SharpStatus::sharp, 7, 9), SharpStatus::sharp),
              "Only the first 7 moments could be used.");
}

TEST(JsonRow, HasTheDocumentedKeysInOrder) {
    Request request;
    request.support = Support::interval;
    request.lower = -2.0;
    request.upper = 3.0;
    const std::string row = json_row(request, ResultRow{0.5, 0.25, 0.75, Outcome::half_line});
    EXPECT_EQ(row,
              "{\"type\":2,\"position\":0.5,\"lower\":-2.0,\"upper\":3.0,\"lower_bound\":0.25,"
              "\"upper_bound\":0.75,\"upper_tail_max\":0.75,\"upper_tail_min\":0.25,"
              "\"outcome\":2,\"verdict\":\"The [a, inf) estimation gave the tightest bounds.\"}");
    // Limits the support has not are null.
    request.support = Support::whole;
    EXPECT_NE(json_row(request, ResultRow{0.5, 0.25, 0.75, Outcome::whole_line})
                  .find(",\"lower\":null,\"upper\":null,"),
              std::string::npos);
    request.support = Support::half;
    EXPECT_NE(json_row(request, ResultRow{0.5, 0.25, 0.75, Outcome::half_line})
                  .find("\"lower\":-2.0,\"upper\":null,"),
              std::string::npos);
}

// Every finite double, printed into a row, must read back bit for bit.
TEST(JsonRow, DoublesReadBackExactly) {
    std::mt19937_64 bits(20261207);
    Request request;
    request.support = Support::interval; // both limits are written
    auto check = [&](double value) {
        request.lower = value;
        const std::string text =
            json_row(request, ResultRow{value, value, value, Outcome::whole_line});
        const auto parsed = nlohmann::json::parse(text);
        for (const char* key : {"position", "lower", "lower_bound", "upper_bound"})
            ASSERT_EQ(std::bit_cast<std::uint64_t>(parsed[key].get<double>()),
                      std::bit_cast<std::uint64_t>(value))
                << key << " in " << text;
        // The number's own text, as any other JSON reader would take it.
        const std::size_t start = text.find("\"position\":") + 11;
        double back = 0.0;
        ASSERT_EQ(parse_number(text.substr(start, text.find(',', start) - start), back),
                  NumberStatus::ok)
            << text;
        ASSERT_EQ(std::bit_cast<std::uint64_t>(back), std::bit_cast<std::uint64_t>(value)) << text;
        ASSERT_EQ(parse_number(round_trip_number(value), back), NumberStatus::ok);
        ASSERT_EQ(std::bit_cast<std::uint64_t>(back), std::bit_cast<std::uint64_t>(value));
    };
    for (double v : {0.0, -0.0, 0.1, 1.0 / 3.0, 23.0 / 24.0, 0.6250000000000001,
                     std::numeric_limits<double>::denorm_min(), std::numeric_limits<double>::min(),
                     std::numeric_limits<double>::max(), -1e300})
        check(v);
    for (int i = 0; i < 20000; ++i) {
        const double v = std::bit_cast<double>(bits());
        if (std::isfinite(v))
            check(v);
    }
}

// A comma-decimal locale must not leak into the output or the parsing.
TEST(Locale, NumbersKeepTheDecimalPointUnderACommaLocale) {
    ASSERT_NE(std::setlocale(LC_ALL, "hu_HU.UTF-8"), nullptr) << "test locale missing";
    Request request;
    const std::string row = json_row(request, ResultRow{0.5, 0.25, 0.75, Outcome::whole_line});
    const std::string shown = display_number(0.958333333333333333);
    const std::string exact = round_trip_number(1.5);
    double parsed = 0.0;
    const NumberStatus status = parse_number("2.5", parsed);
    std::setlocale(LC_ALL, "C");
    EXPECT_NE(row.find("\"position\":0.5"), std::string::npos) << row;
    EXPECT_EQ(shown, "0.958333333333333");
    EXPECT_EQ(exact, "1.5");
    EXPECT_EQ(status, NumberStatus::ok);
    EXPECT_EQ(parsed, 2.5);
}

} // namespace
