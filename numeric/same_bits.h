// SPDX-License-Identifier: Apache-2.0
#pragma once
// Numbers compared bit for bit, for tables that hand back what was computed
// from the same numbers: -0 and +0 differ (their odd powers and quotients
// do), and a NaN equals itself.

#include <bit>
#include <cstdint>

inline bool same_bits(double a, double b) {
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

inline bool same_bits(const double* a, const double* b, int count) {
    for (int i = 0; i < count; ++i)
        if (!same_bits(a[i], b[i]))
            return false;
    return true;
}
