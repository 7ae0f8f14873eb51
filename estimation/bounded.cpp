// SPDX-License-Identifier: Apache-2.0
// Estimation on a bounded interval [lower, upper].
//
// The moments are mapped onto [0, 1]; the masses at the position y, at 0 and at
// 1 are split off, and the rest becomes a distribution of inner points.  L is
// the mass at 0 plus the inner masses strictly below y, U adds the mass at y.
// The mass at 1 lies above the position and enters neither bound.

#include "estimation/bounded.h"

#include <algorithm>
#include <cmath>

#include "estimation/attempts.h"
#include "estimation/determinant_ratio.h"
#include "estimation/discrete.h"
#include "estimation/normal.h"
#include "estimation/positive.h"
#include "estimation/tolerances.h"
#include "numeric/failure.h"
#include "numeric/moments.h"

namespace {

void check_point_mass(double mass) {
    if (outside_probability_range(mass))
        throw Failure("mass_bounded", "p nem esik 0 és 1 közé!", FailureCode::computation);
}

// d_i = m_i - m_(i+1) for i = 0 .. count-1: the moments of (1 - Y) dmu.
Vector differences(const Vector& moments, int count) {
    Vector d(count);
    for (int i = 0; i < count; ++i)
        d[i] = moments[i] - moments[i + 1];
    return d;
}

} // namespace

// On n (odd) moments of a variable on [0, 1]: p at y from hyperdet, q at 0 from
// the moments of (1 - Y) dmu (which keep the mass at 0 and lose the one at 1),
// r at 1 from superdet.  Each mass is taken away before the next is computed;
// n - 3 moments remain.
void mass_bounded(Vector& moments, double position, double& p, double& q, double& r) {
    PowerTable powers_of_position(position);
    mass_bounded(moments, position, p, q, r, powers_of_position);
}

void mass_bounded(Vector& moments, double position, double& p, double& q, double& r,
                  PowerTable& powers_of_position) {
    if (position_at_zero_or_one(position))
        throw Failure("mass_bounded", "A pozíció nem lehet 0!", FailureCode::computation);

    powers_of_position.rebase(position);
    double at_position = hyperdet(moments, position, powers_of_position);
    p = at_position;
    check_point_mass(at_position);

    moments.drop(-1);
    for (int i = 0; i < moments.length; ++i)
        moments[i] = moments[i] - at_position * powers_of_position(i);

    Vector d = differences(moments, moments.length - 1);
    double at_zero = solve_linear_det_eq(d);
    q = at_zero;
    check_point_mass(at_zero);

    moments.drop(-1);
    moments[0] = moments[0] - at_zero;

    double at_one = superdet(moments);
    r = at_one;
    check_point_mass(at_one);

    moments.drop(-1);
    for (int i = 0; i < moments.length; ++i)
        moments[i] = moments[i] - at_one;
}

namespace {

// One family of Hankel tests: `count` determinants, the sequence losing its
// last two elements after each.  Returns 2j for the last determinant j that
// counts as zero, else 0.
int bounded_family_truncation(Vector sequence, int count, HankelDeterminants& determinants) {
    int cut = 0;
    for (int j = 1; j <= count; ++j) {
        double determinant = determinants.of(sequence);
        if (determinant_negative(determinant))
            throw Failure("trybounded", "Ezek a momentumok nem határoznak meg pozitív eloszlást!",
                          FailureCode::computation);
        if (determinant_near_zero(determinant))
            cut = 2 * j;
        sequence.drop(-2);
    }
    return cut;
}

// Cut for a distribution on [0, 1], from four families: m0 .. m(n-1),
// m1 .. m(n-2), and the differences d0 .. d(n-3) and d1 .. d(n-2) with
// d_i = m_i - m_(i+1).  n is odd.
int bounded_truncation(const Vector& moments, HankelDeterminants& determinants) {
    int n = moments.length;
    int whole_count = (n - 1) / 2;
    int difference_count = (n - 5) / 2;
    int cut = 0;

    cut = std::max(cut, bounded_family_truncation(moments, whole_count, determinants));

    Vector inner(moments);
    inner.drop(1);
    inner.drop(-1);
    cut = std::max(cut, bounded_family_truncation(inner, whole_count - 1, determinants));

    if (difference_count > 0) {
        Vector all_differences = differences(moments, n - 1);
        Vector leading(all_differences);
        leading.drop(-1);
        cut = std::max(cut, bounded_family_truncation(leading, difference_count, determinants));
        Vector trailing(all_differences);
        trailing.drop(1);
        cut = std::max(cut, bounded_family_truncation(trailing, difference_count, determinants));
    }
    return cut;
}

} // namespace

void trybounded(Vector& moments, double position, double lower, double upper, double& lower_bound,
                double& upper_bound, const DiagnosticSink& diagnostics) {
    AttemptMemo memo;
    trybounded(moments, position, lower, upper, lower_bound, upper_bound, diagnostics, memo);
}

void trybounded(Vector& moments, double position, double lower, double upper, double& lower_bound,
                double& upper_bound, const DiagnosticSink& diagnostics, AttemptMemo& memo) {
    lower_bound = 0.0;
    upper_bound = 1.0;

    // Written so that a position or limit that is not a number fails too.
    if (!(position > lower && position < upper && lower < upper))
        throw Failure("trybounded", "A pozíciónak nagyobbnak kell lennie az alsó határnál!",
                      FailureCode::request);
    if (moments.length < 4)
        throw Failure("trybounded", "A becsléshez adjon meg legalább 4 momentumot!",
                      FailureCode::request);
    if (moments.length % 2 == 0) {
        report_warning("trybounded", "ULBounded futtatásához páratlan számú momentum kell!");
        moments.drop(-1);
    }
    if (moments[0] != 1.0)
        throw Failure("trybounded", "Az első momentumnak 1-nek kell lennie!", FailureCode::request);

    double width = upper - lower;
    memo.transforms.apply(moments, 1 / width, -(lower / width));
    double y = (position - lower) / width;

    moments.drop(-bounded_truncation(moments, memo.hankel));
    if (moments.length < 5)
        throw Failure("trybounded", "A becsléshez legalább 5 momentum kell!",
                      FailureCode::computation);

    int points_count = (moments.length - 3) / 2;
    Vector xs(points_count);
    Vector ps(points_count);

    Vector moved(moments);
    double p = 0.0;
    double q = 0.0;
    double r = 0.0;
    mass_bounded(moments, y, p, q, r, memo.position_powers);
    discrete_construction(moments, xs, ps, diagnostics);

    MassesAround masses = masses_around(xs, ps, y);
    lower_bound = q + masses.below;
    upper_bound = p + lower_bound + masses.at_position;

    if (outside_probability_range(lower_bound))
        throw Failure("ulbounded", "L nem esik 0 és 1 közé!", FailureCode::computation);
    if (outside_probability_range(upper_bound))
        throw Failure("ulbounded", "U nem esik 0 és 1 közé!", FailureCode::computation);
    if (!reproduces_moments(moved, {{y, p, &memo.position_powers}, {0.0, q}, {1.0, r}}, xs, ps))
        throw Failure("ulbounded", moments_not_reproduced, FailureCode::computation);
}

Estimate estimate_bounded(const Vector& moments, double position, double lower, double upper,
                          EstimationContext& context) {
    KeptBounds kept;
    AttemptMemo memo;
    run_attempts(moments, 5, Outcome::interval, "ulbounded",
                 "Sajnos, ezekre a momentumokra nem alkalmazható a korlátos becslés!", context,
                 kept,
                 [position, lower, upper, &context, &memo](Vector& scratch, double& l, double& u) {
                     trybounded(scratch, position, lower, upper, l, u, context.diagnostics, memo);
                 });
    run_attempts(moments, 4, Outcome::half_line, "ulbounded",
                 "Sajnos, ezekre a momentumokra nem alkalmazható a pozitív becslés!", context, kept,
                 [position, lower, &context, &memo](Vector& scratch, double& l, double& u) {
                     trypositive(scratch, position, lower, l, u, context.diagnostics, memo);
                 });
    run_attempts(moments, 3, Outcome::whole_line, "ulbounded",
                 "Sajnos, ezekre a momentumokra nem alkalmazható a végtelen becslés!", context,
                 kept, [position, &context, &memo](Vector& scratch, double& l, double& u) {
                     trynormal(scratch, position, l, u, context.diagnostics, memo);
                 });
    return kept.estimate();
}
