// SPDX-License-Identifier: Apache-2.0
#include "numeric/complex.h"

#include "numeric/diagnostics.h"
#include "numeric/failure.h"
#include "numeric/number_text.h"

void Complex::print(const DiagnosticSink& sink) const {
    sink.write(format_fixed(re) + "+" + format_fixed(im) + "i");
}

void fail_complex_zero_divisor() {
    throw Failure("Complex::/", "Nullával való osztás!", FailureCode::computation);
}
