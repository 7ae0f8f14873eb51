// SPDX-License-Identifier: Apache-2.0
// Bounded-interval estimation: the masses split off, the attempts of the three
// kinds and their order, and how the drivers keep the bounds.

#include "estimation/bounded.h"
#include "estimation/normal.h"
#include "estimation/positive.h"

#include "estimation_support.h"

using namespace estimation_test;

namespace {

const Report bounded_first_moment{"trybounded", "Az első momentumnak 1-nek kell lennie!"};
const Report positive_first_moment{"trypositive", "Az első momentumnak 1-nek kell lennie!"};
const Report normal_first_moment{"trynormal", "Az első momentumnak 1-nek kell lennie!"};
const Report bounded_position{"trybounded",
                              "A pozíciónak nagyobbnak kell lennie az alsó határnál!"};
const Report positive_position{"trypositive",
                               "A pozíciónak nagyobbnak kell lennie az alsó határnál!"};

struct Bounds {
    double lower_bound = -1;
    double upper_bound = -1;
    int outcome = -1;
};

Bounds bounds_of(const Estimate& e) {
    return Bounds{e.lower_bound, e.upper_bound, outcome_of(e)};
}

Bounds bounded(const std::vector<double>& moments, double x, double lower, double upper,
               EstimationContext& context) {
    return bounds_of(estimate_bounded(vec(moments), x, lower, upper, context));
}

TEST(MassBounded, SplitsOffThePositionTheEndsInTurn) {
    LogFolder log;
    // 0.2 at 0, 0.3 at 0.5, 0.25 at 1 and 0.25 at the inner point 0.25.
    Vector moments = vec(discrete_moments({0, 0.5, 1, 0.25}, {0.2, 0.3, 0.25, 0.25}, 5));
    double p = 0;
    double q = 0;
    double r = 0;
    mass_bounded(moments, 0.5, p, q, r);
    EXPECT_NEAR(p, 0.3, 1e-12);
    EXPECT_NEAR(q, 0.2, 1e-12);
    EXPECT_NEAR(r, 0.25, 1e-12);
    ASSERT_EQ(moments.length, 2);
    EXPECT_NEAR(moments[0], 0.25, 1e-12);
    EXPECT_NEAR(moments[1], 0.0625, 1e-12);
    EXPECT_TRUE(log.reports().empty());
}

TEST(MassBounded, MassThatIsNotANumberIsOutOfRange) {
    LogFolder log;
    Vector moments = vec(discrete_moments({0, 0.5, 1, 0.25}, {0.2, 0.3, 0.25, 0.25}, 5));
    double p = 0;
    double q = 0;
    double r = 0;
    EXPECT_EQ(log.thrown_code([&] { mass_bounded(moments, std::nan(""), p, q, r); }), 1);
    EXPECT_EQ(log.reports(), (std::vector<Report>{{"mass_bounded", "p nem esik 0 és 1 közé!"}}));
}

TEST(EstimateBounded, EqualBoundOfALaterKindChangesNothing) {
    LogFolder log;
    // 0.5 at 0, 0.25 at 0.25 and 0.25 at 0.5, x = 0.25: the bounded attempt
    // and the whole-line attempt on the same five moments both give 0.5 and
    // 0.75, bit for bit; only the first one counts.
    std::vector<double> m = discrete_moments({0, 0.25, 0.5}, {0.5, 0.25, 0.25}, 5);
    Vector scratch = vec(m);
    double l = 0;
    double u = 0;
    trynormal(scratch, 0.25, l, u, no_diagnostics);
    ASSERT_EQ(l, 0.5);
    ASSERT_EQ(u, 0.75);

    EstimationContext context = context_for(log);
    Bounds o = bounded(m, 0.25, 0, 1, context);
    EXPECT_EQ(o.lower_bound, 0.5);
    EXPECT_EQ(o.upper_bound, 0.75);
    EXPECT_EQ(o.outcome, 3);
}

TEST(EstimateBounded, UniformMomentsEveryAttemptSucceeds) {
    LogFolder log;
    EstimationContext context = context_for(log);
    std::vector<double> m;
    for (int k = 0; k < 9; ++k)
        m.push_back(1.0 / (k + 1));
    Bounds o = bounded(m, 0.8, 0, 1, context);
    EXPECT_LE(o.lower_bound, 0.8);
    EXPECT_GE(o.upper_bound, 0.8);
    EXPECT_LT(o.upper_bound - o.lower_bound, 0.35);
    EXPECT_NE(o.outcome, 0);
    EXPECT_TRUE(log.reports().empty());
}

struct AttemptsCase {
    const char* name;
    std::vector<double> moments;
    double x;
    double lower;
    double upper;
    std::vector<Report> reports;
};

class EstimateBoundedAttempts : public ::testing::TestWithParam<AttemptsCase> {};

TEST_P(EstimateBoundedAttempts, EachFailingAttemptLeavesOneReport) {
    LogFolder log;
    EstimationContext context = context_for(log);
    const AttemptsCase& c = GetParam();
    Vector moments = vec(c.moments);
    estimate_bounded(moments, c.x, c.lower, c.upper, context);
    EXPECT_EQ(log.reports(), c.reports);
    EXPECT_EQ(values(moments), c.moments);
}

std::vector<Report> repeated(std::initializer_list<std::pair<Report, int>> runs) {
    std::vector<Report> out;
    for (const auto& [report, count] : runs)
        out.insert(out.end(), static_cast<std::size_t>(count), report);
    return out;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EstimateBoundedAttempts,
    ::testing::Values(
        // A first moment of 2 fails every attempt: the reports count them.
        AttemptsCase{"fiveMoments",
                     {2, 0.5, 0.3, 0.2, 0.1},
                     0.5,
                     0,
                     1,
                     repeated({{bounded_first_moment, 1},
                               {positive_first_moment, 1},
                               {normal_first_moment, 2}})},
        AttemptsCase{"sixMoments",
                     {2, 0.5, 0.3, 0.2, 0.1, 0.1},
                     0.5,
                     0,
                     1,
                     repeated({{bounded_first_moment, 1},
                               {positive_first_moment, 2},
                               {normal_first_moment, 2}})},
        AttemptsCase{"sevenMoments",
                     {2, 0.5, 0.3, 0.2, 0.1, 0.1, 0.1},
                     0.5,
                     0,
                     1,
                     repeated({{bounded_first_moment, 2},
                               {positive_first_moment, 2},
                               {normal_first_moment, 3}})},
        AttemptsCase{"fourMomentsRunNoBoundedAttempt",
                     {2, 0.5, 0.3, 0.2},
                     0.5,
                     0,
                     1,
                     repeated({{positive_first_moment, 1}, {normal_first_moment, 1}})},
        // Uniform moments: only the attempts with the position off the
        // interval fail; the whole-line ones succeed.
        AttemptsCase{"positionAtLower",
                     {1, 0.5, 1.0 / 3, 0.25, 0.2, 1.0 / 6, 1.0 / 7},
                     0,
                     0,
                     1,
                     repeated({{bounded_position, 2}, {positive_position, 2}})},
        AttemptsCase{"positionBelowLower",
                     {1, 0.5, 1.0 / 3, 0.25, 0.2},
                     -0.5,
                     0,
                     1,
                     repeated({{bounded_position, 1}, {positive_position, 1}})},
        AttemptsCase{"positionAtUpper",
                     {1, 0.5, 1.0 / 3, 0.25, 0.2},
                     1,
                     0,
                     1,
                     repeated({{bounded_position, 1}})},
        AttemptsCase{"limitsReversed",
                     {1, 0.5, 1.0 / 3, 0.25, 0.2},
                     0.5,
                     1,
                     0,
                     repeated({{bounded_position, 1}, {positive_position, 1}})},
        AttemptsCase{"positionWithinToleranceOfUpper",
                     {1, 0.5, 1.0 / 3, 0.25, 0.2},
                     0.999999995,
                     0,
                     1,
                     repeated({{{"mass_bounded", "A pozíció nem lehet 0!"}, 1}})}),
    [](const auto& info) { return info.param.name; });

TEST(TryBounded, SetsNeutralBoundsBeforeFailing) {
    LogFolder log;
    Vector moments = vec({1, 0.5, 0.4});
    double lower_bound = 0.3;
    double upper_bound = 0.7;
    EXPECT_EQ(log.thrown_code([&] {
        trybounded(moments, 0.5, 0, 1, lower_bound, upper_bound, no_diagnostics);
    }),
              10);
    EXPECT_EQ(lower_bound, 0);
    EXPECT_EQ(upper_bound, 1);
    EXPECT_EQ(log.reports(), (std::vector<Report>{
                                 {"trybounded", "A becsléshez adjon meg legalább 4 momentumot!"}}));
}

TEST(TryBounded, MomentsOutsideTheIntervalAreRejected) {
    LogFolder log;
    // Three points above 1: the moments of (1 - Y) dmu come from a negative
    // measure, and their 3 x 3 Hankel determinant is below zero.
    Vector moments = vec(discrete_moments({1.5, 2, 2.5}, {0.25, 0.5, 0.25}, 7));
    double lower_bound = 0;
    double upper_bound = 0;
    EXPECT_EQ(log.thrown_code([&] {
        trybounded(moments, 0.5, 0, 1, lower_bound, upper_bound, no_diagnostics);
    }),
              1);
    EXPECT_EQ(log.reports(),
              (std::vector<Report>{
                  {"trybounded", "Ezek a momentumok nem határoznak meg pozitív eloszlást!"}}));
}

// The drivers against their attempt routines: the attempts in the given order
// on the caller's moments cut by two more each time, the largest lower and the
// smallest upper bound kept, only strict improvements counted, and the kind of
// the last improvement as the outcome.
struct Kind {
    int min_length;
    int outcome;
    std::function<void(Vector&, double&, double&)> attempt;
};

Bounds expected_from_attempts(const std::vector<double>& moments, const std::vector<Kind>& kinds) {
    Bounds kept{0, 1, 0};
    for (const Kind& kind : kinds) {
        for (int cut = 0; static_cast<int>(moments.size()) - cut >= kind.min_length; cut += 2) {
            Vector scratch = vec(std::vector<double>(moments.begin(), moments.end() - cut));
            double l = 0;
            double u = 1;
            try {
                kind.attempt(scratch, l, u);
            } catch (const Failure&) {
                continue;
            }
            if (l > kept.lower_bound) {
                kept.lower_bound = l;
                kept.outcome = kind.outcome;
            }
            if (u < kept.upper_bound) {
                kept.upper_bound = u;
                kept.outcome = kind.outcome;
            }
        }
    }
    return kept;
}

struct Request {
    std::vector<double> moments;
    double x;
    double lower;
    double upper;
};

class DriversAgreeWithAttempts : public QuietEnvironment,
                                 public ::testing::WithParamInterface<Request> {};

TEST_P(DriversAgreeWithAttempts, KeepTheTightestBoundsAndTheLastKind) {
    const Request& r = GetParam();
    Kind normal{3, 1,
                [&](Vector& v, double& l, double& u) { trynormal(v, r.x, l, u, no_diagnostics); }};
    Kind positive{4, 2, [&](Vector& v, double& l, double& u) {
                      trypositive(v, r.x, r.lower, l, u, no_diagnostics);
                  }};
    Kind bounded_kind{5, 3, [&](Vector& v, double& l, double& u) {
                          trybounded(v, r.x, r.lower, r.upper, l, u, no_diagnostics);
                      }};

    Bounds o = bounds_of(estimate_normal(vec(r.moments), r.x, quiet_));
    Bounds e = expected_from_attempts(r.moments, {normal});
    EXPECT_EQ(o.lower_bound, e.lower_bound);
    EXPECT_EQ(o.upper_bound, e.upper_bound);
    EXPECT_EQ(o.outcome, e.outcome);

    o = bounds_of(estimate_positive(vec(r.moments), r.x, r.lower, quiet_));
    e = expected_from_attempts(r.moments, {positive, normal});
    EXPECT_EQ(o.lower_bound, e.lower_bound);
    EXPECT_EQ(o.upper_bound, e.upper_bound);
    EXPECT_EQ(o.outcome, e.outcome);

    o = bounds_of(estimate_bounded(vec(r.moments), r.x, r.lower, r.upper, quiet_));
    e = expected_from_attempts(r.moments, {bounded_kind, positive, normal});
    EXPECT_EQ(o.lower_bound, e.lower_bound);
    EXPECT_EQ(o.upper_bound, e.upper_bound);
    EXPECT_EQ(o.outcome, e.outcome);
}

INSTANTIATE_TEST_SUITE_P(
    Requests, DriversAgreeWithAttempts,
    ::testing::Values(
        Request{uniform_moments(9), 0.1, 0, 1}, Request{uniform_moments(9), 0.3, 0, 1},
        Request{uniform_moments(9), 0.8, 0, 1}, Request{uniform_moments(8), 0.6, -1, 2},
        Request{uniform_moments(7), 1.5, 0, 2}, Request{uniform_moments(6), 0.5, 0, 1},
        Request{discrete_moments({0.5, 1, 2}, {0.25, 0.5, 0.25}, 7), 2, 0, 3},
        Request{discrete_moments({0, 0.25, 0.5}, {0.5, 0.25, 0.25}, 5), 0.25, 0, 1},
        Request{{1, 1, 2, 6, 24, 120, 720, 5040}, 2.3, 0, 40},
        Request{{1, 0, 1, 0, 3, 0, 15, 0, 105}, -0.5, -8, 8},
        // The drivers reuse what one attempt computed in the next (transforms,
        // Hankel determinants, powers of the position): attempts that fail
        // part way, and moments that every transform changes.
        Request{discrete_moments({0.2, 0.5, 0.8}, {0.3, 0.4, 0.3}, 9), 0.35, 0, 1},
        Request{uniform_moments(11), 0.45, -0.5, 1.5}));

} // namespace
