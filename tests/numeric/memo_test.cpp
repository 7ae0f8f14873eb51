// SPDX-License-Identifier: Apache-2.0
// The tables that keep powers, Hankel determinants and moment transforms for
// reuse: every answer must be the bits a fresh computation gives.

#include "numeric/failure.h"
#include "numeric/hankel_determinants.h"
#include "numeric/moments.h"
#include "numeric/powers.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace {

constexpr double inf = std::numeric_limits<double>::infinity();
const double nan = std::nan("");

std::uint64_t bits(double x) {
    return std::bit_cast<std::uint64_t>(x);
}

Vector make_vector(const std::vector<double>& values) {
    return Vector(values.data(), static_cast<int>(values.size()));
}

std::vector<std::uint64_t> element_bits(const Vector& v) {
    std::vector<std::uint64_t> out;
    for (int i = 0; i < v.length; ++i)
        out.push_back(bits(v[i]));
    return out;
}

// Bases whose powers the shortcuts or the table could get wrong: the fixed
// cases +0 and 1 beside -0 and -1 (whose odd powers differ), NaN, infinities,
// subnormal and huge numbers, and ordinary ones.
const double bases[] = {0.0,    -0.0,  1.0, -1.0, nan,  inf,         -inf, 5e-324,
                        1e-300, 1e300, 0.8, 1.25, -2.5, 0.999999995, 3.0};

TEST(WholePower, SameBitsAsPow) {
    for (double base : bases)
        for (int k = 0; k <= 70; ++k)
            EXPECT_EQ(bits(whole_power(base, k)), bits(std::pow(base, static_cast<double>(k))))
                << base << "^" << k;
}

TEST(PowerTable, SameBitsAsPowInAnyOrderAndAfterRebasing) {
    // Exponents out of order, repeated, and beyond the table.
    const int exponents[] = {5, 0, 1, 5, 63, 64, 2, 100, 1, 7, 5, 0};
    PowerTable table(0.0);
    for (double base : bases) {
        table.rebase(base);
        EXPECT_TRUE(table.is_of(base));
        for (int k : exponents)
            EXPECT_EQ(bits(table(k)), bits(std::pow(base, static_cast<double>(k))))
                << base << "^" << k;
    }
    // +0 and -0 compare equal but are different tables.
    PowerTable zero(0.0);
    EXPECT_EQ(bits(zero(3)), bits(0.0));
    EXPECT_FALSE(zero.is_of(-0.0));
    zero.rebase(-0.0);
    EXPECT_EQ(bits(zero(3)), bits(-0.0));
}

// A sequence of requests, each answered by the table and compared with a
// fresh computation.
struct HankelRun {
    const char* name;
    std::vector<std::vector<double>> sequences;
};

void PrintTo(const HankelRun& run, std::ostream* os) {
    *os << run.name;
}

class HankelTable : public testing::TestWithParam<HankelRun> {};

TEST_P(HankelTable, SameBitsAsFreshDeterminants) {
    HankelDeterminants table;
    for (const std::vector<double>& values : GetParam().sequences) {
        const Vector sequence = make_vector(values);
        EXPECT_EQ(bits(table.of(sequence)), bits(sequence.luhankeldet()))
            << "length " << values.size();
    }
}

std::vector<double> uniform_moments(int count, double scale = 1.0) {
    std::vector<double> m;
    for (int k = 0; k < count; ++k)
        m.push_back(std::pow(scale, k) / (k + 1));
    return m;
}

std::vector<double> with(std::vector<double> values, int index, double value) {
    values[static_cast<std::size_t>(index)] = value;
    return values;
}

std::vector<double> prefix(const std::vector<double>& values, int count) {
    return std::vector<double>(values.begin(), values.begin() + count);
}

const std::vector<double> u9 = uniform_moments(9);

// Every family slot taken and one more: the first family is evicted, then asked again.
std::vector<std::vector<double>> overflowing() {
    std::vector<std::vector<double>> out;
    for (int f = 0; f <= HankelDeterminants::families; ++f)
        out.push_back(uniform_moments(7, 1.0 + f));
    out.push_back(uniform_moments(5, 1.0));
    out.push_back(uniform_moments(7, 1.0 + HankelDeterminants::families));
    return out;
}

INSTANTIATE_TEST_SUITE_P(
    Runs, HankelTable,
    testing::Values(
        HankelRun{"prefixes", {u9, prefix(u9, 7), prefix(u9, 5), u9, prefix(u9, 3)}},
        HankelRun{"grows", {prefix(u9, 3), prefix(u9, 5), u9, prefix(u9, 7)}},
        // Same length, one element changed: not the kept determinant.
        HankelRun{"last_differs", {u9, with(u9, 8, 0.2), prefix(u9, 7), with(u9, 8, 0.2)}},
        HankelRun{"first_differs", {prefix(u9, 5), with(prefix(u9, 5), 0, 2.0)}},
        HankelRun{"signed_zero",
                  {{1.0, 0.0, 1.0, 0.0, 3.0}, {1.0, -0.0, 1.0, -0.0, 3.0}, {1.0, 0.0, 1.0}}},
        HankelRun{"even_lengths", {u9, prefix(u9, 8), prefix(u9, 6), prefix(u9, 2)}},
        HankelRun{"longer_than_kept",
                  {uniform_moments(33), prefix(uniform_moments(33), 31), uniform_moments(33)}},
        HankelRun{"more_families_than_kept", overflowing()},
        HankelRun{"not_a_number", {with(u9, 4, nan), with(prefix(u9, 5), 4, nan), u9}}),
    [](const testing::TestParamInfo<HankelRun>& info) { return std::string(info.param.name); });

TEST(HankelTable, EmptySequenceFailsAsWithoutTable) {
    HankelDeterminants table;
    Vector emptied = make_vector({1.0});
    emptied.drop(-1);
    EXPECT_THROW(table.of(emptied), Failure);
}

// Transforms asked one after another, each compared with transform_moments.
struct TransformRequest {
    std::vector<double> moments;
    double scale;
    double shift;
};

struct TransformRun {
    const char* name;
    std::vector<TransformRequest> requests;
};

void PrintTo(const TransformRun& run, std::ostream* os) {
    *os << run.name;
}

class TransformTable : public testing::TestWithParam<TransformRun> {};

TEST_P(TransformTable, SameBitsAsFreshTransform) {
    MomentTransforms table;
    for (const TransformRequest& r : GetParam().requests) {
        Vector kept = make_vector(r.moments);
        Vector fresh = make_vector(r.moments);
        table.apply(kept, r.scale, r.shift);
        transform_moments(fresh, r.scale, r.shift);
        EXPECT_EQ(element_bits(kept), element_bits(fresh))
            << r.moments.size() << " moments, scale " << r.scale << ", shift " << r.shift;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Runs, TransformTable,
    testing::Values(
        TransformRun{"prefixes",
                     {{u9, 1.25, -0.5}, {prefix(u9, 7), 1.25, -0.5}, {prefix(u9, 3), 1.25, -0.5}}},
        TransformRun{"grows", {{prefix(u9, 5), 1.25, -0.5}, {u9, 1.25, -0.5}}},
        TransformRun{"other_scale", {{u9, 1.25, -0.5}, {prefix(u9, 7), 0.5, -0.5}}},
        TransformRun{"other_shift", {{u9, 1.25, -0.5}, {prefix(u9, 7), 1.25, 0.5}}},
        TransformRun{"shift_sign_of_zero", {{u9, 0.0, 0.0}, {prefix(u9, 7), 0.0, -0.0}}},
        TransformRun{"element_differs",
                     {{u9, 1.25, -0.5}, {with(prefix(u9, 7), 6, 0.1), 1.25, -0.5}}},
        TransformRun{"constant", {{u9, 0.0, 3.0}, {prefix(u9, 5), 0.0, 3.0}}},
        TransformRun{"identity", {{u9, 1.0, -0.0}, {prefix(u9, 5), 1.0, -0.0}}},
        TransformRun{
            "longer_than_kept",
            {{uniform_moments(40), 0.5, 1.0}, {prefix(uniform_moments(40), 33), 0.5, 1.0}}}),
    [](const testing::TestParamInfo<TransformRun>& info) { return std::string(info.param.name); });

} // namespace
