// SPDX-License-Identifier: Apache-2.0
// Hostile but well-formed requests: the tool either computes (status 0) or
// refuses (status 2), never crashes, and its bounds stay in range.

#include <gtest/gtest.h>

#include <cmath>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli_runner.h"

namespace {

struct Hostile {
    const char* name;
    std::vector<std::string> arguments;
    int status;
};

// A classic request (the sharp method's hostile table is with its tests).
std::vector<std::string> request(std::vector<std::string> options,
                                 const std::vector<std::string>& moments) {
    options.insert(options.begin(), {"--method", "classic"});
    options.push_back("--format");
    options.push_back("json");
    options.push_back("--");
    options.insert(options.end(), moments.begin(), moments.end());
    return options;
}

std::vector<std::string> uniform_moments(int count) {
    std::vector<std::string> m;
    for (int k = 0; k < count; ++k)
        m.push_back(std::to_string(1.0 / (k + 1)));
    m[0] = "1";
    return m;
}

std::vector<std::string> three_atom_moments(int count) {
    std::vector<std::string> m;
    for (int k = 0; k < count; ++k)
        m.push_back(std::to_string(0.3 * std::pow(0.2, k) + 0.4 * std::pow(0.5, k) +
                                   0.3 * std::pow(0.8, k)));
    m[0] = "1";
    return m;
}

void PrintTo(const Hostile& c, std::ostream* os) {
    *os << c.name;
}

class HostileRequestTest : public ::testing::TestWithParam<Hostile> {};

TEST_P(HostileRequestTest, ComputesOrRefusesWithoutCrashing) {
    const Hostile& c = GetParam();
    cli_test::ScratchFolder folder;
    const cli_test::RunResult r = cli_test::run_cli(folder.path(), c.arguments);
    ASSERT_TRUE(r.exited) << "killed by signal " << -r.status << "\n" << r.err;
    ASSERT_EQ(r.status, c.status) << r.err;
    if (c.status != 0) {
        EXPECT_EQ(r.out, "");
        return;
    }
    nlohmann::json rows = nlohmann::json::parse(r.out);
    if (rows.is_object())
        rows = nlohmann::json::array({rows});
    for (const auto& row : rows) {
        // nlohmann writes NaN and infinity as null, which get<double> rejects.
        ASSERT_TRUE(row["lower_bound"].is_number()) << row;
        ASSERT_TRUE(row["upper_bound"].is_number()) << row;
        const double lower = row["lower_bound"].get<double>();
        const double upper = row["upper_bound"].get<double>();
        EXPECT_GE(lower, -1e-8) << row;
        EXPECT_LE(upper, 1.00000001) << row;
        EXPECT_LE(lower, 1.00000001) << row;
        EXPECT_GE(upper, -1e-8) << row;
        if (row["outcome"] == 0) {
            EXPECT_EQ(lower, 0.0) << row;
            EXPECT_EQ(upper, 1.0) << row;
        }
    }
}

const std::vector<std::string> whole = {"--type", "0", "--position", "0.5"};
const std::vector<std::string> bounded_at_half = {"--type", "2", "--position", "0.5"};

INSTANTIATE_TEST_SUITE_P(
    Table, HostileRequestTest,
    ::testing::Values(
        Hostile{"NoMoments", request(whole, {}), 2}, Hostile{"OneMoment", request(whole, {"1"}), 2},
        Hostile{"TwoMoments", request(whole, {"1", "0"}), 2},
        Hostile{"HugeMoments", request(whole, {"1", "1e300", "1e300"}), 0},
        Hostile{"HugeAlternating",
                request(bounded_at_half, {"1", "-1e300", "1e300", "-1e300", "1e300"}), 0},
        Hostile{"HugePositions",
                request({"--type", "1", "--positions", "-1e300:1e300:3"},
                        {"1", "0.5", "0.3", "0.2", "0.15"}),
                0},
        Hostile{"Denormals",
                request(bounded_at_half, {"1", "4.9e-324", "1e-310", "5e-324", "1e-320"}), 0},
        Hostile{"TwoHundredUniform", request(bounded_at_half, uniform_moments(200)), 0},
        Hostile{"TwoHundredThreeAtom",
                request({"--type", "1", "--position", "0.35"}, three_atom_moments(200)), 0},
        Hostile{"AtAndOutsideTheEnds",
                request({"--type", "2", "--lower", "0", "--upper", "1", "--position", "0",
                         "--position", "1", "--position", "-1", "--position", "2"},
                        uniform_moments(9)),
                0},
        Hostile{"LowerAboveUpper",
                request({"--type", "2", "--lower", "1", "--upper", "0", "--position", "0.5"},
                        uniform_moments(7)),
                0},
        Hostile{"LowerEqualsUpper",
                request({"--type", "2", "--lower", "0.5", "--upper", "0.5", "--position", "0.5"},
                        uniform_moments(7)),
                0},
        Hostile{"NotADistribution",
                request({"--type", "2", "--position", "0.5"}, {"1", "2", "1", "5", "-3"}), 0}),
    [](const ::testing::TestParamInfo<Hostile>& info) { return std::string(info.param.name); });

} // namespace
