// SPDX-License-Identifier: Apache-2.0
#pragma once
// A batch of 40 requests for the batch figures of the sharp method: eight
// distributions with closed-form moments, two or more on each kind of
// support, each with 5, 6, 7, 8 and 9 moments (M0 included), and 10,000
// positions a request spread over the part of the support where the
// distribution lives (the interval itself; up to the mean plus five standard
// deviations on a half-line; the mean plus or minus five on the line).
// bench/sdp_reference.py solves the same bounds as semidefinite programs.

#include <cmath>
#include <string>
#include <vector>

#include "numeric/support.h"

namespace bench_support {

struct BatchRequest {
    std::string name; // distribution/moments
    Support support;
    double lower;
    double upper;
    std::vector<double> moments; // M0 .. M(n-1), M0 = 1
    double from;                 // first position
    double to;                   // last position
};

constexpr int batch_positions = 10000;

// E X^k, k = 0 .. count - 1, of each distribution in closed form.
inline std::vector<double> batch_moments(const std::string& distribution, int count) {
    std::vector<double> m(static_cast<std::size_t>(count));
    double running = 1.0; // a product over r < k where the moments are one
    for (int k = 0; k < count; ++k) {
        double value = 0.0;
        if (distribution == "uniform") {
            value = 1.0 / (k + 1);
        } else if (distribution == "beta_2_5") {
            value = running; // prod (2 + r) / (7 + r)
            running *= (2.0 + k) / (7.0 + k);
        } else if (distribution == "arcsine") {
            value = running; // prod (1/2 + r) / (1 + r)
            running *= (0.5 + k) / (1.0 + k);
        } else if (distribution == "three_atoms") {
            value = 0.3 * std::pow(0.2, k) + 0.4 * std::pow(0.5, k) + 0.3 * std::pow(0.8, k);
        } else if (distribution == "exponential") {
            value = running; // k!
            running *= k + 1.0;
        } else if (distribution == "gamma_3") {
            value = running; // (k + 2)! / 2
            running *= k + 3.0;
        } else if (distribution == "normal") {
            value = k % 2 == 1 ? 0.0 : running; // (k - 1)!!
            if (k % 2 == 1)
                running *= k;
        } else if (distribution == "laplace") {
            double factorial = 1.0; // k!
            for (int r = 2; r <= k; ++r)
                factorial *= r;
            value = k % 2 == 1 ? 0.0 : factorial;
        }
        m[static_cast<std::size_t>(k)] = value;
    }
    m[0] = 1.0;
    return m;
}

inline std::vector<BatchRequest> batch_requests() {
    const struct {
        const char* name;
        Support support;
        double lower, upper, from, to;
    } lists[] = {
        {"uniform", Support::interval, 0.0, 1.0, 0.0, 1.0},
        {"beta_2_5", Support::interval, 0.0, 1.0, 0.0, 1.0},
        {"arcsine", Support::interval, 0.0, 1.0, 0.0, 1.0},
        {"three_atoms", Support::interval, 0.0, 1.0, 0.0, 1.0},
        {"exponential", Support::half, 0.0, 0.0, 0.0, 6.0},
        {"gamma_3", Support::half, 0.0, 0.0, 0.0, 3.0 + 5.0 * std::sqrt(3.0)},
        {"normal", Support::whole, 0.0, 0.0, -5.0, 5.0},
        {"laplace", Support::whole, 0.0, 0.0, -5.0 * std::sqrt(2.0), 5.0 * std::sqrt(2.0)},
    };
    std::vector<BatchRequest> requests;
    for (const auto& list : lists)
        for (int count = 5; count <= 9; ++count)
            requests.push_back({std::string(list.name) + "/" + std::to_string(count), list.support,
                                list.lower, list.upper, batch_moments(list.name, count), list.from,
                                list.to});
    return requests;
}

// Position i of a request's sweep (ends included, as --positions FROM:TO:COUNT).
inline double batch_position(const BatchRequest& r, int i) {
    const double t = static_cast<double>(i) / (batch_positions - 1);
    return (1.0 - t) * r.from + t * r.to;
}

} // namespace bench_support
