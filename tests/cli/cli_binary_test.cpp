// SPDX-License-Identifier: Apache-2.0
// vendrill-cli as a user and a script see it: the real binary, run in a
// scratch folder per test.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <utility>
#include <vector>

#include "cli/command.h"
#include "cli_runner.h"
#include "estimation/estimate.h"
#include "estimation/messages.h"
#include "numeric/vector.h"

using cli_test::RunResult;
using cli_test::ScratchFolder;
using nlohmann::json;

namespace {

std::vector<std::string> args(std::initializer_list<const char*> list) {
    return std::vector<std::string>(list.begin(), list.end());
}

// A request of the classic method (the default is the sharp one).
std::vector<std::string> classic(std::initializer_list<const char*> list) {
    std::vector<std::string> a = {"--method", "classic"};
    a.insert(a.end(), list.begin(), list.end());
    return a;
}

std::size_t count_of(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

using test_support::cp1250;

// ---------------------------------------------------------------- bad input

struct BadInput {
    std::vector<std::string> arguments;
    std::string message; // a part of the message on standard error
    std::string input = "";
};

void PrintTo(const BadInput& c, std::ostream* os) {
    for (const std::string& a : c.arguments)
        *os << a << ' ';
}

class InvalidInputTest : public ::testing::TestWithParam<BadInput> {};

// Every bad request leaves with status 2, a message naming the fault, no
// result and no log, even though the moments 1 2 1 would log a report.
TEST_P(InvalidInputTest, ExitsTwoWithMessageAndNothingElse) {
    const BadInput& c = GetParam();
    ScratchFolder folder;
    std::filesystem::create_directory(folder / "logs");
    std::vector<std::string> arguments = c.arguments;
    const RunResult r = cli_test::run_cli(folder.path(), arguments, c.input);
    ASSERT_TRUE(r.exited);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find(c.message), std::string::npos) << "stderr: " << r.err;
    EXPECT_FALSE(std::filesystem::exists(folder / "error.log"));
    EXPECT_TRUE(std::filesystem::is_empty(folder / "logs"));
}

INSTANTIATE_TEST_SUITE_P(
    Table, InvalidInputTest,
    ::testing::Values(
        BadInput{classic({"--position", "1", "1", "2", "1"}), "--type is required"},
        BadInput{classic({"--type", "7", "--position", "1", "1", "2", "1"}),
                 "--type: unknown type '7'"},
        BadInput{classic({"--type", "line", "--position", "1", "1", "2", "1"}), "--type"},
        BadInput{classic({"--type", "0", "1", "2", "1"}), "--position or --positions is required"},
        BadInput{classic({"--type", "0", "--position", "abc", "1", "2", "1"}),
                 "--position: 'abc' is not a number"},
        BadInput{classic({"--type", "0", "--position", "1,5", "1", "2", "1"}),
                 "--position: '1,5' is not a number"},
        BadInput{classic({"--type", "0", "--position", "nan", "1", "2", "1"}),
                 "--position: 'nan' is not a finite number"},
        BadInput{classic({"--type", "0", "--position", "-inf", "1", "2", "1"}),
                 "--position: '-inf' is not a finite number"},
        BadInput{classic({"--type", "0", "1", "2", "1", "--position"}), "--position"},
        BadInput{classic({"--type", "0", "--position", "1", "--lower", "x", "1", "2", "1"}),
                 "--lower: 'x' is not a number"},
        BadInput{classic({"--type", "0", "--position", "1", "--upper", "1e999", "1", "2", "1"}),
                 "--upper: '1e999' is out of the range"},
        BadInput{classic({"--type", "0", "--position", "1", "--format", "xml", "1", "2", "1"}),
                 "--format: unknown format 'xml'"},
        BadInput{classic({"--type", "0", "--positions", "0:1:1", "1", "2", "1"}),
                 "--positions: COUNT must be a whole number of at least 2"},
        BadInput{classic({"--type", "0", "--positions", "0:1", "1", "2", "1"}),
                 "--positions: expected FROM:TO:COUNT"},
        BadInput{classic({"--type", "0", "--positions", "0:inf:3", "1", "2", "1"}),
                 "--positions TO: 'inf' is not a finite number"},
        BadInput{classic({"--type", "0", "--position", "1", "--", "1", "x", "1"}),
                 "moment M1: 'x' is not a number"},
        BadInput{classic({"--type", "0", "--position", "1", "--", "1", "2", "nan"}),
                 "moment M2: 'nan' is not a finite number"},
        BadInput{classic({"--type", "0", "--position", "1"}), "Enter at least 3 moments!"},
        BadInput{classic({"--type", "0", "--position", "1", "1", "2"}),
                 "Enter at least 3 moments!"},
        BadInput{classic({"--type", "1", "--position", "1", "1", "2", "1"}),
                 "Enter at least 4 moments!"},
        BadInput{classic({"--type", "bounded", "--position", "1", "1", "2", "1", "1"}),
                 "Enter at least 5 moments!"},
        BadInput{classic({"--type", "0", "--position", "1", "0.5", "2", "1"}),
                 "The 0th moment must equal to 1!"},
        BadInput{classic({"--type", "0", "--position", "1", "1.0000000000000002", "2", "1"}),
                 "The 0th moment must equal to 1!"},
        BadInput{classic({"--type", "0", "--position", "1", "--moments-file", "missing.txt"}),
                 "--moments-file: cannot open 'missing.txt'"},
        BadInput{classic({"--type", "0", "--position", "1", "--moments-file", "-"}),
                 "--moments-file -: moment M2: '1x' is not a number", "1 2 1x\n"},
        BadInput{classic({"--type", "0", "--position", "1", "--moments-file", "-", "1", "2", "1"}),
                 "not both", "1 2 1"},
        BadInput{classic({"--type", "0", "--position", "1", "--bogus", "1", "2", "1"}), "--bogus"},
        BadInput{classic({"--type", "0", "--position", "1", "--log", "logs/a.log", "--no-log", "1",
                          "2", "1"}),
                 "--log and --no-log cannot be used together"},
        BadInput{args({"--type", "0", "--method", "fancy", "--position", "1", "1", "2", "1"}),
                 "--method: unknown method 'fancy' (use classic or sharp)"},
        BadInput{args({"--type", "0", "--method", "Sharp", "--position", "1", "1", "2", "1"}),
                 "--method: unknown method 'Sharp'"},
        BadInput{args({"--type", "0", "--method", "", "--position", "1", "1", "2", "1"}),
                 "--method: unknown method ''"},
        BadInput{args({"--type", "0", "--position", "1", "1", "2", "1", "--method"}), "--method"},
        // The sharp method (the default) answers from M0 alone, but needs that.
        BadInput{args({"--type", "2", "--method", "sharp", "--position", "0.1"}),
                 "Enter at least 1 moment!"},
        BadInput{args({"--type", "2", "--position", "0.1", "--moments-file", "-"}),
                 "Enter at least 1 moment!", " \n"},
        BadInput{args({"--type", "0", "--method", "sharp", "--position", "1", "0.5", "0", "1"}),
                 "The 0th moment must equal to 1!"},
        BadInput{args({"--type", "0", "--method", "sharp", "--position", "1", "--", "1", "x", "1"}),
                 "moment M1: 'x' is not a number"},
        BadInput{args({"--type", "2", "--method", "sharp", "--lower", "1", "--upper", "1",
                       "--position", "1", "1", "1", "1", "1", "1"}),
                 "--method sharp: The upper limit must be a finite number above the lower "
                 "limit."},
        // The 0th moment is the mistake to name, before the count.
        BadInput{classic({"--type", "bounded", "--position", "0.5", "2", "0.5"}),
                 "The 0th moment must equal to 1!"},
        BadInput{args({"--type", "half", "--position", "1", "--tail", "sideways", "1", "1"}),
                 "--tail: unknown tail 'sideways' (use lower or upper)"},
        BadInput{args({"--type", "half", "--position", "1", "--plot", "a.svg", "1", "1"}),
                 "--plot needs --positions FROM:TO:COUNT"},
        BadInput{args({"--type", "half", "--positions", "0:1:10001", "--plot", "a.svg", "1", "1"}),
                 "--plot: at most 10000 positions are drawn, --positions asks for 10001"},
        BadInput{
            classic({"--type", "0", "--position", "1", "--about", "1e300", "--", "1", "0", "1"}),
            "--method classic: the moments about 1e+300 are beyond the range of a double"},
        // Statistics that no distribution has, or that leave a gap.
        BadInput{args({"--type", "half", "--position", "4", "--mean", "2", "--sd", "0"}),
                 "--sd: the standard deviation must be above 0, got '0'"},
        BadInput{args({"--type", "half", "--position", "4", "--mean", "2", "--sd", "-0.5"}),
                 "--sd: the standard deviation must be above 0, got '-0.5'"},
        BadInput{args({"--type", "0", "--position", "1", "--mean", "0", "--sd", "1", "--skewness",
                       "1", "--kurtosis", "1.5"}),
                 "--kurtosis '1.5' with --skewness '1': no distribution has a kurtosis below "
                 "skewness^2 + 1 = 2"},
        BadInput{args({"--type", "0", "--position", "1", "--mean", "0", "--sd", "1", "--skewness",
                       "0", "--excess-kurtosis", "-2.5"}),
                 "--excess-kurtosis '-2.5' with --skewness '0': no distribution"},
        BadInput{
            args({"--type", "0", "--position", "1", "--mean", "0", "--sd", "1", "--kurtosis", "3"}),
            "--kurtosis needs --skewness"},
        BadInput{args({"--type", "0", "--position", "1", "--sd", "1"}), "--sd needs --mean"},
        BadInput{args({"--type", "0", "--position", "1", "--mean", "0", "--sd", "1", "--skewness",
                       "0", "--kurtosis", "3", "--excess-kurtosis", "0"}),
                 "give --kurtosis or --excess-kurtosis, not both"},
        BadInput{args({"--type", "0", "--position", "1", "--mean", "0", "--sd", "1e100",
                       "--skewness", "0", "--kurtosis", "3"}),
                 "beyond the range of a double"},
        BadInput{args({"--type", "0", "--position", "1", "--mean", "x"}),
                 "--mean: 'x' is not a number"},
        BadInput{args({"--type", "0", "--position", "1", "--mean", "1", "--about", "2"}),
                 "--about: the moments of --mean are about the mean already"},
        BadInput{args({"--type", "0", "--position", "1", "--mean", "1", "--", "1", "0"}),
                 "give the moments one way"},
        BadInput{args({"--type", "0", "--position", "1", "--moments", "3", "1", "0", "1"}),
                 "--moments goes with --sample"},
        // Samples that cannot be taken.
        BadInput{args({"--type", "0", "--position", "1", "--sample", "-"}),
                 "--sample -: line 2: 'abc' is not a number", "1 2\n3 abc 4\n"},
        BadInput{args({"--type", "half", "--lower", "0", "--position", "1", "--sample", "-"}),
                 "--sample -: line 3: the value '-0.5' lies outside the support [0, inf)",
                 "1\n2\n-0.5\n-3\n"},
        BadInput{args({"--type", "bounded", "--position", "0.5", "--sample", "-"}),
                 "--sample -: line 1: the value '1.5' lies outside the support [0, 1]",
                 "0.5, 1.5, 2"},
        BadInput{args({"--type", "0", "--position", "1", "--sample", "-"}), "--sample -: no values",
                 "# nothing here\n\n"},
        BadInput{args({"--type", "0", "--position", "1", "--sample", "-", "--column", "2"}),
                 "--sample -: line 3: no 2nd field (--column 2); the line has 1 fields",
                 "time,size\n1,2\n3\n"},
        BadInput{args({"--type", "0", "--position", "1", "--sample", "-", "--column", "0"}),
                 "--column: N (the field) must be a whole number from 1"},
        BadInput{args({"--type", "0", "--position", "1", "--sample", "-", "--moments", "33"}),
                 "--moments: N (counting the 0th) must be a whole number from 1 to 32, got '33'"},
        BadInput{args({"--type", "0", "--position", "1", "--sample", "missing.txt"}),
                 "--sample: cannot open 'missing.txt'"},
        BadInput{args({"--type", "0", "--position", "1", "--sample", "/dev/zero"}),
                 "an item longer than 1024 bytes is not a number"}));

// ---------------------------------------------------- results and the drivers

struct Computation {
    int type; // as --type takes it
    double lower;
    double upper;
    std::vector<std::string> positions;
    std::vector<std::string> moments;
};

std::vector<std::string> command_line(const Computation& c) {
    std::vector<std::string> a = {"--method", "classic",
                                  "--type",   std::to_string(c.type),
                                  "--lower",  vendrill::cli::round_trip_number(c.lower),
                                  "--upper",  vendrill::cli::round_trip_number(c.upper),
                                  "--format", "json"};
    for (const std::string& p : c.positions) {
        a.push_back("--position");
        a.push_back(p);
    }
    a.push_back("--");
    a.insert(a.end(), c.moments.begin(), c.moments.end());
    return a;
}

void PrintTo(const Computation& c, std::ostream* os) {
    *os << "type " << c.type << " at " << c.positions.front();
}

class MatchesDriversTest : public ::testing::TestWithParam<Computation> {};

// The CLI's rows are exactly what the drivers return for the same request.
TEST_P(MatchesDriversTest, RowsEqualDirectDriverCalls) {
    const Computation& c = GetParam();
    ScratchFolder folder;
    const RunResult r = cli_test::run_cli(folder.path(), command_line(c));
    ASSERT_TRUE(r.exited);
    ASSERT_EQ(r.status, 0) << r.err;
    json rows = json::parse(r.out);
    if (c.positions.size() == 1)
        rows = json::array({rows});
    ASSERT_EQ(rows.size(), c.positions.size());

    const Support support = *support_from_index(c.type);
    std::vector<double> moments;
    for (const std::string& m : c.moments)
        moments.push_back(std::stod(m));
    const Vector vector(moments.data(), static_cast<int>(moments.size()));
    EstimationContext quiet = cli_test::quiet_context();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const double x = std::stod(c.positions[i]);
        const Estimate expected = estimate(support, x, c.lower, c.upper, vector, quiet);
        EXPECT_EQ(rows[i]["position"].get<double>(), x);
        EXPECT_EQ(rows[i]["lower_bound"].get<double>(), expected.lower_bound) << i;
        EXPECT_EQ(rows[i]["upper_bound"].get<double>(), expected.upper_bound) << i;
        EXPECT_EQ(rows[i]["outcome"].get<int>(), outcome_index(expected.outcome)) << i;
        EXPECT_EQ(rows[i]["type"].get<int>(), c.type);
        // A limit the support has not is null.
        if (c.type == 0)
            EXPECT_TRUE(rows[i]["lower"].is_null()) << rows[i];
        else
            EXPECT_EQ(rows[i]["lower"].get<double>(), c.lower);
        if (c.type == 2)
            EXPECT_EQ(rows[i]["upper"].get<double>(), c.upper);
        else
            EXPECT_TRUE(rows[i]["upper"].is_null()) << rows[i];
        EXPECT_GE(rows[i]["upper_tail_max"].get<double>(), 1.0 - expected.lower_bound) << i;
        EXPECT_LE(rows[i]["upper_tail_min"].get<double>(), 1.0 - expected.upper_bound) << i;
        EXPECT_EQ(rows[i]["verdict"].get<std::string>(),
                  verdict_message(support, expected.outcome, expected.guard));
    }
}

// Moments of uniform[0,1], of atoms {-2: 0.25, 0: 0.5, 1: 0.25}, of atoms
// {0.2: 0.3, 0.5: 0.4, 0.8: 0.3}, and a few that fail.
INSTANTIATE_TEST_SUITE_P(
    Table, MatchesDriversTest,
    ::testing::Values(
        Computation{0, 0, 1, {"1"}, {"1", "0", "1"}},
        Computation{1, 0, 1, {"1"}, {"1", "0.5", "1", "3"}},
        Computation{0, 0, 1, {"-1.5", "-0.5", "0.5", "1"}, {"1", "-0.25", "1.25", "-1.75", "4.25"}},
        Computation{1, -2, 1, {"-1.5", "0.5"}, {"1", "-0.25", "1.25", "-1.75", "4.25"}},
        Computation{
            2, -2, 1.5, {"-1.5", "-0.5", "0.5"}, {"1", "-0.25", "1.25", "-1.75", "4.25", "-7.75"}},
        Computation{2,
                    0,
                    1,
                    {"0.1", "0.3", "0.5", "0.9"},
                    {"1", "0.5", "0.3333333333333333", "0.25", "0.2", "0.16666666666666666",
                     "0.14285714285714285"}},
        Computation{2,
                    0,
                    1,
                    {"0.35", "0.65"},
                    {"1.0", "0.5", "0.30400000000000005", "0.20600000000000004",
                     "0.14836000000000002", "0.11090000000000001", "0.08491240000000003",
                     "0.06604340000000002", "0.05189491600000003"}},
        Computation{2, 0, 1, {"-1", "0", "1", "2"}, {"1", "0.5", "0.3", "0.2", "0.15"}},
        Computation{0, 0, 1, {"1"}, {"1", "2", "1"}},
        // The guard: moments that fit no distribution on [0, 1]; off-centre
        // moments whose classic bounds it widens.
        Computation{2, 0, 1, {"0.5"}, {"1", "2", "4.5", "9.5", "20"}},
        Computation{2,
                    -39.19461606421673,
                    -38.51174760035478,
                    {"-38.82462939323321"},
                    {"1.0", "-38.89782485588961", "1513.0731796501377", "-58857.77883103116",
                     "2289586.9539372274", "-89067604.27135886", "3464908529.7238827"}}));

// The worked examples' values live with the library's tests (the whole-line
// and the half-line suites); the tool gives exactly what the library gives,
// with the words of the type names.
TEST(WorkedExamples, GiveTheKnownBounds) {
    const struct {
        std::vector<std::string> arguments;
        Support support;
        double lower;
        std::vector<double> moments;
    } cases[] = {
        {classic({"--type", "0", "--position", "1", "--format", "json", "1", "0", "1"}),
         Support::whole,
         0,
         {1, 0, 1}},
        {classic({"--type", "half", "--lower", "0", "--position", "1", "--format", "json", "1",
                  "0.5", "1", "3"}),
         Support::half,
         0,
         {1, 0.5, 1, 3}},
    };
    ScratchFolder folder;
    EstimationContext quiet = cli_test::quiet_context();
    for (const auto& c : cases) {
        const RunResult r = cli_test::run_cli(folder.path(), c.arguments);
        ASSERT_EQ(r.status, 0) << r.err;
        const json row = json::parse(r.out);
        const Estimate expected = estimate(c.support, 1, c.lower, 1, c.moments.data(),
                                           static_cast<int>(c.moments.size()), quiet);
        ASSERT_NE(expected.outcome, Outcome::none);
        EXPECT_EQ(row["lower_bound"].get<double>(), expected.lower_bound);
        EXPECT_EQ(row["upper_bound"].get<double>(), expected.upper_bound);
        EXPECT_EQ(row["outcome"], outcome_index(expected.outcome));
        EXPECT_EQ(row["verdict"], "");
    }
}

// ------------------------------------------------------------ output shapes

TEST(OutputShapes, TextShowsTheLabelledBoundsAndTheVerdict) {
    ScratchFolder folder;
    RunResult r = cli_test::run_cli(folder.path(),
                                    classic({"--type", "0", "--position", "1", "1", "0", "1"}));
    EXPECT_EQ(r.out, "Lower bound = 0.5\nUpper bound = 1\n");
    // One atom at 0: the whole-line attempts fail.
    r = cli_test::run_cli(folder.path(),
                          classic({"--type", "0", "--position", "1", "1", "0", "0"}));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Lower bound = 0\nUpper bound = 1\n"
                     "The (-inf, inf) estimation is not applicable in this case!\n");
    r = cli_test::run_cli(folder.path(), classic({"--type", "0", "--position", "1", "--position",
                                                  "3", "1", "0", "1"}));
    EXPECT_EQ(r.out, "Position = 1\nLower bound = 0.5\nUpper bound = 1\n\n"
                     "Position = 3\nLower bound = 0.9\nUpper bound = 1\n");
}

TEST(OutputShapes, JsonIsOneObjectOnOneLineOrAnArray) {
    ScratchFolder folder;
    RunResult r = cli_test::run_cli(folder.path(), classic({"--type", "0", "--position", "1",
                                                            "--format", "json", "1", "0", "1"}));
    EXPECT_EQ(count_of(r.out, "\n"), 1u);
    EXPECT_EQ(r.out.back(), '\n');
    EXPECT_TRUE(json::parse(r.out).is_object());
    r = cli_test::run_cli(folder.path(), classic({"--type", "0", "--positions", "0:2:3", "--format",
                                                  "json", "1", "0", "1"}));
    const json rows = json::parse(r.out);
    ASSERT_TRUE(rows.is_array());
    EXPECT_EQ(rows.size(), 3u);
    EXPECT_EQ(count_of(r.out, "\n"), 5u) << "one object a line between [ and ]";
}

TEST(OutputShapes, CsvHasHeaderAndOneLineAPosition) {
    ScratchFolder folder;
    const RunResult r = cli_test::run_cli(
        folder.path(),
        classic({"--type", "0", "--positions", "-1:1:2", "--format", "csv", "1", "0", "1"}));
    EXPECT_EQ(r.out, "position,lower_bound,upper_bound,upper_tail_max,upper_tail_min,outcome\n"
                     "-1,0,0.5,1,0.5,1\n1,0.5,1,0.5,0,1\n");
}

TEST(Positions, RangeGivesEvenlySpacedRowsWithBothEnds) {
    ScratchFolder folder;
    const RunResult r = cli_test::run_cli(
        folder.path(), classic({"--type", "0", "--position", "-7", "--positions", "-1:1:5",
                                "--format", "json", "--", "1", "0", "1"}));
    ASSERT_EQ(r.status, 0) << r.err;
    const json rows = json::parse(r.out);
    const double expected[] = {-7, -1, -0.5, 0, 0.5, 1};
    ASSERT_EQ(rows.size(), 6u);
    for (std::size_t i = 0; i < 6; ++i)
        EXPECT_EQ(rows[i]["position"].get<double>(), expected[i]);
}

// ------------------------------------------------------------ moments input

TEST(MomentsFile, FileAndStandardInputGiveTheSameResultAsArguments) {
    ScratchFolder folder;
    const auto base = classic({"--type", "bounded", "--lower", "-2", "--upper", "1.5",
                               "--positions", "-1.5:1:4", "--format", "json"});
    auto with_args = base;
    for (const char* m : {"--", "1", "-0.25", "1.25", "-1.75", "4.25", "-7.75"})
        with_args.push_back(m);
    const RunResult expected = cli_test::run_cli(folder.path(), with_args);
    ASSERT_EQ(expected.status, 0) << expected.err;

    cli_test::write_file(folder / "m.txt", "1 -0.25\n1.25\t-1.75\r\n4.25\n\n-7.75\n");
    auto with_file = base;
    with_file.push_back("--moments-file");
    with_file.push_back("m.txt");
    EXPECT_EQ(cli_test::run_cli(folder.path(), with_file).out, expected.out);

    auto with_stdin = base;
    with_stdin.push_back("--moments-file");
    with_stdin.push_back("-");
    EXPECT_EQ(cli_test::run_cli(folder.path(), with_stdin, "1 -0.25 1.25 -1.75 4.25 -7.75").out,
              expected.out);
}

// ------------------------------------------------------------------ the log

TEST(ErrorLog, ReportHoldsTheRequestWithThePositionBeingComputed) {
    ScratchFolder folder;
    const RunResult r = cli_test::run_cli(
        folder.path(), classic({"--type", "0", "--position", "1.5", "1", "2", "1"}));
    ASSERT_EQ(r.status, 0);
    const std::string expected = cp1250("Vendrill, 2001.05.14. 16:06"
                                        "\n//****************** HIBA ******************\\"
                                        "\n\nHiba a következő függvényben: trynormal"
                                        "\nA hiba leírása: Ezek a momentumok nem határoznak meg "
                                        "eloszlást!"
                                        "\n\nPozíció = 1.500000"
                                        "\nA becslés típusa: ULNormal"
                                        "\n\nA momentumok:\n-------------\n"
                                        "\n 0. momentum = 1.000000"
                                        "\n 1. momentum = 2.000000"
                                        "\n 2. momentum = 1.000000"
                                        "\n");
    EXPECT_EQ(cli_test::read_file(folder / "error.log"), expected);
}

TEST(ErrorLog, EveryReportOfAMultiPositionRunNamesItsPositionAndTheLimits) {
    ScratchFolder folder;
    // Positions outside (lower, upper) make every bounded and half-line
    // attempt fail.
    const RunResult r =
        cli_test::run_cli(folder.path(), classic({"--type", "2", "--lower", "-2", "--upper", "1.5",
                                                  "--position", "-3", "--position", "-2.5", "--",
                                                  "1", "-0.25", "1.25", "-1.75", "4.25"}));
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string log = cli_test::read_file(folder / "error.log");
    const std::size_t reports = count_of(log, "HIBA");
    ASSERT_GE(reports, 2u);
    EXPECT_EQ(count_of(log, cp1250("Pozíció = -3.000000")) +
                  count_of(log, cp1250("Pozíció = -2.500000")),
              reports);
    EXPECT_GE(count_of(log, cp1250("Pozíció = -2.500000")), 1u);
    EXPECT_EQ(count_of(log, cp1250("A becslés típusa: ULBounded\n\talsó határ = -2.000000\n"
                                   "\tfelső határ = 1.500000\n")),
              reports);
    EXPECT_EQ(count_of(log, "\n 1. momentum = -0.250000\n 2. momentum = 1.250000\n"
                            " 3. momentum = -1.750000\n 4. momentum = 4.250000\n"),
              reports);
}

TEST(ErrorLog, LogOptionMovesTheReportsAndNoLogWritesNone) {
    ScratchFolder folder;
    std::filesystem::create_directory(folder / "logs");
    const auto failing = classic({"--type", "0", "--position", "1", "1", "2", "1"});
    auto moved = failing;
    moved.insert(moved.begin(), {"--log", "logs/cli.log"});
    ASSERT_EQ(cli_test::run_cli(folder.path(), moved).status, 0);
    EXPECT_FALSE(std::filesystem::exists(folder / "error.log"));
    EXPECT_EQ(count_of(cli_test::read_file(folder / "logs/cli.log"), "HIBA"), 1u);

    auto silent = failing;
    silent.insert(silent.begin(), "--no-log");
    const RunResult r = cli_test::run_cli(folder.path(), silent);
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("These moments do not fit the chosen support."), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(folder / "error.log"));
    EXPECT_EQ(count_of(cli_test::read_file(folder / "logs/cli.log"), "HIBA"), 1u);
}

TEST(Streams, DiagnosticsGoToStandardErrorAndOutputCarriesOnlyTheResult) {
    ScratchFolder folder;
    const RunResult r = cli_test::run_cli(
        folder.path(),
        classic({"--type", "1", "--position", "1", "--format", "json", "1", "0.5", "1", "3"}));
    ASSERT_EQ(r.status, 0);
    EXPECT_NE(r.err.find("/// poz /// L = 0.625000; U = 0.958333"), std::string::npos) << r.err;
    EXPECT_EQ(r.out.find("poz"), std::string::npos);
    EXPECT_TRUE(json::parse(r.out).is_object());
}

TEST(Help, ListsEveryOptionWithAnExample) {
    ScratchFolder folder;
    const RunResult r = cli_test::run_cli(folder.path(), args({"--help"}));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    for (const char* part :
         {"--type",
          "--position",
          "--positions",
          "--lower",
          "--upper",
          "--format",
          "--moments-file",
          "--log",
          "--no-log",
          "--method",
          "classic",
          "sharp (default)",
          "position,lower_bound,upper_bound,upper_tail_max,upper_tail_min,status",
          "--about",
          "--mean",
          "--sd",
          "--skewness",
          "--kurtosis",
          "--excess-kurtosis",
          "not the\n           excess kurtosis",
          "--sample",
          "--column",
          "--moments N",
          "--tail",
          "--plot",
          "Questions people ask:",
          "vendrill-cli --type half --lower 0 --mean 1 --position 3 --tail upper",
          "vendrill-cli --type half --lower 0 --mean 2 --sd 0.5 --position 4 "
          "--tail upper",
          "vendrill-cli --type half --lower 0 --sample times.txt",
          "\"atoms\":[[point,mass],...]",
          "These moments do not fit the chosen support.",
          "at most 1000 moments",
          "The classic bounds were widened to stay valid for these moments.",
          "Examples:",
          "vendrill-cli --method classic --type whole --position 1 -- 1 0 1",
          "vendrill-cli --type whole --position -0.3 --format json -- 1 0 1 0 1",
          "vendrill-cli --type half --lower 0 --position 3 -- 1 1"})
        EXPECT_NE(r.out.find(part), std::string::npos) << part;
}

} // namespace
