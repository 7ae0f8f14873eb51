// SPDX-License-Identifier: Apache-2.0
// The two methods as vendrill-cli answers them: the sharp method from any
// number of moments against closed forms, its per-position status, and the
// classic method's answers as the sharp guard leaves them.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli_runner.h"

using cli_test::RunResult;
using cli_test::ScratchFolder;
using nlohmann::json;

namespace {

using Strings = std::vector<std::string>;

json run_json(const Strings& arguments) {
    ScratchFolder folder;
    Strings a = arguments;
    a.insert(a.begin(), {"--format", "json"});
    const RunResult r = cli_test::run_cli(folder.path(), a);
    EXPECT_EQ(r.status, 0) << r.err;
    return r.status == 0 ? json::parse(r.out) : json::object();
}

// ------------------------------------------- any count, against closed forms

struct ClosedForm {
    const char* name;
    Strings arguments; // support, position and moments; the method is the default
    double lower;      // the exact sharp bounds
    double upper;
};

void PrintTo(const ClosedForm& c, std::ostream* os) {
    *os << c.name;
}

class AnyCountTest : public ::testing::TestWithParam<ClosedForm> {};

// The bounds enclose the exact ones and are within the moments' rounding of
// them; every moment is used.
TEST_P(AnyCountTest, GivesTheClosedForm) {
    const ClosedForm& c = GetParam();
    const json row = run_json(c.arguments);
    ASSERT_TRUE(row.contains("lower_bound")) << row;
    const double lower = row["lower_bound"];
    const double upper = row["upper_bound"];
    EXPECT_LE(lower, c.lower) << row;
    EXPECT_GE(upper, c.upper) << row;
    EXPECT_NEAR(lower, c.lower, 1e-12) << row;
    EXPECT_NEAR(upper, c.upper, 1e-12) << row;
    EXPECT_EQ(row["status"], "sharp") << row;
    EXPECT_EQ(row["verdict"], "") << row;
}

INSTANTIATE_TEST_SUITE_P(
    Table, AnyCountTest,
    ::testing::Values(
        // M0 alone says nothing inside the support.
        ClosedForm{"OneMomentWholeLine", {"--type", "0", "--position", "0.3", "--", "1"}, 0, 1},
        ClosedForm{"OneMomentInterval", {"--type", "2", "--position", "0.3", "--", "1"}, 0, 1},
        // Markov, mean 1 on [0, inf): P(X >= 3) <= 1/3.
        ClosedForm{"Markov",
                   {"--type", "half", "--lower", "0", "--position", "3", "--", "1", "1"},
                   2.0 / 3,
                   1},
        // The mean on [0, 1]: P(X >= x) <= mu / x, P(X <= x) <= (1 - mu) / (1 - x).
        ClosedForm{"IntervalMeanBelow",
                   {"--type", "2", "--position", "0.1", "--", "1", "0.25"},
                   0,
                   0.75 / 0.9},
        ClosedForm{
            "IntervalMeanAbove", {"--type", "2", "--position", "0.5", "--", "1", "0.25"}, 0.5, 1},
        // The mean alone on the line says nothing.
        ClosedForm{"MeanWholeLine", {"--type", "0", "--position", "5", "--", "1", "2"}, 0, 1},
        // Cantelli, mean 0 and variance 1: P(X >= 2) <= 1/5, P(X <= -2) <= 1/5.
        ClosedForm{
            "CantelliAbove", {"--type", "0", "--position", "2", "--", "1", "0", "1"}, 0.8, 1},
        ClosedForm{
            "CantelliBelow", {"--type", "0", "--position", "-2", "--", "1", "0", "1"}, 0, 0.2},
        // Mean 0.5 and variance 0.05 on [0, 1]: the two-point law at 0.1 and
        // 0.625 lies inside, so P(X <= 0.1) <= 0.05 / (0.05 + 0.4^2).
        ClosedForm{"IntervalMeanVariance",
                   {"--type", "2", "--position", "0.1", "--", "1", "0.5", "0.3"},
                   0,
                   0.05 / 0.21},
        // Mean 1 and variance 1 on [0, inf), x = 0.5: the law at 0.5 and 3
        // lies inside, so Cantelli's P(X <= 0.5) <= 1 / (1 + 0.25) is sharp.
        ClosedForm{"HalfLineMeanVariance",
                   {"--type", "1", "--position", "0.5", "--", "1", "1", "2"},
                   0,
                   0.8}),
    [](const ::testing::TestParamInfo<ClosedForm>& info) { return std::string(info.param.name); });

// ------------------------------------------------------ per-position status

// The coin's moments determine it (atoms -1 and 1), but next to an atom the
// moments' rounding lets mass cross x: "exact" only where it is true, with
// the atoms in both rows.
TEST(SharpStatusPerPosition, ExactOnlyWhereThePositionIs) {
    const Strings coin = {"--", "1", "0", "1", "0", "1"};
    struct Row {
        const char* position;
        const char* status;
        const char* verdict;
    } rows[] = {
        {"0.5", "determinate", "The moments determine the distribution: the bounds are exact."},
        {"0.999999", "sharp",
         "The moments determine the distribution, but this position is next to an atom: the "
         "bounds cover the moments' rounding and are not exact."},
    };
    for (const Row& r : rows) {
        Strings arguments = {"--type", "0", "--position", r.position};
        arguments.insert(arguments.end(), coin.begin(), coin.end());
        const json row = run_json(arguments);
        EXPECT_EQ(row["status"], r.status) << row;
        EXPECT_EQ(row["verdict"], r.verdict) << row;
        EXPECT_EQ(row["atoms"].size(), 2u) << row;
    }
}

// -------------------------------------------------- the guarded classic method

// The guard's verdict replaces the outcome's in the text; the numbers are the
// library's (the drivers' table in cli_binary_test.cpp checks them in JSON).
TEST(GuardedClassic, TextShowsTheGuardsVerdictInPlaceOfTheOutcomes) {
    ScratchFolder folder;
    // Mean 2 on [0, 1]: the drivers' numbers, a true verdict, exit status 0.
    RunResult r =
        cli_test::run_cli(folder.path(), {"--method", "classic", "--no-log", "--type", "bounded",
                                          "--position", "0.5", "--", "1", "2", "4.5", "9.5", "20"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Lower bound = 0\nUpper bound = 0.181818181818182\n"
                     "These moments do not fit the chosen support.\n");
    // Off-centre moments whose classic bounds exclude possible values (the
    // estimation's guard test): widened, with the guard's verdict.
    r = cli_test::run_cli(folder.path(),
                          {"--method", "classic", "--no-log", "--type", "2", "--lower",
                           "-39.19461606421673", "--upper", "-38.51174760035478", "--position",
                           "-38.82462939323321", "--", "1.0", "-38.89782485588961",
                           "1513.0731796501377", "-58857.77883103116", "2289586.9539372274",
                           "-89067604.27135886", "3464908529.7238827"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("\nThe classic bounds were widened to stay valid for these moments.\n"),
              std::string::npos)
        << r.out;
}

} // namespace
