// SPDX-License-Identifier: Apache-2.0
#pragma once
// Distributions with known moments and distribution functions, for checking
// bounds against the truth.  Moments are computed in long double and rounded
// once.

#include "numeric/support.h"

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

struct KnownDistribution {
    std::string name;
    double min = -std::numeric_limits<double>::infinity(); // smallest point of the support
    double max = std::numeric_limits<double>::infinity();  // largest point of the support
    std::function<long double(int)> moment;                // E[X^j]
    std::function<double(double)> cdf;                     // P(X <= x)
    std::function<double(double)> cdf_below;               // P(X < x)
    std::vector<double> atoms;                             // discrete ones: the points
    std::vector<double> masses;                            // and their masses
    double mean = 0.0;
    double sd = 1.0;

    std::vector<double> moments(int count) const {
        std::vector<double> result;
        for (int j = 0; j < count; ++j)
            result.push_back(static_cast<double>(moment(j)));
        return result;
    }
};

inline void set_spread(KnownDistribution& d) {
    long double m1 = d.moment(1);
    long double m2 = d.moment(2);
    d.mean = static_cast<double>(m1);
    d.sd = static_cast<double>(std::sqrt(m2 - m1 * m1));
}

inline KnownDistribution discrete(std::vector<double> points, std::vector<double> masses) {
    KnownDistribution d;
    d.name = "discrete" + std::to_string(points.size());
    d.atoms = points;
    d.masses = masses;
    d.min = points.front();
    d.max = points.front();
    for (double p : points) {
        d.min = std::min(d.min, p);
        d.max = std::max(d.max, p);
    }
    d.moment = [points, masses](int j) {
        long double sum = 0.0L;
        for (std::size_t i = 0; i < points.size(); ++i)
            sum += static_cast<long double>(masses[i]) *
                   std::pow(static_cast<long double>(points[i]), j);
        return sum;
    };
    d.cdf = [points, masses](double x) {
        double sum = 0.0;
        for (std::size_t i = 0; i < points.size(); ++i)
            if (points[i] <= x)
                sum += masses[i];
        return sum;
    };
    d.cdf_below = [points, masses](double x) {
        double sum = 0.0;
        for (std::size_t i = 0; i < points.size(); ++i)
            if (points[i] < x)
                sum += masses[i];
        return sum;
    };
    set_spread(d);
    return d;
}

inline KnownDistribution continuous(std::string name, double min, double max,
                                    std::function<long double(int)> moment,
                                    std::function<double(double)> cdf) {
    KnownDistribution d;
    d.name = std::move(name);
    d.min = min;
    d.max = max;
    d.moment = std::move(moment);
    d.cdf = cdf;
    d.cdf_below = cdf;
    set_spread(d);
    return d;
}

inline KnownDistribution uniform(double a, double b) {
    return continuous(
        "uniform", a, b,
        [a, b](int j) {
            long double la = a, lb = b;
            return (std::pow(lb, j + 1) - std::pow(la, j + 1)) / ((j + 1) * (lb - la));
        },
        [a, b](double x) { return x <= a   ? 0.0
                                  : x >= b ? 1.0
                                           : (x - a) / (b - a); });
}

// Beta with whole-number parameters: its distribution function is a binomial sum.
inline KnownDistribution beta_whole(int p, int q) {
    return continuous(
        "beta" + std::to_string(p) + "_" + std::to_string(q), 0.0, 1.0,
        [p, q](int j) {
            long double value = 1.0L;
            for (int i = 0; i < j; ++i)
                value *= static_cast<long double>(p + i) / static_cast<long double>(p + q + i);
            return value;
        },
        [p, q](double x) {
            if (x <= 0.0)
                return 0.0;
            if (x >= 1.0)
                return 1.0;
            int n = p + q - 1;
            long double sum = 0.0L;
            for (int j = p; j <= n; ++j) {
                long double binom = 1.0L;
                for (int i = 1; i <= j; ++i)
                    binom = binom * (n - j + i) / i;
                sum += binom * std::pow(static_cast<long double>(x), j) * std::pow(1.0L - x, n - j);
            }
            return static_cast<double>(sum);
        });
}

// Gamma with a whole-number shape k and scale theta (k = 1: exponential).
inline KnownDistribution erlang(int k, double theta) {
    return continuous(
        k == 1 ? "exponential" : "gamma" + std::to_string(k), 0.0,
        std::numeric_limits<double>::infinity(),
        [k, theta](int j) {
            long double value = 1.0L;
            for (int i = 0; i < j; ++i)
                value *= static_cast<long double>(k + i) * theta;
            return value;
        },
        [k, theta](double x) {
            if (x <= 0.0)
                return 0.0;
            long double y = x / theta;
            long double term = std::exp(-y);
            long double sum = 0.0L;
            for (int i = 0; i < k; ++i) {
                sum += term;
                term *= y / (i + 1);
            }
            return static_cast<double>(1.0L - sum);
        });
}

inline KnownDistribution normal(double mu, double sigma) {
    return continuous(
        "normal", -std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity(),
        [mu, sigma](int j) {
            long double previous = 1.0L, current = mu;
            if (j == 0)
                return previous;
            for (int i = 2; i <= j; ++i) {
                long double next =
                    mu * current + (i - 1) * static_cast<long double>(sigma) * sigma * previous;
                previous = current;
                current = next;
            }
            return current;
        },
        [mu, sigma](double x) { return 0.5 * std::erfc(-(x - mu) / (sigma * std::sqrt(2.0))); });
}

inline KnownDistribution lognormal(double mu, double sigma) {
    return continuous(
        "lognormal", 0.0, std::numeric_limits<double>::infinity(),
        [mu, sigma](int j) {
            long double lj = j;
            return std::exp(lj * mu + lj * lj * sigma * sigma / 2.0L);
        },
        [mu, sigma](double x) {
            return x <= 0.0 ? 0.0 : 0.5 * std::erfc(-(std::log(x) - mu) / (sigma * std::sqrt(2.0)));
        });
}

inline KnownDistribution mixture(const KnownDistribution& a, const KnownDistribution& b,
                                 double wa) {
    KnownDistribution d;
    d.name = "mix(" + a.name + "," + b.name + ")";
    d.min = std::min(a.min, b.min);
    d.max = std::max(a.max, b.max);
    d.moment = [a, b, wa](int j) { return wa * a.moment(j) + (1.0L - wa) * b.moment(j); };
    d.cdf = [a, b, wa](double x) { return wa * a.cdf(x) + (1.0 - wa) * b.cdf(x); };
    d.cdf_below = [a, b, wa](double x) {
        return wa * a.cdf_below(x) + (1.0 - wa) * b.cdf_below(x);
    };
    set_spread(d);
    return d;
}

// The test set: bounded, half-line and whole-line distributions, discrete
// ones with 1 to 6 atoms, and mixtures.
inline std::vector<KnownDistribution> known_distributions() {
    return {
        discrete({0.3}, {1.0}),
        discrete({-1.0, 1.0}, {0.5, 0.5}),
        discrete({0.0, 1.0, 3.0}, {0.2, 0.5, 0.3}),
        discrete({-2.0, -0.5, 1.0, 2.5}, {0.1, 0.4, 0.3, 0.2}),
        discrete({0.1, 0.3, 0.5, 0.7, 0.9}, {0.2, 0.2, 0.2, 0.2, 0.2}),
        discrete({-3.0, -1.5, 0.0, 1.0, 2.0, 4.0}, {0.05, 0.15, 0.3, 0.25, 0.15, 0.1}),
        uniform(0.0, 1.0),
        uniform(-2.0, 5.0),
        beta_whole(2, 3),
        beta_whole(5, 2),
        erlang(1, 1.0),
        erlang(3, 0.5),
        normal(0.0, 1.0),
        normal(2.0, 0.5),
        lognormal(0.0, 0.25),
        mixture(normal(-2.0, 0.5), normal(1.0, 1.0), 0.3),
        mixture(uniform(0.0, 1.0), discrete({0.25, 0.75}, {0.5, 0.5}), 0.6),
        mixture(erlang(1, 1.0), erlang(3, 1.0), 0.5),
    };
}

// Positions across the distribution: a grid over mean +- 3.5 sd clipped to
// the support, the ends of the support and the atoms.
inline std::vector<double> test_positions(const KnownDistribution& d) {
    std::vector<double> xs;
    double lo = std::max(d.min, d.mean - 3.5 * d.sd);
    double hi = std::min(d.max, d.mean + 3.5 * d.sd);
    for (int i = 0; i <= 16; ++i)
        xs.push_back(lo + (hi - lo) * i / 16.0 + 1e-3 * (hi - lo) * (i % 3));
    if (std::isfinite(d.min))
        xs.push_back(d.min);
    if (std::isfinite(d.max))
        xs.push_back(d.max);
    for (double a : d.atoms)
        xs.push_back(a);
    return xs;
}

struct SupportChoice {
    Support support;
    double lower;
    double upper;
};

// The supports that contain the distribution: the whole line, the tight
// half-line and a looser one, the tight interval and a looser one.
inline std::vector<SupportChoice> supports_of(const KnownDistribution& d) {
    std::vector<SupportChoice> result{{Support::whole, 0.0, 0.0}};
    if (std::isfinite(d.min)) {
        result.push_back({Support::half, d.min, 0.0});
        result.push_back({Support::half, d.min - 0.5 * d.sd - 0.5, 0.0});
    }
    if (std::isfinite(d.min) && std::isfinite(d.max) && d.min < d.max) {
        result.push_back({Support::interval, d.min, d.max});
        result.push_back(
            {Support::interval, d.min - 0.3 * (d.max - d.min), d.max + 0.5 * (d.max - d.min)});
    }
    return result;
}
