// SPDX-License-Identifier: Apache-2.0
#pragma once
// Estimation on the whole line (-inf, inf).

#include "estimation/attempt_memo.h"
#include "estimation/context.h"
#include "estimation/estimate.h"
#include "numeric/diagnostics.h"
#include "numeric/vector.h"

void mass_normal(Vector& moments, double& mass);
// One attempt; works on the caller's vector in place (pass a scratch copy).
// Throws a Failure when it cannot give bounds.
void trynormal(Vector& moments, double position, double& lower_bound, double& upper_bound,
               const DiagnosticSink& diagnostics);
// The same, taking what earlier attempts of the same call computed from memo.
void trynormal(Vector& moments, double position, double& lower_bound, double& upper_bound,
               const DiagnosticSink& diagnostics, AttemptMemo& memo);
// The driver: never lets an attempt's failure out (each is reported through
// the context); outcome whole_line when a bound was tightened, none otherwise
// (bounds 0 and 1).
Estimate estimate_normal(const Vector& moments, double position, EstimationContext& context);
