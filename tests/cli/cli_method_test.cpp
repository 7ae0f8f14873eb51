// The two methods as vendrill-cli answers them: the sharp method from any
// number of moments against closed forms, its per-position status, and the
// classic method's answers as the sharp guard leaves them.

#include <gtest/gtest.h>

#include <algorithm>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli_runner.h"
#include "estimation/estimate.h"

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

struct Guarded {
    const char* name;
    Strings arguments; // support, position and moments
    std::string verdict;
    // Values the bounds must hold: L <= below_at_most, U >= above_at_least.
    double below_at_most;
    double above_at_least;
};

void PrintTo(const Guarded& c, std::ostream* os) {
    *os << c.name;
}

class GuardedClassicTest : public ::testing::TestWithParam<Guarded> {};

// The guard's verdict replaces the outcome's; the outcome code and the
// numbers are the library's entry point's.
TEST_P(GuardedClassicTest, PrintsTheGuardsVerdictAndTheLibrarysNumbers) {
    const Guarded& c = GetParam();
    Strings arguments = c.arguments;
    arguments.insert(arguments.begin(), {"--method", "classic", "--no-log"});
    const json row = run_json(arguments);
    ASSERT_TRUE(row.contains("outcome")) << row;
    EXPECT_EQ(row["verdict"], c.verdict);
    EXPECT_LE(row["lower_bound"].get<double>(), c.below_at_most) << row;
    EXPECT_GE(row["upper_bound"].get<double>(), c.above_at_least) << row;

    std::vector<double> moments;
    for (auto it = std::find(c.arguments.begin(), c.arguments.end(), "--") + 1;
         it != c.arguments.end(); ++it)
        moments.push_back(std::stod(*it));
    auto option = [&](const char* name, double otherwise) {
        const auto it = std::find(c.arguments.begin(), c.arguments.end(), name);
        return it == c.arguments.end() ? otherwise : std::stod(*(it + 1));
    };
    EstimationContext quiet = cli_test::quiet_context();
    const Estimate expected = estimate(
        *support_from_index(row["type"].get<int>()), option("--position", 0), option("--lower", 0),
        option("--upper", 1), moments.data(), static_cast<int>(moments.size()), quiet);
    EXPECT_EQ(row["lower_bound"].get<double>(), expected.lower_bound);
    EXPECT_EQ(row["upper_bound"].get<double>(), expected.upper_bound);
    EXPECT_EQ(row["outcome"], outcome_index(expected.outcome));
}

INSTANTIATE_TEST_SUITE_P(
    Table, GuardedClassicTest,
    ::testing::Values(
        // Two 7-atom laws on the interval whose moments round to exactly these
        // doubles have P(X < x) = 0.3701 and P(X <= x) = 0.8178; the drivers
        // alone answer [0.4088, 0.7716].
        Guarded{"OffCentreWidened",
                {"--type", "2", "--lower", "-39.19461606421673", "--upper", "-38.51174760035478",
                 "--position", "-38.82462939323321", "--", "1.0", "-38.89782485588961",
                 "1513.0731796501377", "-58857.77883103116", "2289586.9539372274",
                 "-89067604.27135886", "3464908529.7238827"},
                "The classic bounds were widened to stay valid for these moments.",
                0.3701,
                0.8178},
        // Mean 2 on [0, 1]: the drivers' numbers, a true verdict, exit 0.
        Guarded{"MeanTwoOnTheUnitInterval",
                {"--type", "bounded", "--position", "0.5", "--", "1", "2", "4.5", "9.5", "20"},
                "These moments do not fit the chosen support.",
                0,
                0.18},
        // Uniform on [0, 1]: nothing to mend, the outcome's verdict stays.
        Guarded{"UniformUnchanged",
                {"--type", "2", "--position", "0.3", "--", "1", "0.5", "0.3333333333333333", "0.25",
                 "0.2", "0.16666666666666666", "0.14285714285714285"},
                "The (-inf, inf) estimation gave the tightest bounds.",
                1,
                0}),
    [](const ::testing::TestParamInfo<Guarded>& info) { return std::string(info.param.name); });

TEST(GuardedClassic, TextShowsTheGuardsVerdictInPlaceOfTheOutcomes) {
    ScratchFolder folder;
    const RunResult r =
        cli_test::run_cli(folder.path(), {"--method", "classic", "--no-log", "--type", "bounded",
                                          "--position", "0.5", "--", "1", "2", "4.5", "9.5", "20"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Lower bound = 0\nUpper bound = 0.181818181818182\n"
                     "These moments do not fit the chosen support.\n");
}

} // namespace
