// SPDX-License-Identifier: Apache-2.0
#pragma once
// The moments of a sample: those of its empirical distribution (each value
// with mass 1/n), which lies on any support that holds every value, taken
// about the sample mean, where the fewest digits are lost.
//
// Two ways, both without holding the values: two passes (SampleMean, then
// CentralSums about the mean it found) where the values can be read twice, as
// from a file; one pass (RunningMoments, an update formula for the central
// sums of every order) where they come only once, as from a pipe.  The sums
// are compensated: each keeps the rounding error of its additions in a second
// double, so a long sample loses no more than a short one.

#include <cstdint>
#include <vector>

#include "estimation/moments_about.h"

// The moments of a sample about its mean, rounded to a double: moments[k] is
// (1/count) sum (x - centre)^k, so moments[0] = 1 and moments[1] is the tiny
// remainder of the mean's rounding.  Moments beyond the range of a double
// are infinite (check all_finite()).
struct SampleMoments {
    std::uint64_t count = 0;
    MomentsAbout about;
};

// The first pass: the mean by compensated summation.
class SampleMean {
public:
    void add(double value);
    std::uint64_t count() const { return count_; }
    // The sum over the count, rounded once; 0 without values.
    double mean() const;

private:
    std::uint64_t count_ = 0;
    double sum_ = 0.0;
    double error_ = 0.0; // what the rounding of sum_ lost
};

// The second pass: sums of (x - centre)^k, k = 1 .. moment_count - 1.
class CentralSums {
public:
    CentralSums(double centre, int moment_count);
    void add(double value);
    std::uint64_t count() const { return count_; }
    SampleMoments moments() const;

private:
    double centre_;
    std::uint64_t count_ = 0;
    std::vector<double> sum_;   // index k: the sum of (x - centre)^k
    std::vector<double> error_; // its compensation
};

// One pass: the running mean and the central sums of every order, updated
// value by value (the pairwise update of central moments for one more
// value), each kept as a double-double.
class RunningMoments {
public:
    explicit RunningMoments(int moment_count);
    void add(double value);
    std::uint64_t count() const { return count_; }
    SampleMoments moments() const;

private:
    int moment_count_;
    std::uint64_t count_ = 0;
    double mean_ = 0.0;
    double mean_low_ = 0.0;
    std::vector<double> sum_;                   // index k >= 2: the sum of (x - mean)^k, high part
    std::vector<double> low_;                   // its low part
    std::vector<double> jump_;                  // the new value's own term of each order (scratch)
    std::vector<std::vector<double>> binomial_; // rows of Pascal's triangle
};
