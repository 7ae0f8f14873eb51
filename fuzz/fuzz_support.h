// SPDX-License-Identifier: Apache-2.0
#pragma once
// What the fuzz targets share: a check that ends the run with a message
// (libFuzzer then keeps the input that failed it) and requests built from the
// input bytes.

#include "numeric/support.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#define FUZZ_CHECK(condition)                                                                      \
    ((condition) ? static_cast<void>(0) : fuzz_support::failed(#condition, __FILE__, __LINE__))

namespace fuzz_support {

[[noreturn]] inline void failed(const char* condition, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, condition);
    std::abort();
}

// Any double: a value from the edges that parsers and the numerics meet, or
// any bit pattern at all (NaN, infinities, denormals).
inline double any_double(FuzzedDataProvider& in) {
    static constexpr double edges[] = {0.0,     -0.0,   1.0,      -1.0,      0.5,
                                       2.0,     1e-300, 1e300,    DBL_MAX,   -DBL_MAX,
                                       DBL_MIN, 5e-324, INFINITY, -INFINITY, NAN};
    if (in.ConsumeBool())
        return in.PickValueInArray(edges);
    return std::bit_cast<double>(in.ConsumeIntegral<std::uint64_t>());
}

// A request on a support: the limits and a list of at most max_count
// moments.
struct Request {
    Support support = Support::whole;
    double lower = 0.0;
    double upper = 1.0;
    std::vector<double> moments;
};

// Either anything at all (any doubles, any count) or the moments of a
// discrete distribution of one to six atoms on the support, some of them then
// moved by a few units in the last place: the lists the methods meet in use,
// where the interior of the moment space ends.
inline Request any_request(FuzzedDataProvider& in, int max_count) {
    Request r;
    r.support = *support_from_index(in.ConsumeIntegralInRange(0, 2));
    if (in.ConsumeBool()) {
        r.lower = any_double(in);
        r.upper = any_double(in);
        const int count = in.ConsumeIntegralInRange(0, max_count);
        for (int i = 0; i < count; ++i)
            r.moments.push_back(any_double(in));
        if (!r.moments.empty() && in.ConsumeBool())
            r.moments[0] = 1.0;
        return r;
    }
    const double scale = std::pow(10.0, in.ConsumeIntegralInRange(-4, 4));
    r.lower = in.ConsumeFloatingPointInRange(-10.0, 10.0) * scale;
    r.upper = r.lower + in.ConsumeFloatingPointInRange(0.0, 10.0) * scale;
    const int atoms = in.ConsumeIntegralInRange(1, 6);
    std::vector<double> points;
    std::vector<double> masses;
    double total = 0.0;
    for (int i = 0; i < atoms; ++i) {
        const double t = in.ConsumeProbability<double>();
        switch (r.support) {
        case Support::whole:
            points.push_back(r.lower + (2.0 * t - 1.0) * 10.0 * scale);
            break;
        case Support::half:
            points.push_back(r.lower + t * 10.0 * scale);
            break;
        case Support::interval:
            points.push_back(r.lower + t * (r.upper - r.lower));
            break;
        }
        masses.push_back(in.ConsumeProbability<double>() + 1e-3);
        total += masses.back();
    }
    const int count = in.ConsumeIntegralInRange(1, max_count);
    for (int j = 0; j < count; ++j) {
        double m = 0.0;
        for (int i = 0; i < atoms; ++i)
            m += masses[static_cast<std::size_t>(i)] / total *
                 std::pow(points[static_cast<std::size_t>(i)], j);
        r.moments.push_back(m);
    }
    r.moments[0] = 1.0;
    const int nudges = in.ConsumeIntegralInRange(0, 3);
    for (int k = 0; k < nudges; ++k) {
        double& m = r.moments[in.ConsumeIntegralInRange<std::size_t>(0, r.moments.size() - 1)];
        const int steps = in.ConsumeIntegralInRange(-4, 4);
        for (int s = 0; s < std::abs(steps); ++s)
            m = std::nextafter(m, steps > 0 ? INFINITY : -INFINITY);
    }
    return r;
}

// A position: anywhere (any double), at a point of the support's range, or
// at one of the given points exactly.
inline double any_position(FuzzedDataProvider& in, const Request& r,
                           const std::vector<double>& points = {}) {
    switch (in.ConsumeIntegralInRange(0, 2)) {
    case 0:
        return any_double(in);
    case 1:
        if (!points.empty())
            return points[in.ConsumeIntegralInRange<std::size_t>(0, points.size() - 1)];
        [[fallthrough]];
    default: {
        const double t = in.ConsumeFloatingPointInRange(-0.5, 1.5);
        return r.lower + t * (r.upper - r.lower);
    }
    }
}

} // namespace fuzz_support
