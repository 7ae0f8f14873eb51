// SPDX-License-Identifier: Apache-2.0
// Cost of the three estimation drivers on moments of the uniform distribution
// on [0, 1] and of a 3-atom distribution, for 5 to 15 moments, at positions
// inside [0, 1].  Whether the attempts of a request succeed depends on the
// position, so for every driver, distribution and count the first position of
// a fixed list at which every attempt succeeds is timed as "all_succeed", and
// the first at which attempts fail (each failure writes a report) is timed as
// "attempts_fail", once with the error log on, written into a scratch folder,
// and once with the log off, so that the cost of the file I/O shows.
//
// The entry point estimate() guards every classic answer with the sharp
// analysis of the same request; the rows named after the drivers time the
// drivers alone, the "classic_guarded" rows the guarded entry point: one
// position (estimate(), an analysis each call) and a sweep (one
// ClassicEstimation asked at position after position), next to the drivers
// on the same sweep.
//
// Every row counts the heap allocations of one call (allocations_per_call):
// this program replaces the global operator new with one that counts.

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "estimation/bounded.h"
#include "estimation/context.h"
#include "estimation/estimate.h"
#include "estimation/normal.h"
#include "estimation/positive.h"
#include "numeric/support.h"
#include "numeric/vector.h"

namespace {

std::atomic<unsigned long long> allocations{0};

void* counted_allocation(std::size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    return std::malloc(size == 0 ? 1 : size);
}

} // namespace

// Every form of operator new goes through the counter; the matching deletes
// free what malloc gave.
void* operator new(std::size_t size) {
    if (void* p = counted_allocation(size))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return counted_allocation(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return counted_allocation(size);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

// Heap allocations a call made since `before` (a reading of the counter).
void count_allocations(benchmark::State& state, unsigned long long before) {
    const unsigned long long made = allocations.load(std::memory_order_relaxed) - before;
    state.counters["allocations_per_call"] =
        state.iterations() == 0
            ? 0.0
            : static_cast<double>(made) / static_cast<double>(state.iterations());
}

// Tried in this order; 0.35 lies between two atoms of the 3-atom distribution.
constexpr double positions[] = {0.35, 0.5, 0.65, 0.8, 0.2, 0.1, 0.9};
constexpr double lower = 0.0;
constexpr double upper = 1.0;

// The benchmarks keep the names of the support's driver.
const char* driver_name(Support support) {
    switch (support) {
    case Support::whole:
        return "estimate_normal";
    case Support::half:
        return "estimate_positive";
    case Support::interval:
        return "estimate_bounded";
    }
    return "";
}

// The log at log_path (none for nullptr); the half-line driver's diagnostic
// line would otherwise flood the output.
EstimationContext context_for(const std::filesystem::path* log_path) {
    EstimationContext context;
    if (log_path != nullptr)
        context.log_path = log_path->string();
    else
        context.log_path.reset();
    context.diagnostics = DiagnosticSink(nullptr);
    return context;
}

Estimate driver_estimate(Support support, const Vector& moments, double position,
                         EstimationContext& context) {
    switch (support) {
    case Support::whole:
        return estimate_normal(moments, position, context);
    case Support::half:
        return estimate_positive(moments, position, lower, context);
    case Support::interval:
        return estimate_bounded(moments, position, lower, upper, context);
    }
    return {};
}

int run_driver(Support support, const Vector& moments, double position,
               EstimationContext& context) {
    const Estimate e = driver_estimate(support, moments, position, context);
    benchmark::DoNotOptimize(e.lower_bound);
    benchmark::DoNotOptimize(e.upper_bound);
    return outcome_index(e.outcome);
}

int count_reports(const std::filesystem::path& log) {
    std::ifstream in(log, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    int reports = 0;
    for (std::size_t at = text.find("HIBA"); at != std::string::npos;
         at = text.find("HIBA", at + 1))
        ++reports;
    return reports;
}

// How many reports one call writes: the call is run once with the log on.
int reports_per_call(Support d, const Vector& moments, double position,
                     const bench_support::ScratchFolder& folder) {
    const auto log = folder.path() / "probe.log";
    EstimationContext context = context_for(&log);
    run_driver(d, moments, position, context);
    const int reports = count_reports(log);
    std::filesystem::remove(log);
    return reports;
}

void time_driver(benchmark::State& state, Support d, std::vector<double> values, double position,
                 bool log_on, int reports, const bench_support::ScratchFolder* folder) {
    const Vector moments(values.data(), static_cast<int>(values.size()));
    const auto log = folder->path() / "timed.log";
    EstimationContext context = context_for(log_on ? &log : nullptr);
    const unsigned long long before = allocations.load(std::memory_order_relaxed);
    for (auto _ : state)
        benchmark::DoNotOptimize(run_driver(d, moments, position, context));
    count_allocations(state, before);
    state.counters["reports_per_call"] = reports;
    std::filesystem::remove(log);
}

std::string position_text(double x) {
    std::string text = std::to_string(x);
    text.erase(text.find_last_not_of('0') + 1);
    return text;
}

// Registers the succeeding and the failing benchmark of one driver,
// distribution and count, at the first position of each kind.
void register_case(Support d, const char* distribution, const std::vector<double>& values,
                   const bench_support::ScratchFolder& folder) {
    const Vector moments(values.data(), static_cast<int>(values.size()));
    const std::string base =
        std::string(driver_name(d)) + "/" + distribution + "/n:" + std::to_string(values.size());
    bool timed_success = false;
    bool timed_failure = false;
    for (double x : positions) {
        const int reports = reports_per_call(d, moments, x, folder);
        const std::string name = base + "/x:" + position_text(x);
        if (reports == 0 && !timed_success) {
            benchmark::RegisterBenchmark((name + "/all_succeed").c_str(), time_driver, d, values, x,
                                         false, 0, &folder);
            timed_success = true;
        }
        if (reports > 0 && !timed_failure) {
            benchmark::RegisterBenchmark((name + "/attempts_fail/log_on").c_str(), time_driver, d,
                                         values, x, true, reports, &folder);
            benchmark::RegisterBenchmark((name + "/attempts_fail/log_off").c_str(), time_driver, d,
                                         values, x, false, reports, &folder);
            timed_failure = true;
        }
    }
}

// The guarded entry point on the interval, error log off.
void guarded_one_shot(benchmark::State& state, std::vector<double> values, double position) {
    EstimationContext context = context_for(nullptr);
    const unsigned long long before = allocations.load(std::memory_order_relaxed);
    for (auto _ : state) {
        const Estimate e = estimate(Support::interval, position, lower, upper, values.data(),
                                    static_cast<int>(values.size()), context);
        benchmark::DoNotOptimize(e.lower_bound);
        benchmark::DoNotOptimize(e.upper_bound);
    }
    count_allocations(state, before);
}

// Positions of a sweep across (0, 1); an iteration answers one of them.
constexpr int sweep_positions = 64;
double sweep_position(std::size_t i) {
    return (static_cast<double>(i % sweep_positions) + 0.5) / sweep_positions;
}

void guarded_sweep(benchmark::State& state, std::vector<double> values) {
    EstimationContext context = context_for(nullptr);
    const ClassicEstimation estimation(Support::interval, lower, upper, values.data(),
                                       static_cast<int>(values.size()), context);
    std::size_t i = 0;
    const unsigned long long before = allocations.load(std::memory_order_relaxed);
    for (auto _ : state) {
        const Estimate e = estimation.at(sweep_position(i++));
        benchmark::DoNotOptimize(e.lower_bound);
        benchmark::DoNotOptimize(e.upper_bound);
    }
    count_allocations(state, before);
}

void drivers_sweep(benchmark::State& state, std::vector<double> values) {
    EstimationContext context = context_for(nullptr);
    const Vector moments(values.data(), static_cast<int>(values.size()));
    std::size_t i = 0;
    const unsigned long long before = allocations.load(std::memory_order_relaxed);
    for (auto _ : state)
        benchmark::DoNotOptimize(
            run_driver(Support::interval, moments, sweep_position(i++), context));
    count_allocations(state, before);
}

void register_guarded(const char* distribution, const std::vector<double>& values) {
    const std::string base =
        std::string("classic_guarded/") + distribution + "/n:" + std::to_string(values.size());
    benchmark::RegisterBenchmark((base + "/x:0.35/one_position").c_str(), guarded_one_shot, values,
                                 0.35);
    benchmark::RegisterBenchmark((base + "/sweep/guarded").c_str(), guarded_sweep, values);
    benchmark::RegisterBenchmark((base + "/sweep/drivers").c_str(), drivers_sweep, values);
}

void register_all(const bench_support::ScratchFolder& folder) {
    struct Distribution {
        const char* name;
        std::vector<double> (*moments)(int);
    };
    const Distribution distributions[] = {{"uniform", bench_support::uniform_moments},
                                          {"three_atom", bench_support::three_atom_moments}};
    for (Support d : {Support::whole, Support::half, Support::interval}) {
        for (const Distribution& dist : distributions) {
            for (int n : {5, 7, 9, 11, 15})
                register_case(d, dist.name, dist.moments(n), folder);
        }
    }
    for (const Distribution& dist : distributions)
        register_guarded(dist.name, dist.moments(9));
}

} // namespace

int main(int argc, char** argv) {
    const bench_support::ScratchFolder folder;
    register_all(folder);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
