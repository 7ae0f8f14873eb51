// SPDX-License-Identifier: Apache-2.0
// Properties over distributions with known distribution functions: the truth
// lies in [L, U], the bounds move with X -> sX + t, few atoms are recognised,
// and moments that leave the support are refused.

#include "sharp/sharp.h"
#include "tests/sharp/known_distributions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

std::string support_text(const SupportChoice& s) {
    return "type " + std::to_string(support_index(s.support)) + " [" + std::to_string(s.lower) +
           ", " + std::to_string(s.upper) + "]";
}

class SharpTruth : public ::testing::TestWithParam<KnownDistribution> {};

TEST_P(SharpTruth, BoundsContainTheDistributionFunction) {
    const KnownDistribution& d = GetParam();
    int checked = 0;
    for (const SupportChoice& support : supports_of(d)) {
        for (int count = 3; count <= 15; ++count) {
            std::vector<double> c = d.moments(count);
            SharpAnalysis analysis =
                analyse_moments(support.support, support.lower, support.upper, c.data(), count);
            // The support is right, so the moments must fit it.
            ASSERT_TRUE(analysis.status == SharpStatus::sharp ||
                        analysis.status == SharpStatus::determinate)
                << d.name << " " << support_text(support) << " n=" << count << ": "
                << analysis.message;
            EXPECT_GE(analysis.moments_used, std::min(count, 3));
            for (double x : test_positions(d)) {
                SharpBounds b = sharp_bounds_at(analysis, x);
                ASSERT_LE(b.lower_bound, b.upper_bound);
                EXPECT_GE(d.cdf_below(x), b.lower_bound - 1e-7)
                    << d.name << " " << support_text(support) << " n=" << count << " x=" << x;
                EXPECT_LE(d.cdf(x), b.upper_bound + 1e-7)
                    << d.name << " " << support_text(support) << " n=" << count << " x=" << x;
                ++checked;
            }
        }
    }
    EXPECT_GT(checked, 0);
}

INSTANTIATE_TEST_SUITE_P(Sharp, SharpTruth, ::testing::ValuesIn(known_distributions()),
                         [](const auto& info) {
                             std::string name = std::to_string(info.index) + "_" + info.param.name;
                             for (char& ch : name)
                                 if (!std::isalnum(static_cast<unsigned char>(ch)))
                                     ch = '_';
                             return name;
                         });

// Moments of sX + t, computed from the moments of X in long double.
std::vector<double> transformed_moments(const KnownDistribution& d, int count, double s, double t) {
    std::vector<double> result;
    for (int j = 0; j < count; ++j) {
        long double sum = 0.0L;
        long double binom = 1.0L;
        for (int i = 0; i <= j; ++i) {
            sum += binom * std::pow(static_cast<long double>(s), i) * d.moment(i) *
                   std::pow(static_cast<long double>(t), j - i);
            binom = binom * (j - i) / (i + 1);
        }
        result.push_back(static_cast<double>(sum));
    }
    return result;
}

struct Transform {
    double scale;
    double shift;
};

TEST(SharpInvariance, AffineChangeOfUnitsLeavesTheBoundsAlone) {
    // Shifts of the order of the spread: a shift of many standard deviations
    // costs the rounded moments real information, and with it resolved pivots.
    const Transform transforms[] = {{3.0, -2.0}, {0.01, 0.005}, {250.0, 100.0}, {1e-3, -1e-3}};
    for (const KnownDistribution& d : known_distributions()) {
        for (const SupportChoice& support : supports_of(d)) {
            for (int count : {3, 4, 5, 6, 7, 9}) {
                std::vector<double> c = d.moments(count);
                SharpAnalysis base =
                    analyse_moments(support.support, support.lower, support.upper, c.data(), count);
                for (const Transform& tr : transforms) {
                    std::vector<double> ct = transformed_moments(d, count, tr.scale, tr.shift);
                    double lower = tr.scale * support.lower + tr.shift;
                    double upper = tr.scale * support.upper + tr.shift;
                    SharpAnalysis moved =
                        analyse_moments(support.support, lower, upper, ct.data(), count);
                    // The tolerance of the moments is set in the units they are
                    // given in, so a change of units can move a list across the
                    // 1e-9 line between "determinate" and "sharp" (both with
                    // the same atoms) and change how many moments it resolves.
                    bool same = moved.status == base.status ||
                                (!moved.atoms.empty() && !base.atoms.empty());
                    ASSERT_TRUE(same)
                        << d.name << " " << support_text(support) << " n=" << count
                        << " s=" << tr.scale << ": " << moved.message << " / " << base.message;
                    for (double x : test_positions(d)) {
                        SharpBounds b = sharp_bounds_at(base, x);
                        SharpBounds bt = sharp_bounds_at(moved, tr.scale * x + tr.shift);
                        // Positions on an end point stay on it only up to rounding of
                        // sx + t; skip those, they are covered by the truth test.
                        double xt = tr.scale * x + tr.shift;
                        if (has_lower_end(support.support) && (xt - tr.shift) / tr.scale != x)
                            continue;
                        // Both are widened by the tolerance of their own moments,
                        // which the change of units alters.
                        double slack = 1e-7 + b.widening + bt.widening;
                        EXPECT_NEAR(bt.lower_bound, b.lower_bound, slack)
                            << d.name << " " << support_text(support) << " n=" << count
                            << " s=" << tr.scale << " x=" << x;
                        EXPECT_NEAR(bt.upper_bound, b.upper_bound, slack)
                            << d.name << " " << support_text(support) << " n=" << count
                            << " s=" << tr.scale << " x=" << x;
                    }
                }
            }
        }
    }
}

struct AtomCase {
    std::vector<double> points;
    std::vector<double> masses;
};

TEST(SharpDeterminate, FewAtomsAreRecognisedWithTheirPointsAndMasses) {
    const AtomCase cases[] = {
        {{2.5}, {1.0}},
        {{-1.0, 1.0}, {0.5, 0.5}},
        {{0.0, 1.0, 3.0}, {0.2, 0.5, 0.3}},
        {{-2.0, -0.5, 1.0, 2.5}, {0.1, 0.4, 0.3, 0.2}},
        {{0.1, 0.3, 0.5, 0.7, 0.9}, {0.1, 0.3, 0.2, 0.25, 0.15}},
        {{-3.0, -1.5, 0.0, 1.0, 2.0, 4.0}, {0.05, 0.15, 0.3, 0.25, 0.15, 0.1}},
    };
    for (const AtomCase& ac : cases) {
        KnownDistribution d = discrete(ac.points, ac.masses);
        int atoms = static_cast<int>(ac.points.size());
        for (const SupportChoice& support : supports_of(d)) {
            // Interior atoms only on the looser supports and the whole line.
            if (has_lower_end(support.support) && support.lower == d.min)
                continue;
            for (int count = 2 * atoms + 1; count <= std::min(2 * atoms + 3, 15); ++count) {
                std::vector<double> c = d.moments(count);
                SharpAnalysis analysis =
                    analyse_moments(support.support, support.lower, support.upper, c.data(), count);
                // Determinate, or sharp from the same atoms where the moments'
                // tolerance lets the bounds between them move by more than 1e-9.
                ASSERT_TRUE(analysis.status == SharpStatus::determinate ||
                            (analysis.status == SharpStatus::sharp && !analysis.atoms.empty()))
                    << d.name << " " << support_text(support) << " n=" << count << ": "
                    << analysis.message;
                ASSERT_EQ(static_cast<int>(analysis.atoms.size()), atoms);
                for (int i = 0; i < atoms; ++i) {
                    EXPECT_NEAR(analysis.atoms[i].point, ac.points[i], 1e-7 * (1.0 + d.sd));
                    EXPECT_NEAR(analysis.atoms[i].mass, ac.masses[i], 1e-7);
                }
                // At an atom: L = F(x-), U = F(x), up to the widening by the
                // atoms' own uncertainty, which is small for separated atoms.
                double widening = analysis.widening;
                EXPECT_LT(widening, 1e-6);
                for (double x : ac.points) {
                    SharpBounds b = sharp_bounds_at(analysis, x);
                    EXPECT_NEAR(b.lower_bound, d.cdf_below(x), widening + 1e-9);
                    EXPECT_NEAR(b.upper_bound, d.cdf(x), widening + 1e-9);
                }
            }
        }
    }
}

// Atoms at the ends of an interval count half: {0, 0.6, 1} on [0, 1] is
// pinned by 5 moments (three interior atoms would need 7), not by 4.
TEST(SharpDeterminate, EndAtomsOfTheInterval) {
    KnownDistribution ends = discrete({0.0, 0.6, 1.0}, {0.3, 0.5, 0.2});
    std::vector<double> c4 = ends.moments(4);
    EXPECT_EQ(analyse_moments(Support::interval, 0.0, 1.0, c4.data(), 4).status,
              SharpStatus::sharp);
    std::vector<double> c5 = ends.moments(5);
    SharpAnalysis pinned = analyse_moments(Support::interval, 0.0, 1.0, c5.data(), 5);
    ASSERT_EQ(pinned.status, SharpStatus::determinate) << pinned.message;
    ASSERT_EQ(pinned.atoms.size(), 3u);
    EXPECT_EQ(pinned.atoms[0].point, 0.0);
    EXPECT_NEAR(pinned.atoms[1].point, 0.6, 1e-9);
    EXPECT_EQ(pinned.atoms[2].point, 1.0);
    EXPECT_NEAR(pinned.atoms[0].mass, 0.3, 1e-9);
    EXPECT_NEAR(pinned.atoms[2].mass, 0.2, 1e-9);
}

struct WrongSupport {
    const char* name;
    KnownDistribution distribution;
    Support support;
    double lower;
    double upper;
    int count;
};

class SharpInfeasible : public ::testing::TestWithParam<WrongSupport> {};

TEST_P(SharpInfeasible, MomentsThatLeaveTheSupportAreRefused) {
    const WrongSupport& w = GetParam();
    std::vector<double> c = w.distribution.moments(w.count);
    SharpAnalysis analysis = analyse_moments(w.support, w.lower, w.upper, c.data(), w.count);
    EXPECT_EQ(analysis.status, SharpStatus::infeasible) << analysis.message;
    EXPECT_FALSE(analysis.message.empty());
    SharpBounds b = sharp_bounds_at(analysis, 0.5);
    EXPECT_EQ(b.status, SharpStatus::infeasible);
}

INSTANTIATE_TEST_SUITE_P(
    Sharp, SharpInfeasible,
    ::testing::Values(
        WrongSupport{"normal_on_unit_interval", normal(0.0, 1.0), Support::interval, 0.0, 1.0, 5},
        WrongSupport{"normal_on_unit_interval_3", normal(0.5, 1.0), Support::interval, 0.0, 1.0, 3},
        WrongSupport{"coin_on_0_2", discrete({-1.0, 1.0}, {0.5, 0.5}), Support::interval, 0.0, 2.0,
                     5},
        WrongSupport{"coin_on_half_line", discrete({-1.0, 1.0}, {0.5, 0.5}), Support::half, -0.5,
                     0.0, 4},
        WrongSupport{"atoms_below_interval", discrete({0.0, 1.0}, {0.5, 0.5}), Support::interval,
                     0.1, 1.0, 4},
        WrongSupport{"exponential_above_its_mean", erlang(1, 1.0), Support::half, 1.0, 0.0, 3},
        WrongSupport{"exponential_on_interval", erlang(1, 1.0), Support::interval, 0.0, 2.0, 7},
        WrongSupport{"uniform_on_shorter_interval", uniform(0.0, 1.0), Support::interval, 0.0, 0.6,
                     5},
        WrongSupport{"single_atom_outside", discrete({-0.5}, {1.0}), Support::interval, 0.0, 1.0,
                     4},
        WrongSupport{"mean_outside_with_two_moments", discrete({1.5}, {1.0}), Support::interval,
                     0.0, 1.0, 2}),
    [](const auto& info) { return std::string(info.param.name); });

// Lists that no distribution has, whatever the support.
TEST(SharpInfeasible, NegativeVarianceAndContradictedSingleAtom) {
    std::vector<double> negative{1.0, 2.0, 1.0};
    EXPECT_EQ(analyse_moments(Support::whole, 0, 0, negative.data(), 3).status,
              SharpStatus::infeasible);
    // Zero variance at 1, but a third moment that no point mass at 1 has.
    std::vector<double> contradicted{1.0, 1.0, 1.0, 1.5};
    EXPECT_EQ(analyse_moments(Support::whole, 0, 0, contradicted.data(), 4).status,
              SharpStatus::infeasible);
    // The coin with a wrong top odd moment: the singular form pins the
    // distribution, whose third moment is 0.
    std::vector<double> odd{1.0, 0.0, 1.0, 0.0, 1.0, 0.3};
    EXPECT_EQ(analyse_moments(Support::whole, 0, 0, odd.data(), 6).status, SharpStatus::infeasible);
}

} // namespace
