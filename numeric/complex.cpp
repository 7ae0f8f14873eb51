#include "numeric/complex.h"

#include "numeric/diagnostics.h"
#include "numeric/error_log.h"
#include "numeric/number_text.h"

#include <cmath>

bool Complex::operator==(const Complex& w) const {
    return re == w.re && im == w.im;
}

double Complex::abs() const {
    return std::sqrt(re * re + im * im);
}

Complex Complex::sqrt() const {
    const double r = abs();
    const double s = std::sqrt(r);
    const double t = r == 0.0 ? 0.0 : re / (r + r);
    const double u = s * std::sqrt(0.5 + t);
    const double v = s * std::sqrt(0.5 - t);
    return im >= 0.0 ? Complex(u, v) : Complex(u, -v);
}

Complex Complex::operator+(const Complex& w) const {
    return Complex(re + w.re, im + w.im);
}

Complex Complex::operator-(const Complex& w) const {
    return Complex(re - w.re, im - w.im);
}

Complex Complex::operator*(const Complex& w) const {
    return Complex(re * w.re - im * w.im, im * w.re + re * w.im);
}

Complex Complex::operator/(const Complex& w) const {
    if (w.abs() == 0.0)
        report_error("Complex::/", "Nullával való osztás!", 1);
    const double q = w.im * w.im + w.re * w.re;
    return Complex((re * w.re + im * w.im) / q, (im * w.re - re * w.im) / q);
}

void Complex::print() const {
    write_diagnostic(format_fixed(re) + "+" + format_fixed(im) + "i");
}

Complex operator+(const Complex& c, double x) {
    return Complex(x, 0.0) + c;
}

Complex operator*(int n, const Complex& c) {
    return Complex(n, 0.0) * c;
}

Complex operator/(int n, const Complex& c) {
    return Complex(n, 0.0) / c;
}
