// SPDX-License-Identifier: Apache-2.0
// The questions people ask, through the real binary: moments in the form
// they have them (statistics, moments about a point, a sample), the tail
// bounds, the SVG picture, and the forgiving spellings.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <regex>
#include <string>
#include <vector>

#include "cli/output.h"
#include "cli/plot.h"
#include "cli_runner.h"

using cli_test::RunResult;
using cli_test::ScratchFolder;
using nlohmann::json;

namespace {

using Strings = std::vector<std::string>;

Strings joined(Strings a, const Strings& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

json rows_of(const RunResult& r) {
    EXPECT_EQ(r.status, 0) << r.err;
    if (r.status != 0)
        return json::array();
    json rows = json::parse(r.out);
    return rows.is_array() ? rows : json::array({rows});
}

json run_json(const Strings& arguments, const std::string& input = "",
              const std::filesystem::path& where = {}) {
    ScratchFolder folder;
    const RunResult r = cli_test::run_cli(where.empty() ? folder.path() : where,
                                          joined({"--format", "json"}, arguments), input);
    return rows_of(r);
}

// ---------------------------------------------------------- closed forms

// P(X >= x) <= 1 - L against the closed forms of Markov's and the one-sided
// Chebyshev (Cantelli) bound, which are sharp on the half-line here.
TEST(Questions, TheTailBoundsAreTheClosedForms) {
    const struct {
        const char* name;
        Strings arguments;
        double tail;
    } cases[] = {
        {"Markov", {"--type", "half", "--lower", "0", "--position", "3", "--mean", "1"}, 1.0 / 3},
        // The service time: mean 2 s, sd 0.5 s; P(T >= 4) <= 0.25 / (0.25 + 2^2).
        {"ServiceTime",
         {"--mean", "2", "--sd", "0.5", "--type", "half", "--lower", "0", "--position", "4"},
         0.25 / (0.25 + 4)},
    };
    for (const auto& c : cases) {
        const json row = run_json(c.arguments).at(0);
        const double tail = row["upper_tail_max"];
        EXPECT_GE(tail, c.tail) << c.name;
        EXPECT_NEAR(tail, c.tail, 1e-12) << c.name;
        EXPECT_EQ(tail, 1.0 - row["lower_bound"].get<double>()) << c.name;
        EXPECT_EQ(row["upper_tail_min"], 0.0) << c.name;
        EXPECT_TRUE(row["upper"].is_null()) << c.name;
    }
    // The text leads with the tails only when asked to.
    ScratchFolder folder;
    const Strings service = {"--mean", "2",       "--sd", "0.5",        "--type",
                             "half",   "--lower", "0",    "--position", "4"};
    RunResult r = cli_test::run_cli(folder.path(), joined(service, {"--tail", "upper"}));
    EXPECT_EQ(r.out, "P(X >= 4) <= 0.0588235294117667\nP(X > 4) >= 0\n"
                     "Lower bound = 0.941176470588233\nUpper bound = 1\n");
    r = cli_test::run_cli(folder.path(), service);
    EXPECT_EQ(r.out, "Lower bound = 0.941176470588233\nUpper bound = 1\n");
}

// -------------------------------------- the same list in another form

struct SameList {
    const char* name;
    Strings other;  // statistics or moments about a point
    Strings raw;    // the same distribution's raw moments, each exact
    Strings common; // method, support and positions
};

void PrintTo(const SameList& c, std::ostream* os) {
    *os << c.name;
}

class SameListTest : public ::testing::TestWithParam<SameList> {};

// Where the raw moments are exact, both forms give the same bounds, up to
// the allowance for each form's rounding (the determinate bounds' 1e-9); the
// form about the mean, whose moments are rounded on their own scale, allows
// less: its bounds are tighter or equal.
TEST_P(SameListTest, GivesTheBoundsOfTheRawList) {
    const SameList& c = GetParam();
    const json other = run_json(joined(c.common, c.other));
    const json raw = run_json(joined(c.common, joined({"--"}, c.raw)));
    ASSERT_EQ(other.size(), raw.size());
    ASSERT_GT(other.size(), 0u);
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const double lower = other[i]["lower_bound"];
        const double upper = other[i]["upper_bound"];
        EXPECT_NEAR(lower, raw[i]["lower_bound"].get<double>(), 1e-9) << other[i] << raw[i];
        EXPECT_NEAR(upper, raw[i]["upper_bound"].get<double>(), 1e-9) << other[i] << raw[i];
        EXPECT_GE(lower, raw[i]["lower_bound"].get<double>() - 1e-15) << other[i] << raw[i];
        EXPECT_LE(upper, raw[i]["upper_bound"].get<double>() + 1e-15) << other[i] << raw[i];
        if (raw[i].contains("outcome"))
            EXPECT_EQ(other[i]["outcome"], raw[i]["outcome"]);
        else
            EXPECT_EQ(other[i]["status"], raw[i]["status"]);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, SameListTest,
    ::testing::Values(SameList{"ServiceTime",
                               {"--mean", "2", "--sd", "0.5"},
                               {"1", "2", "4.25"},
                               {"--type", "half", "--lower", "0", "--positions", "0:6:13"}},
                      SameList{"ServiceTimeClassic",
                               {"--mean", "2", "--sd", "0.5", "--skewness", "0"},
                               {"1", "2", "4.25", "9.5"},
                               {"--method", "classic", "--no-log", "--type", "half", "--lower", "0",
                                "--positions", "0.5:5.5:11"}},
                      // +-1 about 5: the coin, determinate, atoms at 4 and 6.
                      SameList{"CoinAboutFive",
                               {"--about", "5", "--", "1", "0", "1", "0", "1"},
                               {"1", "5", "26", "140", "776"},
                               {"--type", "whole", "--positions", "3:7:9"}},
                      SameList{"CoinAboutFiveClassic",
                               {"--about", "5", "--", "1", "0", "1", "0", "1"},
                               {"1", "5", "26", "140", "776"},
                               {"--method", "classic", "--no-log", "--type", "bounded", "--lower",
                                "3", "--upper", "7", "--positions", "3.5:6.5:7"}}),
    [](const ::testing::TestParamInfo<SameList>& info) { return std::string(info.param.name); });

// Far from 0 compared with the spread, the raw moments' rounding hides the
// higher ones; the moments about the mean keep them: bounds tighter or
// equal, and tighter somewhere.
TEST(OffCentre, MomentsAboutTheMeanGiveTighterOrEqualSharpBounds) {
    const Strings common = {"--type", "whole", "--positions", "9996:10004:17"};
    // Normal moments about 1e4 (sd 1), and the raw ones written exactly.
    const json about = run_json(
        joined(common, {"--mean", "10000", "--sd", "1", "--skewness", "0", "--kurtosis", "3"}));
    const json raw = run_json(
        joined(common, {"--", "1", "10000", "100000001", "1000000030000", "10000000600000003"}));
    ASSERT_EQ(about.size(), 17u);
    ASSERT_EQ(raw.size(), 17u);
    double gain = 0.0;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const double lower = about[i]["lower_bound"];
        const double upper = about[i]["upper_bound"];
        EXPECT_GE(lower, raw[i]["lower_bound"].get<double>() - 1e-12) << about[i] << raw[i];
        EXPECT_LE(upper, raw[i]["upper_bound"].get<double>() + 1e-12) << about[i] << raw[i];
        gain = std::max(gain, (lower - raw[i]["lower_bound"].get<double>()) +
                                  (raw[i]["upper_bound"].get<double>() - upper));
        EXPECT_EQ(about[i]["moments_used"], 5) << about[i];
    }
    EXPECT_GT(gain, 0.01);
}

// ----------------------------------------------------------------- samples

// A sample's bounds are those of its moments about its mean, whether it comes
// from a file (two passes) or standard input (one pass), as a column of a CSV
// file, or as the exact moments written about the mean.
TEST(Sample, GivesTheBoundsOfItsExactMoments) {
    ScratchFolder folder;
    // 1, 2, ..., 10: mean 5.5; central moments 8.25, 0, 120.8625.
    std::string values;
    std::string csv = "# service times\nid,time\n";
    for (int k = 1; k <= 10; ++k) {
        values += std::to_string(k) + (k % 3 ? " " : "\n");
        csv += std::to_string(100 + k) + ", \"" + std::to_string(k) + "\"\n";
    }
    cli_test::write_file(folder / "sample.txt", values);
    cli_test::write_file(folder / "sample.csv", csv);
    const Strings common = {"--type", "half", "--lower", "0", "--positions", "0:12:13"};
    const json exact =
        run_json(joined(common, {"--about", "5.5", "--", "1", "0", "8.25", "0", "120.8625"}));
    const json file = run_json(joined(common, {"--sample", "sample.txt"}), "", folder.path());
    const json piped = run_json(joined(common, {"--sample", "-"}), values);
    const json column =
        run_json(joined(common, {"--sample", "sample.csv", "--column", "2"}), "", folder.path());
    ASSERT_EQ(exact.size(), 13u);
    for (const json* rows : {&file, &piped, &column}) {
        ASSERT_EQ(rows->size(), exact.size());
        for (std::size_t i = 0; i < exact.size(); ++i) {
            EXPECT_NEAR((*rows)[i]["lower_bound"].get<double>(),
                        exact[i]["lower_bound"].get<double>(), 1e-9)
                << (*rows)[i];
            EXPECT_NEAR((*rows)[i]["upper_bound"].get<double>(),
                        exact[i]["upper_bound"].get<double>(), 1e-9)
                << (*rows)[i];
        }
    }
}

// Ten million values stream through standard input: the run holds none of
// them (80 MB as doubles), and their moments are those of the two-point law
// they make.  The values go to a file a line at a time, so that the test
// itself holds little at the fork, whose memory the child's peak counts.
TEST(Sample, TenMillionValuesStreamInLittleMemory) {
    ScratchFolder folder;
    const std::filesystem::path values = folder / "values.txt";
    {
        std::ofstream out(values, std::ios::binary);
        for (int i = 0; i < 5000000; ++i)
            out << "1\n2\n";
        ASSERT_TRUE(out.good());
    }
    const Strings common = {"--type", "bounded",     "--lower",   "0",        "--upper",
                            "3",      "--positions", "0.5:2.5:5", "--format", "json"};
    cli_test::RunOptions from_file;
    from_file.input_file = values;
    const RunResult streamed =
        cli_test::run_cli(folder.path(), joined(common, {"--sample", "-"}), "", from_file);
    ASSERT_EQ(streamed.status, 0) << streamed.err;
    EXPECT_LT(streamed.max_rss_kib, 64 * 1024);
    const json rows = rows_of(streamed);
    const json two_point = rows_of(cli_test::run_cli(
        folder.path(),
        joined(common, {"--mean", "1.5", "--sd", "0.5", "--skewness", "0", "--kurtosis", "1"})));
    ASSERT_EQ(rows.size(), two_point.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_NEAR(rows[i]["lower_bound"].get<double>(), two_point[i]["lower_bound"].get<double>(),
                    1e-9);
        EXPECT_NEAR(rows[i]["upper_bound"].get<double>(), two_point[i]["upper_bound"].get<double>(),
                    1e-9);
    }
}

// ------------------------------------------------------------ the picture

// The numbers of a path's "d": x y pairs after M and L.
std::vector<std::pair<double, double>> path_points(const std::string& svg, const std::string& id) {
    const std::regex path("<path id=\"" + id + "\" d=\"([^\"]*)\"");
    std::smatch match;
    std::vector<std::pair<double, double>> points;
    if (!std::regex_search(svg, match, path))
        return points;
    const std::string d = match[1];
    const std::regex pair("[ML]([-0-9.]+) ([-0-9.]+)");
    for (auto it = std::sregex_iterator(d.begin(), d.end(), pair); it != std::sregex_iterator();
         ++it)
        points.emplace_back(std::stod((*it)[1]), std::stod((*it)[2]));
    return points;
}

int xmllint(const std::filesystem::path& file) {
    const std::string command = "xmllint --noout '" + file.string() + "' 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The picture is well-formed XML and its curves are the rows' L and U, at the
// rows' positions; the atoms of a determinate list are drawn.
TEST(Plot, IsWellFormedAndItsCurvesAreTheBounds) {
    using namespace vendrill::cli;
    ScratchFolder folder;
    const Strings uniform = {"--type", "bounded",  "--positions", "-0.2:1.2:57",
                             "--plot", "band.svg", "--position",  "0.3",
                             "--",     "1",        "0.5",         "0.3333333333333333",
                             "0.25",   "0.2"};
    const json rows =
        rows_of(cli_test::run_cli(folder.path(), joined({"--format", "json"}, uniform)));
    ASSERT_EQ(rows.size(), 58u);
    ASSERT_EQ(xmllint(folder / "band.svg"), 0) << "xmllint (libxml2-utils) must accept the picture";
    const std::string svg = cli_test::read_file(folder / "band.svg");
    EXPECT_NE(svg.find("Sharp bounds on P(X &lt; x)"), std::string::npos);
    EXPECT_NE(svg.find("X on [0, 1]"), std::string::npos);
    const auto lower = path_points(svg, "lower-bound");
    const auto upper = path_points(svg, "upper-bound");
    ASSERT_EQ(lower.size(), 57u);
    ASSERT_EQ(upper.size(), 57u);
    const double height = plot_bottom - plot_top;
    const double pixel = 1e-3; // the written precision, and one rounding more
    for (std::size_t i = 0; i < 57; ++i) {
        const json& row = rows[i + 1]; // after the --position row
        const double x =
            plot_left + (row["position"].get<double>() + 0.2) / 1.4 * (plot_right - plot_left);
        EXPECT_NEAR(lower[i].first, x, pixel) << i;
        EXPECT_NEAR((plot_bottom - lower[i].second) / height, row["lower_bound"].get<double>(),
                    pixel / height)
            << i;
        EXPECT_NEAR((plot_bottom - upper[i].second) / height, row["upper_bound"].get<double>(),
                    pixel / height)
            << i;
    }
    EXPECT_NE(svg.find("<g id=\"positions\""), std::string::npos);
    EXPECT_EQ(svg.find("<g id=\"atoms\""), std::string::npos);

    // The coin's moments determine it: its two atoms are drawn.
    const RunResult coin = cli_test::run_cli(
        folder.path(), {"--type", "whole", "--positions", "-2:2:81", "--plot", "coin.svg",
                        "--format", "csv", "--", "1", "0", "1", "0", "1"});
    ASSERT_EQ(coin.status, 0) << coin.err;
    ASSERT_EQ(xmllint(folder / "coin.svg"), 0);
    const std::string coin_svg = cli_test::read_file(folder / "coin.svg");
    std::size_t atoms = 0;
    for (std::size_t at = coin_svg.find("<title>atom at "); at != std::string::npos;
         at = coin_svg.find("<title>atom at ", at + 1))
        ++atoms;
    EXPECT_EQ(atoms, 2u);

    // A title that names a sample file with markup in its name stays text.
    cli_test::write_file(folder / "a & <b>.txt", "1 2 3 5 8");
    const RunResult named =
        cli_test::run_cli(folder.path(), {"--type", "half", "--positions", "0:10:21", "--plot",
                                          "named.svg", "--sample", "a & <b>.txt"});
    ASSERT_EQ(named.status, 0) << named.err;
    ASSERT_EQ(xmllint(folder / "named.svg"), 0);
    EXPECT_NE(cli_test::read_file(folder / "named.svg")
                  .find("5 moments of the sample &apos;a &amp; &lt;b&gt;.txt&apos; (5 values)"),
              std::string::npos);
}

TEST(Plot, AFileThatCannotBeWrittenStopsTheRunBeforeAnyResult) {
    ScratchFolder folder;
    const RunResult r =
        cli_test::run_cli(folder.path(), {"--type", "half", "--positions", "0:4:5", "--plot",
                                          "missing/band.svg", "--", "1", "1"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "vendrill-cli: cannot write the plot 'missing/band.svg': No such file or "
                     "directory\n");
}

// ------------------------------------------------------ forgiving input

// Type names in any case, and moments files separated by commas and
// semicolons with comments, give what the plain spellings give.
TEST(Forgiving, SpellingsGiveThePlainRequestsBytes) {
    ScratchFolder folder;
    cli_test::write_file(folder / "m.txt", "# uniform on [0, 1]\n1, 0.5,0.3333333333333333\n"
                                           "0.25; 0.2  # the fifth\n");
    const Strings plain = {"--type", "2",   "--positions",        "0:1:5", "--format", "csv", "--",
                           "1",      "0.5", "0.3333333333333333", "0.25",  "0.2"};
    const std::string expected = cli_test::run_cli(folder.path(), plain).out;
    ASSERT_NE(expected, "");
    for (const char* type : {"bounded", "Bounded", "BOUNDED", "interval"}) {
        Strings spelled = plain;
        spelled[1] = type;
        EXPECT_EQ(cli_test::run_cli(folder.path(), spelled).out, expected) << type;
    }
    const Strings from_file = {"--type",   "2",   "--positions",    "0:1:5",
                               "--format", "csv", "--moments-file", "m.txt"};
    EXPECT_EQ(cli_test::run_cli(folder.path(), from_file).out, expected);
}

} // namespace
