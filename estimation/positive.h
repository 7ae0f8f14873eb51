// SPDX-License-Identifier: Apache-2.0
#pragma once
// Estimation on a half-line [lower, inf).

#include "estimation/attempt_memo.h"
#include "estimation/context.h"
#include "estimation/estimate.h"
#include "numeric/diagnostics.h"
#include "numeric/vector.h"

void mass_positive(Vector& moments, double& mass_at_position, double& mass_at_lower);
void trypositive(Vector& moments, double position, double lower, double& lower_bound,
                 double& upper_bound, const DiagnosticSink& diagnostics);
// The same, taking what earlier attempts of the same call computed from memo.
void trypositive(Vector& moments, double position, double lower, double& lower_bound,
                 double& upper_bound, const DiagnosticSink& diagnostics, AttemptMemo& memo);
// outcome half_line when a half-line attempt tightened a bound last, whole_line
// a whole-line one, none when nothing was tightened.  Between the two kinds the
// driver writes its "/// poz ///" line to the context's diagnostics.
Estimate estimate_positive(const Vector& moments, double position, double lower,
                           EstimationContext& context);
