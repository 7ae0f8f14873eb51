// SPDX-License-Identifier: Apache-2.0
#include "estimation/moments_about.h"

#include <cmath>

#include "sharp/double_double.h"

using sharp_detail::DoubleDouble;

std::vector<double> shifted_moments(const double* moments, int count, double shift) {
    std::vector<double> shifted(moments, moments + (count > 0 ? count : 0));
    if (count <= 0 || shift == 0.0)
        return shifted;
    // shift^j and the row of Pascal's triangle in double-double: the
    // binomial coefficients stay exact up to 2^106 (rows up to about 110).
    std::vector<DoubleDouble> power(static_cast<std::size_t>(count));
    std::vector<DoubleDouble> row(static_cast<std::size_t>(count));
    power[0] = {1.0, 0.0};
    for (int j = 1; j < count; ++j)
        power[j] = sharp_detail::multiply(power[j - 1], shift);
    row[0] = {1.0, 0.0};
    for (int k = 1; k < count; ++k) {
        row[k] = {1.0, 0.0};
        for (int i = k - 1; i >= 1; --i)
            row[i] = sharp_detail::add(row[i], row[i - 1]);
        DoubleDouble sum{};
        for (int i = 0; i <= k; ++i)
            sum = sharp_detail::add(sum, sharp_detail::multiply(row[i] * power[k - i], moments[i]));
        shifted[k] = sharp_detail::to_double(sum);
    }
    return shifted;
}

bool all_finite(const std::vector<double>& values) {
    for (const double v : values)
        if (!std::isfinite(v))
            return false;
    return true;
}

namespace {

// sd^2, sd^3, sd^4 times the statistics, each rounded once.
std::vector<double> moments_of(const SummaryStatistics& s) {
    std::vector<double> moments = {1.0, 0.0};
    if (!s.sd)
        return moments;
    const DoubleDouble square = sharp_detail::two_prod(*s.sd, *s.sd);
    moments.push_back(sharp_detail::to_double(square));
    if (!s.skewness)
        return moments;
    const DoubleDouble cube = sharp_detail::multiply(square, *s.sd);
    moments.push_back(sharp_detail::to_double(sharp_detail::multiply(cube, *s.skewness)));
    if (!s.kurtosis)
        return moments;
    const DoubleDouble fourth = sharp_detail::multiply(cube, *s.sd);
    moments.push_back(sharp_detail::to_double(sharp_detail::multiply(fourth, *s.kurtosis)));
    return moments;
}

} // namespace

StatisticsFault check_statistics(const SummaryStatistics& s) {
    if (s.skewness && !s.sd)
        return StatisticsFault::skewness_without_sd;
    if (s.kurtosis && !s.skewness)
        return StatisticsFault::kurtosis_without_skewness;
    if (s.sd && !(*s.sd > 0.0))
        return StatisticsFault::sd_not_positive;
    if (s.kurtosis) {
        // kurtosis - (skewness^2 + 1), exactly enough that a two-point
        // distribution's statistics (equality) pass.
        const DoubleDouble bound = sharp_detail::add(
            sharp_detail::two_prod(*s.skewness, *s.skewness), DoubleDouble{1.0, 0.0});
        const DoubleDouble excess = sharp_detail::add(DoubleDouble{*s.kurtosis, 0.0}, -bound);
        if (excess.hi < 0.0 || (excess.hi == 0.0 && excess.lo < 0.0))
            return StatisticsFault::kurtosis_too_small;
    }
    if (!std::isfinite(s.mean) || !all_finite(moments_of(s)))
        return StatisticsFault::out_of_range;
    return StatisticsFault::none;
}

MomentsAbout statistics_moments(const SummaryStatistics& statistics) {
    return MomentsAbout{statistics.mean, moments_of(statistics)};
}
