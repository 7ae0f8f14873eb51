// SPDX-License-Identifier: Apache-2.0
#include "estimation/context.h"

void EstimationContext::report(const Failure& failure) const {
    if (!log_path)
        return;
    const bool first = !log_problem_told;
    if (write_error_report(*log_path, request, failure, first, first ? &log_problem : nullptr) ==
        ReportDestination::standard_error)
        log_problem_told = true;
}
