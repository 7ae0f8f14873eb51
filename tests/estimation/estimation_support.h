// SPDX-License-Identifier: Apache-2.0
#pragma once
// Helpers shared by the estimation suites: moment vectors from lists, and the
// shared helpers they use most.

#include "estimation/context.h"
#include "estimation/estimate.h"
#include "numeric/diagnostics.h"
#include "numeric/vector.h"
#include "tests/support/contexts.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace estimation_test {

using test_support::CapturedStream;
using test_support::context_for;
using test_support::discrete_moments;
using test_support::LogFolder;
using test_support::quiet_context;
using test_support::Report;
using test_support::uniform_moments;

inline Vector vec(const std::vector<double>& values) {
    return Vector(values.data(), static_cast<int>(values.size()));
}

inline std::vector<double> values(const Vector& v) {
    return std::vector<double>(v.data, v.data + v.length);
}

// True when both hold the same doubles bit for bit (NaN equal to itself).
inline bool same_bits(const Vector& v, const std::vector<double>& expected) {
    return v.length == static_cast<int>(expected.size()) &&
           (v.length == 0 ||
            std::memcmp(v.data, expected.data(), sizeof(double) * expected.size()) == 0);
}

// An empty Vector, which only drop can make.
inline Vector empty_vector() {
    Vector v(1);
    v.drop(1);
    return v;
}

// For the attempt routines called on their own.
inline const DiagnosticSink no_diagnostics{nullptr};

inline int outcome_of(const Estimate& e) {
    return outcome_index(e.outcome);
}

// For suites that do not examine the log or the diagnostics.
class QuietEnvironment : public ::testing::Test {
protected:
    EstimationContext quiet_ = quiet_context();
};

} // namespace estimation_test
