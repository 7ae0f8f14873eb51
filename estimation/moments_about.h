// SPDX-License-Identifier: Apache-2.0
#pragma once
// Moments about a point, and the moment lists people start from.
//
// A moment list may be given about a centre c: E[(X - c)^k] for k = 0, 1, ...
// (raw moments are the moments about 0).  The sharp method takes such a list
// as it is (analyse_moments' centre); the classic estimations work on raw
// moments, which shifted_moments() computes.  Far from 0 compared with the
// spread, raw moments carry fewer of the list's digits, which is why the
// lists below are built about the mean.

#include <cstdint>
#include <optional>
#include <vector>

// The moments of X + shift from the moments of X: element k is
// sum_i C(k, i) shift^(k-i) moments[i], summed in double-double and rounded
// once, so that the cancellation of the terms costs no digits beyond the
// given moments' own.  With shift 0 the moments come back unchanged.  A
// moment beyond the range of a double comes back infinite or NaN: check
// all_finite() before use.
std::vector<double> shifted_moments(const double* moments, int count, double shift);

// The raw moments E[X^k] from the moments E[(X - centre)^k].
inline std::vector<double> raw_moments(const double* moments, int count, double centre) {
    return shifted_moments(moments, count, centre);
}

bool all_finite(const std::vector<double>& values);

// A moment list and the point it is about.
struct MomentsAbout {
    double centre = 0.0;
    std::vector<double> moments; // E[(X - centre)^k], k = 0 .. n-1; moments[0] = 1
};

// Summary statistics of a distribution.  Each one needs the one before it,
// since the moment list they make must run without a gap.
struct SummaryStatistics {
    double mean = 0.0;
    std::optional<double> sd;
    std::optional<double> skewness; // E[(X - mean)^3] / sd^3
    std::optional<double> kurtosis; // E[(X - mean)^4] / sd^4 (not the excess kurtosis)
};

enum class StatisticsFault {
    none,
    skewness_without_sd,       // a skewness needs the sd
    kurtosis_without_skewness, // a kurtosis needs the skewness (no gap in the list)
    sd_not_positive,           // sd <= 0
    kurtosis_too_small,        // kurtosis < skewness^2 + 1: no distribution has both
    out_of_range,              // a moment of the list is beyond the range of a double
};

// What keeps the statistics from making a moment list; none when they make
// one.  The values are finite numbers.
StatisticsFault check_statistics(const SummaryStatistics& statistics);

// The moments about the mean: 1, 0 (the mean alone), sd^2, skewness sd^3,
// kurtosis sd^4, as far as the statistics go (each rounded once from double-double products).
// For statistics that check_statistics() accepts.
MomentsAbout statistics_moments(const SummaryStatistics& statistics);
