// SPDX-License-Identifier: Apache-2.0
// The building blocks of the sharp method against independent references:
// double-double arithmetic against __float128, the Sturm and eigenvalue
// routines against Gauss-Legendre nodes, Christoffel sums against Legendre
// polynomials and Gauss weights, and Radau nodes against the closed-form
// Gauss-Radau rule.

#include "sharp/certificate.h"
#include "sharp/double_double.h"
#include "sharp/jacobi.h"
#include "sharp/sharp.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

using namespace sharp_detail;

__extension__ typedef __float128 Quad;

Quad quad(DoubleDouble a) {
    return static_cast<Quad>(a.hi) + static_cast<Quad>(a.lo);
}

double relative(Quad got, Quad want) {
    Quad diff = got - want;
    if (diff < 0)
        diff = -diff;
    Quad size = want < 0 ? -want : want;
    return static_cast<double>(size == 0 ? diff : diff / size);
}

// Pairs whose sums and products lose every bit in plain double.
struct Pair {
    double a;
    double b;
};

std::vector<Pair> hard_pairs() {
    std::vector<Pair> pairs{{1.0, 1e-30},          {1.0, -1.0 + 0x1p-52}, {0.1, 0.2},
                            {1e300, -1e300},       {3.0, 1.0 / 3.0},      {1e-300, 1e-300},
                            {-0x1p-1074, 0x1p-60}, {1e16, 1.0},           {123456.789, -1e-9}};
    std::mt19937_64 rng(11);
    std::uniform_real_distribution<double> mantissa(-1.0, 1.0);
    std::uniform_int_distribution<int> exponent(-40, 40);
    for (int i = 0; i < 2000; ++i)
        pairs.push_back(
            {std::ldexp(mantissa(rng), exponent(rng)), std::ldexp(mantissa(rng), exponent(rng))});
    return pairs;
}

TEST(DoubleDouble, ErrorFreeSumAndProductAreExact) {
    for (const Pair& p : hard_pairs()) {
        DoubleDouble s = two_sum(p.a, p.b);
        EXPECT_TRUE(quad(s) == static_cast<Quad>(p.a) + static_cast<Quad>(p.b))
            << p.a << " " << p.b;
        EXPECT_EQ(s.hi, p.a + p.b);
        if (std::fabs(p.a) >= std::fabs(p.b)) {
            EXPECT_TRUE(quad(quick_two_sum(p.a, p.b)) == quad(s)) << p.a << " " << p.b;
        }
        // The product of two doubles fits in 106 bits, so __float128 holds it
        // exactly; the low part exists only away from overflow and underflow.
        double product = p.a * p.b;
        if (std::isfinite(product) && std::fabs(product) > 1e-290) {
            DoubleDouble m = two_prod(p.a, p.b);
            EXPECT_TRUE(quad(m) == static_cast<Quad>(p.a) * static_cast<Quad>(p.b))
                << p.a << " " << p.b;
        }
    }
}

// Chains of multiply and add keep about 2^-104 relative accuracy of each
// step, also where the running sum cancels to a tiny fraction of its terms
// (the binomial shift of the moments).
TEST(DoubleDouble, MultiplyAndAddKeepTwiceTheDoublePrecision) {
    std::mt19937_64 rng(5);
    std::uniform_real_distribution<double> value(-2.0, 2.0);
    for (int trial = 0; trial < 500; ++trial) {
        double a = value(rng);
        double b = value(rng);
        DoubleDouble x{a, a * 0x1p-60};
        Quad xq = quad(x);
        EXPECT_LT(relative(quad(multiply(x, b)), xq * static_cast<Quad>(b)), 0x1p-103);
        DoubleDouble y{b, -b * 0x1p-58};
        EXPECT_LT(relative(quad(add(x, y)), xq + quad(y)), 0x1p-103);
    }
    // (1 + 2^-40)^2 - 1 - 2^-39: every term cancels but 2^-80.
    DoubleDouble one_plus = two_sum(1.0, 0x1p-40);
    DoubleDouble square = multiply(one_plus, 1.0 + 0x1p-40);
    DoubleDouble rest = add(add(square, {-1.0, 0.0}), {-0x1p-39, 0.0});
    EXPECT_EQ(to_double(rest), 0x1p-80);
}

// Monic Legendre recurrence on [-1, 1]: alpha = 0, beta_0 = 2 (the mass),
// beta_k = k^2 / (4k^2 - 1).
struct Legendre {
    std::vector<double> alpha;
    std::vector<double> beta;
    std::vector<double> root_beta;
    explicit Legendre(int n) : alpha(n + 1, 0.0), beta(n + 2), root_beta(n + 2) {
        beta[0] = 2.0;
        for (int k = 1; k <= n + 1; ++k)
            beta[k] = static_cast<double>(k) * k / (4.0 * k * k - 1.0);
        for (int k = 0; k <= n + 1; ++k)
            root_beta[k] = std::sqrt(beta[k]);
    }
};

// P_n(t) and P_n'(t) (Legendre, P_n(1) = 1) in __float128.
void legendre_value(int n, Quad t, Quad& value, Quad& slope) {
    Quad previous = 1;
    Quad current = t;
    if (n == 0) {
        value = 1;
        slope = 0;
        return;
    }
    for (int k = 2; k <= n; ++k) {
        Quad next = ((2 * k - 1) * t * current - (k - 1) * previous) / k;
        previous = current;
        current = next;
    }
    value = current;
    slope = n * (t * current - previous) / (t * t - 1);
}

// Gauss-Legendre nodes and weights by Newton in __float128 from the
// classical starting values, ascending.
void gauss_legendre(int n, std::vector<double>& nodes, std::vector<double>& weights) {
    nodes.assign(n, 0.0);
    weights.assign(n, 0.0);
    for (int i = 0; i < n; ++i) {
        Quad t = -std::cos(M_PI * (i + 0.75) / (n + 0.5));
        Quad value = 0;
        Quad slope = 0;
        for (int step = 0; step < 12; ++step) {
            legendre_value(n, t, value, slope);
            t -= value / slope;
        }
        legendre_value(n, t, value, slope);
        nodes[i] = static_cast<double>(t);
        weights[i] = static_cast<double>(2 / ((1 - t * t) * slope * slope));
    }
}

TEST(JacobiEigenvalues, AreTheGaussLegendreNodes) {
    for (int n = 1; n <= 16; ++n) {
        Legendre rec(n);
        std::vector<double> want;
        std::vector<double> weights;
        gauss_legendre(n, want, weights);
        std::vector<double> got(n);
        eigenvalues(rec.alpha.data(), rec.beta.data(), n, got.data());
        for (int i = 0; i < n; ++i)
            EXPECT_NEAR(got[i], want[i], 4e-16) << "n=" << n << " i=" << i;
        // Sturm counts: i nodes lie below a point between nodes i-1 and i.
        for (int i = 0; i <= n; ++i) {
            double between = i == 0 ? -1.5 : i == n ? 1.5 : 0.5 * (want[i - 1] + want[i]);
            EXPECT_EQ(count_below(rec.alpha.data(), rec.beta.data(), n, between), i)
                << "n=" << n << " i=" << i;
        }
    }
}

// Gershgorin's interval holds every eigenvalue.
TEST(JacobiEigenvalues, LieInTheGershgorinInterval) {
    for (int n = 2; n <= 10; ++n) {
        Legendre rec(n);
        double lo = 0.0;
        double hi = 0.0;
        gershgorin(rec.alpha.data(), rec.beta.data(), n - 1, rec.alpha[n - 1], lo, hi);
        std::vector<double> nodes(n);
        eigenvalues(rec.alpha.data(), rec.beta.data(), n, nodes.data());
        EXPECT_LE(lo, nodes.front());
        EXPECT_GE(hi, nodes.back());
        EXPECT_LT(hi - lo, 4.0);
    }
}

// sum_(j<=m) p_j(t)^2 = sum (2j+1)/2 P_j(t)^2 for the orthonormal Legendre
// polynomials, and its reciprocal at the nodes of order m+1 is the Gauss weight.
TEST(ChristoffelSum, MatchesLegendrePolynomialsAndGaussWeights) {
    for (int m = 0; m <= 12; ++m) {
        Legendre rec(m + 1);
        for (double t : {-1.0, -0.7, -0.1, 0.0, 0.33, 0.9, 1.0, 2.5, -40.0}) {
            Quad want = 0;
            for (int j = 0; j <= m; ++j) {
                Quad value = 0;
                Quad slope = 0;
                legendre_value(j, t, value, slope);
                want += (2 * j + 1) * value * value / 2;
            }
            double got = christoffel_sum(rec.alpha.data(), rec.root_beta.data(), m, t);
            EXPECT_LT(relative(got, want), 1e-14) << "m=" << m << " t=" << t;
        }
        std::vector<double> nodes;
        std::vector<double> weights;
        gauss_legendre(m + 1, nodes, weights);
        double total = 0.0;
        for (int i = 0; i <= m; ++i) {
            double lambda =
                1.0 / christoffel_sum(rec.alpha.data(), rec.root_beta.data(), m, nodes[i]);
            EXPECT_NEAR(lambda, weights[i], 2e-15) << "m=" << m << " i=" << i;
            total += lambda;
        }
        EXPECT_NEAR(total, 2.0, 1e-14);
    }
    // Far out the sum overflows to infinity, never to NaN.
    Legendre rec(8);
    EXPECT_EQ(christoffel_sum(rec.alpha.data(), rec.root_beta.data(), 8, 1e300),
              std::numeric_limits<double>::infinity());
}

// The Gauss-Radau rule of the Legendre measure with a node fixed at -1 or +1:
// J_m extended by the diagonal entry that makes the fixed node an eigenvalue.
// With m = 2 the free nodes are (1 -+ sqrt 6)/5 (fixed -1) and mirrored.
struct RadauCase {
    double fixed;
    std::vector<double> free_nodes;
};

TEST(RadauNode, GaussRadauRuleOfLegendre) {
    const double r6 = std::sqrt(6.0);
    const RadauCase cases[] = {
        {-1.0, {(1.0 - r6) / 5.0, (1.0 + r6) / 5.0}},
        {1.0, {-(1.0 + r6) / 5.0, -(1.0 - r6) / 5.0}},
    };
    const int m = 2;
    Legendre rec(m);
    std::vector<double> zeros(m);
    eigenvalues(rec.alpha.data(), rec.beta.data(), m, zeros.data());
    for (const RadauCase& c : cases) {
        // Last Sturm pivot q of J_m - xI; alpha_tilde = x + beta_m / q.
        double q = rec.alpha[0] - c.fixed;
        for (int i = 1; i < m; ++i)
            q = (rec.alpha[i] - c.fixed) - rec.beta[i] / q;
        double alpha_tilde = c.fixed + rec.beta[m] / q;
        double lo = 0.0;
        double hi = 0.0;
        gershgorin(rec.alpha.data(), rec.beta.data(), m, alpha_tilde, lo, hi);
        // Brackets between the zeros of P_m (interlacing), outer ones padded.
        std::vector<double> edges{lo - 1.0, zeros[0], zeros[1], hi + 1.0};
        std::vector<double> found;
        for (int k = 0; k <= m; ++k) {
            double node = radau_node(rec.alpha.data(), rec.beta.data(), m, alpha_tilde, edges[k],
                                     edges[k + 1]);
            if (std::fabs(node - c.fixed) > 1e-9)
                found.push_back(node);
            else
                EXPECT_NEAR(node, c.fixed, 1e-15);
        }
        ASSERT_EQ(found.size(), c.free_nodes.size());
        for (std::size_t i = 0; i < found.size(); ++i)
            EXPECT_NEAR(found[i], c.free_nodes[i], 1e-15) << c.fixed;
    }
}

// A bracket whose end is a zero of an earlier P_i (infinite slope of the
// pivot there) still converges, by bisection.
TEST(RadauNode, ConvergesFromAZeroOfAnEarlierPolynomial) {
    const int m = 3;
    Legendre rec(m);
    // alpha_tilde = 0: J~ is the Legendre J_4 with its last diagonal entry 0,
    // i.e. the Gauss rule of order 4, whose nodes are the Legendre zeros.
    std::vector<double> want;
    std::vector<double> weights;
    gauss_legendre(m + 1, want, weights);
    std::vector<double> zeros(m);
    eigenvalues(rec.alpha.data(), rec.beta.data(), m, zeros.data());
    // Start exactly at 0, a zero of P_1 (and P_3).
    double node = radau_node(rec.alpha.data(), rec.beta.data(), m, 0.0, zeros[1], zeros[2]);
    EXPECT_NEAR(node, want[2], 1e-15);
    node = radau_node(rec.alpha.data(), rec.beta.data(), m, 0.0, zeros[0], zeros[1]);
    EXPECT_NEAR(node, want[1], 1e-15);
}

// Searches started from given points (a sweep's extrapolated nodes): where
// the pivot follows its slope the node found is the one the search from the
// middle finds to a few units of roundoff; where rounding dominates the
// pivot (an outer bracket 1e49 wide next to nodes at 0 and 4e47, found by
// fuzzing) a start that stops short is caught and searched again from the
// middle, the same node to the bit.
TEST(RadauNodes, StartedSearchesFindTheNodesOfTheMiddle) {
    struct Row {
        const char* name;
        std::vector<double> alpha; // alpha_0 .. alpha_(m-1)
        std::vector<double> beta;  // beta_0 .. beta_m
        double alpha_tilde;
        std::vector<double> lo, hi, start;
        double room; // |started - middle| allowed, relative to |node| + 1
    };
    Legendre legendre(4);
    std::vector<double> zeros(4);
    eigenvalues(legendre.alpha.data(), legendre.beta.data(), 4, zeros.data());
    const double fixed = 0.3;
    double q = legendre.alpha[0] - fixed;
    for (int i = 1; i < 4; ++i)
        q = (legendre.alpha[i] - fixed) - legendre.beta[i] / q;
    const double legendre_tilde = fixed + legendre.beta[4] / q;
    // x = 0.3 lies between zeros 1 and 2: the other four brackets, the outer
    // ones out to Gershgorin's interval plus 1.
    double outer_lo = 0.0;
    double outer_hi = 0.0;
    gershgorin(legendre.alpha.data(), legendre.beta.data(), 4, legendre_tilde, outer_lo, outer_hi);
    const std::vector<Row> rows = {
        {"Legendre, starts 1e-6 off",
         {legendre.alpha.begin(), legendre.alpha.begin() + 4},
         {legendre.beta.begin(), legendre.beta.begin() + 5},
         legendre_tilde,
         {outer_lo - 1.0, zeros[0], zeros[2], zeros[3]},
         {zeros[0], zeros[1], zeros[3], outer_hi + 1.0},
         {}, // the nodes from the middle, moved by 1e-6
         32.0 * 0x1p-53},
        {"far outlying nodes, flat outer pivot",
         {0.0, 0x1.ffffff1eafbb8p+158},
         {1.0, 0x1.c2c2c38920047p+1, 0x1.eebcdc2ac730ap+325},
         0x1.eebcdd047ebf7p+166,
         {-0x1.d74b7c90f3019p+162, 0x1.ffffff1eafbb8p+158},
         {0.0, 0x1.0718ca9001ac4p+167},
         {-0x1.f7ded1945ca7ap+158, 0x1.f6b26a46ac86ep+165},
         0.0},
    };
    for (const Row& row : rows) {
        const int m = static_cast<int>(row.alpha.size());
        const int count = static_cast<int>(row.lo.size());
        std::vector<double> middle(count);
        radau_nodes(row.alpha.data(), row.beta.data(), m, row.alpha_tilde, row.lo.data(),
                    row.hi.data(), nullptr, count, middle.data());
        std::vector<double> start = row.start;
        if (start.empty())
            for (double node : middle)
                start.push_back(node + 1e-6);
        std::vector<double> started(count);
        radau_nodes(row.alpha.data(), row.beta.data(), m, row.alpha_tilde, row.lo.data(),
                    row.hi.data(), start.data(), count, started.data());
        for (int i = 0; i < count; ++i) {
            EXPECT_LE(std::fabs(started[i] - middle[i]), row.room * (std::fabs(middle[i]) + 1.0))
                << row.name << ", node " << i << ": " << started[i] << " against " << middle[i];
            // Each node alone, from the middle of its bracket, is the same.
            EXPECT_EQ(middle[i], radau_node(row.alpha.data(), row.beta.data(), m, row.alpha_tilde,
                                            row.lo[i], row.hi[i]))
                << row.name << ", node " << i;
        }
    }
}

// U's and L's dual polynomials through the same nodes, made together (two
// lanes side by side), against each made alone: U's is the same to the bit
// (the same operations), L's (formed as U's minus a product, not
// interpolated afresh) agrees to within the two widenings and meets its
// values at the nodes as closely.
TEST(DualCertificates, BothTogetherAreEachAlone) {
    struct Row {
        const char* name;
        Support support;
        double x;                   // standardised
        std::vector<double> inside; // interior nodes (value and slope)
        bool lower_end;             // a' a node
        bool upper_end;             // b' a node
    };
    const std::vector<Row> rows = {
        {"interval", Support::interval, 0.1, {-1.2, 0.7, 1.5}, true, true},
        {"whole line", Support::whole, 0.2, {-1.5, -0.6, 0.9, 1.6}, false, false},
        {"half-line", Support::half, -0.3, {-0.9, 0.5, 1.4}, true, false},
    };
    std::vector<double> moments;
    for (int k = 0; k < 9; ++k)
        moments.push_back(1.0 / (k + 1)); // uniform on [0, 1]
    for (const Row& row : rows) {
        const SharpAnalysis a = analyse_moments(row.support, 0.0, 1.0, moments.data(), 9);
        ASSERT_EQ(a.status, SharpStatus::sharp) << row.name;
        std::vector<CertNode> nodes;
        for (double t : row.inside)
            nodes.push_back({t, true});
        if (row.lower_end)
            nodes.push_back({a.units.lower, false});
        if (row.upper_end)
            nodes.push_back({a.units.upper, false});
        const int count = static_cast<int>(nodes.size());
        Certificate up;
        Certificate down;
        hermite_certificates(a.units, row.support, row.x, 0.0, nodes.data(), count, up, down);
        const Certificate up_alone =
            hermite_certificate(a.units, row.support, row.x, 0.0, nodes.data(), count, true);
        const Certificate down_alone =
            hermite_certificate(a.units, row.support, row.x, 0.0, nodes.data(), count, false);
        ASSERT_TRUE(up.ok && up_alone.ok && down.ok && down_alone.ok) << row.name;
        EXPECT_EQ(up.value, up_alone.value) << row.name;
        EXPECT_EQ(up.widening, up_alone.widening) << row.name;
        EXPECT_EQ(up.slack, up_alone.slack) << row.name;
        EXPECT_NEAR(down.value, down_alone.value, down.widening + down_alone.widening) << row.name;
        // A polynomial that misses its values at the nodes would pass the
        // line above (its slack widens it): both meet them to rounding.
        EXPECT_LE(down.slack, 16.0 * down_alone.slack) << row.name;
        // U's bound lies above L's by the mass the representation puts at x.
        EXPECT_GT(up.value, down.value) << row.name;
    }
}

} // namespace
