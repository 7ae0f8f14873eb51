// SPDX-License-Identifier: Apache-2.0
#pragma once
// Runs the real vendrill-cli binary in a private scratch folder and captures
// its exit status, standard output and standard error.

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "tests/support/contexts.h"
#include "tests/support/test_support.h"

namespace cli_test {

using test_support::read_file;
using test_support::write_file;

struct RunResult {
    bool exited = false; // false when the process was killed by a signal
    int status = -1;
    std::string out;
    std::string err;
    long max_rss_kib = 0; // the child's peak resident memory
};

// Where the child's standard output goes and what else it gets.
struct RunOptions {
    enum class Output {
        captured,    // a file, read back into RunResult::out
        device_full, // /dev/full: every write fails with ENOSPC
        closed_pipe, // a pipe whose reader is gone
    };
    Output output = Output::captured;
    bool ignore_sigpipe = false;
    // When not 0, an alarm ends a child that runs longer, so that a hang
    // fails the test instead of stalling the suite.  Not a time limit of
    // the tests: far above what the run needs.
    unsigned hang_guard_seconds = 0;
    // When not empty, standard input comes from this file and `input` is
    // not used: a large input need not be held by the test (a forked
    // child's peak memory counts what the test holds at the fork).
    std::filesystem::path input_file;
};

// A folder of its own (mkdtemp) that is removed at the end of the test.
class ScratchFolder : public test_support::ScratchFolder {
public:
    ScratchFolder() : test_support::ScratchFolder("vendrill-cli-test") {}
};

// Runs the binary with `arguments` in `folder`, feeding `input` on stdin.
inline RunResult run_cli(const std::filesystem::path& folder,
                         const std::vector<std::string>& arguments, const std::string& input,
                         const RunOptions& options) {
    const auto in_path = folder / ".stdin";
    const auto out_path = folder / ".stdout";
    const auto err_path = folder / ".stderr";
    const bool own_input = options.input_file.empty();
    if (own_input)
        write_file(in_path, input);
    std::vector<char*> argv;
    std::string program = VENDRILL_CLI_PATH;
    argv.push_back(program.data());
    std::vector<std::string> copies(arguments);
    for (std::string& a : copies)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    int pipe_ends[2] = {-1, -1};
    if (options.output == RunOptions::Output::closed_pipe) {
        EXPECT_EQ(pipe(pipe_ends), 0);
        close(pipe_ends[0]); // nobody will read
    }
    const pid_t child = fork();
    if (child == 0) {
        const auto redirect = [](const std::filesystem::path& path, int flags, int target) {
            const int fd = open(path.c_str(), flags, 0644);
            if (fd < 0 || dup2(fd, target) < 0)
                _exit(127);
            close(fd);
        };
        redirect(own_input ? in_path : options.input_file, O_RDONLY, 0);
        switch (options.output) {
        case RunOptions::Output::captured:
            redirect(out_path, O_WRONLY | O_CREAT | O_TRUNC, 1);
            break;
        case RunOptions::Output::device_full:
            redirect("/dev/full", O_WRONLY, 1);
            break;
        case RunOptions::Output::closed_pipe:
            if (dup2(pipe_ends[1], 1) < 0)
                _exit(127);
            close(pipe_ends[1]);
            break;
        }
        redirect(err_path, O_WRONLY | O_CREAT | O_TRUNC, 2);
        if (chdir(folder.c_str()) != 0)
            _exit(127);
        signal(SIGPIPE, options.ignore_sigpipe ? SIG_IGN : SIG_DFL);
        alarm(options.hang_guard_seconds);
        execv(argv[0], argv.data());
        _exit(127);
    }
    if (pipe_ends[1] >= 0)
        close(pipe_ends[1]);
    RunResult result;
    int wait_status = 0;
    rusage usage{};
    if (child > 0 && wait4(child, &wait_status, 0, &usage) == child) {
        result.exited = WIFEXITED(wait_status);
        result.status = result.exited ? WEXITSTATUS(wait_status) : -WTERMSIG(wait_status);
        result.max_rss_kib = usage.ru_maxrss;
    }
    result.out = read_file(out_path);
    result.err = read_file(err_path);
    for (const auto& p : {in_path, out_path, err_path})
        std::filesystem::remove(p);
    return result;
}

inline RunResult run_cli(const std::filesystem::path& folder,
                         const std::vector<std::string>& arguments, const std::string& input = "") {
    return run_cli(folder, arguments, input, RunOptions{});
}

// For estimations in this process: no log and no diagnostics.
using test_support::quiet_context;

} // namespace cli_test
