// SPDX-License-Identifier: Apache-2.0
#pragma once
// Moment sequences and a scratch folder for the benchmark programs; the
// folder and the uniform moments are the test suites' own helpers.

#include <cmath>
#include <vector>

#include "tests/support/test_support.h"

namespace bench_support {

using test_support::ScratchFolder;
using test_support::uniform_moments;

// Moments of the atoms 0.2, 0.5, 0.8 with weights 0.3, 0.4, 0.3.
inline std::vector<double> three_atom_moments(int count) {
    std::vector<double> m;
    for (int k = 0; k < count; ++k)
        m.push_back(0.3 * std::pow(0.2, k) + 0.4 * std::pow(0.5, k) + 0.3 * std::pow(0.8, k));
    m[0] = 1.0;
    return m;
}

} // namespace bench_support
