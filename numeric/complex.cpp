#include "numeric/complex.h"

#include "numeric/diagnostics.h"
#include "numeric/error_log.h"
#include "numeric/number_text.h"

Complex Complex::sqrt() const {
    const double r = abs();
    const double s = std::sqrt(r);
    const double t = r == 0.0 ? 0.0 : re / (r + r);
    const double u = s * std::sqrt(0.5 + t);
    const double v = s * std::sqrt(0.5 - t);
    return im >= 0.0 ? Complex(u, v) : Complex(u, -v);
}

void Complex::print() const {
    write_diagnostic(format_fixed(re) + "+" + format_fixed(im) + "i");
}

void report_complex_zero_divisor() {
    report_error("Complex::/", "Nullával való osztás!", 1);
}
