// SPDX-License-Identifier: Apache-2.0
#pragma once
// Estimation contexts for the tests (header only: the suites that include it
// link the estimation library themselves).

#include "estimation/context.h"
#include "numeric/diagnostics.h"
#include "tests/support/test_support.h"

#include <cstdio>

namespace test_support {

// No log and no diagnostics.
inline EstimationContext quiet_context() {
    EstimationContext context;
    context.log_path.reset();
    context.diagnostics = DiagnosticSink(nullptr);
    return context;
}

// Reports into log's file, diagnostics into diagnostics (nullptr: nowhere),
// an empty request.
inline EstimationContext context_for(const LogFolder& log, std::FILE* diagnostics = nullptr) {
    EstimationContext context;
    context.log_path = log.log_path();
    context.diagnostics = DiagnosticSink(diagnostics);
    return context;
}

} // namespace test_support
