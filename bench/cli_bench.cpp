// SPDX-License-Identifier: Apache-2.0
// Whole vendrill-cli processes over 10,000 positions (--positions), bounded
// type on [0, 1]: the classic method on 9 moments of a 3-atom distribution
// with --no-log and with the error log on (./error.log in a scratch working
// folder), and the sharp method on the same moments (determinate) and on 9
// moments of the uniform distribution (every position a full Radau rule).  Standard
// output and standard error go to /dev/null; the time is wall-clock time from
// spawning the process to reaping it.
//
// Long sweeps (200,000 positions, sharp method) in each output format give
// the cost a position of a whole run (us_per_position, start-up included);
// the 40 requests of bench/batch_requests.h, one process each over its
// 10,000 positions (CSV), give the batch cost of a bound (us_per_bound);
// and one-position runs stand next to a program that only prints one line,
// started the same way, for the cost of vendrill-cli's start-up.

#include <benchmark/benchmark.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "bench/batch_requests.h"
#include "bench/bench_support.h"
#include "cli/output.h"

extern char** environ;

namespace {

struct Run {
    const char* method;
    bool log_on;
    std::vector<double> (*moments)(int);
};

std::vector<std::string> cli_arguments(const Run& run, const std::string& positions = "0:1:10000",
                                       const char* format = "csv") {
    std::vector<std::string> arguments = {
        VENDRILL_CLI_PATH, "--type",  "2",        "--lower", "0",        "--upper", "1",
        "--positions",     positions, "--format", format,    "--method", run.method};
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

constexpr int sweep_positions = 200000;

void cli_sweep(benchmark::State& state, Run run, const char* format) {
    const bench_support::ScratchFolder folder;
    const auto arguments = cli_arguments(run, "0:1:" + std::to_string(sweep_positions), format);
    for (auto _ : state)
        if (run_once(arguments, folder.path()) != 0) {
            state.SkipWithError("vendrill-cli did not exit with status 0");
            break;
        }
    // Seconds a position: the rate of positions, inverted.
    state.counters["us_per_position"] =
        benchmark::Counter(sweep_positions * 1e-6, benchmark::Counter::kIsIterationInvariantRate |
                                                       benchmark::Counter::kInvert);
}

void register_sweeps() {
    const struct {
        const char* name;
        std::vector<double> (*moments)(int);
    } lists[] = {{"three_atoms", bench_support::three_atom_moments},
                 {"uniform", bench_support::uniform_moments}};
    for (const auto& list : lists)
        for (const char* format : {"csv", "text", "json"})
            benchmark::RegisterBenchmark(
                (std::string("cli_sweep/") + list.name + "/" + format).c_str(), cli_sweep,
                Run{"sharp", false, list.moments}, format)
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime()
                ->Iterations(3);
}

void cli_batch(benchmark::State& state) {
    const bench_support::ScratchFolder folder;
    std::vector<std::vector<std::string>> runs;
    for (const bench_support::BatchRequest& r : bench_support::batch_requests()) {
        const char* type = r.support == Support::whole  ? "whole"
                           : r.support == Support::half ? "half"
                                                        : "bounded";
        std::vector<std::string> arguments = {VENDRILL_CLI_PATH,
                                              "--type",
                                              type,
                                              "--lower",
                                              vendrill::cli::round_trip_number(r.lower),
                                              "--upper",
                                              vendrill::cli::round_trip_number(r.upper),
                                              "--positions",
                                              vendrill::cli::round_trip_number(r.from) + ":" +
                                                  vendrill::cli::round_trip_number(r.to) + ":" +
                                                  std::to_string(bench_support::batch_positions),
                                              "--format",
                                              "csv",
                                              "--no-log",
                                              "--"};
        for (double m : r.moments)
            arguments.push_back(vendrill::cli::round_trip_number(m));
        runs.push_back(std::move(arguments));
    }
    for (auto _ : state)
        for (const auto& arguments : runs)
            if (run_once(arguments, folder.path()) != 0) {
                state.SkipWithError("vendrill-cli did not exit with status 0");
                return;
            }
    state.counters["us_per_bound"] = benchmark::Counter(
        static_cast<double>(runs.size()) * bench_support::batch_positions * 1e-6,
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

BENCHMARK(cli_batch)
    ->Name("cli_batch/40_requests")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

// One process: vendrill-cli answering one position, or the one-line program.
void start_up(benchmark::State& state, bool cli) {
    const bench_support::ScratchFolder folder;
    std::vector<std::string> arguments = {PRINT_LINE_PATH};
    if (cli) {
        arguments = {VENDRILL_CLI_PATH, "--type", "2",        "--lower", "0", "--upper", "1",
                     "--position",      "0.3",    "--no-log", "--"};
        for (double m : bench_support::uniform_moments(9))
            arguments.push_back(vendrill::cli::round_trip_number(m));
    }
    for (auto _ : state)
        if (run_once(arguments, folder.path()) != 0) {
            state.SkipWithError("the program did not exit with status 0");
            break;
        }
}

BENCHMARK_CAPTURE(start_up, print_one_line, false)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime()
    ->Iterations(300);
BENCHMARK_CAPTURE(start_up, vendrill_cli_one_position, true)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime()
    ->Iterations(300);

} // namespace

int main(int argc, char** argv) {
    register_sweeps();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
