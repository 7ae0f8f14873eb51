// SPDX-License-Identifier: Apache-2.0
#pragma once
// Sharp bounds on a distribution function from its moments.
//
// For a support S (the whole line, the half-line [lower, inf) or the interval
// [lower, upper]) and moments mu0 = 1, mu1, ..., mu(n-1), the bounds
//
//     L = inf P(X < x),   U = sup P(X <= x)
//
// over every distribution on S with exactly these moments.  The work is split
// in two: analyse_moments() examines the moment list once (standardisation,
// the Hankel forms of S through the Chebyshev algorithm, the verdict and, when
// the moments pin one distribution down, its atoms); sharp_bounds_at() then
// answers a position in O(n^2) from that analysis (the canonical representation
// through x, built as a Gauss-Radau rule of the chosen Hankel form).
//
// The given moments are rounded numbers: the bounds hold for every
// distribution on S whose moments lie within a tolerance of the given ones
// (4 units in the last place of each moment's own scale, see
// docs/sharp-method.md), and they are never looser than the bounds from any
// leading part of the list.
//
// Verdicts:
//   sharp        the bounds are the sharp ones for the moments used (possibly
//                fewer than given: those the tolerance still resolves),
//                widened by what the tolerance allows.
//   determinate  the moments lie on the boundary within their tolerance: one
//                distribution, a finite set of atoms; the bounds are its F(x-)
//                and F(x) to 1e-9 for every list within the tolerance.
//   infeasible   no distribution on S has these moments.
//   invalid      the request is unusable (no moments, mu0 != 1, a value that is
//                not finite, limits that do not make a support).
//
// The numerical layer: no Qt, no error log.  Everything is reported through
// the returned values.

#include "numeric/support.h"
#include "sharp/detail.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

enum class SharpStatus { sharp, determinate, infeasible, invalid };

// "sharp", "determinate", "infeasible", "invalid".
const char* status_name(SharpStatus status);

// "1", "t-a", "b-t", "(t-a)(b-t)".
const char* weight_name(SharpWeight weight);

struct SharpAtom {
    double point = 0.0; // in the units of X
    double mass = 0.0;
};

// The analysis of one moment list for one support.  The fields below the
// public ones are the state that sharp_bounds_at() needs; treat them as opaque.
struct SharpAnalysis {
    SharpStatus status = SharpStatus::invalid;
    int moments_given = 0; // the count passed in
    int moments_used = 0;  // moments the verdict and the bounds rest on
    std::string message;   // one sentence on the verdict
    // status determinate: the distribution, ascending points, in the units of X.
    std::vector<SharpAtom> atoms;
    // status determinate: the largest amount by which the bounds between two
    // atoms exceed the distribution's own F(x-) and F(x) (at most 1e-9).
    double widening = 0.0;
    // The verdict needed double-double arithmetic (the double analysis could
    // not tell a pivot from the tolerance of the moments).
    bool extended_precision = false;

    // --- state for the positions ---
    Support support = Support::whole;
    double lower = 0.0;
    double upper = 0.0;
    sharp_detail::Units units{};
    std::array<sharp_detail::WeightRun, 4> runs{};
    std::uint32_t candidates = 0; // bit dd: the forms of degree dd are usable
    int top_degree = -1;          // largest usable degree (status sharp)
    sharp_detail::Discrete law{}; // status determinate
    // A limit too far from the data to be worked with (more than 1e8
    // standard deviations from the mean) is left out: the analysis of the
    // weaker support answers every position inside the support, the
    // analysis of -X when only the lower limit was left out (mirrored).
    // When that is a half-line, its bounds are met with the whole line's.
    std::shared_ptr<const SharpAnalysis> weaker;
    bool mirrored = false;
    std::shared_ptr<const SharpAnalysis> whole_line;
};

// lower is read for the half-line and the interval, upper for the interval.
// moments[0..count-1] are E[(X - centre)^j] for j = 0 .. count-1 (raw moments
// with the default centre 0).  A support value outside the three (a cast
// from a bad number) gives status invalid, "Unknown support type.".
SharpAnalysis analyse_moments(Support support, double lower, double upper, const double* moments,
                              int count, double centre = 0.0);

struct SharpBounds {
    double lower_bound = 0.0; // L, a bound for P(X < x)
    double upper_bound = 1.0; // U, a bound for P(X <= x)
    // The analysis' status, except: invalid for a bad x, and sharp (not
    // determinate) where moments within their tolerance allow bounds more
    // than 1e-9 away from the determinate distribution's (next to an atom).
    SharpStatus status = SharpStatus::invalid;
    // How far the tolerance of the moments and the rounding of the arithmetic
    // widened these bounds beyond the exact ones of the given numbers.
    double widening = 0.0;
    // status sharp, x inside S: the largest mass any such distribution can put
    // at x, and the form whose representation gave the bounds.
    double mass_at_position = 0.0;
    SharpWeight weight = SharpWeight::one;
};

// The bounds at one position.  For infeasible and invalid analyses, and for a
// position that is not finite, the neutral pair 0 and 1 with that status.
SharpBounds sharp_bounds_at(const SharpAnalysis& analysis, double position);

// Positions of one analysis answered one after another (a sweep, an envelope).
// It keeps the nodes of the positions before, from which the node searches
// start (two or three Newton steps instead of about eight); a node found so
// is checked on either side and searched again from the middle where the
// check fails (far outlying nodes, where rounding dominates); outlying nodes
// are searched from the middle, and a degree whose bound comes from only
// part of its representation (outliers left out), which moves with the nodes
// at first order, is answered as alone.  Each position gets the status,
// form and mass at x of sharp_bounds_at(), and bounds that differ from its
// bounds by at most sharp_sweep_room(), in either direction (the nodes agree
// to a few units in the last place, not to the bit).  Keeps a reference to
// the analysis, which must outlive it; one sweep serves one thread.
//
// The room between a sweep's bound and the same position's alone: twice the
// larger of the two widenings (the rounding of the dual polynomials through
// nodes a few units apart) plus sharp_sweep_rounding (4 units in the last
// place of 1: the final rounding of a bound, which a widening of 0 leaves).
inline constexpr double sharp_sweep_rounding = 4.0 * 0x1p-52;
inline double sharp_sweep_room(const SharpBounds& swept, const SharpBounds& alone) {
    return 2.0 * (swept.widening > alone.widening ? swept.widening : alone.widening) +
           sharp_sweep_rounding;
}

class SharpSweep {
public:
    explicit SharpSweep(const SharpAnalysis& analysis) : analysis_(&analysis) {}
    SharpBounds at(double position);
    const SharpAnalysis& analysis() const { return *analysis_; }

private:
    const SharpAnalysis* analysis_;
    sharp_detail::NodeMemory memory_;
};
