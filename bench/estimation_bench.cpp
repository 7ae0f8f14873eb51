// Cost of the three estimation drivers on moments of the uniform distribution
// on [0, 1] and of a 3-atom distribution, for 5 to 15 moments.  A request
// whose attempts all succeed is timed once; one whose attempts fail (each
// failure writes a report) is timed with the error log on, written into a
// scratch folder, and with the log off, so that the cost of the file I/O shows.

#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "estimation/bounded.h"
#include "estimation/normal.h"
#include "estimation/positive.h"
#include "numeric/diagnostics.h"
#include "numeric/error_log.h"
#include "numeric/vector.h"

namespace {

constexpr double position = 0.35; // inside [0, 1], between two of the atoms
constexpr double lower = 0.0;
constexpr double upper = 1.0;

enum class Driver { normal, positive, bounded };

const char* driver_name(Driver d) {
    switch (d) {
    case Driver::normal:
        return "estimate_normal";
    case Driver::positive:
        return "estimate_positive";
    default:
        return "estimate_bounded";
    }
}

int run_driver(Driver d, const Vector& moments) {
    double lower_bound = 0.0;
    double upper_bound = 1.0;
    int outcome = 0;
    switch (d) {
    case Driver::normal:
        estimate_normal(moments, position, lower_bound, upper_bound, outcome);
        break;
    case Driver::positive:
        estimate_positive(moments, position, lower, lower_bound, upper_bound, outcome);
        break;
    case Driver::bounded:
        estimate_bounded(moments, position, lower, upper, lower_bound, upper_bound, outcome);
        break;
    }
    benchmark::DoNotOptimize(lower_bound);
    benchmark::DoNotOptimize(upper_bound);
    return outcome;
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
int reports_per_call(Driver d, const Vector& moments, const bench_support::ScratchFolder& folder) {
    const auto log = folder.path() / "probe.log";
    set_error_log_path(log.string());
    set_error_log_enabled(true);
    run_driver(d, moments);
    const int reports = count_reports(log);
    std::filesystem::remove(log);
    return reports;
}

void time_driver(benchmark::State& state, Driver d, std::vector<double> values, bool log_on,
                 int reports, const bench_support::ScratchFolder* folder) {
    const Vector moments(values.data(), static_cast<int>(values.size()));
    const auto log = folder->path() / "timed.log";
    set_error_log_path(log.string());
    set_error_log_enabled(log_on);
    for (auto _ : state)
        benchmark::DoNotOptimize(run_driver(d, moments));
    state.counters["reports_per_call"] = reports;
    set_error_log_enabled(true);
    std::filesystem::remove(log);
}

void register_all(const bench_support::ScratchFolder& folder) {
    struct Distribution {
        const char* name;
        std::vector<double> (*moments)(int);
    };
    const Distribution distributions[] = {{"uniform", bench_support::uniform_moments},
                                          {"three_atom", bench_support::three_atom_moments}};
    for (Driver d : {Driver::normal, Driver::positive, Driver::bounded}) {
        for (const Distribution& dist : distributions) {
            for (int n : {5, 7, 9, 11, 15}) {
                std::vector<double> values = dist.moments(n);
                const Vector probe(values.data(), n);
                const int reports = reports_per_call(d, probe, folder);
                const std::string base =
                    std::string(driver_name(d)) + "/" + dist.name + "/n:" + std::to_string(n);
                if (reports == 0) {
                    benchmark::RegisterBenchmark((base + "/all_succeed").c_str(), time_driver, d,
                                                 values, false, 0, &folder);
                    continue;
                }
                benchmark::RegisterBenchmark((base + "/attempts_fail/log_on").c_str(), time_driver,
                                             d, values, true, reports, &folder);
                benchmark::RegisterBenchmark((base + "/attempts_fail/log_off").c_str(), time_driver,
                                             d, values, false, reports, &folder);
            }
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    // The half-line driver's diagnostic line would otherwise flood the output.
    set_diagnostic_stream(nullptr);
    const bench_support::ScratchFolder folder;
    register_all(folder);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
