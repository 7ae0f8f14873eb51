// SPDX-License-Identifier: Apache-2.0
// The classic method through its one entry point, estimate(), for the three
// supports: the moments are left exactly as they were and the bounds are in
// range and do not cross (0 <= L <= U <= 1, never NaN); no attempt's failure
// leaves.

#include "estimation/context.h"
#include "estimation/estimate.h"
#include "fuzz_support.h"
#include "numeric/failure.h"
#include "numeric/vector.h"

#include <cmath>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    // Beyond a dozen moments an input costs milliseconds; the code paths are
    // those of the shorter lists.
    const fuzz_support::Request r = fuzz_support::any_request(in, 12);
    if (r.moments.empty())
        return 0;
    const int count = static_cast<int>(r.moments.size());
    EstimationContext context;
    context.log_path.reset();
    context.diagnostics = DiagnosticSink(nullptr);

    const std::vector<double> original = r.moments;
    const Vector moments(r.moments.data(), count);
    for (int k = 0; k < 3 && in.remaining_bytes() > 0; ++k) {
        const double x = fuzz_support::any_position(in, r);
        Estimate e;
        try {
            e = in.ConsumeBool()
                    ? estimate(r.support, x, r.lower, r.upper, moments, context)
                    : estimate(r.support, x, r.lower, r.upper, r.moments.data(), count, context);
        } catch (const Failure&) {
            continue; // no memory for the copy: the caller's to report
        }
        FUZZ_CHECK(moments.length == count);
        const std::size_t bytes = sizeof(double) * original.size();
        FUZZ_CHECK(std::memcmp(moments.data, original.data(), bytes) == 0);
        FUZZ_CHECK(std::memcmp(r.moments.data(), original.data(), bytes) == 0);
        FUZZ_CHECK(!std::isnan(e.lower_bound) && !std::isnan(e.upper_bound));
        FUZZ_CHECK(0.0 <= e.lower_bound && e.lower_bound <= 1.0);
        FUZZ_CHECK(0.0 <= e.upper_bound && e.upper_bound <= 1.0);
        // L <= P(X < x) <= P(X <= x) <= U: bounds that cross are wrong.
        FUZZ_CHECK(e.lower_bound <= e.upper_bound);
        if (e.outcome == Outcome::none)
            FUZZ_CHECK(e.lower_bound == 0.0 && e.upper_bound == 1.0);
    }
    return 0;
}
