// SPDX-License-Identifier: Apache-2.0
#pragma once
// The named tolerances of the sharp method, each with the reason for its
// value.  There is no absolute determinant threshold: every test is relative
// to the tolerance of the given moments or to the rounding of the arithmetic,
// in standardised units (mean 0, spread about 1).

namespace sharp_detail {

// Unit roundoff of double.
inline constexpr double eps = 0x1p-53;
// The given moments are rounded numbers: each is taken to be known to 4 units
// in the last place of its own scale (4 * 2^-52 relative; see standardise.h
// for the scale).  Every bound holds for every distribution whose moments lie
// within these tolerances of the given ones.
inline constexpr double tolerance_factor = 4.0 * 0x1p-52;
// Safety factor on the first-order estimates of arithmetic rounding (sums of
// |terms| that overstate the observed errors 10-100 times).
inline constexpr double error_factor = 16.0;
// Unit roundoff of double-double, the precision of the escalated analysis.
inline constexpr double dd_eps = 0x1p-104;
// The double analysis keeps a pivot only when it exceeds its own rounding
// error this many times: the recurrence coefficients are then good to 1e-6
// relative, and the nodes built from them cost the bounds ~1e-12 (second
// order).  Anything closer is redone in double-double.
inline constexpr double accurate_pivot = 1e6;
// A pivot that is zero within the tolerance counts as a boundary (one
// distribution) only when the tolerance pins its recurrence coefficient beta
// to this fraction of the variance; a coarser one is not resolved, and the
// degree is not used (genuine boundary pivots of well-centred discrete data
// are pinned to 1e-15..2e-5).
inline constexpr double tau_pin = 1e-4;
// A determinate distribution whose moments miss the given ones by more than
// this (relative to their scale) contradicts them: the list is infeasible.
// Between the tolerance and this the list is near the boundary but not on it.
inline constexpr double contradiction = 1e-8;
// "Exact": every distribution within the tolerances has bounds within this of
// the reported ones.
inline constexpr double exact_tolerance = 1e-9;
// When the dual polynomial of the full degree widens the bounds by less than
// this, fewer moments cannot do better by more than about this much (their
// exact bounds are never tighter), and the shorter degrees are not tried:
// a tenth of the exactness line, at the cost of one degree per position on
// ordinary lists.
inline constexpr double skip_widening = 1e-10;
// A position more than this many spreads of the nodes beyond the outermost
// zero is answered in closed form (the Gauss bound, which differs from the
// Radau one by a relative 1/far_ratio^2 there).
inline constexpr double far_ratio = 1e8;
// A Radau coefficient beyond this is a node at infinity (its mass <= 1e-200).
inline constexpr double big_node = 1e100;
// A limit of the support further than this from the mean, in standardised
// units (standard deviations, to a factor 2), is left out of the analysis:
// the bounds of the weaker support (an interval without it is a half-line or
// the whole line) hold for every distribution on the support.  What such a
// limit adds decays like 1/distance (a top odd moment) or faster, while the
// tolerance reaches the bounds through its powers, growing like distance^2.
// Measured over the test set of known distributions with 3 to 32 moments:
// with limits at 1e8 the interval's own bounds were at most 3e-9 tighter and
// up to 2e-10 looser than the weaker support's; at 1e12 they were up to 0.44
// looser (the powers of the limit overflow), and from about 1e154 on the
// product a' b' itself overflowed and every position got 0 and 1.
inline constexpr double far_limit = 1e8;
// Atoms of a determinate distribution count as inside the support this close
// to an end, in standardised units; they are then put on the end.
inline constexpr double tol_position = 1e-9;
// Negative mass still accepted (and then dropped) in a determinate distribution.
inline constexpr double tol_mass = 1e-12;

} // namespace sharp_detail
