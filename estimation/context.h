// SPDX-License-Identifier: Apache-2.0
#pragma once
// What one estimation needs to know besides its numbers: where the reports of
// failed attempts go, the request those reports record, and where the
// diagnostic lines go.  Every call gets its own, so estimations running on
// several threads at once keep their logs and requests apart.

#include <optional>
#include <string>

#include "numeric/diagnostics.h"
#include "numeric/error_log.h"
#include "numeric/failure.h"

struct EstimationContext {
    // The error log; nullopt writes none.  A relative path is taken from the
    // working directory.
    std::optional<std::string> log_path = "error.log";
    // The request that the reports record in rows 4 to 8 (nullptr: an empty
    // request).  Not owned; it must outlive the calls that use it.
    const RequestSource* request = nullptr;
    // Standard output unless chosen otherwise.
    DiagnosticSink diagnostics;

    // Appends the report of failure to the log, if there is one.  When the
    // log cannot take it, the report goes to standard error, and the first
    // time a line before it says why (the log is full, cannot be opened...).
    void report(const Failure& failure) const;

    // Whether that line has been written: once for each context.  Part of the
    // call's own state like the rest, hence mutable in a context that the
    // attempts see as const.
    mutable bool log_problem_told = false;
    // That line, without its newline (empty while every report reached the
    // log), for a front end that tells its user why the log holds no reports.
    mutable std::string log_problem;
};
