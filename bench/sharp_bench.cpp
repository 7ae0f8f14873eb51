// Cost of the sharp method: the analysis of one moment list, and each further
// position answered from that analysis, for 5, 9 and 15 moments of the
// uniform distribution on [0, 1] (the whole line and the interval [0, 1]) and
// of a 3-atom distribution (determinate from 7 moments on).

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "sharp/sharp.h"

namespace {

struct Case {
    const char* name;
    int type;
    std::vector<double> (*moments)(int);
};

const Case cases[] = {
    {"uniform_line", 0, bench_support::uniform_moments},
    {"uniform_interval", 2, bench_support::uniform_moments},
    {"three_atoms_interval", 2, bench_support::three_atom_moments},
};

// Positions spread over (0, 1) so that every bracket of the Radau nodes is met.
std::vector<double> positions() {
    std::vector<double> xs;
    for (int i = 0; i < 64; ++i)
        xs.push_back((i + 0.5) / 64.0);
    return xs;
}

void analysis_cost(benchmark::State& state, const Case& c) {
    int count = static_cast<int>(state.range(0));
    std::vector<double> m = c.moments(count);
    for (auto _ : state) {
        SharpAnalysis analysis = analyse_moments(c.type, 0.0, 1.0, m.data(), count);
        benchmark::DoNotOptimize(analysis.status);
    }
    state.SetLabel(status_name(analyse_moments(c.type, 0.0, 1.0, m.data(), count).status));
}

void position_cost(benchmark::State& state, const Case& c) {
    int count = static_cast<int>(state.range(0));
    std::vector<double> m = c.moments(count);
    SharpAnalysis analysis = analyse_moments(c.type, 0.0, 1.0, m.data(), count);
    std::vector<double> xs = positions();
    std::size_t i = 0;
    for (auto _ : state) {
        SharpBounds bounds = sharp_bounds_at(analysis, xs[i]);
        benchmark::DoNotOptimize(bounds.lower_bound);
        benchmark::DoNotOptimize(bounds.upper_bound);
        i = (i + 1) % xs.size();
    }
    state.SetLabel(std::string(status_name(analysis.status)) + ", " +
                   std::to_string(analysis.moments_used) + " moments used");
}

void register_all() {
    for (const Case& c : cases) {
        benchmark::RegisterBenchmark((std::string("sharp_analysis/") + c.name).c_str(),
                                     [&c](benchmark::State& s) { analysis_cost(s, c); })
            ->ArgName("n")
            ->Arg(5)
            ->Arg(9)
            ->Arg(15)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark((std::string("sharp_position/") + c.name).c_str(),
                                     [&c](benchmark::State& s) { position_cost(s, c); })
            ->ArgName("n")
            ->Arg(5)
            ->Arg(9)
            ->Arg(15)
            ->Unit(benchmark::kMicrosecond);
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
