// SPDX-License-Identifier: Apache-2.0
// The C++ loops that the Python package's calls run, timed on their own so
// that bench/python_bench.py can put the package's cost beside them: one
// moment list at 10^5 positions and at one position (either method), and many
// lists at 50 positions (bounds_many).  A C++ caller would write them so: one
// analysis a list for the sharp method, one guarded ClassicEstimation a list,
// asked a position at a time with a quiet context (no log, no diagnostics),
// for the classic one.  The lists and
// positions are the ones python_bench.py uses.

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "estimation/context.h"
#include "estimation/estimate.h"
#include "numeric/support.h"
#include "numeric/vector.h"
#include "sharp/sharp.h"

namespace {

constexpr int moment_count = 9;
constexpr int many_positions = 50;

// count positions evenly spread over [0, 1], both ends included.
std::vector<double> positions(int count) {
    std::vector<double> x(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        x[static_cast<std::size_t>(i)] = count > 1 ? static_cast<double>(i) / (count - 1) : 0.5;
    return x;
}

// lists moment lists of beta(a, b) distributions on [0, 1], a and b spread
// over [0.5, 5] by the list's number; row after row.
std::vector<double> beta_lists(int lists) {
    std::vector<double> m(static_cast<std::size_t>(lists) * moment_count);
    for (int i = 0; i < lists; ++i) {
        const double a = 0.5 + 4.5 * ((i * 37) % 101) / 100.0;
        const double b = 0.5 + 4.5 * ((i * 53) % 103) / 102.0;
        double* row = m.data() + static_cast<std::size_t>(i) * moment_count;
        row[0] = 1.0;
        for (int k = 1; k < moment_count; ++k)
            row[k] = row[k - 1] * (a + (k - 1)) / (a + b + (k - 1));
    }
    return m;
}

EstimationContext quiet() {
    EstimationContext context;
    context.log_path.reset();
    context.diagnostics = DiagnosticSink(nullptr);
    return context;
}

void sharp_list(const double* moments, const std::vector<double>& x, double* lower, double* upper) {
    const SharpAnalysis analysis =
        analyse_moments(Support::interval, 0.0, 1.0, moments, moment_count);
    SharpSweep sweep(analysis);
    for (std::size_t i = 0; i < x.size(); ++i) {
        const SharpBounds b = sweep.at(x[i]);
        lower[i] = b.lower_bound;
        upper[i] = b.upper_bound;
    }
}

void classic_list(const double* moments, const std::vector<double>& x, double* lower, double* upper,
                  EstimationContext& context) {
    const ClassicEstimation estimation(Support::interval, 0.0, 1.0, moments, moment_count, context);
    for (std::size_t i = 0; i < x.size(); ++i) {
        const Estimate e = estimation.at(x[i]);
        lower[i] = e.lower_bound;
        upper[i] = e.upper_bound;
    }
}

// One list (uniform on [0, 1]) at count positions, the results stored.
void one_list(benchmark::State& state, bool sharp, int count) {
    const std::vector<double> m = bench_support::uniform_moments(moment_count);
    const std::vector<double> x = positions(count);
    EstimationContext context = quiet();
    for (auto _ : state) {
        std::vector<double> lower(x.size());
        std::vector<double> upper(x.size());
        if (sharp)
            sharp_list(m.data(), x, lower.data(), upper.data());
        else
            classic_list(m.data(), x, lower.data(), upper.data(), context);
        benchmark::DoNotOptimize(lower.data());
        benchmark::DoNotOptimize(upper.data());
    }
}

// lists beta lists at 50 positions.
void many_lists(benchmark::State& state, bool sharp, int lists) {
    const std::vector<double> m = beta_lists(lists);
    const std::vector<double> x = positions(many_positions);
    EstimationContext context = quiet();
    for (auto _ : state) {
        std::vector<double> lower(static_cast<std::size_t>(lists) * x.size());
        std::vector<double> upper(lower.size());
        for (int r = 0; r < lists; ++r) {
            const std::size_t at = static_cast<std::size_t>(r) * x.size();
            const double* row = m.data() + static_cast<std::size_t>(r) * moment_count;
            if (sharp)
                sharp_list(row, x, lower.data() + at, upper.data() + at);
            else
                classic_list(row, x, lower.data() + at, upper.data() + at, context);
        }
        benchmark::DoNotOptimize(lower.data());
        benchmark::DoNotOptimize(upper.data());
    }
}

void register_all() {
    for (const bool sharp : {true, false}) {
        const std::string method = sharp ? "sharp" : "classic";
        benchmark::RegisterBenchmark(("one_list/" + method + "/positions:100000").c_str(),
                                     [sharp](benchmark::State& s) { one_list(s, sharp, 100000); })
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("one_list/" + method + "/positions:1").c_str(),
                                     [sharp](benchmark::State& s) { one_list(s, sharp, 1); })
            ->Unit(benchmark::kMicrosecond);
        const int lists = sharp ? 100000 : 1000;
        benchmark::RegisterBenchmark(
            ("many_lists/" + method + "/lists:" + std::to_string(lists) + "/positions:50").c_str(),
            [sharp, lists](benchmark::State& s) { many_lists(s, sharp, lists); })
            ->Unit(benchmark::kMillisecond);
    }
}

} // namespace

int main(int argc, char** argv) {
    register_all();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
