// SPDX-License-Identifier: Apache-2.0
// vendrill-cli --method sharp through the real binary: the worked examples,
// the extra JSON fields and their exact read-back, the CSV status column, the
// statuses' exit codes, one analysis for many positions, and the sharp
// method as the default.

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "cli/output.h"
#include "cli_runner.h"
#include "sharp/sharp.h"

using cli_test::RunResult;
using cli_test::ScratchFolder;
using nlohmann::json;

namespace {

using Strings = std::vector<std::string>;

const Strings coin = {"1", "0", "1", "0", "1"};
const Strings uniform5 = {"1", "0.5", "0.3333333333333333", "0.25", "0.2"};

// Moments of the uniform distribution on [-h, h].
Strings narrow_uniform(int count, double h = 5e-4) {
    Strings m;
    for (int k = 0; k < count; ++k)
        m.push_back(k % 2 ? "0" : vendrill::cli::round_trip_number(std::pow(h, k) / (k + 1)));
    m[0] = "1";
    return m;
}

// Moments of {0.2: 0.3, 0.5: 0.4, 0.8: 0.3}.
Strings three_atoms(int count) {
    Strings m;
    for (int k = 0; k < count; ++k)
        m.push_back(vendrill::cli::round_trip_number(
            0.3 * std::pow(0.2, k) + 0.4 * std::pow(0.5, k) + 0.3 * std::pow(0.8, k)));
    m[0] = "1";
    return m;
}

// A sharp request: support, positions, format, then the moments after --.
struct Sharp {
    Support support = Support::whole;
    double lower = 0.0;
    double upper = 1.0;
    Strings positions;
    Strings moments;
};

Strings command_line(const Sharp& c, const std::string& format,
                     const std::string& method = "sharp") {
    Strings a = {"--type",   std::to_string(support_index(c.support)),
                 "--lower",  vendrill::cli::round_trip_number(c.lower),
                 "--upper",  vendrill::cli::round_trip_number(c.upper),
                 "--format", format};
    if (!method.empty()) {
        a.push_back("--method");
        a.push_back(method);
    }
    for (const std::string& p : c.positions) {
        a.push_back("--position");
        a.push_back(p);
    }
    a.push_back("--");
    a.insert(a.end(), c.moments.begin(), c.moments.end());
    return a;
}

std::vector<double> numbers(const Strings& texts) {
    std::vector<double> values;
    for (const std::string& t : texts)
        values.push_back(std::stod(t));
    return values;
}

json rows_of(const std::string& out) {
    json rows = json::parse(out);
    return rows.is_array() ? rows : json::array({rows});
}

std::uint64_t bits(double value) {
    return std::bit_cast<std::uint64_t>(value);
}

// ------------------------------------------------------------ worked examples

// The method's worked examples; their values live with the library's tests
// (the sharp examples suite), and the tool must give exactly what the library
// gives for the same numbers.
struct Worked {
    const char* name;
    Sharp request;
};

class SharpWorkedExampleTest : public ::testing::TestWithParam<Worked> {};

TEST_P(SharpWorkedExampleTest, GivesTheDesignsBoundsAndStatus) {
    const Worked& c = GetParam();
    ScratchFolder folder;
    const RunResult r = cli_test::run_cli(folder.path(), command_line(c.request, "json"));
    ASSERT_TRUE(r.exited);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const json row = json::parse(r.out);
    const std::vector<double> moments = numbers(c.request.moments);
    const SharpAnalysis analysis =
        analyse_moments(c.request.support, c.request.lower, c.request.upper, moments.data(),
                        static_cast<int>(moments.size()));
    const SharpBounds expected = sharp_bounds_at(analysis, std::stod(c.request.positions[0]));
    EXPECT_EQ(bits(row["lower_bound"].get<double>()), bits(expected.lower_bound)) << row;
    EXPECT_EQ(bits(row["upper_bound"].get<double>()), bits(expected.upper_bound)) << row;
    EXPECT_EQ(row["status"], status_name(analysis.status));
    EXPECT_EQ(row["moments_used"], analysis.moments_used);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SharpWorkedExampleTest,
    ::testing::Values(
        Worked{"CoinBelowBothAtoms", {Support::whole, 0, 1, {"-0.3"}, coin}},
        Worked{"CoinBetweenAtoms", {Support::whole, 0, 1, {"0.5"}, coin}},
        Worked{"CoinOnAnAtom", {Support::whole, 0, 1, {"1"}, coin}},
        Worked{"Uniform5At01", {Support::interval, 0, 1, {"0.1"}, uniform5}},
        Worked{"Uniform5At02", {Support::interval, 0, 1, {"0.2"}, uniform5}},
        Worked{"Uniform5AtHalf", {Support::interval, 0, 1, {"0.5"}, uniform5}},
        Worked{"NarrowUniformAtCentre", {Support::whole, 0, 1, {"0"}, narrow_uniform(11)}},
        Worked{"NarrowUniformOffCentre", {Support::whole, 0, 1, {"9.6225e-5"}, narrow_uniform(11)}},
        Worked{"NarrowUniformWiderInterval",
               {Support::interval, -6e-4, 7e-4, {"-4.90748e-4"}, narrow_uniform(7)}}),
    [](const ::testing::TestParamInfo<Worked>& info) { return std::string(info.param.name); });

// ------------------------------------------------ JSON fields and read-back

TEST(SharpJson, DeterminateRowHasTheDocumentedKeysAndTheAtoms) {
    ScratchFolder folder;
    const RunResult r = cli_test::run_cli(
        folder.path(), command_line({Support::whole, 0, 1, {"-0.3"}, coin}, "json"));
    ASSERT_EQ(r.status, 0) << r.err;
    // ordered_json keeps the keys in the order the binary wrote them.
    const auto row = nlohmann::ordered_json::parse(r.out);
    Strings keys;
    for (const auto& item : row.items())
        keys.push_back(item.key());
    EXPECT_EQ(keys, (Strings{"type", "position", "lower", "upper", "lower_bound", "upper_bound",
                             "upper_tail_max", "upper_tail_min", "method", "status", "moments_used",
                             "verdict", "atoms"}));
    EXPECT_EQ(row["method"], "sharp");
    EXPECT_EQ(row["verdict"], "The moments determine the distribution: the bounds are exact.");
    const json& atoms = row["atoms"];
    ASSERT_EQ(atoms.size(), 2u) << atoms;
    const double expected[2][2] = {{-1.0, 0.5}, {1.0, 0.5}};
    for (std::size_t i = 0; i < 2; ++i) {
        ASSERT_EQ(atoms[i].size(), 2u) << atoms;
        EXPECT_NEAR(atoms[i][0].get<double>(), expected[i][0], 1e-12) << atoms;
        EXPECT_NEAR(atoms[i][1].get<double>(), expected[i][1], 1e-12) << atoms;
    }
}

TEST(SharpJson, VerdictAndAtomsFollowTheStatus) {
    ScratchFolder folder;
    struct Case {
        Sharp request;
        const char* status;
        std::string verdict;
    };
    Strings forty_uniform;
    for (int k = 0; k < 40; ++k)
        forty_uniform.push_back(vendrill::cli::round_trip_number(1.0 / (k + 1)));
    const Case cases[] = {
        {{Support::interval, 0, 1, {"0.3"}, uniform5}, "sharp", ""},
        {{Support::whole, 0, 1, {"0.3"}, forty_uniform}, "sharp", "Only the first "},
        {{Support::interval, 0, 1, {"0.3"}, {"1", "2", "5", "10", "30"}},
         "infeasible",
         "These moments do not fit the chosen support."},
    };
    for (const Case& c : cases) {
        const RunResult r = cli_test::run_cli(folder.path(), command_line(c.request, "json"));
        ASSERT_EQ(r.status, 0) << r.err;
        const json row = json::parse(r.out);
        EXPECT_EQ(row["status"], c.status) << row;
        EXPECT_FALSE(row.contains("atoms")) << row;
        EXPECT_FALSE(row.contains("outcome")) << row;
        const std::string verdict = row["verdict"];
        if (c.verdict == "Only the first ") {
            const int used = row["moments_used"];
            EXPECT_LT(used, 40) << row;
            EXPECT_EQ(verdict,
                      "Only the first " + std::to_string(used) + " moments could be used.");
        } else {
            EXPECT_EQ(verdict, c.verdict);
        }
    }
}

class SharpMatchesLibraryTest : public ::testing::TestWithParam<Sharp> {};

void PrintTo(const Sharp& c, std::ostream* os) {
    *os << "type " << support_index(c.support) << ", " << c.moments.size() << " moments at "
        << c.positions.front();
}

// Every number the binary prints reads back bit for bit as the value the
// sharp library computes in this process for the same request.
TEST_P(SharpMatchesLibraryTest, JsonNumbersAreTheLibrarysValuesExactly) {
    const Sharp& c = GetParam();
    ScratchFolder folder;
    const RunResult r = cli_test::run_cli(folder.path(), command_line(c, "json"));
    ASSERT_EQ(r.status, 0) << r.err;
    const json rows = rows_of(r.out);
    ASSERT_EQ(rows.size(), c.positions.size());

    const std::vector<double> moments = numbers(c.moments);
    const SharpAnalysis analysis = analyse_moments(c.support, c.lower, c.upper, moments.data(),
                                                   static_cast<int>(moments.size()));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const json& row = rows[i];
        const double x = std::stod(c.positions[i]);
        const SharpBounds expected = sharp_bounds_at(analysis, x);
        EXPECT_EQ(bits(row["position"].get<double>()), bits(x));
        EXPECT_EQ(bits(row["lower_bound"].get<double>()), bits(expected.lower_bound)) << row;
        EXPECT_EQ(bits(row["upper_bound"].get<double>()), bits(expected.upper_bound)) << row;
        EXPECT_EQ(row["status"], status_name(expected.status));
        EXPECT_EQ(row["moments_used"], analysis.moments_used);
        EXPECT_EQ(row["verdict"], vendrill::cli::sharp_verdict_text(analysis, expected.status));
        if (analysis.status != SharpStatus::determinate) {
            EXPECT_FALSE(row.contains("atoms"));
            continue;
        }
        ASSERT_EQ(row["atoms"].size(), analysis.atoms.size()) << row;
        for (std::size_t k = 0; k < analysis.atoms.size(); ++k) {
            EXPECT_EQ(bits(row["atoms"][k][0].get<double>()), bits(analysis.atoms[k].point));
            EXPECT_EQ(bits(row["atoms"][k][1].get<double>()), bits(analysis.atoms[k].mass));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, SharpMatchesLibraryTest,
    ::testing::Values(
        Sharp{Support::whole, 0, 1, {"-0.3", "0.5", "1", "-1"}, coin},
        Sharp{Support::interval, 0, 1, {"0.1", "0.35", "0.65", "0.9"}, uniform5},
        Sharp{Support::interval, 0, 1, {"0.2", "0.35", "0.5", "0.65", "0.8"}, three_atoms(9)},
        Sharp{Support::half, 0.1, 1, {"0.3", "0.5", "2"}, three_atoms(6)},
        Sharp{Support::whole, 0, 1, {"0", "1e-4"}, narrow_uniform(11)},
        Sharp{Support::interval, 0, 1, {"0.5"}, {"1", "2", "5", "10", "30"}},
        Sharp{Support::whole, 0, 1, {"0.5"}, {"1", "2", "1"}}));

// ------------------------------------------------------------ other formats

TEST(SharpCsv, HeaderEndsWithStatusAndEveryLineCarriesIt) {
    ScratchFolder folder;
    const Sharp request{Support::whole, 0, 1, {"-0.3", "1", "2"}, coin};
    const RunResult csv = cli_test::run_cli(folder.path(), command_line(request, "csv"));
    ASSERT_EQ(csv.status, 0) << csv.err;
    const json rows = rows_of(cli_test::run_cli(folder.path(), command_line(request, "json")).out);
    const std::string header =
        "position,lower_bound,upper_bound,upper_tail_max,upper_tail_min,status\n";
    std::string expected = header;
    for (const json& row : rows) {
        for (const char* key :
             {"position", "lower_bound", "upper_bound", "upper_tail_max", "upper_tail_min"})
            expected += vendrill::cli::round_trip_number(row[key].get<double>()) + ",";
        expected += "determinate\n";
    }
    EXPECT_EQ(csv.out, expected);

    const RunResult infeasible = cli_test::run_cli(
        folder.path(),
        command_line({Support::interval, 0, 1, {"0.5"}, {"1", "2", "5", "10", "30"}}, "csv"));
    EXPECT_EQ(infeasible.out, header + "0.5,0,1,1,0,infeasible\n");
}

TEST(SharpText, ShowsTheLabelledBoundsAndTheVerdictWhenThereIsOne) {
    ScratchFolder folder;
    RunResult r = cli_test::run_cli(
        folder.path(), command_line({Support::interval, 0, 1, {"0.5"}, uniform5}, "text"));
    // 5/18 and 13/18, widened by what 4-ulp changes of the moments allow.
    EXPECT_EQ(r.out, "Lower bound = 0.277777777777748\nUpper bound = 0.722222222222246\n");
    r = cli_test::run_cli(
        folder.path(),
        command_line({Support::interval, 0, 1, {"0.5", "2"}, {"1", "2", "5", "10", "30"}}, "text"));
    EXPECT_EQ(r.out, "Position = 0.5\nLower bound = 0\nUpper bound = 1\n"
                     "These moments do not fit the chosen support.\n\n"
                     "Position = 2\nLower bound = 0\nUpper bound = 1\n"
                     "These moments do not fit the chosen support.\n");
    // One atom at 2: exact to 1e-9; within their tolerance the moments
    // allow a variance of ~1e-14, which can put that much mass beyond 3.
    r = cli_test::run_cli(
        folder.path(),
        command_line({Support::whole, 0, 1, {"3"}, {"1", "2", "4", "8", "16"}}, "text"));
    EXPECT_EQ(r.out, "Lower bound = 0.999999999999988\nUpper bound = 1\n"
                     "The moments determine the distribution: the bounds are exact.\n");
}

// ---------------------------------------------------- statuses and the log

// Infeasible moments are a computed answer: status 0, the verdict in the
// output, nothing on standard error and, unlike the classic method, which
// logs a report for 1 2 1, no error log anywhere.
TEST(SharpStatus, InfeasibleExitsZeroAndNothingIsLogged) {
    const Strings infeasible_whole = {"--type", "0", "--method", "sharp", "--position",
                                      "1",      "1", "2",        "1"};
    for (const Strings& extra :
         {Strings{}, Strings{"--log", "logs/cli.log"}, Strings{"--no-log"}}) {
        ScratchFolder folder;
        std::filesystem::create_directory(folder / "logs");
        Strings arguments = extra;
        arguments.insert(arguments.end(), infeasible_whole.begin(), infeasible_whole.end());
        const RunResult r = cli_test::run_cli(folder.path(), arguments);
        ASSERT_TRUE(r.exited);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out, "Lower bound = 0\nUpper bound = 1\n"
                         "These moments do not fit the chosen support.\n");
        EXPECT_EQ(r.err, "");
        EXPECT_FALSE(std::filesystem::exists(folder / "error.log"));
        EXPECT_TRUE(std::filesystem::is_empty(folder / "logs"));
    }
}

// ------------------------------------------------------- many positions

// A range and repeated --position share one analysis; each row must equal
// the run of that position alone, in every format.
TEST(SharpPositions, ManyPositionsEqualSinglePositionRuns) {
    ScratchFolder folder;
    const Strings base = {"--type",     "2",    "--method",    "sharp",
                          "--position", "0.37", "--positions", "-0.1:1.1:13"};
    const Strings moments = three_atoms(9);
    auto run = [&](Strings arguments, const std::string& format) {
        arguments.push_back("--format");
        arguments.push_back(format);
        arguments.push_back("--");
        arguments.insert(arguments.end(), moments.begin(), moments.end());
        const RunResult r = cli_test::run_cli(folder.path(), arguments);
        EXPECT_EQ(r.status, 0) << r.err;
        return r.out;
    };
    const json many = json::parse(run(base, "json"));
    ASSERT_EQ(many.size(), 14u);
    std::istringstream csv_lines(run(base, "csv"));
    std::string header;
    std::getline(csv_lines, header);
    for (std::size_t i = 0; i < many.size(); ++i) {
        const std::string x = vendrill::cli::round_trip_number(many[i]["position"].get<double>());
        const Strings single = {"--type", "2", "--method", "sharp", "--position", x};
        EXPECT_EQ(json::parse(run(single, "json")), many[i]) << x;
        std::string line;
        std::getline(csv_lines, line);
        const std::string single_csv = run(single, "csv");
        EXPECT_EQ(single_csv.substr(single_csv.find('\n') + 1), line + "\n") << x;
    }
}

// ------------------------------------------------------ the default method

// The sharp method is the default: leaving --method out gives the bytes of
// --method sharp on every stream and writes no error log, while --method
// classic answers with the classic rows and logs its failed attempts.
TEST(DefaultMethod, IsTheSharpMethodAndClassicIsOneFlagAway) {
    const Sharp requests[] = {
        {Support::whole, 0, 1, {"1", "3"}, {"1", "0", "1"}},
        {Support::whole, 0, 1, {"1.5"}, {"1", "2", "1"}},
        {Support::half, 0, 1, {"1"}, {"1", "0.5", "1", "3"}},
        {Support::interval, -2, 1, {"-3", "-1.5", "0.5"}, {"1", "-0.25", "1.25", "-1.75", "4.25"}},
        {Support::interval, 0, 1, {"0.35", "0.65"}, three_atoms(9)},
    };
    for (const Sharp& request : requests)
        for (const char* format : {"text", "json", "csv"}) {
            ScratchFolder implicit_folder;
            ScratchFolder explicit_folder;
            ScratchFolder classic_folder;
            const RunResult implicit =
                cli_test::run_cli(implicit_folder.path(), command_line(request, format, ""));
            const RunResult explicit_sharp =
                cli_test::run_cli(explicit_folder.path(), command_line(request, format, "sharp"));
            const RunResult classic =
                cli_test::run_cli(classic_folder.path(), command_line(request, format, "classic"));
            EXPECT_EQ(implicit.status, 0);
            EXPECT_EQ(explicit_sharp.status, implicit.status);
            EXPECT_EQ(explicit_sharp.out, implicit.out) << format;
            EXPECT_EQ(explicit_sharp.err, implicit.err) << format;
            EXPECT_FALSE(std::filesystem::exists(implicit_folder / "error.log"));
            EXPECT_EQ(classic.status, 0);
            if (std::string(format) == "json") {
                EXPECT_NE(implicit.out.find("\"method\":\"sharp\""), std::string::npos);
                EXPECT_NE(classic.out.find("\"outcome\""), std::string::npos);
                EXPECT_EQ(classic.out.find("sharp"), std::string::npos);
            }
        }
}

// ------------------------------------------------------- hostile requests

struct SharpHostile {
    const char* name;
    Strings options;
    Strings moments;
    int status;
};

void PrintTo(const SharpHostile& c, std::ostream* os) {
    *os << c.name;
}

class SharpHostileTest : public ::testing::TestWithParam<SharpHostile> {};

// The sharp method computes or refuses, never crashes, and keeps
// 0 <= L <= U <= 1 whatever the moments.
TEST_P(SharpHostileTest, ComputesOrRefusesWithBoundsInOrder) {
    const SharpHostile& c = GetParam();
    ScratchFolder folder;
    Strings arguments = c.options;
    for (const char* a : {"--method", "sharp", "--format", "json", "--"})
        arguments.push_back(a);
    arguments.insert(arguments.end(), c.moments.begin(), c.moments.end());
    const RunResult r = cli_test::run_cli(folder.path(), arguments);
    ASSERT_TRUE(r.exited) << "killed by signal " << -r.status;
    ASSERT_EQ(r.status, c.status) << r.err;
    EXPECT_FALSE(std::filesystem::exists(folder / "error.log"));
    if (c.status != 0) {
        EXPECT_EQ(r.out, "");
        return;
    }
    for (const json& row : rows_of(r.out)) {
        ASSERT_TRUE(row["lower_bound"].is_number() && row["upper_bound"].is_number()) << row;
        const double lower = row["lower_bound"].get<double>();
        const double upper = row["upper_bound"].get<double>();
        EXPECT_GE(lower, 0.0) << row;
        EXPECT_LE(lower, upper) << row;
        EXPECT_LE(upper, 1.0) << row;
    }
}

Strings uniform_moments(int count) {
    Strings m;
    for (int k = 0; k < count; ++k)
        m.push_back(vendrill::cli::round_trip_number(1.0 / (k + 1)));
    return m;
}

INSTANTIATE_TEST_SUITE_P(
    Table, SharpHostileTest,
    ::testing::Values(
        SharpHostile{
            "HugeMoments", {"--type", "0", "--position", "0.5"}, {"1", "1e300", "1e300"}, 0},
        SharpHostile{"HugeAlternating",
                     {"--type", "2", "--position", "0.5"},
                     {"1", "-1e300", "1e300", "-1e300", "1e300"},
                     0},
        SharpHostile{"HugePositions",
                     {"--type", "1", "--positions", "-1e300:1e300:3"},
                     {"1", "0.5", "0.3", "0.2", "0.15"},
                     0},
        SharpHostile{"Denormals",
                     {"--type", "2", "--position", "0.5"},
                     {"1", "4.9e-324", "1e-310", "5e-324", "1e-320"},
                     0},
        SharpHostile{
            "TwoHundredUniform", {"--type", "2", "--position", "0.5"}, uniform_moments(200), 0},
        SharpHostile{
            "TwoHundredThreeAtom", {"--type", "1", "--position", "0.35"}, three_atoms(200), 0},
        SharpHostile{"AtAndOutsideTheEnds",
                     {"--type", "2", "--position", "0", "--position", "1", "--position", "-1",
                      "--position", "2"},
                     uniform_moments(9),
                     0},
        SharpHostile{"LowerAboveUpper",
                     {"--type", "2", "--lower", "1", "--upper", "0", "--position", "0.5"},
                     uniform_moments(7),
                     2},
        SharpHostile{"LowerEqualsUpper",
                     {"--type", "2", "--lower", "0.5", "--upper", "0.5", "--position", "0.5"},
                     uniform_moments(7),
                     2},
        SharpHostile{"NotADistribution",
                     {"--type", "2", "--position", "0.5"},
                     {"1", "2", "1", "5", "-3"},
                     0}),
    [](const ::testing::TestParamInfo<SharpHostile>& info) {
        return std::string(info.param.name);
    });

} // namespace
