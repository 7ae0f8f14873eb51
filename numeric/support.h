// SPDX-License-Identifier: Apache-2.0
#pragma once
// The support of the random variable: the whole line (-inf, inf), the
// half-line [lower, inf) or the interval [lower, upper].  The dialog's radio
// buttons, the rows of the error log and vendrill-cli's --type still number
// them 0, 1 and 2; these conversions are the one place that numbering lives.

#include <optional>

enum class Support { whole = 0, half = 1, interval = 2 };

constexpr int support_index(Support support) {
    return static_cast<int>(support);
}

// Whether the support has a finite lower end (the half-line and the
// interval) or a finite upper end (the interval).
constexpr bool has_lower_end(Support support) {
    return support != Support::whole;
}

constexpr bool has_upper_end(Support support) {
    return support == Support::interval;
}

// nullopt for an index that names no support.
constexpr std::optional<Support> support_from_index(int index) {
    switch (index) {
    case 0:
        return Support::whole;
    case 1:
        return Support::half;
    case 2:
        return Support::interval;
    default:
        return std::nullopt;
    }
}
