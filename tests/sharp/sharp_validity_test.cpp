// SPDX-License-Identifier: Apache-2.0
// The sharp bounds are valid for every list within the moments' tolerance:
// the measured faults (reproduced as rows), positions far out, clustered and
// off-centre families against the distributions that made them, n moments
// against their leading parts, closed forms, and moments about a centre.

#include "sharp/sharp.h"
#include "tests/sharp/known_distributions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

__extension__ typedef __float128 Quad;

// A mixture of atoms and uniforms with moments summed in __float128, so that
// the given doubles are its moments to half an ulp.
struct Piece {
    double a;
    double b; // == a: an atom
    double mass;
};

struct Mixture {
    std::vector<Piece> pieces;
    std::vector<double> moments(int count, double centre = 0.0) const {
        std::vector<double> result;
        for (int j = 0; j < count; ++j) {
            Quad sum = 0;
            for (const Piece& p : pieces) {
                Quad a = static_cast<Quad>(p.a) - centre;
                Quad b = static_cast<Quad>(p.b) - centre;
                Quad pa = 1;
                Quad pb = 1;
                for (int i = 0; i < j; ++i) {
                    pa *= a;
                    pb *= b;
                }
                Quad value = pa;
                if (p.b != p.a)
                    value = (pb * b - pa * a) / ((j + 1) * (b - a));
                sum += static_cast<Quad>(p.mass) * value;
            }
            result.push_back(j == 0 ? 1.0 : static_cast<double>(sum));
        }
        return result;
    }
    double cdf(double x, bool strict) const {
        double sum = 0.0;
        for (const Piece& p : pieces) {
            if (p.a == p.b)
                sum += (strict ? p.a < x : p.a <= x) ? p.mass : 0.0;
            else if (x >= p.b)
                sum += p.mass;
            else if (x > p.a)
                sum += p.mass * (x - p.a) / (p.b - p.a);
        }
        return sum;
    }
    double low() const {
        double v = pieces[0].a;
        for (const Piece& p : pieces)
            v = std::min(v, p.a);
        return v;
    }
    double high() const {
        double v = pieces[0].b;
        for (const Piece& p : pieces)
            v = std::max(v, p.b);
        return v;
    }
};

double u01(std::mt19937_64& rng) {
    return std::uniform_real_distribution<double>(0.0, 1.0)(rng);
}

SharpAnalysis analyse(Support support, double lower, double upper, const std::vector<double>& c,
                      double centre = 0.0) {
    return analyse_moments(support, lower, upper, c.data(), static_cast<int>(c.size()), centre);
}

// Truth inside [L, U] at every position, on the whole line, a half-line and
// an interval that contain the mixture.
int check_truth(const Mixture& mix, int count, const std::vector<double>& xs,
                const std::string& what) {
    double lo = mix.low();
    double hi = mix.high();
    double span = hi - lo;
    const SupportChoice supports[] = {
        {Support::whole, 0, 0}, {Support::half, lo - 0.3 * span, 0}, {Support::interval, lo, hi}};
    std::vector<double> c = mix.moments(count);
    int checked = 0;
    for (const SupportChoice& s : supports) {
        SharpAnalysis analysis = analyse(s.support, s.lower, s.upper, c);
        EXPECT_TRUE(analysis.status == SharpStatus::sharp ||
                    analysis.status == SharpStatus::determinate)
            << what << " type " << support_index(s.support) << " n=" << count << ": "
            << analysis.message;
        for (double x : xs) {
            SharpBounds b = sharp_bounds_at(analysis, x);
            EXPECT_LE(b.lower_bound, mix.cdf(x, true) + 1e-12)
                << what << " type " << support_index(s.support) << " n=" << count << " x=" << x;
            EXPECT_GE(b.upper_bound, mix.cdf(x, false) - 1e-12)
                << what << " type " << support_index(s.support) << " n=" << count << " x=" << x;
            ++checked;
        }
    }
    return checked;
}

std::vector<double> positions_around(const Mixture& mix, std::mt19937_64& rng) {
    std::uniform_real_distribution<double> u(0.0, 1.0);
    std::vector<double> xs;
    for (const Piece& p : mix.pieces) {
        double w = std::max(p.b - p.a, 1e-6 * (1.0 + std::fabs(p.a)));
        for (double f : {-1.0, -0.1, 0.0, 0.3, 0.5, 0.9, 1.0, 1.1, 2.0})
            xs.push_back(p.a + f * w);
        xs.push_back(p.a + u(rng) * w);
    }
    return xs;
}

// An atom plus a uniform of width 1e-5 .. 1e-1, and two clusters.
TEST(SharpClustered, TruthInsideOnEverySupport) {
    std::mt19937_64 rng(17);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    int checked = 0;
    for (int rep = 0; rep < 24; ++rep) {
        double width = std::pow(10.0, -5.0 + 4.0 * (rep % 8) / 7.0);
        Mixture mix;
        if (rep % 2 == 0) {
            double p = 0.1 + 0.4 * u(rng);
            double at = 0.5 + u(rng);
            mix.pieces = {{0.0, 0.0, p}, {at, at + width, 1.0 - p}};
        } else {
            double p = 0.2 + 0.6 * u(rng);
            double first = u(rng);
            double second = first + 0.5 + u(rng);
            mix.pieces = {{first, first + width, p}, {second, second + 0.3 * width, 1.0 - p}};
        }
        std::vector<double> xs = positions_around(mix, rng);
        for (int count = 3; count <= 11; ++count)
            checked += check_truth(mix, count, xs, "mixture " + std::to_string(rep));
    }
    EXPECT_GT(checked, 10000);
}

// |mean| / sd from 10 to 1e4: truth inside, and "only the first N" means the
// bounds of the first N.
TEST(SharpOffCentre, TruthInsideAndTheMomentsUsedAreTheBoundsOfTheLeadingPart) {
    std::mt19937_64 rng(23);
    for (double ratio : {10.0, 100.0, 1e3, 1e4}) {
        for (int shape = 0; shape < 2; ++shape) {
            double sd = 0.01 + u01(rng);
            double mean = (shape ? -ratio : ratio) * sd;
            Mixture mix;
            if (shape == 0)
                mix.pieces = {{mean - 1.7 * sd, mean + 1.7 * sd, 1.0}};
            else
                mix.pieces = {{mean - sd, mean - sd, 0.5}, {mean, mean + 2 * sd, 0.5}};
            std::vector<double> xs = positions_around(mix, rng);
            std::string what = "ratio " + std::to_string(ratio);
            for (int count = 3; count <= 9; ++count) {
                check_truth(mix, count, xs, what);
                std::vector<double> c = mix.moments(count);
                SharpAnalysis all = analyse(Support::whole, 0, 0, c);
                if (all.moments_used >= count)
                    continue;
                std::vector<double> part(c.begin(), c.begin() + all.moments_used);
                SharpAnalysis leading = analyse(Support::whole, 0, 0, part);
                for (double x : xs) {
                    SharpBounds b = sharp_bounds_at(all, x);
                    SharpBounds bp = sharp_bounds_at(leading, x);
                    EXPECT_EQ(b.lower_bound, bp.lower_bound) << what << " n=" << count;
                    EXPECT_EQ(b.upper_bound, bp.upper_bound) << what << " n=" << count;
                }
            }
            // The moments resolved from the mean outward: at least the
            // variance, and all of a short list when the list is well centred.
            SharpAnalysis nine = analyse(Support::whole, 0, 0, mix.moments(9));
            EXPECT_GE(nine.moments_used, 3) << what;
            if (ratio <= 10.0) {
                EXPECT_EQ(nine.moments_used, 9) << what;
            }
        }
    }
}

// n moments never looser than n - 1 (beyond the 1e-10 below which shorter
// degrees are not tried), over random mixtures on all three supports.
TEST(SharpMonotone, MoreMomentsAreNeverLooser) {
    std::mt19937_64 rng(29);
    int compared = 0;
    for (int rep = 0; rep < 150; ++rep) {
        Mixture mix;
        int pieces = 1 + rep % 4;
        for (int i = 0; i < pieces; ++i) {
            double a = 4.0 * u01(rng) - 1.0;
            double w = rep % 3 == 0 ? 0.0 : 0.3 * u01(rng) + 1e-3;
            mix.pieces.push_back({a, a + w, 1.0 / pieces});
        }
        Support support = *support_from_index(rep % 3);
        double lower = mix.low() - 0.3 * u01(rng);
        double upper = mix.high() + 0.3 * u01(rng);
        int count = 4 + rep % 9;
        std::vector<double> c = mix.moments(count);
        SharpAnalysis more = analyse(support, lower, upper, c);
        c.pop_back();
        SharpAnalysis fewer = analyse(support, lower, upper, c);
        for (int i = 0; i <= 16; ++i) {
            double x = lower + (upper - lower) * i / 16.0;
            SharpBounds bm = sharp_bounds_at(more, x);
            SharpBounds bf = sharp_bounds_at(fewer, x);
            EXPECT_GE(bm.lower_bound, bf.lower_bound - 1e-10) << rep << " x=" << x;
            EXPECT_LE(bm.upper_bound, bf.upper_bound + 1e-10) << rep << " x=" << x;
            ++compared;
        }
    }
    EXPECT_GT(compared, 2000);
}

// Far out on every support: the bounds are those of the tail, in closed form.
TEST(SharpFarPositions, OutToTenToTheThreeHundred) {
    for (const KnownDistribution& d : known_distributions()) {
        for (const SupportChoice& s : supports_of(d)) {
            for (int count : {2, 3, 5, 8, 11}) {
                std::vector<double> c = d.moments(count);
                SharpAnalysis a = analyse(s.support, s.lower, s.upper, c);
                ASSERT_NE(a.status, SharpStatus::infeasible) << d.name;
                for (double far : {1e20, 1e60, 1e100, 1e200, 1e300}) {
                    double step = far * std::max(d.sd, 1.0);
                    SharpBounds right = sharp_bounds_at(a, d.mean + step);
                    EXPECT_EQ(right.upper_bound, 1.0) << d.name << " " << far;
                    if (count >= 3 || s.support == Support::half) {
                        EXPECT_GE(right.lower_bound, 1.0 - 1e-12) << d.name << " " << far;
                    }
                    SharpBounds left = sharp_bounds_at(a, d.mean - step);
                    EXPECT_EQ(left.lower_bound, 0.0) << d.name << " " << far;
                    if (count >= 3 || has_lower_end(s.support)) {
                        EXPECT_LE(left.upper_bound, 1e-12) << d.name << " " << far;
                    }
                }
            }
        }
    }
}

// Limits of the support 1e154 to 1e300 away (beyond them a' b' overflowed
// and every position answered 0 and 1): the truth inside, and never looser
// than the whole line's answer for the same list.  A limit that is not far is
// the distribution's own end.
struct FarLimits {
    const char* name;
    Support support;
    bool far_lower;
    bool far_upper;
};

class SharpFarLimits : public ::testing::TestWithParam<FarLimits> {};

TEST_P(SharpFarLimits, TruthInsideAndNeverLooserThanTheWholeLine) {
    const FarLimits& f = GetParam();
    int checked = 0;
    for (const KnownDistribution& d : known_distributions()) {
        if ((!f.far_lower && !std::isfinite(d.min)) ||
            (!f.far_upper && has_upper_end(f.support) && !std::isfinite(d.max)))
            continue;
        for (double far : {1e154, 1e155, 1e200, 1e300}) {
            const double lower = f.far_lower ? -far : d.min;
            const double upper = f.far_upper ? far : d.max;
            for (int count : {3, 4, 5, 7, 9, 11}) {
                std::vector<double> c = d.moments(count);
                SharpAnalysis a = analyse(f.support, lower, upper, c);
                SharpAnalysis whole = analyse(Support::whole, 0, 0, c);
                std::ostringstream where;
                where << d.name << ", limit " << far << ", n=" << count;
                const std::string what = where.str();
                ASSERT_TRUE(a.status == SharpStatus::sharp || a.status == SharpStatus::determinate)
                    << what << ": " << a.message;
                for (double x : test_positions(d)) {
                    SharpBounds b = sharp_bounds_at(a, x);
                    SharpBounds w = sharp_bounds_at(whole, x);
                    EXPECT_LE(b.lower_bound, d.cdf_below(x) + 1e-12) << what << " x=" << x;
                    EXPECT_GE(b.upper_bound, d.cdf(x) - 1e-12) << what << " x=" << x;
                    EXPECT_GE(b.lower_bound, w.lower_bound) << what << " x=" << x;
                    EXPECT_LE(b.upper_bound, w.upper_bound) << what << " x=" << x;
                    ++checked;
                }
            }
        }
    }
    EXPECT_GT(checked, 1000);
}

INSTANTIATE_TEST_SUITE_P(
    Sharp, SharpFarLimits,
    ::testing::Values(FarLimits{"half_line", Support::half, true, false},
                      FarLimits{"interval_both", Support::interval, true, true},
                      FarLimits{"interval_upper", Support::interval, false, true},
                      FarLimits{"interval_lower", Support::interval, true, false}),
    [](const auto& info) { return std::string(info.param.name); });

// The measured list: the normal's five moments on [-1e300, 1e300] give the
// whole line's bounds, not 0 and 1.
TEST(SharpFarLimits, NormalMomentsOnAHugeInterval) {
    const std::vector<double> c{1, 0, 1, 0, 3};
    SharpAnalysis huge = analyse(Support::interval, -1e300, 1e300, c);
    SharpAnalysis whole = analyse(Support::whole, 0, 0, c);
    for (double x : {-2.0, -1.0, 0.0, 0.5, 1.0, 2.0}) {
        SharpBounds b = sharp_bounds_at(huge, x);
        SharpBounds w = sharp_bounds_at(whole, x);
        EXPECT_EQ(b.lower_bound, w.lower_bound) << x;
        EXPECT_EQ(b.upper_bound, w.upper_bound) << x;
    }
    EXPECT_NEAR(sharp_bounds_at(huge, 0.0).lower_bound, 1.0 / 6.0, 1e-12);
    EXPECT_EQ(sharp_bounds_at(huge, 2e300).lower_bound, 1.0);
}

// The measured lists: 3 and 5 standard normal moments far out.
TEST(SharpFarPositions, StandardNormalMomentsAtTenToTheSeventy) {
    for (const std::vector<double>& c :
         {std::vector<double>{1, 0, 1}, std::vector<double>{1, 0, 1, 0, 3}}) {
        SharpAnalysis a = analyse(Support::whole, 0, 0, c);
        for (double x : {1e60, 1e70, 1e150, 1e300}) {
            SharpBounds right = sharp_bounds_at(a, x);
            EXPECT_EQ(right.lower_bound, 1.0) << x;
            EXPECT_EQ(right.upper_bound, 1.0) << x;
            SharpBounds left = sharp_bounds_at(a, -x);
            EXPECT_EQ(left.lower_bound, 0.0) << x;
            EXPECT_LE(left.upper_bound, 1e-100) << x;
        }
    }
}

struct Reproduction {
    const char* name;
    Support support;
    double lower;
    double upper;
    std::vector<double> moments;
    double position;
    double truth_below; // a P(X < x) the bounds must allow
    double truth_at;    // a P(X <= x) the bounds must allow
    bool may_be_exact;
};

class SharpReproduction : public ::testing::TestWithParam<Reproduction> {};

TEST_P(SharpReproduction, ContainsTheTruthAndSaysExactOnlyWhenItIs) {
    const Reproduction& r = GetParam();
    SharpAnalysis a = analyse(r.support, r.lower, r.upper, r.moments);
    SharpBounds b = sharp_bounds_at(a, r.position);
    EXPECT_LE(b.lower_bound, r.truth_below) << a.message;
    EXPECT_GE(b.upper_bound, r.truth_at) << a.message;
    if (!r.may_be_exact) {
        EXPECT_NE(b.status, SharpStatus::determinate) << a.message;
    }
}

const std::vector<double> atom_and_cluster{1.0,
                                           0.8004,
                                           0.8008002666666667,
                                           0.8012008002,
                                           0.80160160080016,
                                           0.8020026686674668,
                                           0.8024040040024008};
const std::vector<double> seven_atoms{1,
                                      9.0281697341112519,
                                      100.35915405879327,
                                      1226.7782333974526,
                                      15694.451182833311,
                                      205767.3028041397,
                                      2737729.4291870715,
                                      36774143.898517489,
                                      497216393.50529701,
                                      6754833264.869606,
                                      92096958852.543335,
                                      1259200689115.5134,
                                      17255184915906.158};
const std::vector<double> off_centre_interval{1.0,
                                              -38.89782485588961,
                                              1513.0731796501377,
                                              -58857.77883103116,
                                              2289586.9539372274,
                                              -89067604.27135886,
                                              3464908529.7238827};

INSTANTIATE_TEST_SUITE_P(
    Sharp, SharpReproduction,
    ::testing::Values(
        // An atom at 0 and a uniform on [1, 1.001]: no longer "exact".
        Reproduction{"atom_and_cluster", Support::whole, 0, 0, atom_and_cluster, 1.0003, 0.44, 0.44,
                     false},
        // Two atoms 0.053 apart among seven, 13 moments: not merged.
        Reproduction{"close_atoms", Support::interval, -0.50985813140863456, 13.921514417609155,
                     seven_atoms, 13.146730104911066, 0.711475, 0.711475, false},
        // Two 7-atom laws with these rounded moments: 0.3701 and 0.8178.
        Reproduction{"off_centre_interval", Support::interval, -39.19461606421673,
                     -38.51174760035478, off_centre_interval, -38.82462939323321, 0.3701, 0.8178,
                     true}),
    [](const auto& info) { return std::string(info.param.name); });

// Where the exact bounds of the given doubles are well-conditioned, the
// answer is within 1e-6 of them.
TEST(SharpReproduction, WellConditionedBoundsAreTight) {
    SharpAnalysis a = analyse(Support::whole, 0, 0, atom_and_cluster);
    SharpBounds b = sharp_bounds_at(a, 0.5);
    EXPECT_NEAR(b.lower_bound, 0.19999999999997, 1e-6);
    EXPECT_NEAR(b.upper_bound, 0.200000000000243, 1e-6);
    // Five atoms, three 0.01 apart, 12 moments on [-1, inf): 20/27 below 0.82.
    const std::vector<double> five{1.0,
                                   0.08666666666666666,
                                   0.21417777777777774,
                                   0.1323613333333333,
                                   0.12016584888888886,
                                   0.09530246119999997,
                                   0.0790433254373333,
                                   0.06456633172774665,
                                   0.05301393120253669,
                                   0.04345196037296504,
                                   0.035636069295280993,
                                   0.02922004037474201};
    SharpBounds at = sharp_bounds_at(analyse(Support::half, -1, 0, five), 0.82);
    EXPECT_NEAR(at.lower_bound, 20.0 / 27.0, 1e-6);
}

// 6 moments that resolve only 5: the bounds are those of the first 5.
TEST(SharpReproduction, MoreMomentsNeverLooserThanTheirFirstFive) {
    const std::vector<double> six{1.0,
                                  1.968708818825924,
                                  5.255195888624285,
                                  13.460264724056763,
                                  34.648462275296836,
                                  89.13509734970891};
    const double lower = -0.3149658244947391;
    const double upper = 2.6554867235399415;
    const double x = 1.1702604495226012;
    std::vector<double> five(six.begin(), six.begin() + 5);
    SharpBounds b6 = sharp_bounds_at(analyse(Support::interval, lower, upper, six), x);
    SharpBounds b5 = sharp_bounds_at(analyse(Support::interval, lower, upper, five), x);
    EXPECT_GE(b6.lower_bound, b5.lower_bound);
    EXPECT_LE(b6.upper_bound, b5.upper_bound);
    EXPECT_NEAR(b5.lower_bound, 0.20916987375, 1e-9);
    EXPECT_NEAR(b5.upper_bound, 0.20916987375, 1e-9);
}

// Mean 2 on [0, 1] fits no distribution there.
TEST(SharpReproduction, MeanOutsideTheIntervalIsInfeasible) {
    SharpAnalysis a = analyse(Support::interval, 0, 1, {1, 2, 4.5, 9.5, 20});
    EXPECT_EQ(a.status, SharpStatus::infeasible);
}

// Closed forms from one and two moments beyond the mass.
struct ClosedForm {
    const char* name;
    Support support;
    double lower;
    double upper;
    std::vector<double> moments;
    double position;
    double lower_bound;
    double upper_bound;
};

// Mean 1, variance 0.5 on [0, inf); mean 0.5, variance 0.05 on [0, 1].
double cantelli(double variance, double distance) {
    return variance / (variance + distance * distance);
}

// Three-point bound on [a, b]: the mass at x of {a, x, b}.
double three_point(double a, double b, double mean, double variance, double x) {
    return ((mean - a) * (b - mean) - variance) / ((x - a) * (b - x));
}

class SharpClosedForm : public ::testing::TestWithParam<ClosedForm> {};

TEST_P(SharpClosedForm, MatchesTheFormula) {
    const ClosedForm& f = GetParam();
    SharpAnalysis a = analyse(f.support, f.lower, f.upper, f.moments);
    ASSERT_EQ(a.status, SharpStatus::sharp) << a.message;
    ASSERT_EQ(a.moments_used, static_cast<int>(f.moments.size()));
    SharpBounds b = sharp_bounds_at(a, f.position);
    EXPECT_NEAR(b.lower_bound, f.lower_bound, 1e-13);
    EXPECT_NEAR(b.upper_bound, f.upper_bound, 1e-13);
    EXPECT_LE(b.lower_bound, f.lower_bound);
    EXPECT_GE(b.upper_bound, f.upper_bound);
}

INSTANTIATE_TEST_SUITE_P(
    Sharp, SharpClosedForm,
    ::testing::Values(
        ClosedForm{"mass_only", Support::whole, 0, 0, {1.0}, 0.3, 0.0, 1.0},
        ClosedForm{"markov", Support::half, 0, 0, {1.0, 1.0}, 3.0, 1.0 - 1.0 / 3.0, 1.0},
        ClosedForm{"markov_shifted", Support::half, -2, 0, {1.0, 1.0}, 7.0, 1.0 - 3.0 / 9.0, 1.0},
        ClosedForm{
            "mean_on_interval", Support::interval, 0, 1, {1.0, 0.25}, 0.75, 1.0 - 0.25 / 0.75, 1.0},
        ClosedForm{"cantelli_above",
                   Support::whole,
                   0,
                   0,
                   {1.0, 0.0, 1.0},
                   2.0,
                   1.0 - cantelli(1, 2),
                   1.0},
        ClosedForm{
            "cantelli_below", Support::whole, 0, 0, {1.0, 0.0, 1.0}, -0.5, 0.0, cantelli(1, 0.5)},
        ClosedForm{"half_line_variance",
                   Support::half,
                   0,
                   0,
                   {1.0, 1.0, 1.5},
                   3.0,
                   1.0 - cantelli(0.5, 2.0),
                   1.0},
        ClosedForm{"half_line_variance_below",
                   Support::half,
                   0,
                   0,
                   {1.0, 1.0, 1.5},
                   0.2,
                   0.0,
                   cantelli(0.5, 0.8)},
        ClosedForm{"interval_two_point",
                   Support::interval,
                   0,
                   1,
                   {1.0, 0.5, 0.3},
                   0.1,
                   0.0,
                   cantelli(0.05, 0.4)},
        ClosedForm{"interval_three_point",
                   Support::interval,
                   0,
                   1,
                   {1.0, 0.5, 0.3},
                   0.5,
                   (1.0 - three_point(0, 1, 0.5, 0.05, 0.5)) / 2.0,
                   (1.0 + three_point(0, 1, 0.5, 0.05, 0.5)) / 2.0}),
    [](const auto& info) { return std::string(info.param.name); });

// Chebyshev-Markov-Stieltjes: at a node of the Gauss rule of the moments,
// L and U are the rule's masses below and up to it.  Nodes and weights of the
// Legendre (uniform) and Hermite (normal) rules: zeros of the three-term
// recurrence in __float128, weights from its Christoffel sums.
struct GaussRule {
    std::vector<double> nodes;
    std::vector<double> weights;
};

GaussRule gauss_rule(int m, bool legendre) {
    // Monic recurrence: alpha = 0; beta_k = k^2/(4k^2-1) (on [-1,1], mass 1),
    // or k (standard normal).
    auto beta = [&](int k) -> Quad {
        return legendre ? static_cast<Quad>(k) * k / (4 * static_cast<Quad>(k) * k - 1) : k;
    };
    auto evaluate = [&](Quad t, Quad& p, Quad& dp, Quad& sum) {
        Quad previous = 0, current = 1, dprev = 0, dcur = 0;
        sum = 1; // sum of orthonormal p_j^2
        Quad norm = 1;
        for (int k = 0; k < m; ++k) {
            Quad b = k == 0 ? 0 : beta(k);
            Quad next = t * current - b * previous;
            Quad dnext = current + t * dcur - b * dprev;
            previous = current;
            current = next;
            dprev = dcur;
            dcur = dnext;
            norm *= beta(k + 1);
            if (k + 1 < m)
                sum += current * current / norm;
        }
        p = current;
        dp = dcur;
    };
    // Sign changes on a fine grid bracket the zeros; Newton polishes them.
    GaussRule rule;
    Quad reach = legendre ? 1 : 2 * std::sqrt(static_cast<double>(m)) + 2;
    Quad step = reach / 4000;
    Quad p, dp, sum;
    evaluate(-reach, p, dp, sum);
    Quad previous_value = p;
    for (Quad t = -reach + step; t <= reach; t += step) {
        evaluate(t, p, dp, sum);
        if ((p < 0) == (previous_value < 0) && p != 0) {
            previous_value = p;
            continue;
        }
        previous_value = p;
        Quad node = t - step / 2;
        for (int k = 0; k < 8; ++k) {
            evaluate(node, p, dp, sum);
            node -= p / dp;
        }
        evaluate(node, p, dp, sum);
        rule.nodes.push_back(static_cast<double>(node));
        rule.weights.push_back(static_cast<double>(1 / sum));
    }
    return rule;
}

TEST(SharpClosedForms, ChebyshevMarkovStieltjesAtGaussNodes) {
    for (bool legendre : {true, false}) {
        for (int m : {2, 3, 4}) {
            KnownDistribution d = legendre ? uniform(-1.0, 1.0) : normal(0.0, 1.0);
            std::vector<double> c = d.moments(2 * m + 1);
            if (!legendre)
                c = normal(0.0, 1.0).moments(2 * m + 1);
            SharpAnalysis a = analyse(Support::whole, 0, 0, c);
            ASSERT_EQ(a.moments_used, 2 * m + 1);
            GaussRule rule = gauss_rule(m + 1, legendre);
            double below = 0.0;
            for (std::size_t i = 0; i < rule.nodes.size(); ++i) {
                SharpBounds b = sharp_bounds_at(a, rule.nodes[i]);
                EXPECT_NEAR(b.lower_bound, below, 1e-9) << legendre << " m=" << m << " i=" << i;
                EXPECT_NEAR(b.upper_bound, below + rule.weights[i], 1e-9)
                    << legendre << " m=" << m << " i=" << i;
                below += rule.weights[i];
            }
        }
    }
}

// Moments about a centre give the bounds of the raw moments; about the mean
// they keep every moment that raw moments far from 0 lose to rounding.
TEST(SharpCentre, MomentsAboutACentre) {
    Mixture mix;
    mix.pieces = {{0.2, 0.2, 0.3}, {0.5, 0.9, 0.7}};
    std::vector<double> raw = mix.moments(7);
    std::vector<double> about = mix.moments(7, 0.6);
    SharpAnalysis a = analyse(Support::interval, 0, 1, raw);
    SharpAnalysis b = analyse(Support::interval, 0, 1, about, 0.6);
    for (double x : {0.1, 0.2, 0.35, 0.6, 0.8, 0.95}) {
        SharpBounds ba = sharp_bounds_at(a, x);
        SharpBounds bb = sharp_bounds_at(b, x);
        EXPECT_NEAR(ba.lower_bound, bb.lower_bound, 1e-9 + ba.widening + bb.widening) << x;
        EXPECT_NEAR(ba.upper_bound, bb.upper_bound, 1e-9 + ba.widening + bb.widening) << x;
    }
    Mixture far;
    far.pieces = {{1e4, 1e4 + 1.0, 1.0}};
    SharpAnalysis raw_far = analyse(Support::whole, 0, 0, far.moments(9));
    SharpAnalysis centred = analyse(Support::whole, 0, 0, far.moments(9, 1e4 + 0.5), 1e4 + 0.5);
    EXPECT_LT(raw_far.moments_used, 9);
    EXPECT_EQ(centred.moments_used, 9);
    SharpBounds inside = sharp_bounds_at(centred, 1e4 + 0.25);
    EXPECT_LE(inside.lower_bound, 0.25);
    EXPECT_GE(inside.upper_bound, 0.25);
}

} // namespace
