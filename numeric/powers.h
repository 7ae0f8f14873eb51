// SPDX-License-Identifier: Apache-2.0
#pragma once
// Whole powers of a number exactly as std::pow(base, double(k)) gives them,
// for code that needs the same powers again and again: an estimation asks for
// the powers of its position in every attempt.  Reusing a power computed once
// gives the same bits as computing it again, so the callers' results do not
// change.

#include <cmath>
#include <cstdint>

#include "numeric/same_bits.h"

// std::pow(base, k) for k >= 0.  Where IEEE 754 pow fixes the result it is
// given without the call: 1 for the exponent 0 (whatever the base, NaN too),
// 1 for the base 1, +0 for the base +0.
inline double whole_power(double base, int k) {
    if (k == 0 || base == 1.0)
        return 1.0;
    if (base == 0.0 && !std::signbit(base))
        return 0.0;
    return std::pow(base, static_cast<double>(k));
}

// The powers base^0, base^1, ... of one base, each computed by std::pow the
// first time it is asked for and kept.  Exponents from `capacity` on are
// computed at each request.
class PowerTable {
public:
    static constexpr int capacity = 64;

    explicit PowerTable(double base) : base_(base) {}

    // Whether this is the table of base, compared bit for bit (-0 and +0 have
    // different odd powers).
    bool is_of(double base) const { return same_bits(base, base_); }

    // Makes the table one of base, forgetting the powers kept when the base changes.
    void rebase(double base) {
        if (!is_of(base)) {
            base_ = base;
            known_ = 0;
        }
    }

    // std::pow(base, double(k)) for k >= 0.
    double operator()(int k) {
        if (k >= capacity)
            return std::pow(base_, static_cast<double>(k));
        const std::uint64_t bit = std::uint64_t{1} << k;
        if ((known_ & bit) == 0) {
            values_[k] = std::pow(base_, static_cast<double>(k));
            known_ |= bit;
        }
        return values_[k];
    }

private:
    double base_;
    std::uint64_t known_ = 0; // bit k: values_[k] is computed
    double values_[capacity];
};
