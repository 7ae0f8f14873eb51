// SPDX-License-Identifier: Apache-2.0
// What the tool does at the edges of its input and output: requests beyond
// its limits, echoed input, outputs that fail, logs that are pipes, full or
// shared by several processes at once.  Every run names the classic method,
// the one that writes the error log.

#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "cli_runner.h"

using cli_test::RunOptions;
using cli_test::RunResult;
using cli_test::ScratchFolder;

namespace {

using Output = RunOptions::Output;

std::size_t count_of(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

const std::string banner = "Vendrill, 2001.05.14. 16:06";
const std::string report_start = "\n//****************** HIBA ******************\\\n";

std::vector<std::string> classic(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), {"--method", "classic"});
    return arguments;
}

std::string moment_list(int count) {
    std::string text = "1";
    for (int k = 1; k < count; ++k)
        text += " " + std::to_string(1.0 / (k + 1));
    return text;
}

// Each position of this request makes one failed attempt, hence one report.
std::vector<std::string> one_report_a_position(const std::string& positions) {
    return classic({"--type", "0", "--positions", positions, "--", "1", "2", "1"});
}

// The request of the concurrency probe: ten reports a run.
const std::vector<std::string> ten_reports =
    classic({"--type", "bounded", "--positions", "0:1:3", "--", "1", "0.5", "0.3", "0.2", "0.15",
             "0.12", "0.1"});

RunOptions guarded(Output output = Output::captured, bool ignore_sigpipe = false) {
    RunOptions options;
    options.output = output;
    options.ignore_sigpipe = ignore_sigpipe;
    options.hang_guard_seconds = 120;
    return options;
}

// ------------------------------------------------------------ refused input

struct Refused {
    const char* name;
    std::vector<std::string> arguments;
    std::string message; // a part of standard error
    std::string input = "";
};

void PrintTo(const Refused& c, std::ostream* os) {
    *os << c.name;
}

class RefusedInputTest : public ::testing::TestWithParam<Refused> {};

// Refused at once, in little memory, with a short message and no result.
TEST_P(RefusedInputTest, ExitsTwoWithAShortMessage) {
    const Refused& c = GetParam();
    ScratchFolder folder;
    const RunResult r = cli_test::run_cli(folder.path(), c.arguments, c.input, guarded());
    ASSERT_TRUE(r.exited) << "signal " << -r.status;
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err.substr(0, 2000);
    EXPECT_LT(r.err.size(), 1024u);
    EXPECT_LT(r.max_rss_kib, 256 * 1024);
    EXPECT_FALSE(std::filesystem::exists(folder / "error.log"));
}

std::vector<std::string> many_moments(int count) {
    std::vector<std::string> a = classic({"--type", "0", "--position", "0.5", "--"});
    for (int k = 0; k < count; ++k)
        a.push_back(k == 0 ? "1" : "0.5");
    return a;
}

const std::string long_token(100000, 'x');

INSTANTIATE_TEST_SUITE_P(
    Table, RefusedInputTest,
    ::testing::Values(
        Refused{"CountBeyondTheLargest",
                classic({"--type", "0", "--position", "0.5", "--positions",
                         "0:1:18446744073709551615", "--", "1", "0", "1"}),
                "COUNT must be a whole number of at least 2 and at most 9007199254740992"},
        Refused{"CountSumOverTheLimit",
                classic({"--type", "0", "--position", "0.5", "--position", "0.7", "--positions",
                         "0:1:9007199254740991", "--", "1", "0", "1"}),
                "--position and --positions: more than 9007199254740992 positions in all"},
        Refused{"MomentArgumentsOverTheCap", many_moments(1001),
                "too many moments: 1001 (at most 1000)"},
        Refused{"MomentsFileOverTheCap",
                classic({"--type", "0", "--position", "0.5", "--moments-file", "-"}),
                "--moments-file -: too many moments: 1001 or more (at most 1000)",
                moment_list(1001)},
        Refused{"EndlessFile",
                classic({"--type", "0", "--position", "0.5", "--moments-file", "/dev/zero"}),
                "--moments-file: '/dev/zero' holds more than 1048576 bytes"},
        Refused{"StandardInputOverTheByteCap",
                classic({"--type", "0", "--position", "0.5", "--moments-file", "-"}),
                "--moments-file: '-' holds more than 1048576 bytes",
                "1 0 1" + std::string(1 << 20, ' ')},
        Refused{"LongTokenIsCut", classic({"--type", "0", "--position", long_token, "1", "0", "1"}),
                "--position: '" + long_token.substr(0, 64) + "...' (100000 bytes) is not a number"},
        Refused{"LongTokenInAFileIsCut",
                classic({"--type", "0", "--position", "0.5", "--moments-file", "-"}),
                "moment M1: '" + long_token.substr(0, 64) + "...' (100000 bytes)",
                "1 " + long_token},
        Refused{"LongUnknownOptionIsCut",
                classic({"--type", "0", "--position", "1", "--" + long_token, "1", "0", "1"}),
                "--" + long_token.substr(0, 62) + "..."},
        Refused{"ControlBytesAreEscaped",
                classic({"--type", "0", "--position", "1\x1b[2J\n", "1", "0", "1"}),
                "--position: '1\\x1b[2J\\x0a' is not a number"}),
    [](const ::testing::TestParamInfo<Refused>& info) { return std::string(info.param.name); });

TEST(MomentCap, AThousandMomentsAreAccepted) {
    ScratchFolder folder;
    std::vector<std::string> a = {"--method", "sharp", "--type", "2", "--position", "0.5", "--"};
    for (int k = 0; k < 1000; ++k)
        a.push_back(k == 0 ? "1" : std::to_string(1.0 / (k + 1)));
    const RunResult r = cli_test::run_cli(folder.path(), a);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Lower bound = "), std::string::npos);
}

// ----------------------------------------------------------- failing output

struct FailingOutput {
    const char* name;
    std::vector<std::string> arguments;
    RunOptions options;
    int status;          // negative: the signal that ends the process
    std::string message; // standard error, whole ("": nothing)
};

void PrintTo(const FailingOutput& c, std::ostream* os) {
    *os << c.name;
}

class FailingOutputTest : public ::testing::TestWithParam<FailingOutput> {};

// The run stops at the first failed write: far fewer positions are computed
// (and logged) than the 20000 asked for.
TEST_P(FailingOutputTest, StopsAtTheFirstFailedWrite) {
    const FailingOutput& c = GetParam();
    ScratchFolder folder;
    const RunResult r = cli_test::run_cli(folder.path(), c.arguments, "", c.options);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.err, c.message);
    EXPECT_LT(count_of(cli_test::read_file(folder / "error.log"), "HIBA"), 1000u);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FailingOutputTest,
    ::testing::Values(
        FailingOutput{"HelpToAFullDevice",
                      {"--help"},
                      guarded(Output::device_full),
                      1,
                      "vendrill-cli: cannot write the help: No space left on device\n"},
        FailingOutput{"ResultsToAFullDevice", one_report_a_position("0:1:20000"),
                      guarded(Output::device_full), 1,
                      "vendrill-cli: cannot write the result: No space left on device\n"},
        FailingOutput{"ClosedPipeWithSigpipeIgnored", one_report_a_position("0:1:20000"),
                      guarded(Output::closed_pipe, true), 1,
                      "vendrill-cli: cannot write the result: Broken pipe\n"},
        FailingOutput{"ClosedPipeEndsQuietly", one_report_a_position("0:1:20000"),
                      guarded(Output::closed_pipe), -SIGPIPE, ""}),
    [](const ::testing::TestParamInfo<FailingOutput>& info) {
        return std::string(info.param.name);
    });

// ------------------------------------------------------------ log as a FIFO

TEST(LogFifo, WithAReaderGetsTheReportsWithoutTheBanner) {
    ScratchFolder folder;
    const std::string fifo = (folder / "log.fifo").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    std::vector<std::string> a = one_report_a_position("0:1:3");
    a.insert(a.begin(), {"--log", fifo});
    const RunResult r = cli_test::run_cli(folder.path(), a, "", guarded());
    std::string received(65536, '\0');
    const ssize_t n = read(reader, received.data(), received.size());
    close(reader);
    received.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(count_of(received, report_start), 3u);
    EXPECT_EQ(received.rfind(report_start, 0), 0u) << "no banner before the first report";
}

TEST(LogFifo, WithoutAReaderIsNotWaitedFor) {
    ScratchFolder folder;
    const std::string fifo = (folder / "log.fifo").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::vector<std::string> a = one_report_a_position("0:1:3");
    a.insert(a.begin(), {"--log", fifo});
    const RunResult r = cli_test::run_cli(folder.path(), a, "", guarded());
    ASSERT_TRUE(r.exited) << "signal " << -r.status;
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(count_of(r.out, "Position = "), 3u);
    EXPECT_EQ(count_of(r.err, "is a FIFO that nobody reads: its reports go to standard error."),
              1u);
    EXPECT_EQ(count_of(r.err, "HIBA"), 3u);
}

// ------------------------------------------------------ a full file system

// A small file system of its own, mounted for the test (root can).
class SmallFileSystem {
public:
    explicit SmallFileSystem(const std::filesystem::path& where) : where_(where) {
        std::filesystem::create_directory(where);
        if (mount("vendrill-test", where.c_str(), "tmpfs", 0, "size=64k") == 0)
            mounted_ = true;
        else
            error_ = std::strerror(errno);
    }
    ~SmallFileSystem() {
        if (mounted_)
            umount2(where_.c_str(), MNT_DETACH);
    }
    SmallFileSystem(const SmallFileSystem&) = delete;
    SmallFileSystem& operator=(const SmallFileSystem&) = delete;
    bool mounted() const { return mounted_; }
    const std::string& error() const { return error_; }

private:
    std::filesystem::path where_;
    bool mounted_ = false;
    std::string error_;
};

// The log fills the 64 KiB file system after about a tenth of the 2000
// reports: the results are all printed, the log keeps whole reports only, and
// the others go to standard error after one line saying that the log is full.
TEST(FullFileSystem, ResultsArePrintedAndNoReportIsLostOrCut) {
    ScratchFolder folder;
    const SmallFileSystem small(folder / "small");
    if (!small.mounted())
        GTEST_SKIP() << "cannot mount a small tmpfs here (" << small.error() << ")";
    const auto request = one_report_a_position("0:1:2000");
    auto logged = request;
    logged.insert(logged.begin(), {"--log", "small/error.log"});
    const RunResult full = cli_test::run_cli(folder.path(), logged, "", guarded());
    auto unlogged = request;
    unlogged.insert(unlogged.begin(), "--no-log");
    const RunResult expected = cli_test::run_cli(folder.path(), unlogged);

    EXPECT_EQ(full.status, 0);
    EXPECT_EQ(full.out, expected.out);
    EXPECT_EQ(count_of(full.err, "The error log 'small/error.log' is full (No space left on "
                                 "device): its reports go to standard error.\n"),
              1u);
    const std::string log = cli_test::read_file(folder / "small/error.log");
    ASSERT_EQ(log.rfind(banner + report_start, 0), 0u);
    const std::size_t kept = count_of(log, report_start);
    EXPECT_GT(kept, 0u);
    EXPECT_EQ(count_of(log, " 2. momentum = 1.000000\n"), kept) << "every report whole";
    EXPECT_EQ(log.substr(log.size() - 24), " 2. momentum = 1.000000\n");
    EXPECT_EQ(kept + count_of(full.err, report_start), 2000u);
}

// ------------------------------------------------- several processes, one log

// The probe of the fault: twenty runs of ten reports each, started together
// in a folder without a log.
TEST(SharedLog, TwentyRunsKeepAllTheirReportsUnderOneBanner) {
    ScratchFolder folder;
    std::vector<pid_t> children;
    for (int i = 0; i < 20; ++i) {
        const pid_t child = fork();
        if (child == 0) {
            const int null = open("/dev/null", O_WRONLY);
            if (null < 0 || dup2(null, 1) < 0 || chdir(folder.path().c_str()) != 0)
                _exit(127);
            std::vector<char*> argv;
            std::string program = VENDRILL_CLI_PATH;
            std::vector<std::string> copies = ten_reports;
            argv.push_back(program.data());
            for (std::string& a : copies)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            alarm(120);
            execv(argv[0], argv.data());
            _exit(127);
        }
        children.push_back(child);
    }
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const std::string log = cli_test::read_file(folder / "error.log");
    EXPECT_EQ(log.rfind(banner + report_start, 0), 0u);
    EXPECT_EQ(count_of(log, banner), 1u);
    EXPECT_EQ(count_of(log, report_start), 200u);
    EXPECT_EQ(count_of(log, " 6. momentum = 0.100000\n"), 200u) << "every report whole";
}

} // namespace
