// SPDX-License-Identifier: Apache-2.0
#include "estimation/envelope.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "estimation/context.h"
#include "estimation/estimate.h"

namespace {

// How many standard deviations either side of the mean the default span
// reaches: beyond 4 sd every bound from two moments is within 1/17 of 0 or 1.
constexpr double span_in_sd = 4.0;
// The half-width of the span around the position when there is no variance.
constexpr double span_without_variance = 1.0;

double position_or_zero(double position) {
    return std::isfinite(position) ? position : 0.0;
}

PositionSpan cut_to_support(const BoundsRequest& request, PositionSpan span) {
    if (request.support != Support::whole && std::isfinite(request.lower))
        span.from = std::max(span.from, request.lower);
    if (!(span.from < span.to) || !std::isfinite(span.to - span.from))
        span = {span.from, span.from + 2 * span_without_variance};
    return span;
}

} // namespace

PositionSpan default_span(const BoundsRequest& request, double position) {
    const bool limits_make_interval = std::isfinite(request.lower) &&
                                      std::isfinite(request.upper) && request.lower < request.upper;
    if (request.support == Support::interval && limits_make_interval &&
        std::isfinite(request.upper - request.lower))
        return {request.lower, request.upper};

    const double middle = position_or_zero(position);
    PositionSpan span{middle - span_without_variance, middle + span_without_variance};
    const std::vector<double>& m = request.moments;
    if (m.size() >= 3 && m[0] == 1.0) {
        const double mean = request.centre + m[1];
        const double variance = m[2] - m[1] * m[1];
        const double sd = std::sqrt(variance);
        if (std::isfinite(mean) && variance > 0 && std::isfinite(sd) &&
            std::isfinite(mean - span_in_sd * sd) && std::isfinite(mean + span_in_sd * sd))
            span = {mean - span_in_sd * sd, mean + span_in_sd * sd};
    }
    return cut_to_support(request, span);
}

Envelope sample_envelope(const BoundsRequest& request, PositionSpan span, int count) {
    Envelope envelope;
    if (count < 1)
        return envelope;
    envelope.position.reserve(count);
    envelope.lower_bound.reserve(count);
    envelope.upper_bound.reserve(count);
    const double step = count > 1 ? (span.to - span.from) / (count - 1) : 0.0;
    auto position_at = [&](int i) {
        return i + 1 == count && count > 1 ? span.to : span.from + i * step;
    };
    auto keep = [&envelope](double x, double lower, double upper) {
        if (!std::isfinite(lower) || !std::isfinite(upper)) {
            lower = 0.0;
            upper = 1.0;
        }
        envelope.position.push_back(x);
        envelope.lower_bound.push_back(lower);
        envelope.upper_bound.push_back(upper);
    };

    const int moment_count = static_cast<int>(request.moments.size());
    if (request.method == Method::sharp) {
        const SharpAnalysis analysis =
            analyse_moments(request.support, request.lower, request.upper, request.moments.data(),
                            moment_count, request.centre);
        envelope.status = analysis.status;
        envelope.moments_used = analysis.moments_used;
        envelope.atoms = analysis.atoms;
        for (int i = 0; i < count; ++i) {
            const double x = position_at(i);
            const SharpBounds bounds = sharp_bounds_at(analysis, x);
            keep(x, bounds.lower_bound, bounds.upper_bound);
        }
        return envelope;
    }

    EstimationContext quiet;
    quiet.log_path.reset();
    quiet.diagnostics = DiagnosticSink(nullptr);
    std::optional<ClassicEstimation> classic;
    if (moment_count > 0) {
        try {
            // One guarded estimation (one sharp analysis) for every position.
            classic.emplace(request.support, request.lower, request.upper, request.moments.data(),
                            moment_count, quiet, request.centre);
        } catch (const Failure&) {
            // No memory for the moments' copy: the positions say nothing.
        }
    }
    for (int i = 0; i < count; ++i) {
        const double x = position_at(i);
        double lower = 0.0;
        double upper = 1.0;
        if (classic) {
            try {
                const Estimate e = classic->at(x);
                lower = e.lower_bound;
                upper = e.upper_bound;
            } catch (const Failure&) {
                // A failure outside the attempts: this position says nothing.
            }
        }
        keep(x, lower, upper);
    }
    return envelope;
}
