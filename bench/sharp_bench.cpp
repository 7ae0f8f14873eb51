// SPDX-License-Identifier: Apache-2.0
// Cost of the sharp method: the analysis of one moment list, and each further
// position answered from that analysis.  Lists that stay in double: 5, 9 and
// 15 moments of the uniform distribution on [0, 1] (the whole line and the
// interval [0, 1]) and of a 3-atom distribution (determinate from 7 moments
// on).  Clustered lists (9 moments): an atom plus a uniform of width 1e-3
// (whole line; the double analysis settles it), two clusters of width 1e-4
// on an interval and 5 atoms, three of them 0.01 apart, on a half-line (both
// redone in double-double).  The label says which precision the analysis used.
// sharp_sweep: the same lists' positions in order, 1,000 across the range, as
// one SharpSweep answers them (a sweep, an envelope, a vendrill-cli run).
// sharp_batch: the 40 requests of bench/batch_requests.h, each analysed and
// swept over its 10,000 positions; us_per_bound is the cost of one position.

#include <benchmark/benchmark.h>

#include <cmath>
#include <string>
#include <vector>

#include "bench/batch_requests.h"
#include "bench/bench_support.h"
#include "sharp/sharp.h"

namespace {

// E X^k of an atom of mass p at a plus a uniform of mass 1 - p on [b, b + w].
std::vector<double> atom_and_uniform(int count, double p, double a, double b, double w) {
    std::vector<double> m;
    for (int k = 0; k < count; ++k) {
        long double upper = std::pow(static_cast<long double>(b + w), k + 1);
        long double lower = std::pow(static_cast<long double>(b), k + 1);
        long double uniform = (upper - lower) / ((k + 1) * static_cast<long double>(w));
        m.push_back(
            static_cast<double>(p * std::pow(static_cast<long double>(a), k) + (1 - p) * uniform));
    }
    m[0] = 1.0;
    return m;
}

std::vector<double> clustered_line(int count) {
    return atom_and_uniform(count, 0.2, 0.0, 1.0, 1e-3);
}

std::vector<double> two_clusters(int count) {
    std::vector<double> a = atom_and_uniform(count, 0.0, 0.0, 0.2, 1e-4);
    std::vector<double> b = atom_and_uniform(count, 0.0, 0.0, 0.7, 1e-4);
    for (int k = 0; k < count; ++k)
        a[k] = 0.4 * a[k] + 0.6 * b[k];
    a[0] = 1.0;
    return a;
}

std::vector<double> close_atoms(int count) {
    const double points[] = {-0.5, 0.3, 0.8, 0.81, 0.82};
    const double masses[] = {0.2, 0.2, 0.2, 0.2, 0.2};
    std::vector<double> m;
    for (int k = 0; k < count; ++k) {
        long double sum = 0;
        for (int i = 0; i < 5; ++i)
            sum += masses[i] * std::pow(static_cast<long double>(points[i]), k);
        m.push_back(static_cast<double>(sum));
    }
    m[0] = 1.0;
    return m;
}

struct Case {
    const char* name;
    Support support;
    double lower;
    double upper;
    std::vector<double> (*moments)(int);
    std::vector<int> counts;
};

const Case cases[] = {
    {"uniform_line", Support::whole, 0.0, 1.0, bench_support::uniform_moments, {5, 9, 15}},
    {"uniform_interval", Support::interval, 0.0, 1.0, bench_support::uniform_moments, {5, 9, 15}},
    {"three_atoms_interval",
     Support::interval,
     0.0,
     1.0,
     bench_support::three_atom_moments,
     {5, 9, 15}},
    {"clustered/atom_and_uniform_line", Support::whole, -0.5, 1.5, clustered_line, {9}},
    {"clustered/two_clusters_interval", Support::interval, 0.0, 1.0, two_clusters, {9}},
    {"clustered/close_atoms_half_line", Support::half, -1.0, 1.0, close_atoms, {9}},
};

// Positions spread over (lower, upper) so that every bracket of the Radau
// nodes is met.
std::vector<double> positions(const Case& c) {
    std::vector<double> xs;
    for (int i = 0; i < 64; ++i)
        xs.push_back(c.lower + (c.upper - c.lower) * (i + 0.5) / 64.0);
    return xs;
}

std::string label(const SharpAnalysis& analysis) {
    return std::string(status_name(analysis.status)) + ", " +
           std::to_string(analysis.moments_used) + " moments used" +
           (analysis.extended_precision ? ", double-double" : ", double");
}

void analysis_cost(benchmark::State& state, const Case& c) {
    int count = static_cast<int>(state.range(0));
    std::vector<double> m = c.moments(count);
    for (auto _ : state) {
        SharpAnalysis analysis = analyse_moments(c.support, c.lower, c.upper, m.data(), count);
        benchmark::DoNotOptimize(analysis.status);
    }
    state.SetLabel(label(analyse_moments(c.support, c.lower, c.upper, m.data(), count)));
}

void position_cost(benchmark::State& state, const Case& c) {
    int count = static_cast<int>(state.range(0));
    std::vector<double> m = c.moments(count);
    SharpAnalysis analysis = analyse_moments(c.support, c.lower, c.upper, m.data(), count);
    std::vector<double> xs = positions(c);
    std::size_t i = 0;
    for (auto _ : state) {
        SharpBounds bounds = sharp_bounds_at(analysis, xs[i]);
        benchmark::DoNotOptimize(bounds.lower_bound);
        benchmark::DoNotOptimize(bounds.upper_bound);
        i = (i + 1) % xs.size();
    }
    state.SetLabel(label(analysis));
}

void sweep_cost(benchmark::State& state, const Case& c) {
    int count = static_cast<int>(state.range(0));
    std::vector<double> m = c.moments(count);
    SharpAnalysis analysis = analyse_moments(c.support, c.lower, c.upper, m.data(), count);
    constexpr int steps = 1000;
    SharpSweep sweep(analysis);
    int i = 0;
    for (auto _ : state) {
        const double x = c.lower + (c.upper - c.lower) * (i + 0.5) / steps;
        SharpBounds bounds = sweep.at(x);
        benchmark::DoNotOptimize(bounds.lower_bound);
        benchmark::DoNotOptimize(bounds.upper_bound);
        i = (i + 1) % steps;
    }
    state.SetLabel(label(analysis));
}

void batch_cost(benchmark::State& state) {
    const std::vector<bench_support::BatchRequest> requests = bench_support::batch_requests();
    for (auto _ : state)
        for (const bench_support::BatchRequest& r : requests) {
            SharpAnalysis analysis = analyse_moments(r.support, r.lower, r.upper, r.moments.data(),
                                                     static_cast<int>(r.moments.size()));
            SharpSweep sweep(analysis);
            for (int i = 0; i < bench_support::batch_positions; ++i) {
                SharpBounds bounds = sweep.at(bench_support::batch_position(r, i));
                benchmark::DoNotOptimize(bounds.lower_bound);
                benchmark::DoNotOptimize(bounds.upper_bound);
            }
        }
    const double bounds = static_cast<double>(requests.size()) * bench_support::batch_positions;
    state.counters["us_per_bound"] = benchmark::Counter(
        bounds * 1e-6, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void register_all() {
    for (const Case& c : cases) {
        auto* analysis =
            benchmark::RegisterBenchmark((std::string("sharp_analysis/") + c.name).c_str(),
                                         [&c](benchmark::State& s) { analysis_cost(s, c); });
        auto* position =
            benchmark::RegisterBenchmark((std::string("sharp_position/") + c.name).c_str(),
                                         [&c](benchmark::State& s) { position_cost(s, c); });
        auto* sweep = benchmark::RegisterBenchmark((std::string("sharp_sweep/") + c.name).c_str(),
                                                   [&c](benchmark::State& s) { sweep_cost(s, c); });
        for (auto* b : {analysis, position, sweep}) {
            b->ArgName("n")->Unit(benchmark::kMicrosecond);
            for (int count : c.counts)
                b->Arg(count);
        }
    }
    benchmark::RegisterBenchmark("sharp_batch/40_requests", batch_cost)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(3);
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
