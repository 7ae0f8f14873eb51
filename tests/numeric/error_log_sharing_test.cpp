// SPDX-License-Identifier: Apache-2.0
// The error log shared: twenty processes writing one log at once, and logs
// that are symbolic links.

#include "numeric/error_log.h"

#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using test_support::FixedRequest;
using test_support::LogFolder;
using test_support::read_file;
using test_support::write_file;

namespace {

const std::string banner = "Vendrill, 2001.05.14. 16:06";

const Failure failure("trybounded", "Nem sikerült!", FailureCode::computation);

// Process i reports at position i; a long request makes a report of more
// than 4 KiB, which no single pipe-sized write would keep whole.
FixedRequest request_of(int process, int moment_count) {
    FixedRequest request;
    request.position_ = process;
    request.type_ = 2;
    request.upper_ = 1.0;
    for (int k = 0; k < moment_count; ++k)
        request.moments_.push_back(1.0 / (k + 1));
    return request;
}

// The bytes of one report, as a single writer puts it after the banner.
std::string report_bytes(const FixedRequest& request) {
    LogFolder alone;
    write_error_report(alone.log_path(), &request, failure);
    return alone.log().substr(banner.size());
}

struct Sharing {
    const char* name;
    const char* existing; // nullptr: no log yet
    int moment_count;
};

void PrintTo(const Sharing& c, std::ostream* os) {
    *os << c.name;
}

class SharedLogTest : public ::testing::TestWithParam<Sharing> {};

constexpr int process_count = 20;
constexpr int reports_each = 40;

// The processes wait at a gate (a pipe) and start writing together.
TEST_P(SharedLogTest, EveryReportLandsWholeUnderOneBanner) {
    const Sharing& c = GetParam();
    LogFolder folder;
    if (c.existing != nullptr)
        write_file(folder.log_path(), c.existing);
    std::vector<std::string> expected;
    for (int i = 0; i < process_count; ++i)
        expected.push_back(report_bytes(request_of(i, c.moment_count)));
    ASSERT_GT(expected.back().size(), c.moment_count > 100 ? 4096u : 0u);

    int gate[2];
    ASSERT_EQ(pipe(gate), 0);
    std::vector<pid_t> children;
    for (int i = 0; i < process_count; ++i) {
        const pid_t child = fork();
        if (child == 0) {
            close(gate[1]);
            char byte;
            if (read(gate[0], &byte, 1) != 0)
                _exit(2);
            const FixedRequest request = request_of(i, c.moment_count);
            for (int k = 0; k < reports_each; ++k)
                write_error_report(folder.log_path(), &request, failure);
            _exit(0);
        }
        children.push_back(child);
    }
    close(gate[0]);
    close(gate[1]); // opens the gate
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }

    const std::string log = folder.log();
    ASSERT_EQ(log.rfind(banner, 0), 0u);
    std::map<int, int> found; // process -> its reports, each matched byte for byte
    std::size_t at = banner.size();
    while (at < log.size()) {
        int matched = -1;
        for (int i = 0; i < process_count && matched < 0; ++i)
            if (log.compare(at, expected[i].size(), expected[i]) == 0)
                matched = i;
        ASSERT_GE(matched, 0) << "a report is cut or mixed at byte " << at;
        ++found[matched];
        at += expected[matched].size();
    }
    for (int i = 0; i < process_count; ++i)
        EXPECT_EQ(found[i], reports_each) << "process " << i;
}

INSTANTIATE_TEST_SUITE_P(
    Table, SharedLogTest,
    ::testing::Values(Sharing{"FreshSmall", nullptr, 3}, Sharing{"EmptySmall", "", 3},
                      Sharing{"ForeignSmall", "not a log\nat all\n", 3},
                      Sharing{"FreshLarge", nullptr, 300}, Sharing{"EmptyLarge", "", 300},
                      Sharing{"ForeignLarge", "not a log\n", 300}),
    [](const ::testing::TestParamInfo<Sharing>& info) { return std::string(info.param.name); });

// ------------------------------------------------------------------- links

struct Link {
    const char* name;
    const char* target_content; // nullptr: the target does not exist
    bool appended;              // false: the target is left as it was
    std::string told;           // the line before the report on standard error
};

void PrintTo(const Link& c, std::ostream* os) {
    *os << c.name;
}

class LinkedLogTest : public ::testing::TestWithParam<Link> {};

TEST_P(LinkedLogTest, IsFollowedOnlyToAVendrillLog) {
    const Link& c = GetParam();
    LogFolder folder;
    const std::filesystem::path target = folder / "target.txt";
    if (c.target_content != nullptr)
        write_file(target, c.target_content);
    std::filesystem::create_symlink("target.txt", folder.log_path());
    const FixedRequest request = request_of(1, 3);
    test_support::StreamCapture err(stderr);
    const ReportDestination where = write_error_report(folder.log_path(), &request, failure, true);
    const std::string told = err.text();

    const std::string report = report_bytes(request);
    if (c.appended) {
        EXPECT_EQ(where, ReportDestination::log);
        EXPECT_EQ(read_file(target), c.target_content + report);
        EXPECT_EQ(told, "");
        return;
    }
    EXPECT_EQ(where, ReportDestination::standard_error);
    EXPECT_EQ(std::filesystem::exists(target), c.target_content != nullptr);
    if (c.target_content != nullptr) {
        EXPECT_EQ(read_file(target), c.target_content);
    }
    EXPECT_EQ(told.substr(0, told.find('\n') + 1), "The error log '" + folder.log_path() + "' " +
                                                       c.told +
                                                       ": its reports go to standard error.\n");
    EXPECT_EQ(test_support::cp1250(told.substr(told.find('\n') + 1)), report);
}

INSTANTIATE_TEST_SUITE_P(
    Table, LinkedLogTest,
    ::testing::Values(
        Link{"ToAVendrillLog", "Vendrill, 2001.05.14. 16:06\nold\n", true, ""},
        Link{"ToAForeignFile", "precious\n", false,
             "is a symbolic link to a file that is not a Vendrill log, which is left as it is"},
        Link{"ToAnEmptyFile", "", false,
             "is a symbolic link to a file that is not a Vendrill log, which is left as it is"},
        Link{"ToNothing", nullptr, false, "cannot be opened (No such file or directory)"}),
    [](const ::testing::TestParamInfo<Link>& info) { return std::string(info.param.name); });

} // namespace
