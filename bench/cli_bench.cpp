// SPDX-License-Identifier: Apache-2.0
// Whole vendrill-cli processes over 10,000 positions (--positions), bounded
// type on [0, 1]: the classic method on 9 moments of a 3-atom distribution
// with --no-log and with the error log on (./error.log in a scratch working
// folder), and the sharp method on the same moments (determinate) and on 9
// moments of the uniform distribution (every position a full Radau rule).  Standard
// output and standard error go to /dev/null; the time is wall-clock time from
// spawning the process to reaping it.

#include <benchmark/benchmark.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "bench/bench_support.h"
#include "cli/output.h"

extern char** environ;

namespace {

struct Run {
    const char* method;
    bool log_on;
    std::vector<double> (*moments)(int);
};

std::vector<std::string> cli_arguments(const Run& run) {
    std::vector<std::string> arguments = {
        VENDRILL_CLI_PATH, "--type",    "2",        "--lower", "0",        "--upper", "1",
        "--positions",     "0:1:10000", "--format", "csv",     "--method", run.method};
    if (!run.log_on)
        arguments.push_back("--no-log");
    arguments.push_back("--");
    for (double m : run.moments(9))
        arguments.push_back(vendrill::cli::round_trip_number(m));
    return arguments;
}

// Runs the tool once in `folder`; returns its exit status, -1 when it could
// not be started or did not exit normally.
int run_once(std::vector<std::string> arguments, const std::filesystem::path& folder) {
    std::vector<char*> argv;
    for (std::string& a : arguments)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    pid_t child = 0;
    const int spawned = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return -1;
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

void cli_10000_positions(benchmark::State& state, Run run) {
    const bench_support::ScratchFolder folder;
    const auto arguments = cli_arguments(run);
    const auto log = folder.path() / "error.log";
    double log_bytes = 0.0;
    for (auto _ : state) {
        if (run_once(arguments, folder.path()) != 0) {
            state.SkipWithError("vendrill-cli did not exit with status 0");
            break;
        }
        state.PauseTiming();
        std::error_code ignored;
        if (std::filesystem::exists(log)) {
            log_bytes = static_cast<double>(std::filesystem::file_size(log));
            std::filesystem::remove(log, ignored);
        }
        state.ResumeTiming();
    }
    state.counters["log_MB"] = log_bytes / 1e6;
}

BENCHMARK_CAPTURE(cli_10000_positions, no_log,
                  Run{"classic", false, bench_support::three_atom_moments})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);
BENCHMARK_CAPTURE(cli_10000_positions, log_on,
                  Run{"classic", true, bench_support::three_atom_moments})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);
BENCHMARK_CAPTURE(cli_10000_positions, sharp_three_atoms,
                  Run{"sharp", false, bench_support::three_atom_moments})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);
BENCHMARK_CAPTURE(cli_10000_positions, sharp_uniform,
                  Run{"sharp", false, bench_support::uniform_moments})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

} // namespace

BENCHMARK_MAIN();
