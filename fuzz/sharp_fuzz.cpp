// SPDX-License-Identifier: Apache-2.0
// The sharp method on any moment list: the analysis and the bounds at a few
// positions must keep their promises whatever the numbers.  Checks:
// 0 <= L <= U <= 1 and never NaN; the status of the bounds is the analysis'
// (a position that is no finite number is invalid; a position of a
// determinate list may be sharp, next to an atom); infeasible and invalid
// analyses give 0 and 1; the counts and the atoms are sound.  The same
// positions as one sweep (SharpSweep) give the status, form and mass at x of
// each position alone, and bounds within sharp_sweep_room() of its bounds.

#include "fuzz_support.h"
#include "sharp/sharp.h"

#include <algorithm>
#include <cmath>

namespace {

bool same(double a, double b) {
    return a == b || (std::isnan(a) && std::isnan(b));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const fuzz_support::Request r = fuzz_support::any_request(in, 40);
    const int count = static_cast<int>(r.moments.size());
    const SharpAnalysis analysis =
        analyse_moments(r.support, r.lower, r.upper, r.moments.data(), count);

    FUZZ_CHECK(analysis.moments_given == count);
    FUZZ_CHECK(analysis.moments_used >= 0 && analysis.moments_used <= count);
    std::vector<double> points;
    if (analysis.status == SharpStatus::determinate) {
        FUZZ_CHECK(!analysis.atoms.empty());
        for (std::size_t i = 0; i < analysis.atoms.size(); ++i) {
            const SharpAtom& atom = analysis.atoms[i];
            FUZZ_CHECK(std::isfinite(atom.point) && std::isfinite(atom.mass) && atom.mass >= 0.0);
            FUZZ_CHECK(i == 0 || analysis.atoms[i - 1].point <= atom.point);
            points.push_back(atom.point);
        }
    }

    SharpSweep sweep(analysis);
    for (int k = 0; k < 8 && in.remaining_bytes() > 0; ++k) {
        const double x = fuzz_support::any_position(in, r, points);
        const SharpBounds b = sharp_bounds_at(analysis, x);
        const SharpBounds s = sweep.at(x);
        FUZZ_CHECK(!std::isnan(s.lower_bound) && !std::isnan(s.upper_bound));
        FUZZ_CHECK(0.0 <= s.lower_bound && s.lower_bound <= s.upper_bound && s.upper_bound <= 1.0);
        FUZZ_CHECK(s.weight == b.weight && same(s.mass_at_position, b.mass_at_position));
        FUZZ_CHECK(s.status == b.status);
        const double room = sharp_sweep_room(s, b);
        FUZZ_CHECK(std::fabs(s.lower_bound - b.lower_bound) <= room);
        FUZZ_CHECK(std::fabs(s.upper_bound - b.upper_bound) <= room);
        FUZZ_CHECK(!std::isnan(b.lower_bound) && !std::isnan(b.upper_bound));
        FUZZ_CHECK(0.0 <= b.lower_bound && b.lower_bound <= b.upper_bound && b.upper_bound <= 1.0);
        const bool neutral_analysis =
            analysis.status == SharpStatus::infeasible || analysis.status == SharpStatus::invalid;
        if (!neutral_analysis && !std::isfinite(x))
            FUZZ_CHECK(b.status == SharpStatus::invalid);
        else if (analysis.status == SharpStatus::determinate)
            // Exact only where the position is: next to an atom, sharp.
            FUZZ_CHECK(b.status == SharpStatus::determinate || b.status == SharpStatus::sharp);
        else
            FUZZ_CHECK(b.status == analysis.status);
        if (neutral_analysis || !std::isfinite(x))
            FUZZ_CHECK(b.lower_bound == 0.0 && b.upper_bound == 1.0);
    }
    return 0;
}
