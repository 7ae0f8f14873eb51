#pragma once
// Complex: the small complex value type of the root finder.

class Complex {
public:
    double re;
    double im;

    Complex() : re(0.0), im(0.0) {}
    Complex(double re_, double im_) : re(re_), im(im_) {}

    bool operator==(const Complex& w) const;
    double abs() const;
    Complex sqrt() const;
    Complex operator+(const Complex& w) const;
    Complex operator-(const Complex& w) const;
    Complex operator*(const Complex& w) const;
    Complex operator/(const Complex& w) const; // a divisor of modulus 0 is reported
    void print() const;                        // "%f+%fi" to the diagnostic sink
};

Complex operator+(const Complex& c, double x);
Complex operator*(int n, const Complex& c);
Complex operator/(int n, const Complex& c);
