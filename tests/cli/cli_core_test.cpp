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
#include <vector>

#include "cli/output.h"
#include "cli/request.h"
#include "estimation/tail_bounds.h"

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

// The rows are written field by field; they must be the text that the JSON
// library makes of the same object, byte for byte.
nlohmann::ordered_json expected_row(const Request& request, const SharpAnalysis* analysis,
                                    const ResultRow& row) {
    nlohmann::ordered_json o;
    o["type"] = support_index(request.support);
    o["position"] = row.position;
    o["lower"] = nullptr;
    if (request.support != Support::whole)
        o["lower"] = request.lower;
    o["upper"] = nullptr;
    if (request.support == Support::interval)
        o["upper"] = request.upper;
    o["lower_bound"] = row.lower_bound;
    o["upper_bound"] = row.upper_bound;
    o["upper_tail_max"] = upper_tail_max(row.lower_bound);
    o["upper_tail_min"] = upper_tail_min(row.upper_bound);
    if (analysis == nullptr) {
        o["outcome"] = outcome_index(row.outcome);
        o["verdict"] = verdict_message(request.support, row.outcome, row.guard);
        return o;
    }
    o["method"] = "sharp";
    o["status"] = status_name(row.status);
    o["moments_used"] = analysis->moments_used;
    o["verdict"] = sharp_verdict_text(*analysis, row.status);
    if (analysis->status == SharpStatus::determinate) {
        nlohmann::ordered_json atoms = nlohmann::ordered_json::array();
        for (const SharpAtom& atom : analysis->atoms)
            atoms.push_back({atom.point, atom.mass});
        o["atoms"] = std::move(atoms);
    }
    return o;
}

// What a ResultWriter writes for these rows (one FILE in memory).
std::string written(const Request& request, const SharpAnalysis* analysis,
                    const std::vector<ResultRow>& rows) {
    char* buffer = nullptr;
    std::size_t size = 0;
    std::FILE* out = open_memstream(&buffer, &size);
    {
        ResultWriter writer(out, request, rows.size(), analysis);
        writer.begin();
        for (const ResultRow& row : rows)
            writer.write(row);
        writer.end();
    }
    std::fclose(out);
    std::string text(buffer, size);
    std::free(buffer);
    return text;
}

struct StreamCase {
    const char* name;
    Support support;
    std::vector<double> moments; // empty: the classic method
};

class JsonStream : public ::testing::TestWithParam<StreamCase> {};

TEST_P(JsonStream, RowsAreTheSerialisedObjects) {
    const StreamCase& c = GetParam();
    Request request;
    request.support = c.support;
    request.format = OutputFormat::json;
    request.lower = -0.0;
    request.upper = 1e21;
    std::optional<SharpAnalysis> analysis;
    if (!c.moments.empty())
        analysis = analyse_moments(c.support, 0.0, 1.0, c.moments.data(),
                                   static_cast<int>(c.moments.size()));
    const SharpAnalysis* sharp = analysis ? &*analysis : nullptr;
    // Numbers of every form the writer meets: integral, tiny, huge, negative
    // zero, subnormal, and random bits; statuses and outcomes of every kind.
    std::vector<double> values = {0.0,  -0.0, 1.0, 0.5,  1e-7, 1.5e-300,   5e-324,
                                  1e21, 1e-5, 0.1, 1e15, 1e16, 123456789.0};
    std::mt19937_64 bits(15);
    while (values.size() < 400) {
        const double v = std::bit_cast<double>(bits());
        if (std::isfinite(v))
            values.push_back(v);
    }
    std::vector<ResultRow> rows;
    for (std::size_t i = 0; i < values.size(); ++i) {
        ResultRow row{values[i], std::fabs(values[(i + 1) % values.size()]) * 1e-300,
                      values[(i * 7) % values.size()]};
        row.outcome = static_cast<Outcome>(i % 4);
        row.guard = static_cast<GuardVerdict>(i % 3);
        row.status = static_cast<SharpStatus>(i % 4);
        rows.push_back(row);
    }
    std::string expected_array = "[\n";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::string expected = expected_row(request, sharp, rows[i]).dump();
        const std::string row =
            sharp ? sharp_json_row(request, *sharp, rows[i]) : json_row(request, rows[i]);
        ASSERT_EQ(row, expected) << i;
        expected_array += (i == 0 ? "" : ",\n") + expected;
    }
    expected_array += "\n]\n";
    const std::string stream = written(request, sharp, rows);
    EXPECT_TRUE(stream == expected_array);
    EXPECT_EQ(nlohmann::json::parse(stream).size(), rows.size());
    // One position: one object and a line end.
    EXPECT_EQ(written(request, sharp, {rows[3]}),
              expected_row(request, sharp, rows[3]).dump() + "\n");
}

INSTANTIATE_TEST_SUITE_P(
    Rows, JsonStream,
    ::testing::Values(StreamCase{"classic_whole", Support::whole, {}},
                      StreamCase{"classic_half", Support::half, {}},
                      StreamCase{"classic_interval", Support::interval, {}},
                      StreamCase{"sharp_uniform", Support::interval, {1, 0.5, 1.0 / 3, 0.25, 0.2}},
                      StreamCase{"determinate_coin", Support::whole, {1, 0, 1, 0, 1}},
                      StreamCase{"infeasible", Support::half, {1, -1, 1}}),
    [](const ::testing::TestParamInfo<StreamCase>& info) { return std::string(info.param.name); });

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
