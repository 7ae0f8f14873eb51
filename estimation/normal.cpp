// SPDX-License-Identifier: Apache-2.0
// Estimation on the whole line (-inf, inf).
//
// The moments are moved so that the position x sits at 0; the mass p that a
// discrete distribution with these moments can place at 0 is split off, and
// the rest becomes a k'-point distribution.  L sums the masses strictly below
// x, U = L + p.

#include "estimation/normal.h"

#include "estimation/attempts.h"
#include "estimation/discrete.h"
#include "estimation/tolerances.h"
#include "numeric/failure.h"
#include "numeric/moments.h"

// Takes the mass at 0 out of the moments nu0 .. nu2k' of X - x: nu0 loses p and
// the last moment goes, leaving the 2k' moments that the construction takes.
void mass_normal(Vector& moments, double& mass) {
    if (moments.length % 2 == 0)
        report_warning("mass_normal", "Páratlan számú momentum kell!");

    double p = solve_linear_det_eq(moments);
    mass = p;
    if (outside_probability_range(p))
        throw Failure("mass_normal", "p nem esik 0 és 1 közé!", FailureCode::computation);

    moments[0] = moments[0] - p;
    moments.drop(-1);
}

namespace {

// Checks the Hankel determinants of orders k+1 down to 2 and returns how many
// trailing moments to cut: 2r for the last (lowest-order) pass r whose
// determinant counts as zero, 0 when none does.
int normal_truncation(const Vector& moments, HankelDeterminants& determinants) {
    int passes = (moments.length - 1) / 2;
    int cut = 0;
    Vector h(moments);
    for (int r = 1; r <= passes; ++r) {
        double determinant = determinants.of(h);
        if (determinant_negative(determinant))
            throw Failure("trynormal", "Ezek a momentumok nem határoznak meg eloszlást!",
                          FailureCode::computation);
        if (hankel_determinant_near_zero(determinant, h)) {
            report_warning(
                "trynormal",
                "A Hankel-determináns értéke kb. 0, az utolsó 2 momentum el lesz dobva!");
            cut = 2 * r;
        }
        h.drop(-2);
    }
    return cut;
}

} // namespace

void trynormal(Vector& moments, double position, double& lower_bound, double& upper_bound,
               const DiagnosticSink& diagnostics) {
    AttemptMemo memo;
    trynormal(moments, position, lower_bound, upper_bound, diagnostics, memo);
}

void trynormal(Vector& moments, double position, double& lower_bound, double& upper_bound,
               const DiagnosticSink& diagnostics, AttemptMemo& memo) {
    lower_bound = 0.0;
    upper_bound = 1.0;

    if (moments.length < 1)
        throw Failure("trynormal", "A becsléshez adjon meg momentumokat!", FailureCode::request);
    if (moments.length % 2 == 0) {
        report_warning("trynormal", "ULNormal futtatásához páratlan számú momentum kell!");
        moments.drop(-1);
    }
    if (moments[0] != 1.0)
        throw Failure("trynormal", "Az első momentumnak 1-nek kell lennie!", FailureCode::request);

    moments.drop(-normal_truncation(moments, memo.hankel));
    if (moments.length < 3)
        throw Failure("trynormal", "A becsléshez legalább 3 momentum kell!",
                      FailureCode::computation);

    int points_count = (moments.length - 1) / 2;
    Vector points(points_count);
    Vector weights(points_count);

    memo.transforms.apply(moments, 1.0, -position);
    Vector moved(moments);
    double p = 0.0;
    mass_normal(moments, p);
    discrete_construction(moments, points, weights, diagnostics);

    MassesAround masses = masses_around(points, weights, 0.0);
    lower_bound += masses.below;
    upper_bound = p + lower_bound + masses.at_position;

    if (outside_probability_range(lower_bound))
        throw Failure("ulnormal", "L nem esik 0 és 1 közé!", FailureCode::computation);
    if (outside_probability_range(upper_bound))
        throw Failure("ulnormal", "U nem esik 0 és 1 közé!", FailureCode::computation);
    if (!reproduces_moments(moved, {{0.0, p}}, points, weights))
        throw Failure("ulnormal", moments_not_reproduced, FailureCode::computation);
}

Estimate estimate_normal(const Vector& moments, double position, EstimationContext& context) {
    KeptBounds kept;
    AttemptMemo memo;
    run_attempts(moments, 3, Outcome::whole_line, "ulnormal",
                 "Sajnos, ezekre a momentumokra nem alkalmazható a végtelen becslés!", context,
                 kept, [position, &context, &memo](Vector& scratch, double& l, double& u) {
                     trynormal(scratch, position, l, u, context.diagnostics, memo);
                 });
    return kept.estimate();
}
