// SPDX-License-Identifier: Apache-2.0
#pragma once
// Estimation on a bounded interval [lower, upper].

#include "estimation/attempt_memo.h"
#include "estimation/context.h"
#include "estimation/estimate.h"
#include "numeric/diagnostics.h"
#include "numeric/vector.h"

void mass_bounded(Vector& moments, double position, double& p, double& q, double& r);
void trybounded(Vector& moments, double position, double lower, double upper, double& lower_bound,
                double& upper_bound, const DiagnosticSink& diagnostics);
// The same two, taking what earlier attempts of the same call computed from memo.
void mass_bounded(Vector& moments, double position, double& p, double& q, double& r,
                  PowerTable& powers_of_position);
void trybounded(Vector& moments, double position, double lower, double upper, double& lower_bound,
                double& upper_bound, const DiagnosticSink& diagnostics, AttemptMemo& memo);
// outcome interval, half_line or whole_line for the kind of attempt that
// tightened a bound last, none when nothing was tightened.
Estimate estimate_bounded(const Vector& moments, double position, double lower, double upper,
                          EstimationContext& context);
