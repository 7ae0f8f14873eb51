// SPDX-License-Identifier: Apache-2.0
#include "numeric/complex.h"

#include "numeric/diagnostics.h"
#include "numeric/failure.h"
#include "numeric/number_text.h"

Complex Complex::sqrt() const {
    const double r = abs();
    const double s = std::sqrt(r);
    const double t = r == 0.0 ? 0.0 : re / (r + r);
    const double u = s * std::sqrt(0.5 + t);
    const double v = s * std::sqrt(0.5 - t);
    return im >= 0.0 ? Complex(u, v) : Complex(u, -v);
}

void Complex::print(const DiagnosticSink& sink) const {
    sink.write(format_fixed(re) + "+" + format_fixed(im) + "i");
}

void fail_complex_zero_divisor() {
    throw Failure("Complex::/", "Nullával való osztás!", FailureCode::computation);
}
