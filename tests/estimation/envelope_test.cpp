// SPDX-License-Identifier: Apache-2.0
// The sampled band: the same numbers as asking the methods position by
// position (the sharp method as one sweep over them), no error log while
// sampling, and a default range that fits the support and the spread.

#include "estimation/envelope.h"

#include "estimation/estimate.h"
#include "tests/support/contexts.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

namespace {

const std::vector<double> uniform01 = {1, 0.5, 1.0 / 3, 0.25, 0.2, 1.0 / 6, 1.0 / 7};

struct EnvelopeRow {
    const char* name;
    BoundsRequest request;
};

class EnvelopeEqualsPointwise : public ::testing::TestWithParam<EnvelopeRow> {};

TEST_P(EnvelopeEqualsPointwise, BitForBit) {
    const BoundsRequest& request = GetParam().request;
    const PositionSpan span{-0.25, 1.25};
    const Envelope band = sample_envelope(request, span, 61);
    ASSERT_EQ(band.position.size(), 61u);
    EXPECT_EQ(band.position.front(), span.from);
    EXPECT_EQ(band.position.back(), span.to);
    const SharpAnalysis analysis =
        analyse_moments(request.support, request.lower, request.upper, request.moments.data(),
                        static_cast<int>(request.moments.size()));
    EstimationContext quiet = test_support::quiet_context();
    // The sharp curve is one sweep over the positions in their order.
    SharpSweep sweep(analysis);
    for (std::size_t i = 0; i < band.position.size(); ++i) {
        const double x = band.position[i];
        double lower = 0;
        double upper = 1;
        if (request.method == Method::sharp) {
            const SharpBounds b = sweep.at(x);
            lower = b.lower_bound;
            upper = b.upper_bound;
        } else {
            const Estimate e =
                estimate(request.support, x, request.lower, request.upper, request.moments.data(),
                         static_cast<int>(request.moments.size()), quiet);
            lower = e.lower_bound;
            upper = e.upper_bound;
        }
        EXPECT_EQ(band.lower_bound[i], lower) << "x = " << x;
        EXPECT_EQ(band.upper_bound[i], upper) << "x = " << x;
    }
    if (request.method == Method::sharp) {
        EXPECT_EQ(band.status, analysis.status);
        EXPECT_EQ(band.atoms.size(), analysis.atoms.size());
    }
    // Sampling the classic curve writes no report, though attempts fail.
    EXPECT_FALSE(std::filesystem::exists("error.log"));
}

INSTANTIATE_TEST_SUITE_P(
    Requests, EnvelopeEqualsPointwise,
    ::testing::Values(
        EnvelopeRow{"SharpUniformInterval", {Support::interval, 0, 1, uniform01, Method::sharp}},
        EnvelopeRow{"ClassicUniformInterval",
                    {Support::interval, 0, 1, uniform01, Method::classic}},
        EnvelopeRow{"ClassicThreeAtoms",
                    {Support::interval, 0, 1, {1, 0.5, 0.35, 0.275, 0.2315}, Method::classic}},
        EnvelopeRow{"SharpCoinDeterminate", {Support::whole, 0, 1, {1, 0, 1, 0, 1}, Method::sharp}},
        EnvelopeRow{"SharpInfeasible",
                    {Support::interval, 0, 1, {1, 2, 4.5, 9.5, 20}, Method::sharp}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DefaultSpan, FitsTheSupportAndTheSpread) {
    struct Row {
        BoundsRequest request;
        double position;
        double from;
        double to;
    };
    const Row rows[] = {
        {{Support::interval, 2, 5, {1, 3, 10}}, 3, 2, 5},          // the interval's ends
        {{Support::whole, 0, 1, {1, 1, 5}}, 0, 1 - 8, 1 + 8},      // mean +- 4 sd (sd 2)
        {{Support::half, 0, 1, {1, 1, 5}}, 0, 0, 1 + 8},           // cut at the lower end
        {{Support::whole, 0, 1, {1, 3}}, 10, 9, 11},               // no variance: x +- 1
        {{Support::half, 2, 1, {1, 3}}, 2.5, 2, 3.5},              // ... cut to the support
        {{Support::whole, 0, 1, {1, 0, -1}}, 0, -1, 1},            // a negative variance
        {{Support::interval, 1, 1, {1, 1, 1}}, 1, 1, 2},           // limits make no interval
        {{Support::whole, 0, 1, {1, 0, 1e308}}, 0, -4e154, 4e154}, // a huge spread
        {{Support::whole, 0, 1, {1, 0, 1}}, std::nan(""), -4, 4},  // no position needed
    };
    for (const Row& row : rows) {
        const PositionSpan span = default_span(row.request, row.position);
        EXPECT_EQ(span.from, row.from) << "support " << support_index(row.request.support);
        EXPECT_EQ(span.to, row.to) << "support " << support_index(row.request.support);
    }
}

} // namespace
