// SPDX-License-Identifier: Apache-2.0
// Estimation on a half-line [lower, inf).
//
// The moments are moved so that the lower limit a sits at 0 and the position x
// at 1.  The masses at 1 and at 0 are split off, the rest becomes an m-point
// distribution.  L is the mass at 0 plus the masses strictly below 1, U adds the
// mass at 1.

#include "estimation/positive.h"

#include <algorithm>

#include "estimation/attempts.h"
#include "estimation/determinant_ratio.h"
#include "estimation/discrete.h"
#include "estimation/normal.h"
#include "estimation/tolerances.h"
#include "numeric/diagnostics.h"
#include "numeric/failure.h"
#include "numeric/moments.h"
#include "numeric/number_text.h"

// On the moved moments nu0 .. nu(2m+1): the mass at 1 comes from the sequence
// without nu0 (the moments of t dnu keep the mass at 1 and lose the one at 0),
// the mass at 0 from what is left once the mass at 1 is taken away.
void mass_positive(Vector& moments, double& mass_at_position, double& mass_at_lower) {
    if (moments.length % 2 != 0)
        report_warning("mass_positive", "Páros számú momentum kell!");

    Vector without_first(moments);
    without_first.drop(1);
    double at_position = superdet(without_first);
    mass_at_position = at_position;
    if (outside_probability_range(at_position))
        throw Failure("mass_positive", "p nem esik 0 és 1 közé!", FailureCode::computation);

    moments.drop(-1);
    // A point mass at 1 adds its mass to every moment.
    for (int i = 0; i < moments.length; ++i)
        moments[i] = moments[i] - at_position;

    double at_lower = solve_linear_det_eq(moments);
    mass_at_lower = at_lower;
    moments[0] = moments[0] - at_lower;
    if (outside_probability_range(at_lower))
        throw Failure("mass_positive", "p nem esik 0 és 1 közé!", FailureCode::computation);

    moments.drop(-1);
}

namespace {

// One family of Hankel tests on an odd-length sequence: orders k+1 down to 2.
// Returns 2r for the last pass r whose determinant counts as zero, else 0.
// With scale_aware, a determinant at rounding level beside its diagonal counts
// as zero too (see hankel_determinant_near_zero).
int positive_family_truncation(Vector h, bool scale_aware, HankelDeterminants& determinants) {
    int passes = (h.length - 1) / 2;
    int cut = 0;
    for (int r = 1; r <= passes; ++r) {
        double determinant = determinants.of(h);
        if (determinant_negative(determinant))
            throw Failure("trypositive", "Ezek a momentumok nem határoznak meg pozitív eloszlást!",
                          FailureCode::computation);
        bool near_zero = scale_aware ? hankel_determinant_near_zero(determinant, h)
                                     : determinant_near_zero(determinant);
        if (near_zero) {
            report_warning(
                "trypositive",
                "A Hankel-determináns értéke kb. 0, az utolsó 2 momentum el lesz dobva!");
            cut = 2 * r;
        }
        h.drop(-2);
    }
    return cut;
}

// Cut for the two families of a distribution on [0, inf): the Hankel
// determinants of mu0 .. mu2k and of mu1 .. mu(2k+1).  The moved moments grow
// like the farthest point over (x - lower), so the first family is also
// tested against rounding noise.  The second family is not: its determinant
// vanishes whenever the distribution has mass at the lower limit, a mass the
// construction splits off by itself, and a cut there would only loosen bounds
// that come out exact.
int positive_truncation(const Vector& moments, HankelDeterminants& determinants) {
    Vector without_last(moments);
    without_last.drop(-1);
    int cut_first = positive_family_truncation(without_last, true, determinants);

    Vector without_first(moments);
    without_first.drop(1);
    int cut_second = positive_family_truncation(without_first, false, determinants);
    return std::max(cut_first, cut_second);
}

} // namespace

void trypositive(Vector& moments, double position, double lower, double& lower_bound,
                 double& upper_bound, const DiagnosticSink& diagnostics) {
    AttemptMemo memo;
    trypositive(moments, position, lower, lower_bound, upper_bound, diagnostics, memo);
}

void trypositive(Vector& moments, double position, double lower, double& lower_bound,
                 double& upper_bound, const DiagnosticSink& diagnostics, AttemptMemo& memo) {
    lower_bound = 0.0;
    upper_bound = 1.0;

    // Written so that a position or limit that is not a number fails too.
    if (!(position > lower))
        throw Failure("trypositive", "A pozíciónak nagyobbnak kell lennie az alsó határnál!",
                      FailureCode::request);
    if (moments.length < 4)
        throw Failure("trypositive", "A becsléshez adjon meg legalább 4 momentumot!",
                      FailureCode::request);
    if (moments.length % 2 != 0) {
        report_warning("ulpositive", "ULPositive futtatásához páros számú momentum kell!");
        moments.drop(-1);
    }
    if (moments[0] != 1.0)
        throw Failure("trypositive", "Az első momentumnak 1-nek kell lennie!",
                      FailureCode::request);

    double distance = position - lower;
    memo.transforms.apply(moments, 1 / distance, -(lower / distance));

    moments.drop(-positive_truncation(moments, memo.hankel));
    if (moments.length < 4)
        throw Failure("trypositive", "A becsléshez legalább 4 momentum kell!",
                      FailureCode::computation);

    int points_count = (moments.length - 2) / 2;
    Vector points(points_count);
    Vector weights(points_count);

    Vector moved(moments);
    double at_position = 0.0;
    double at_lower = 0.0;
    mass_positive(moments, at_position, at_lower);
    discrete_construction(moments, points, weights, diagnostics);

    MassesAround masses = masses_around(points, weights, 1.0);
    lower_bound = at_lower + masses.below;
    upper_bound = at_position + lower_bound + masses.at_position;

    if (outside_probability_range(lower_bound))
        throw Failure("ulpositive", "L nem esik 0 és 1 közé!", FailureCode::computation);
    if (outside_probability_range(upper_bound))
        throw Failure("ulpositive", "U nem esik 0 és 1 közé!", FailureCode::computation);
    if (!reproduces_moments(moved, {{1.0, at_position}, {0.0, at_lower}}, points, weights))
        throw Failure("ulpositive", moments_not_reproduced, FailureCode::computation);
}

Estimate estimate_positive(const Vector& moments, double position, double lower,
                           EstimationContext& context) {
    KeptBounds kept;
    AttemptMemo memo;
    run_attempts(moments, 4, Outcome::half_line, "ulpositive",
                 "Sajnos, ezekre a momentumokra nem alkalmazható a pozitív becslés!", context, kept,
                 [position, lower, &context, &memo](Vector& scratch, double& l, double& u) {
                     trypositive(scratch, position, lower, l, u, context.diagnostics, memo);
                 });

    context.diagnostics.write("\n\n/// poz /// L = " + format_fixed(kept.lower) +
                              "; U = " + format_fixed(kept.upper) + "\n");

    run_attempts(moments, 3, Outcome::whole_line, "ulpositive",
                 "Sajnos, ezekre a momentumokra nem alkalmazható a végtelen becslés!", context,
                 kept, [position, &context, &memo](Vector& scratch, double& l, double& u) {
                     trynormal(scratch, position, l, u, context.diagnostics, memo);
                 });
    return kept.estimate();
}
