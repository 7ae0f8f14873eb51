// SPDX-License-Identifier: Apache-2.0
// Measurement program for the sharp method (built with the tests, not run by
// ctest): over generated families it counts wrong answers against the
// generating distributions, analyses redone in double-double, moments used,
// and positions where n moments were looser than n - 1.
//   sharp_measure [all|cluster|offcentre|atoms|mono]
#include "sharp/sharp.h"
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>
__extension__ typedef __float128 Q;

struct Piece {
    int kind;
    double a, b, m;
}; // kind 0 atom at a; 1 uniform on [a,b]
struct Mix {
    std::vector<Piece> p;
    Q moment(int j) const {
        Q s = 0;
        for (auto& q : p) {
            if (q.kind == 0) {
                Q v = 1;
                for (int i = 0; i < j; ++i)
                    v *= (Q)q.a;
                s += (Q)q.m * v;
            } else {
                Q A = 1, B = 1;
                for (int i = 0; i <= j; ++i) {
                    A *= (Q)q.a;
                    B *= (Q)q.b;
                }
                s += (Q)q.m * (B - A) / ((Q)(j + 1) * ((Q)q.b - (Q)q.a));
            }
        }
        return s;
    }
    double cdf(double x, bool strict) const {
        Q s = 0;
        for (auto& q : p) {
            if (q.kind == 0) {
                if (strict ? q.a < x : q.a <= x)
                    s += (Q)q.m;
            } else {
                if (x >= q.b)
                    s += (Q)q.m;
                else if (x > q.a)
                    s += (Q)q.m * ((Q)x - (Q)q.a) / ((Q)q.b - (Q)q.a);
            }
        }
        return (double)s;
    }
    double lo() const {
        double v = 1e300;
        for (auto& q : p)
            v = std::min(v, q.a);
        return v;
    }
    double hi() const {
        double v = -1e300;
        for (auto& q : p)
            v = std::max(v, q.kind ? q.b : q.a);
        return v;
    }
};

struct Stats {
    long positions = 0, wrong = 0, lists = 0, escalated = 0, determinate = 0, infeasible = 0;
    double worst = 0;
    long pos_det = 0;
    double used_sum = 0;
};

void run_list(const Mix& mix, int n, Support support, double lower, double upper,
              const std::vector<double>& xs, Stats& st, bool verbose = false) {
    std::vector<double> c(n);
    for (int j = 0; j < n; ++j)
        c[j] = (double)mix.moment(j);
    c[0] = 1.0;
    SharpAnalysis a = analyse_moments(support, lower, upper, c.data(), n);
    st.lists++;

    st.escalated += a.extended_precision;

    st.determinate += a.status == SharpStatus::determinate;
    st.infeasible += a.status == SharpStatus::infeasible;
    st.used_sum += a.moments_used;
    for (double x : xs) {
        SharpBounds b = sharp_bounds_at(a, x);
        st.positions++;
        double tb = mix.cdf(x, true), ta = mix.cdf(x, false);
        double miss = std::max(b.lower_bound - tb, ta - b.upper_bound);
        if (a.status == SharpStatus::infeasible)
            miss = 1; // support is right: refusing is wrong
        if (miss > 1e-9) {
            st.wrong++;
            st.worst = std::max(st.worst, miss);
            if (verbose)
                printf("  WRONG type %d n %d x %.10g [%g, %g] truth [%g, %g] %s\n",
                       support_index(support), n, x, b.lower_bound, b.upper_bound, tb, ta,
                       a.message.c_str());
        }
    }
}

void supports_and_run(const Mix& mix, int n, const std::vector<double>& xs, Stats& st,
                      std::mt19937_64& rng) {
    double lo = mix.lo(), hi = mix.hi(), w = hi - lo;
    std::uniform_real_distribution<double> u(0, 1);
    run_list(mix, n, Support::whole, 0, 0, xs, st);
    run_list(mix, n, Support::half, lo - w * u(rng) * 0.5, 0, xs, st);
    run_list(mix, n, Support::interval, lo - w * u(rng) * 0.5, hi + w * u(rng) * 0.5, xs, st);
}

std::vector<double> positions_for(const Mix& mix, std::mt19937_64& rng) {
    std::vector<double> xs;
    std::uniform_real_distribution<double> u(0, 1);
    for (auto& q : mix.p) {
        if (q.kind == 0) {
            xs.push_back(q.a);
            xs.push_back(q.a + 1e-7 * (1 + std::fabs(q.a)));
            xs.push_back(q.a - 1e-7 * (1 + std::fabs(q.a)));
        } else {
            double wd = q.b - q.a;
            for (int i = 0; i < 4; ++i)
                xs.push_back(q.a + wd * u(rng));
            xs.push_back(q.a - wd);
            xs.push_back(q.b + wd);
            xs.push_back(q.a - 0.1 * wd);
            xs.push_back(q.b + 0.1 * wd);
        }
    }
    double lo = mix.lo(), hi = mix.hi();
    for (int i = 0; i < 3; ++i)
        xs.push_back(lo + (hi - lo) * u(rng));
    return xs;
}

int main(int argc, char** argv) {
    const char* which = argc > 1 ? argv[1] : "all";
    std::mt19937_64 rng(2024);
    std::uniform_real_distribution<double> u(0, 1);
    if (!strcmp(which, "all") || !strcmp(which, "cluster")) {
        Stats st;
        for (int rep = 0; rep < 300; ++rep) {
            Mix mix;
            double width = std::pow(10.0, -5 + 4 * u(rng));
            if (rep % 2 == 0) {
                double pa = 0.1 + 0.4 * u(rng);
                mix.p.push_back({0, 0.0, 0.0, pa});
                double c0 = 0.5 + u(rng);
                mix.p.push_back({1, c0, c0 + width, 1 - pa});
            } else {
                double pa = 0.2 + 0.6 * u(rng);
                double c0 = u(rng), c1 = c0 + 0.5 + u(rng);
                double w2 = std::pow(10.0, -5 + 4 * u(rng));
                mix.p.push_back({1, c0, c0 + width, pa});
                mix.p.push_back({1, c1, c1 + w2, 1 - pa});
            }
            auto xs = positions_for(mix, rng);
            for (int n = 3; n <= 11; ++n)
                supports_and_run(mix, n, xs, st, rng);
        }
        printf("clustered: lists %ld positions %ld wrong %ld (worst %.3g) escalated %ld "
               "determinate %ld infeasible %ld\n",
               st.lists, st.positions, st.wrong, st.worst, st.escalated, st.determinate,
               st.infeasible);
    }
    if (!strcmp(which, "all") || !strcmp(which, "offcentre")) {
        for (double ratio : {10.0, 100.0, 1e3, 1e4}) {
            Stats st;
            for (int rep = 0; rep < 40; ++rep) {
                Mix mix;
                double sd_unit = std::pow(10.0, -3 + 6 * u(rng));
                double mean = (rep % 2 ? -1 : 1) * ratio * sd_unit;
                if (rep % 4 < 2) {
                    mix.p.push_back({1, mean - 1.7 * sd_unit, mean + 1.7 * sd_unit, 1.0});
                } else {
                    mix.p.push_back({0, mean - sd_unit, 0, 0.5});
                    mix.p.push_back({1, mean, mean + 2 * sd_unit, 0.5});
                }
                auto xs = positions_for(mix, rng);
                for (int n = 3; n <= 9; ++n)
                    supports_and_run(mix, n, xs, st, rng);
            }
            printf("off-centre %g: lists %ld positions %ld wrong %ld (worst %.3g) escalated %ld "
                   "moments used %.2f on average (given: 6.00 on average)\n",
                   ratio, st.lists, st.positions, st.wrong, st.worst, st.escalated,
                   st.used_sum / st.lists);
        }
    }
    if (!strcmp(which, "all") || !strcmp(which, "atoms")) {
        // Discrete laws, atoms spread or with two of them close: how often
        // "exact" is claimed at a position, and whether it is true there.
        long positions = 0, exact = 0, false_exact = 0, wrong = 0, lists = 0, determinate = 0;
        for (int rep = 0; rep < 400; ++rep) {
            Mix mix;
            int k = 2 + rep % 4;
            double gap = rep % 2 ? 1e-2 * std::pow(10.0, -3 * u(rng)) : 0.5;
            double at = 0.0;
            for (int i = 0; i < k; ++i) {
                at += i == 1 ? gap : 0.3 + u(rng);
                mix.p.push_back({0, at, 0, 1.0 / k});
            }
            std::vector<double> xs;
            for (auto& q : mix.p)
                for (double f : {-1e-3, -1e-6, 0.0, 1e-6, 1e-3, 0.1})
                    xs.push_back(q.a + f);
            for (int n = 2 * k + 1; n <= std::min(2 * k + 3, 11); ++n) {
                std::vector<double> c(n);
                for (int j = 0; j < n; ++j)
                    c[j] = (double)mix.moment(j);
                c[0] = 1.0;
                double lo = mix.lo() - 0.5, hi = mix.hi() + 0.5;
                for (Support support : {Support::whole, Support::half, Support::interval}) {
                    SharpAnalysis a = analyse_moments(support, lo, hi, c.data(), n);
                    lists++;
                    determinate += a.status == SharpStatus::determinate;
                    for (double x : xs) {
                        SharpBounds b = sharp_bounds_at(a, x);
                        double tb = mix.cdf(x, true), ta = mix.cdf(x, false);
                        positions++;
                        if (b.lower_bound > tb + 1e-9 || b.upper_bound < ta - 1e-9)
                            wrong++;
                        if (b.status == SharpStatus::determinate) {
                            exact++;
                            if (std::fabs(b.lower_bound - tb) > 1e-9 ||
                                std::fabs(b.upper_bound - ta) > 1e-9)
                                false_exact++;
                        }
                    }
                }
            }
        }
        printf("discrete: lists %ld determinate %ld positions %ld wrong %ld exact claimed %ld "
               "of which not within 1e-9 of the truth %ld\n",
               lists, determinate, positions, wrong, exact, false_exact);
    }
    if (!strcmp(which, "all") || !strcmp(which, "mono")) {
        long compared = 0, looser = 0;
        double worst = 0;
        for (int rep = 0; rep < 300; ++rep) {
            Mix mix;
            int k = 1 + rep % 5;
            double tot = 0;
            std::vector<double> ms;
            for (int i = 0; i < k; ++i) {
                ms.push_back(u(rng) + 0.05);
                tot += ms.back();
            }
            for (int i = 0; i < k; ++i) {
                double a = 4 * u(rng) - 1;
                if (rep % 3 == 0)
                    mix.p.push_back({0, a, 0, ms[i] / tot});
                else
                    mix.p.push_back({1, a, a + 0.3 * u(rng) + 1e-3, ms[i] / tot});
            }
            Support support = *support_from_index(rep % 3);
            double lo = mix.lo() - 0.3 * u(rng), hi = mix.hi() + 0.3 * u(rng);
            int n = 4 + rep % 8;
            std::vector<double> c(n);
            for (int j = 0; j < n; ++j)
                c[j] = (double)mix.moment(j);
            c[0] = 1;
            SharpAnalysis a = analyse_moments(support, lo, hi, c.data(), n);
            SharpAnalysis b = analyse_moments(support, lo, hi, c.data(), n - 1);
            for (int i = 0; i < 20; ++i) {
                double x = lo + (hi - lo) * u(rng);
                SharpBounds ba = sharp_bounds_at(a, x), bb = sharp_bounds_at(b, x);
                compared++;
                double loose =
                    std::max(bb.lower_bound - ba.lower_bound, ba.upper_bound - bb.upper_bound);
                if (loose > 1e-9) {
                    looser++;
                    worst = std::max(worst, loose);
                }
            }
        }
        printf("monotonicity: %ld positions, n looser than n-1 at %ld (worst %.3g)\n", compared,
               looser, worst);
    }
    return 0;
}
