// SPDX-License-Identifier: Apache-2.0
// Moments about a point: the shift to raw moments against exact values, the
// moment lists of summary statistics and their faults, the moments of a
// sample (both passes' ways) against exact rationals, and the tail bounds'
// outward rounding.

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numeric>
#include <random>
#include <vector>

#include "estimation/moments_about.h"
#include "estimation/sample_moments.h"
#include "estimation/tail_bounds.h"
#include "sharp/double_double.h"

namespace {

constexpr double eps = std::numeric_limits<double>::epsilon();

// ------------------------------------------------------------- raw moments

struct Shift {
    const char* name;
    std::vector<double> about; // moments about centre
    double centre;
    std::vector<double> raw; // the exact raw moments, each a double
};

void PrintTo(const Shift& c, std::ostream* os) {
    *os << c.name;
}

class ShiftTest : public ::testing::TestWithParam<Shift> {};

// Where the raw moments are doubles, the shift gives them exactly, and the
// shift back returns the moments about the centre.
TEST_P(ShiftTest, GivesTheExactRawMomentsAndBack) {
    const Shift& c = GetParam();
    const int n = static_cast<int>(c.about.size());
    EXPECT_EQ(raw_moments(c.about.data(), n, c.centre), c.raw);
    const std::vector<double> back = shifted_moments(c.raw.data(), n, -c.centre);
    for (int k = 0; k < n; ++k)
        EXPECT_NEAR(back[k], c.about[k], 4 * eps * std::abs(c.raw[k])) << k;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ShiftTest,
    ::testing::Values(
        // Normal moments about 1000: E X^k = sum_j C(k, 2j) 1000^(k-2j) (2j-1)!!.
        Shift{"NormalAbout1000",
              {1, 0, 1, 0, 3, 0},
              1000,
              {1, 1000, 1000001, 1000003000, 1000006000003, 1000010000015000}},
        // +-1 with probability 1/2 about 5: E X^k = (6^k + 4^k) / 2.
        Shift{"CoinAbout5", {1, 0, 1, 0, 1, 0, 1}, 5, {1, 5, 26, 140, 776, 4400, 25376}},
        Shift{"NegativeCentre", {1, 0.5, 0.25}, -2, {1, -1.5, 2.25}},
        Shift{"ZeroCentreKeepsTheList", {1, 0.1, 0.7, -3e300}, 0, {1, 0.1, 0.7, -3e300}}),
    [](const ::testing::TestParamInfo<Shift>& info) { return std::string(info.param.name); });

TEST(Shift, BeyondTheRangeOfADoubleIsNotFinite) {
    const double about[] = {1, 0, 1, 0, 1};
    EXPECT_FALSE(all_finite(raw_moments(about, 5, 1e100)));
    EXPECT_TRUE(all_finite(raw_moments(about, 5, 1e50)));
}

// ------------------------------------------------------- summary statistics

struct Statistics {
    const char* name;
    SummaryStatistics statistics;
    StatisticsFault fault;
    std::vector<double> moments; // about the mean, when there is no fault
};

void PrintTo(const Statistics& c, std::ostream* os) {
    *os << c.name;
}

class StatisticsTest : public ::testing::TestWithParam<Statistics> {};

TEST_P(StatisticsTest, MakeTheListAboutTheMeanOrNameTheFault) {
    const Statistics& c = GetParam();
    ASSERT_EQ(check_statistics(c.statistics), c.fault);
    if (c.fault != StatisticsFault::none)
        return;
    const MomentsAbout list = statistics_moments(c.statistics);
    EXPECT_EQ(list.centre, c.statistics.mean);
    EXPECT_EQ(list.moments, c.moments);
}

INSTANTIATE_TEST_SUITE_P(
    Table, StatisticsTest,
    ::testing::Values(
        Statistics{"MeanAlone", {1.0, {}, {}, {}}, StatisticsFault::none, {1, 0}},
        Statistics{"ServiceTime", {2.0, 0.5, {}, {}}, StatisticsFault::none, {1, 0, 0.25}},
        Statistics{
            "Loss", {1e4, 3e4, 5.0, 40.0}, StatisticsFault::none, {1, 0, 9e8, 1.35e14, 3.24e19}},
        // A two-point law: kurtosis = skewness^2 + 1 exactly.
        Statistics{"TwoPoint", {0.0, 1.0, 1.0, 2.0}, StatisticsFault::none, {1, 0, 1, 1, 2}},
        Statistics{
            "SkewnessWithoutSd", {0.0, {}, 1.0, {}}, StatisticsFault::skewness_without_sd, {}},
        Statistics{"KurtosisWithoutSkewness",
                   {0.0, 1.0, {}, 3.0},
                   StatisticsFault::kurtosis_without_skewness,
                   {}},
        Statistics{"ZeroSd", {0.0, 0.0, {}, {}}, StatisticsFault::sd_not_positive, {}},
        Statistics{"NegativeSd", {0.0, -1.0, {}, {}}, StatisticsFault::sd_not_positive, {}},
        Statistics{"KurtosisTooSmall",
                   {0.0, 1.0, 1.0, 1.9999999999999998},
                   StatisticsFault::kurtosis_too_small,
                   {}},
        Statistics{
            "FourthMomentOverflows", {0.0, 1e100, 0.0, 3.0}, StatisticsFault::out_of_range, {}}),
    [](const ::testing::TestParamInfo<Statistics>& info) { return std::string(info.param.name); });

// ----------------------------------------------------------- sample moments

// The moments of a sample of small integers about their mean, exactly:
// mean = S / n and mu_p = sum (n x - S)^p / n^(p+1), in integers.
struct Exact {
    std::int64_t n;
    std::int64_t sum;
    double mean;
    std::vector<double> central; // mu_0 .. mu_(count-1)
};

Exact exact_moments(const std::vector<int>& sample, int count) {
    const std::int64_t n = static_cast<std::int64_t>(sample.size());
    const std::int64_t s = std::accumulate(sample.begin(), sample.end(), std::int64_t{0});
    Exact exact{n, s, static_cast<double>(s) / static_cast<double>(n), {1.0}};
    for (int p = 1; p < count; ++p) {
        std::int64_t sum = 0; // |n x - S|^6 stays below 2^63 for the samples below
        for (const int x : sample) {
            std::int64_t term = 1;
            for (int i = 0; i < p; ++i)
                term *= n * x - s;
            sum += term;
        }
        long double denominator = 1;
        for (int i = 0; i <= p; ++i)
            denominator *= static_cast<long double>(n);
        exact.central.push_back(static_cast<double>(static_cast<long double>(sum) / denominator));
    }
    return exact;
}

SampleMoments two_passes(const std::vector<double>& values, int count) {
    SampleMean mean;
    for (const double x : values)
        mean.add(x);
    CentralSums sums(mean.mean(), count);
    for (const double x : values)
        sums.add(x);
    return sums.moments();
}

SampleMoments one_pass(const std::vector<double>& values, int count) {
    RunningMoments running(count);
    for (const double x : values)
        running.add(x);
    return running.moments();
}

class SampleTest : public ::testing::TestWithParam<std::vector<int>> {};

// Both ways agree with the exact moments: the centre is the mean rounded,
// M1 its remainder, and the moments about the centre those about the mean
// up to that remainder's effect and a few roundings.
TEST_P(SampleTest, AgreesWithExactRationals) {
    const std::vector<int>& sample = GetParam();
    const int count = 7;
    const Exact exact = exact_moments(sample, count);
    const std::vector<double> values(sample.begin(), sample.end());
    double reach = 0.0; // the largest |x - mean|
    for (const double x : values)
        reach = std::max(reach, std::abs(x - exact.mean));
    for (const SampleMoments& m : {two_passes(values, count), one_pass(values, count)}) {
        ASSERT_EQ(m.count, sample.size());
        ASSERT_EQ(m.about.moments.size(), static_cast<std::size_t>(count));
        EXPECT_EQ(m.about.moments[0], 1.0);
        EXPECT_NEAR(m.about.centre, exact.mean, eps * std::abs(exact.mean));
        // M1 = S/n - centre, exact in long double up to its last division.
        const long double remainder =
            (static_cast<long double>(exact.sum) -
             static_cast<long double>(exact.n) * static_cast<long double>(m.about.centre)) /
            static_cast<long double>(exact.n);
        EXPECT_NEAR(m.about.moments[1], static_cast<double>(remainder),
                    1e-3 * eps * (std::abs(exact.mean) + 1e-300));
        // The exact moments about the centre: those about the mean shifted
        // by M1 = mean - centre.  Within a few roundings on the spread's
        // scale, not the mean's: taken about the mean, the moments keep their
        // digits however far the sample lies from 0.
        for (int p = 2; p < count; ++p) {
            long double about = 0.0L;
            long double binomial = 1.0L; // C(p, k)
            for (int k = 0; k <= p; ++k) {
                about += binomial * exact.central[k] * std::pow(remainder, p - k);
                binomial = binomial * (p - k) / (k + 1);
            }
            EXPECT_NEAR(m.about.moments[p], static_cast<double>(about),
                        8 * p * eps * std::pow(reach, p))
                << "moment " << p;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Table, SampleTest,
                         ::testing::Values(std::vector<int>{7}, std::vector<int>{0, 1},
                                           std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10},
                                           std::vector<int>{0, 0, 0, 0, 0, 0, 0, 0, 0, 100},
                                           std::vector<int>{-3, 5, 5, 2, -7, 11, 0, 1},
                                           std::vector<int>{1000, 1001, 1001, 1003},
                                           std::vector<int>{1000000, 1000001, 1000001, 1000003,
                                                            999998}));

// A constant sample of an inexact decimal: compensated sums find its mean
// exactly and every central moment exactly 0, where plain sums drift.
TEST(SampleMoments, AConstantSampleHasItsValueAsMeanAndNoSpread) {
    const std::vector<double> tenths(1000000, 0.1);
    for (const SampleMoments& m : {two_passes(tenths, 5), one_pass(tenths, 5)}) {
        EXPECT_EQ(m.about.centre, 0.1);
        for (int p = 1; p < 5; ++p)
            EXPECT_EQ(m.about.moments[p], 0.0) << p;
    }
}

// ------------------------------------------------------------ tail bounds

// 1 - L rounded up: at least 1 - L exactly, and the smallest such double;
// 1 - U rounded down likewise.
TEST(TailBounds, AreTheComplementsRoundedOutward) {
    std::mt19937_64 random(13);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    auto compare_with_one = [](double a, double b) { // sign of a + b - 1, exactly
        const sharp_detail::DoubleDouble s = sharp_detail::two_sum(a, b);
        const sharp_detail::DoubleDouble d = sharp_detail::two_sum(s.hi, -1.0);
        const double rest = d.hi + (d.lo + s.lo);
        return rest > 0 ? 1 : rest < 0 ? -1 : 0;
    };
    for (int i = 0; i < 20000; ++i) {
        const double b = i < 4 ? std::vector<double>{0.0, 1.0, 0.5, 1e-300}[i] : unit(random);
        const double up = upper_tail_max(b);
        const double down = upper_tail_min(b);
        ASSERT_GE(compare_with_one(up, b), 0) << b;
        if (up > 0.0) {
            ASSERT_LT(compare_with_one(std::nextafter(up, 0.0), b), 0) << b;
        }
        ASSERT_LE(compare_with_one(down, b), 0) << b;
        ASSERT_GT(compare_with_one(std::nextafter(down, 2.0), b), 0) << b;
    }
}

} // namespace
