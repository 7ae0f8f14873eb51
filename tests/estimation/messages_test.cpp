// SPDX-License-Identifier: Apache-2.0
// The words about a classic estimation that the dialog and vendrill-cli share,
// and the historic numbers of supports and outcomes they print and read.

#include "estimation/messages.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Verdict, IsTheDialogsMessageBoxTextForEveryTypeAndOutcome) {
    const std::string none0 = "The (-inf, inf) estimation is not applicable in this case!";
    const std::string neither = "Neither type of the estimations was applicable!";
    const std::string whole = "The (-inf, inf) estimation gave the tightest bounds.";
    const std::string half = "The [a, inf) estimation gave the tightest bounds.";
    EXPECT_EQ(outcome_message(Support::whole, Outcome::none), none0);
    EXPECT_EQ(outcome_message(Support::whole, Outcome::whole_line), std::string());
    EXPECT_EQ(outcome_message(Support::half, Outcome::none), neither);
    EXPECT_EQ(outcome_message(Support::half, Outcome::whole_line), whole);
    EXPECT_EQ(outcome_message(Support::half, Outcome::half_line), std::string());
    EXPECT_EQ(outcome_message(Support::interval, Outcome::none), neither);
    EXPECT_EQ(outcome_message(Support::interval, Outcome::whole_line), whole);
    EXPECT_EQ(outcome_message(Support::interval, Outcome::half_line), half);
    EXPECT_EQ(outcome_message(Support::interval, Outcome::interval), std::string());
}

TEST(RequestChecks, CountAndZerothMomentMessages) {
    EXPECT_EQ(too_few_moments_message(Support::whole), "Enter at least 3 moments!");
    EXPECT_EQ(too_few_moments_message(Support::half), "Enter at least 4 moments!");
    EXPECT_EQ(too_few_moments_message(Support::interval), "Enter at least 5 moments!");
    EXPECT_STREQ(zeroth_moment_message, "The 0th moment must equal to 1!");
}

// The numbers the radio buttons, the log's type rows, --type and the
// results' "outcome" use.
TEST(HistoricNumbers, RoundTripAndRejectTheRest) {
    for (const Support support : {Support::whole, Support::half, Support::interval})
        EXPECT_EQ(support_from_index(support_index(support)), support);
    EXPECT_EQ(support_index(Support::interval), 2);
    for (const int index : {-1, 3, 10})
        EXPECT_EQ(support_from_index(index), std::nullopt) << index;
    EXPECT_EQ(outcome_index(Outcome::none), 0);
    EXPECT_EQ(outcome_index(Outcome::whole_line), 1);
    EXPECT_EQ(outcome_index(Outcome::half_line), 2);
    EXPECT_EQ(outcome_index(Outcome::interval), 3);
}

} // namespace
