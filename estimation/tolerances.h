// SPDX-License-Identifier: Apache-2.0
#pragma once
// Tolerances shared by the estimations and the checks built on them.
//
// A Hankel determinant below -1e-8 means the moments belong to no distribution
// on the support in question; one strictly between -1e-8 and 1e-8 counts as
// zero.  A probability (a point mass, a mass of a discrete distribution, a
// bound) is accepted from -1e-8 to 1.00000001, both ends included.  A value
// that is not a number is never accepted: every test below is written so that
// NaN falls on the rejecting side.

#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "numeric/powers.h"
#include "numeric/vector.h"

namespace estimation_tolerance {

inline constexpr double zero = 1e-8;
inline constexpr double probability_min = -1e-8;
inline constexpr double probability_max = 1.00000001;
inline constexpr double one_below = 0.99999999;
// Relative difference above which a constructed distribution is taken not to
// have the moments it was built from.  Sound constructions agree to 1e-9 or
// better (a far point of tiny mass can miss the highest moment by 1e-4 without
// harm to the bounds); ones built from Hankel matrices that are singular up to
// rounding miss by percents.
inline constexpr double reproduction = 1e-3;
// A Hankel determinant this small relative to the product of its diagonal is
// indistinguishable from 0 in double precision (its rounding error is of the
// order of 1e-16 times that product).
inline constexpr double rounding_level = 1e-12;
// How far a classic bound may pass the sharp one of the same request before
// the guard calls it wrong and widens it: the sharp method's own line for
// "exact" (its bounds hold to 1e-9 of a determinate distribution's), and far
// above the drivers' rounding (1e-12 to 1e-10), so that two computations of
// the same exact value are never taken for a fault.
inline constexpr double guard_margin = 1e-9;

} // namespace estimation_tolerance

// True when value is not a probability within the rounding margin (NaN included).
inline bool outside_probability_range(double value) {
    return !(value >= estimation_tolerance::probability_min &&
             value <= estimation_tolerance::probability_max);
}

// True when a Hankel determinant rules the moments out (NaN included).
inline bool determinant_negative(double determinant) {
    return !(determinant >= -estimation_tolerance::zero);
}

// True when value is strictly between -1e-8 and 1e-8.
inline bool within_zero_tolerance(double value) {
    return -estimation_tolerance::zero < value && value < estimation_tolerance::zero;
}

// True when a determinant counts as zero (both bounds strict).
inline bool determinant_near_zero(double determinant) {
    return within_zero_tolerance(determinant);
}

// The whole-line test of the caller's moments, which can be of any magnitude:
// a Hankel determinant counts as zero also when it is so small beside the
// product of the matrix's diagonal that it is rounding noise.  For moments up
// to about 1 the absolute test is the wider one and this changes nothing; for
// moments like 1e6 and above the determinant of a distribution with fewer
// points than the order comes out as, say, 4e-6 instead of 0, and without the
// cut the construction invents a point whose mass leaks into the bounds.
inline bool hankel_determinant_near_zero(double determinant, const Vector& sequence) {
    if (within_zero_tolerance(determinant))
        return true;
    double diagonal_product = 1.0;
    for (int i = 0; i < sequence.length; i += 2)
        diagonal_product *= std::fabs(sequence[i]);
    return std::fabs(determinant) <= estimation_tolerance::rounding_level * diagonal_product;
}

// True when a position in unit-interval coordinates sits on 0 or 1 (strict bounds).
inline bool position_at_zero_or_one(double y) {
    return within_zero_tolerance(y) ||
           (estimation_tolerance::one_below < y && y < estimation_tolerance::probability_max);
}

// The bounds read off a discrete distribution: lower sums the masses of the
// points strictly below the position, at_position those of the points that
// coincide with it.  A point computed from moments carries rounding error, so
// a point within 1e-8 of the position (relative to the largest point, at least
// 1) is the position itself: counting it below the position would put mass
// that sits at x into the bound for P(X < x).
struct MassesAround {
    double below = 0.0;
    double at_position = 0.0;
};

inline MassesAround masses_around(const Vector& points, const Vector& weights, double position) {
    double largest = 1.0;
    for (int i = 0; i < points.length; ++i)
        largest = std::max(largest, std::fabs(points[i]));
    double coincidence = estimation_tolerance::zero * largest;

    MassesAround masses;
    for (int i = 0; i < points.length; ++i) {
        if (std::fabs(points[i] - position) <= coincidence)
            masses.at_position += weights[i];
        else if (points[i] < position)
            masses.below += weights[i];
    }
    return masses;
}

// A point mass that an attempt split off before the construction; powers,
// when given, is a table of the point's powers.
struct PointMass {
    double point;
    double mass;
    PowerTable* powers = nullptr;
};

// The report of an attempt whose distribution fails reproduces_moments.
inline constexpr const char* moments_not_reproduced =
    "A felépített eloszlás momentumai eltérnek a megadottaktól!";

// True when the split-off masses together with the constructed points and
// weights have the given moments, each within a relative 1e-3 of the sum of the
// absolute values of its terms.  The construction matches only the first half
// of the moments by itself; the points decide the rest, and points found from a
// Hankel matrix that is singular up to rounding miss them by percents: bounds
// read off such a distribution are not bounds for these moments.  The highest
// moment is not compared: where the representation through the position
// degenerates (a point escaping to infinity with vanishing mass, as for the
// moments 1, 0, 1 at their mean), only the highest moment is lost, and the
// bounds stay valid.  A NaN or infinite term fails the test.
inline bool reproduces_moments(const Vector& moments, std::initializer_list<PointMass> split_off,
                               const Vector& points, const Vector& weights) {
    for (int k = 0; k + 1 < moments.length; ++k) {
        double sum = 0.0;
        double magnitude = std::fabs(moments[k]);
        auto add = [&](double mass, double power) {
            double term = mass * power;
            sum += term;
            magnitude += std::fabs(term);
        };
        for (const PointMass& atom : split_off)
            add(atom.mass, atom.powers != nullptr && atom.powers->is_of(atom.point)
                               ? (*atom.powers)(k)
                               : whole_power(atom.point, k));
        for (int i = 0; i < points.length; ++i)
            add(weights[i], whole_power(points[i], k));
        if (!(std::fabs(sum - moments[k]) <= estimation_tolerance::reproduction * magnitude))
            return false;
    }
    return true;
}
