// SPDX-License-Identifier: Apache-2.0
// Each estimation keeps its log, its request and its diagnostics to itself:
// the default context's ./error.log, a context without a log, and four
// threads estimating at once, each into its own log.

#include "estimation/context.h"
#include "estimation/estimate.h"

#include "estimation_support.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <filesystem>
#include <latch>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace estimation_test;
using test_support::FixedRequest;
using test_support::ScratchFolder;
using test_support::StreamCapture;

namespace {

// Runs the test's body in a scratch folder as the working directory.
class InScratchFolder : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ = std::filesystem::current_path();
        std::filesystem::current_path(folder_.path());
    }
    void TearDown() override { std::filesystem::current_path(previous_); }

    ScratchFolder folder_;

private:
    std::filesystem::path previous_;
};

// Every whole-line attempt fails on these moments (negative variance): one
// report each, on 5 and on 3 moments.
const std::vector<double> failing_moments{1, 2, 1, 0, 3};

using DefaultContext = InScratchFolder;

TEST_F(DefaultContext, WritesErrorLogHereWithAnEmptyRequest) {
    EstimationContext context;
    const Estimate e = estimate(Support::whole, 0.5, 0, 0, vec(failing_moments), context);
    EXPECT_EQ(e.outcome, Outcome::none);
    const std::string log = test_support::read_file("error.log");
    EXPECT_EQ(test_support::reports_in(log).size(), 2u);
    EXPECT_NE(log.find(test_support::cp1250("\nPozíció = 0.000000\nA becslés típusa: \n")),
              std::string::npos)
        << log;
}

TEST_F(DefaultContext, DiagnosticsGoToStandardOutput) {
    EstimationContext context;
    context.log_path.reset();
    StreamCapture out(stdout);
    estimate(Support::half, 1, 0, 0, vec({1, 0.5, 1, 3}), context);
    EXPECT_EQ(out.text(), "\n\n/// poz /// L = 0.625000; U = 0.958333\n");
}

using ContextWithoutLog = InScratchFolder;

TEST_F(ContextWithoutLog, WritesNothingAnywhere) {
    EstimationContext context;
    context.log_path.reset();
    StreamCapture err(stderr);
    const Estimate e = estimate(Support::whole, 0.5, 0, 0, vec(failing_moments), context);
    EXPECT_EQ(e.outcome, Outcome::none);
    EXPECT_EQ(err.text(), "");
    EXPECT_TRUE(std::filesystem::is_empty(folder_.path()));
}

// One thread's share: a request of its own at a run of positions, some of
// whose attempts fail, so that its log fills with reports that name it.
struct Job {
    Support support;
    double lower;
    double upper;
    std::vector<double> moments;
    std::vector<double> positions;
};

const std::vector<Job>& jobs() {
    static const std::vector<Job> all = {
        {Support::interval, -2.0, 1.5, {1, -0.25, 1.25, -1.75, 4.25}, {-3, -1.5, -0.5, 0.5, 2}},
        {Support::half, 0.0, 0.0, uniform_moments(8), {-0.5, 0.1, 0.35, 0.8, 1.5}},
        {Support::whole, 0.0, 0.0, {1, 0, 1, 0, 0.5, 0, 1}, {-1, -0.3, 0, 0.7, 2}},
        {Support::interval, 0.0, 1.0, uniform_moments(9), {-1, 0, 0.2, 0.5, 0.9, 1}},
    };
    return all;
}

constexpr int rounds = 50;

struct JobResult {
    std::vector<std::uint64_t> bounds; // the bits of L and U, call after call
    std::string log;
    std::string diagnostics;
};

JobResult run_job(const Job& job, const std::string& log_path) {
    FixedRequest request;
    request.type_ = support_index(job.support);
    request.lower_ = job.lower;
    request.upper_ = job.upper;
    request.moments_ = job.moments;
    CapturedStream diagnostics;
    EstimationContext context;
    context.log_path = log_path;
    context.request = &request;
    context.diagnostics = DiagnosticSink(diagnostics.stream());
    const Vector moments = vec(job.moments);
    JobResult result;
    for (int round = 0; round < rounds; ++round) {
        for (const double x : job.positions) {
            request.position_ = x;
            const Estimate e = estimate(job.support, x, job.lower, job.upper, moments, context);
            result.bounds.push_back(std::bit_cast<std::uint64_t>(e.lower_bound));
            result.bounds.push_back(std::bit_cast<std::uint64_t>(e.upper_bound));
        }
    }
    result.log = test_support::read_file(log_path);
    result.diagnostics = diagnostics.text();
    return result;
}

TEST(ConcurrentEstimations, EachThreadGetsTheSerialBoundsAndOnlyItsOwnReports) {
    LogFolder folder;
    const std::size_t count = jobs().size();
    std::vector<JobResult> serial;
    for (std::size_t t = 0; t < count; ++t)
        serial.push_back(run_job(jobs()[t], folder.folder() + "/serial" + std::to_string(t)));

    std::vector<JobResult> concurrent(count);
    std::latch start(static_cast<std::ptrdiff_t>(count));
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < count; ++t)
        threads.emplace_back([&, t] {
            start.arrive_and_wait();
            concurrent[t] =
                run_job(jobs()[t], folder.folder() + "/thread" + std::to_string(t) + ".log");
        });
    for (std::thread& thread : threads)
        thread.join();

    for (std::size_t t = 0; t < count; ++t) {
        SCOPED_TRACE("thread " + std::to_string(t));
        // A thread whose log had no reports would check nothing.
        EXPECT_GE(test_support::reports_in(serial[t].log).size(), static_cast<std::size_t>(rounds));
        EXPECT_TRUE(concurrent[t].bounds == serial[t].bounds);
        EXPECT_TRUE(concurrent[t].log == serial[t].log)
            << test_support::reports_in(concurrent[t].log).size() << " reports against "
            << test_support::reports_in(serial[t].log).size();
        EXPECT_EQ(concurrent[t].diagnostics, serial[t].diagnostics);
        if (jobs()[t].support == Support::half) {
            EXPECT_NE(serial[t].diagnostics, "") << "the half-line driver's line is missing";
        }
    }
    EXPECT_FALSE(std::filesystem::exists("error.log"));
}

} // namespace
