// SPDX-License-Identifier: Apache-2.0
#include "estimation/context.h"

void EstimationContext::report(const Failure& failure) const {
    if (!log_path)
        return;
    if (write_error_report(*log_path, request, failure, !log_problem_told) ==
        ReportDestination::standard_error)
        log_problem_told = true;
}
