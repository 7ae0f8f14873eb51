#pragma once
// The named tolerances of the sharp method's analysis, each with the reason
// for its value.  There is no absolute determinant threshold: every test is
// relative to the rounding level of the data or made in standardised units
// (mean 0, variance 1).

namespace sharp_detail {

// Unit roundoff; the given moments are exact doubles known to about eps relative.
inline constexpr double eps = 0x1p-53;
// Safety factor on the first-order rounding estimates (worst-case sums that
// overstate the observed errors 10-100 times); keeps rounding from reading as
// a negative pivot.
inline constexpr double noise_factor = 16.0;
// A pivot whose beta is uncertain by more than 1% of the variance is dropped:
// the sharp bounds move by about 5e-4 eta when each moment moves by one ulp,
// so the moments kept cost at most ~5e-6 of input sensitivity.
inline constexpr double tau_resolve = 1e-2;
// A zero pivot counts as a true boundary only when pinned this well (genuine
// boundary pivots of well-centred discrete data sit at 1e-15..2e-5).
inline constexpr double tau_pin = 1e-4;
// A pivot must be known to 0.1% of itself: looser lets rounding noise of
// clustered atoms pass as structure, tighter drops resolved pivots of
// off-centre lists ...
inline constexpr double tau_relative = 1e-3;
// ... unless its beta is so small that it only moves masses of its own size
// (a point just inside the boundary, e.g. the coin with kurtosis 1 + 1e-12).
inline constexpr double tau_small = 1e-8;
// Atom against position or end point, in standard deviations: positions and
// limits are exact doubles, so only the atoms' own uncertainty is added.
inline constexpr double tol_position = 1e-9;
// Relative moment check of a determinate distribution: it only has to catch
// real contradictions; genuine determinate lists use at most 0.18 of it.
inline constexpr double tol_verify = 1e-8;
// Negative mass still accepted (and then dropped) in a determinate distribution.
inline constexpr double tol_mass = 1e-9;
// Zero variance: the atom at the mean counts as on the support within this
// relative distance of an end (plus the square root of the variance noise,
// which is how far a variance at rounding level can spread it).
inline constexpr double tol_single_atom = 1e-9;

} // namespace sharp_detail
