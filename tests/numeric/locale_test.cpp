// SPDX-License-Identifier: Apache-2.0
// Under a locale whose decimal point is a comma, numbers in the log and in the
// number texts keep '.' as the decimal point.

#include "numeric/error_log.h"
#include "numeric/number_list.h"
#include "numeric/number_text.h"

#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>
#include <vector>

namespace {

class CommaLocale : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(std::setlocale(LC_ALL, "hu_HU.UTF-8"), nullptr)
            << "the comma-decimal test locale is missing (LOCPATH)";
        ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    }
    void TearDown() override { std::setlocale(LC_ALL, "C"); }
};

TEST_F(CommaLocale, LogWritesNumbersWithAPoint) {
    test_support::LogFolder folder;
    test_support::FixedRequest request;
    request.position_ = 0.5;
    request.type_ = 2;
    request.lower_ = -1.5;
    request.upper_ = 2.25;
    request.moments_ = {1.0, 0.125};
    EXPECT_EQ(
        folder.thrown_code([] { throw Failure("r", "m", FailureCode::computation); }, &request), 1);
    const std::string log = folder.log();
    EXPECT_NE(log.find(test_support::cp1250("Pozíció = 0.500000\n")), std::string::npos);
    EXPECT_NE(log.find(test_support::cp1250("alsó határ = -1.500000\n")), std::string::npos);
    EXPECT_NE(log.find(test_support::cp1250("felső határ = 2.250000\n")), std::string::npos);
    EXPECT_NE(log.find(" 1. momentum = 0.125000\n"), std::string::npos);
    EXPECT_EQ(log.find(','), log.find("2001.05.14") - 2); // the banner's comma is the only one
}

TEST_F(CommaLocale, NumberTextsUseAPoint) {
    EXPECT_EQ(format_fixed(0.5), "0.500000");
    EXPECT_EQ(format_general15(0.1 + 0.2), "0.3");
    EXPECT_EQ(parse_leading_double("2.75 and more"), 2.75);
    EXPECT_EQ(parse_leading_double("2,75"), 2.0);
    double value = 0.0;
    EXPECT_TRUE(parse_whole_double(" 1.25 ", value));
    EXPECT_EQ(value, 1.25);
    EXPECT_FALSE(parse_whole_double("1,25", value));
}

TEST_F(CommaLocale, NumberListsUseAPoint) {
    EXPECT_EQ(format_number_list({0.5, 1.0 / 3, -2.5e-300}),
              "0.5\n0.3333333333333333\n-2.5e-300\n");
    const NumberList list = parse_number_list("0.5; 1.25e-3\n2,5");
    ASSERT_TRUE(list.ok());
    EXPECT_EQ(list.values, std::vector<double>({0.5, 1.25e-3, 2, 5}));
}

} // namespace
