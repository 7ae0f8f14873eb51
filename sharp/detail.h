// SPDX-License-Identifier: Apache-2.0
#pragma once
// Internal state of the sharp method that SharpAnalysis carries from the
// analysis of a moment list to the positions.  Not part of the interface:
// callers and tests use the fields and functions of sharp/sharp.h only.

#include <array>
#include <cstdint>

// The weight w(t) of a Hankel form: the polynomials >= 0 on S are sums of
// w(t) q(t)^2 over these weights.
enum class SharpWeight { one, above_lower, below_upper, between };

// Longest moment list the method works with; the moments beyond it are not
// used (fewer moments still give valid bounds).
inline constexpr int sharp_max_moments = 32;

namespace sharp_detail {

inline constexpr int max_degree = sharp_max_moments - 1;
inline constexpr int max_size = max_degree / 2; // largest size m of a Hankel form
inline constexpr int max_atoms = max_size + 3;  // nodes of a form plus two end points
// Largest Jacobi matrix any routine builds: a form of size m extended by one
// row (Radau), or the Gauss rule of a form singular at order m + 1.
inline constexpr int max_matrix = max_size + 2;
// Most conditions of a dual polynomial: x, every node twice, two end points.
inline constexpr int max_conditions = 2 * max_atoms + 1;

// The recurrence of one weight's measure nu = w mu in standardised units, up
// to the largest size whose pivots the data resolve, with the zeros of every
// P_m (they bracket the Radau nodes of a form of size m).
struct WeightRun {
    SharpWeight weight = SharpWeight::one;
    int valid = -1;                           // largest usable form size; -1: none
    std::array<double, max_size + 1> alpha{}; // alpha_0 .. alpha_(valid-1)
    std::array<double, max_size + 1> beta{};  // beta_0 = nu_0, beta_1 .. beta_valid
    std::array<double, max_size + 1> root_beta{};
    // zeros[m][0..m-1]: the zeros of P_m, ascending.
    std::array<std::array<double, max_size>, max_size + 1> zeros{};
    // For J_m extended by one row (a Radau rule of size m): the Gershgorin
    // interval of its first m rows, which do not depend on the position, and
    // sqrt(beta_m), the radius of the last row.
    std::array<double, max_size + 1> rows_lo{};
    std::array<double, max_size + 1> rows_hi{};
    std::array<double, max_size + 1> root_beta_last{};
};

// A form of one degree: its weight and size.
struct FormSpec {
    SharpWeight weight = SharpWeight::one;
    int size = 0;
};

// A discrete distribution in standardised units (the determinate one).
struct Discrete {
    int count = 0;
    std::array<double, max_atoms> point{};
    std::array<double, max_atoms> mass{};
    std::array<bool, max_atoms> at_end{}; // on an end of the support
};

// The moment list in standardised units t = (X - mean) / sd, with the
// tolerance of the given moments carried into them.
struct Units {
    int count = 0;
    double centre = 0.0;    // moments given about this point
    double shift = 0.0;     // mean - centre, in the units of X (the given first moment)
    double scale = 1.0;     // sd (or another positive scale for n < 3)
    double shift_std = 0.0; // shift / scale
    double lower = 0.0;     // a' (standardised lower limit)
    double upper = 0.0;     // b'
    std::array<double, sharp_max_moments> z{};     // E t^j
    std::array<double, sharp_max_moments> level{}; // tolerance of z_j (triangle bound)
    // Tolerance of the j-th given moment, in units of scale^j.
    std::array<double, sharp_max_moments> tolerance{};
};

// The Radau nodes of one form at the last three positions of a sweep where
// the form was used (standardised x; node[k]: the node in bracket k, between
// the zeros k-1 and k of P_m; not a number where none was searched).  The
// next position's searches start from their quadratic extrapolation.
struct FormHistory {
    static constexpr int depth = 3;
    int known = 0;  // positions recorded, at most depth
    int latest = 0; // slot of the last one
    std::array<double, depth> x{};
    std::array<std::array<double, max_size + 1>, depth> node;

    // Where the search in bracket k should start at the position given to
    // prepare(): the extrapolation through the recorded nodes, or the most
    // recent node where one of them is missing; not a number when none is
    // known.
    void prepare(double at);
    double predict(int k) const;
    void record(double at, const double* nodes, int skipped, int size);

    // Set by prepare(): the slots extrapolated from and their weights.
    int points = 0;
    std::array<int, depth> used{};
    std::array<double, depth> weight{};
};

// A sweep's history of every form (by weight and size).
struct NodeMemory {
    std::array<std::array<FormHistory, max_size + 1>, 4> form;
};

} // namespace sharp_detail
