// SPDX-License-Identifier: Apache-2.0
#include "estimation/sample_moments.h"

#include <cmath>

#include "sharp/double_double.h"

using sharp_detail::DoubleDouble;

namespace {

// sum + error += value, the error of the addition kept (compensated summation
// in the form that also holds when value is larger than the sum).
void accumulate(double& sum, double& error, double value) {
    const DoubleDouble s = sharp_detail::two_sum(sum, value);
    sum = s.hi;
    error += s.lo;
}

// (sum + error) / count, rounded once.
double divided(double sum, double error, std::uint64_t count) {
    const DoubleDouble total = sharp_detail::two_sum(sum, error);
    return sharp_detail::to_double(total / DoubleDouble{static_cast<double>(count), 0.0});
}

// Central moments mu (about the exact mean), the mean as high + low: the
// moments about the mean rounded to a double.
MomentsAbout about_rounded_mean(double high, double low, const std::vector<double>& mu) {
    const DoubleDouble mean = sharp_detail::quick_two_sum(high, low);
    const double centre = sharp_detail::to_double(mean);
    const double offset = sharp_detail::to_double(sharp_detail::add(mean, {-centre, 0.0}));
    return MomentsAbout{centre, shifted_moments(mu.data(), static_cast<int>(mu.size()), offset)};
}

} // namespace

void SampleMean::add(double value) {
    accumulate(sum_, error_, value);
    ++count_;
}

double SampleMean::mean() const {
    return count_ == 0 ? 0.0 : divided(sum_, error_, count_);
}

CentralSums::CentralSums(double centre, int moment_count)
    : centre_(centre), sum_(static_cast<std::size_t>(moment_count > 1 ? moment_count : 1), 0.0),
      error_(sum_.size(), 0.0) {}

void CentralSums::add(double value) {
    const double t = value - centre_;
    double power = 1.0;
    for (std::size_t k = 1; k < sum_.size(); ++k) {
        power *= t;
        accumulate(sum_[k], error_[k], power);
    }
    ++count_;
}

SampleMoments CentralSums::moments() const {
    SampleMoments result;
    result.count = count_;
    result.about.centre = centre_;
    result.about.moments.assign(sum_.size(), 0.0);
    result.about.moments[0] = 1.0;
    if (count_ == 0)
        return result;
    for (std::size_t k = 1; k < sum_.size(); ++k)
        result.about.moments[k] = divided(sum_[k], error_[k], count_);
    return result;
}

RunningMoments::RunningMoments(int moment_count)
    : moment_count_(moment_count > 1 ? moment_count : 1),
      sum_(static_cast<std::size_t>(moment_count_), 0.0), low_(sum_.size(), 0.0),
      jump_(sum_.size(), 0.0) {
    for (int p = 0; p < moment_count_; ++p) {
        std::vector<double> row(static_cast<std::size_t>(p) + 1, 1.0);
        for (int k = 1; k < p; ++k)
            row[k] = binomial_[p - 1][k - 1] + binomial_[p - 1][k];
        binomial_.push_back(std::move(row));
    }
}

// With nA values of mean m and central sums S_q, one more value x, delta =
// x - m and d = delta / (nA + 1), the central sums of all nA + 1 values are
//   S_p + sum_{k=1}^{p-2} C(p, k) S_(p-k) (-d)^k + (nA d)^p (1 - (-1/nA)^(p-1))
// and the mean m + d.  The sums of lower order on the right are the old ones,
// so p runs downward.
void RunningMoments::add(double value) {
    if (count_ == 0) {
        mean_ = value;
        mean_low_ = 0.0;
        count_ = 1;
        return;
    }
    const double before = static_cast<double>(count_);
    const double after = before + 1.0;
    const DoubleDouble mean = sharp_detail::quick_two_sum(mean_, mean_low_);
    // The mean moves by delta / (nA + 1), kept in double-double so that its
    // rounding does not pile up over a long sample.
    const DoubleDouble delta_dd = sharp_detail::add({value, 0.0}, -mean);
    const DoubleDouble step = delta_dd / DoubleDouble{after, 0.0};
    const double d = sharp_detail::to_double(step);
    // (nA d)^p (1 - (-1/nA)^(p-1)) by products, p ascending (one rounding
    // an order, like the update terms): std::pow took most of the time of a
    // long sample.
    const double spread = before * d;
    const double ratio = -1.0 / before;
    double spread_power = spread; // (nA d)^(p-1)
    double ratio_power = 1.0;     // (-1/nA)^(p-2)
    for (int p = 2; p < moment_count_; ++p) {
        spread_power *= spread;
        ratio_power *= ratio;
        jump_[static_cast<std::size_t>(p)] = spread_power * (1.0 - ratio_power);
    }
    for (int p = moment_count_ - 1; p >= 2; --p) {
        double increment = 0.0;
        double step = 1.0; // (-d)^k
        for (int k = 1; k <= p - 2; ++k) {
            step *= -d;
            increment += binomial_[p][k] * (sum_[p - k] + low_[p - k]) * step;
        }
        increment += jump_[static_cast<std::size_t>(p)];
        const DoubleDouble total =
            sharp_detail::add(sharp_detail::quick_two_sum(sum_[p], low_[p]), {increment, 0.0});
        sum_[p] = total.hi;
        low_[p] = total.lo;
    }
    const DoubleDouble moved = sharp_detail::add(mean, step);
    mean_ = moved.hi;
    mean_low_ = moved.lo;
    ++count_;
}

SampleMoments RunningMoments::moments() const {
    SampleMoments result;
    result.count = count_;
    std::vector<double> mu(static_cast<std::size_t>(moment_count_), 0.0);
    mu[0] = 1.0;
    if (count_ == 0) {
        result.about.moments = mu;
        return result;
    }
    for (int p = 2; p < moment_count_; ++p)
        mu[p] = divided(sum_[p], low_[p], count_);
    result.about = about_rounded_mean(mean_, mean_low_, mu);
    return result;
}
