// SPDX-License-Identifier: Apache-2.0
// Lists of numbers as text: what counts as a separator, a comment and a
// number, the first bad item named, and written lists that read back to the
// same doubles.

#include "numeric/number_list.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

struct ListRow {
    const char* name;
    std::string text;
    std::vector<double> values; // when ok
    // The first bad item; empty when the text is a list of numbers.
    std::string bad_item;
    NumberItemStatus status = NumberItemStatus::ok;
    std::size_t index = 0;
    std::size_t line = 0;
    std::size_t items = 0; // when faulty: every item, numbers or not
};

ListRow numbers(const char* name, std::string text, std::vector<double> values) {
    return ListRow{name, std::move(text), std::move(values), "", NumberItemStatus::ok, 0, 0, 0};
}

ListRow bad(const char* name, std::string text, std::string item, NumberItemStatus status,
            std::size_t index, std::size_t line, std::size_t items) {
    return ListRow{name, std::move(text), {}, std::move(item), status, index, line, items};
}

class NumberListParse : public testing::TestWithParam<ListRow> {};

TEST_P(NumberListParse, ReadsEveryItemOrNamesTheFirstBadOne) {
    const ListRow& row = GetParam();
    const NumberList list = parse_number_list(row.text);
    if (row.bad_item.empty()) {
        ASSERT_TRUE(list.ok()) << describe_fault(list.fault);
        EXPECT_EQ(list.items, row.values.size());
        ASSERT_EQ(list.values.size(), row.values.size());
        for (std::size_t i = 0; i < row.values.size(); ++i)
            EXPECT_EQ(std::bit_cast<std::uint64_t>(list.values[i]),
                      std::bit_cast<std::uint64_t>(row.values[i]))
                << "item " << i;
        return;
    }
    ASSERT_FALSE(list.ok());
    EXPECT_TRUE(list.values.empty());
    EXPECT_EQ(list.fault.item, row.bad_item);
    EXPECT_EQ(list.fault.status, row.status);
    EXPECT_EQ(list.fault.index, row.index);
    EXPECT_EQ(list.fault.line, row.line);
    EXPECT_EQ(list.items, row.items);
}

const NumberItemStatus nan_item = NumberItemStatus::not_a_number;

INSTANTIATE_TEST_SUITE_P(
    Texts, NumberListParse,
    testing::Values(
        numbers("Blanks", " 1\t0.5  0.25 ", {1, 0.5, 0.25}),
        numbers("CommasAndSemicolons", "1,0.5;0.25,,;", {1, 0.5, 0.25}),
        numbers("LineEnds", "1\r\n0.5\n\n0.25\r\n", {1, 0.5, 0.25}),
        numbers("CommentLinesAndTails", "# moments\n1 # m0\n  # nothing\n-2e-3", {1, -2e-3}),
        numbers("FullPrecision", "0.3333333333333333 3.3333333333333e-7 2.2250738585072014e-308",
                {1.0 / 3, 3.3333333333333e-7, DBL_MIN}),
        numbers("SignsAndForms", "+1 -0 .5 5. 1E2 +2.5e-1", {1, -0.0, 0.5, 5, 100, 0.25}),
        numbers("Empty", "", {}), numbers("OnlyComments", "# a\n#b", {}),
        bad("Word", "1 0.5\n0.2 abc 7", "abc", nan_item, 3, 2, 5),
        bad("TrailingJunk", "1 0.5x", "0.5x", nan_item, 1, 1, 2),
        bad("HashInsideAnItem", "1 2#3", "2#3", nan_item, 1, 1, 2),
        bad("DecimalCommaIsTwoItemsButAColonIsNone", "0,5 1:2", "1:2", nan_item, 2, 1, 3),
        bad("DoubleSign", "1 +-2", "+-2", nan_item, 1, 1, 2),
        bad("Hexadecimal", "0x10", "0x10", nan_item, 0, 1, 1),
        bad("Infinity", "1\n\ninf", "inf", NumberItemStatus::not_finite, 1, 3, 2),
        bad("NotANumber", "nan", "nan", NumberItemStatus::not_finite, 0, 1, 1),
        bad("Overflow", "1 1e400", "1e400", NumberItemStatus::out_of_range, 1, 1, 2),
        bad("Underflow", "1 2e-324", "2e-324", NumberItemStatus::out_of_range, 1, 1, 2)),
    [](const auto& info) { return std::string(info.param.name); });

TEST(NumberListFault, DescriptionNamesTheItemItsLineAndPlace) {
    EXPECT_EQ(describe_fault(parse_number_list("1\n2 abc").fault),
              "'abc' (line 2, item 3) is not a number");
    EXPECT_EQ(describe_fault(parse_number_list("1e999").fault),
              "'1e999' (line 1, item 1) is out of the range of a double");
    // A long binary item is shortened, and bytes that would not print are '?'.
    const std::string binary = "\x01\x7f" + std::string(100, 'z');
    EXPECT_EQ(describe_fault(parse_number_list(binary).fault),
              "'??" + std::string(38, 'z') + "...' (line 1, item 1) is not a number");
}

TEST(FormatShortest, WritesTheShortestDigitsInTheLayoutOfJson) {
    const struct {
        double value;
        const char* text;
    } rows[] = {{0.5, "0.5"},
                {1.0 / 3, "0.3333333333333333"},
                {5e-4, "0.0005"},
                {1e-4, "0.0001"},
                {1e-5, "1e-05"},
                {1e-7, "1e-07"},
                {3.3333333333333e-7, "3.3333333333333e-07"},
                {1, "1"},
                {100, "100"},
                {-1234.5, "-1234.5"},
                {0.0, "0"},
                {-0.0, "-0"},
                {123456789012345.0, "123456789012345"},
                {1e15, "1e+15"},
                {DBL_MAX, "1.7976931348623157e+308"}};
    for (const auto& row : rows)
        EXPECT_EQ(format_shortest(row.value), row.text);
}

// Any finite double written in a list reads back to the same bits.
TEST(FormatNumberList, ReadsBackBitForBit) {
    std::vector<double> values = {0.1,      -0.0,    DBL_MAX,
                                  -DBL_MAX, DBL_MIN, std::numeric_limits<double>::denorm_min(),
                                  1e22,     1e23};
    std::mt19937_64 random(12);
    while (values.size() < 2000) {
        const double value = std::bit_cast<double>(random());
        if (std::isfinite(value))
            values.push_back(value);
    }
    const std::string text = format_number_list(values);
    EXPECT_EQ(text.back(), '\n');
    const NumberList back = parse_number_list(text);
    ASSERT_TRUE(back.ok()) << describe_fault(back.fault);
    ASSERT_EQ(back.values.size(), values.size());
    for (std::size_t i = 0; i < values.size(); ++i)
        ASSERT_EQ(std::bit_cast<std::uint64_t>(back.values[i]),
                  std::bit_cast<std::uint64_t>(values[i]))
            << format_shortest(values[i]);
}

} // namespace
