#pragma once
// Internal state of the sharp method that SharpAnalysis carries from the
// analysis of a moment list to the positions.  Not part of the interface:
// callers and tests use the fields and functions of sharp/sharp.h only.

#include <array>

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

// One Hankel form of the degree used, with what a position needs: the
// recurrence of its measure nu = w mu in standardised units and the zeros of
// its orthogonal polynomial P_m (they bracket the Radau nodes).
struct Form {
    SharpWeight weight = SharpWeight::one;
    int size = 0;                                 // m
    std::array<double, max_size> alpha{};         // alpha_0 .. alpha_(m-1)
    std::array<double, max_size + 1> beta{};      // beta_0 = nu_0, beta_1 .. beta_m
    std::array<double, max_size + 1> root_beta{}; // their square roots
    std::array<double, max_size> zeros{};         // zeros of P_m, ascending
};

// A discrete distribution in standardised units, with the uncertainty of its
// atoms (near: how far from an atom a position still counts as on it) and of
// its distribution function (widening).
struct Discrete {
    int count = 0;
    std::array<double, max_atoms> point{};
    std::array<double, max_atoms> mass{};
    std::array<double, max_atoms> near{};
    std::array<bool, max_atoms> at_lower{};
    std::array<bool, max_atoms> at_upper{};
    double widening = 0.0;
};

} // namespace sharp_detail
