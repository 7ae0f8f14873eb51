// SPDX-License-Identifier: Apache-2.0
// Complex arithmetic and the Laguerre root finder, with the diagnostic line
// that a root off the real axis produces.

#include "numeric/complex.h"
#include "numeric/roots.h"

#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

using test_support::CapturedStream;
using test_support::LogFolder;
using test_support::logged_failure;

namespace {

Vector make_vector(const std::vector<double>& values) {
    return Vector(values.data(), static_cast<int>(values.size()));
}

struct PrintCase {
    Complex z;
    const char* text;
};

void PrintTo(const PrintCase& c, std::ostream* os) {
    *os << c.text;
}

class ComplexPrint : public testing::TestWithParam<PrintCase> {};

TEST_P(ComplexPrint, WritesRealPlusImaginaryToTheSink) {
    CapturedStream capture;
    GetParam().z.print(DiagnosticSink(capture.stream()));
    EXPECT_EQ(capture.text(), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Values, ComplexPrint,
    testing::Values(PrintCase{Complex(1, -2), "1.000000+-2.000000i"},
                    PrintCase{Complex(0, 0), "0.000000+0.000000i"},
                    PrintCase{Complex(-0.0000004, 2.5e-7), "-0.000000+0.000000i"},
                    PrintCase{Complex(1234.5678915, 0.1), "1234.567892+0.100000i"}));

struct SqrtCase {
    const char* name;
    Complex z;
    Complex root;
};

void PrintTo(const SqrtCase& c, std::ostream* os) {
    *os << c.name;
}

class ComplexSqrt : public testing::TestWithParam<SqrtCase> {};

TEST_P(ComplexSqrt, PrincipalRoot) {
    const Complex r = GetParam().z.sqrt();
    EXPECT_NEAR(r.re, GetParam().root.re, 1e-15);
    EXPECT_NEAR(r.im, GetParam().root.im, 1e-15);
    EXPECT_FALSE(std::signbit(r.re));
}

INSTANTIATE_TEST_SUITE_P(
    BranchCut, ComplexSqrt,
    testing::Values(SqrtCase{"UpperHalf", Complex(3, 4), Complex(2, 1)},
                    SqrtCase{"LowerHalf", Complex(3, -4), Complex(2, -1)},
                    SqrtCase{"NegativeReal", Complex(-4, 0), Complex(0, 2)},
                    SqrtCase{"NegativeRealMinusZero", Complex(-4, -0.0), Complex(0, 2)},
                    SqrtCase{"Zero", Complex(0, 0), Complex(0, 0)},
                    SqrtCase{"PositiveReal", Complex(9, 0), Complex(3, 0)},
                    SqrtCase{"JustBelowTheCut", Complex(-4, -1e-300), Complex(0, -2)},
                    SqrtCase{"Imaginary", Complex(0, 2), Complex(1, 1)}),
    [](const testing::TestParamInfo<SqrtCase>& info) { return info.param.name; });

TEST(ComplexArithmetic, Operations) {
    const Complex q = Complex(1, 2) / Complex(3, 4);
    EXPECT_NEAR(q.re, 0.44, 1e-15);
    EXPECT_NEAR(q.im, 0.08, 1e-15);
    EXPECT_TRUE(2 / Complex(0, 1) == Complex(0, -2));
    EXPECT_TRUE(Complex(1, 2) + 3.0 == Complex(4, 2));
    EXPECT_TRUE(2 * Complex(1, 1) == Complex(2, 2));
    EXPECT_TRUE(Complex(1, 2) * Complex(3, 4) == Complex(-5, 10));
    EXPECT_TRUE(Complex(1, 2) - Complex(3, 5) == Complex(-2, -3));
    EXPECT_EQ(Complex(3, 4).abs(), 5.0);
    EXPECT_FALSE(Complex(0.1 + 0.2, 0) == Complex(0.3, 0));
    EXPECT_FALSE(Complex(1, 2) == Complex(1, 3));
}

struct DivisorCase {
    const char* name;
    std::function<void()> action;
};

void PrintTo(const DivisorCase& c, std::ostream* os) {
    *os << c.name;
}

class ComplexZeroDivisor : public testing::TestWithParam<DivisorCase> {};

TEST_P(ComplexZeroDivisor, IsReported) {
    LogFolder folder;
    EXPECT_EQ(folder.thrown_code(GetParam().action), 1);
    EXPECT_NE(folder.log().find(logged_failure("Complex::/", "Nullával való osztás!")),
              std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Divisions, ComplexZeroDivisor,
    testing::Values(
        DivisorCase{"Member", [] { (void)(Complex(1, 1) / Complex(0, 0)); }},
        DivisorCase{"IntegerOnTheLeft", [] { (void)(3 / Complex(0, 0)); }},
        DivisorCase{"NegativeZeros", [] { (void)(Complex(1, 0) / Complex(-0.0, -0.0)); }},
        // The test is on the modulus, which underflows to 0 here.
        DivisorCase{"ModulusUnderflows", [] { (void)(Complex(1, 0) / Complex(1e-200, 1e-200)); }}),
    [](const testing::TestParamInfo<DivisorCase>& info) { return info.param.name; });

struct RootsCase {
    const char* name;
    std::vector<double> polynomial;
    std::vector<double> expected;
    double tolerance;
};

void PrintTo(const RootsCase& c, std::ostream* os) {
    *os << c.name;
}

class Roots : public testing::TestWithParam<RootsCase> {};

TEST_P(Roots, FindsTheRootsInTheirOrderWithoutDiagnostics) {
    CapturedStream capture;
    const Vector polynomial = make_vector(GetParam().polynomial);
    Vector results(polynomial.length - 1);
    roots(polynomial, results, DiagnosticSink(capture.stream()));
    for (int i = 0; i < results.length; ++i)
        EXPECT_NEAR(results[i], GetParam().expected[i], GetParam().tolerance) << "root " << i;
    EXPECT_EQ(capture.text(), "");
}

INSTANTIATE_TEST_SUITE_P(Polynomials, Roots,
                         testing::Values(RootsCase{"Quadratic", {2, -3, 1}, {2, 1}, 1e-15},
                                         RootsCase{"Cubic", {-6, 11, -6, 1}, {3, 2, 1}, 1e-14},
                                         RootsCase{"DoubleRoot", {1, -2, 1}, {1, 1}, 1e-7},
                                         RootsCase{"NoRealRoots", {1, 0, 1}, {0, 0}, 0.0},
                                         RootsCase{"Linear", {0.5, -1}, {0.5}, 0.0}),
                         [](const testing::TestParamInfo<RootsCase>& info) {
                             return info.param.name;
                         });

TEST(Roots, QuarticWithDistinctRealRootsGivesAllOfThem) {
    const Vector polynomial = make_vector({-3.75, 7.625, 1.625, -4.25, 1}); // 0.5, -1.25, 2, 3
    Vector results(4);
    roots(polynomial, results, DiagnosticSink());
    std::vector<double> found(results.data, results.data + 4);
    std::sort(found.begin(), found.end());
    const std::vector<double> expected = {-1.25, 0.5, 2, 3};
    for (int i = 0; i < 4; ++i)
        EXPECT_NEAR(found[i], expected[i], 1e-13);
}

TEST(Roots, NotRealRootWritesOneDiagnosticLineAndCarriesOn) {
    CapturedStream capture;
    const Vector polynomial = make_vector({-2, 1, -2, 1}); // (x - 2)(x^2 + 1)
    Vector results(3);
    roots(polynomial, results, DiagnosticSink(capture.stream()));
    EXPECT_NEAR(results[0], 1.0, 1e-6);
    EXPECT_NEAR(results[1], 1.0, 1e-6);
    EXPECT_NEAR(results[2], 0.0, 1e-6);
    const std::string prefix = "\roots: Ez biztos nem val\xC3\xB3s gy\xC3\xB6k: ";
    const std::string text = capture.text();
    EXPECT_TRUE(text == prefix + "0.000000+1.000000i" || text == prefix + "-0.000000+1.000000i")
        << text;
}

struct RootFailure {
    const char* name;
    std::vector<double> polynomial;
    int result_length;
    const char* routine;
    const char* message;
};

void PrintTo(const RootFailure& c, std::ostream* os) {
    *os << c.name;
}

class RootFailures : public testing::TestWithParam<RootFailure> {};

TEST_P(RootFailures, AreReportedWithCodeOne) {
    LogFolder folder;
    const Vector polynomial = make_vector(GetParam().polynomial);
    Vector results(GetParam().result_length);
    EXPECT_EQ(folder.thrown_code([&] { roots(polynomial, results, DiagnosticSink()); }), 1);
    EXPECT_NE(folder.log().find(logged_failure(GetParam().routine, GetParam().message)),
              std::string::npos)
        << folder.log();
}

const double nan = std::numeric_limits<double>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(
    Polynomials, RootFailures,
    testing::Values(
        RootFailure{"BothDerivativesVanish", {-1, 0, 0, 1}, 3, "oneroot", "A nevező 0!"},
        RootFailure{"ZeroLeadingCoefficient", {-1, 1, 0}, 2, "oneroot", "A nevező 0!"},
        RootFailure{"WrongResultLengthFirst", {-1, 0, 0, 1}, 2, "roots", "Hibás vektormegadás!"},
        RootFailure{"ResultsTooLong", {2, -3, 1}, 3, "roots", "Hibás vektormegadás!"},
        RootFailure{"NoConvergence", {1, nan, 1}, 2, "oneroot", "Túl sok iteráció!"}),
    [](const testing::TestParamInfo<RootFailure>& info) { return info.param.name; });

TEST(OneRoot, LinearPolynomialTakesOneNewtonStep) {
    const Complex z = oneroot(make_vector({0.5, -1}), Complex(0, 0));
    EXPECT_EQ(z.re, 0.5);
    EXPECT_EQ(z.im, 0.0);
}

TEST(OneRoot, StartAtARootIsReturnedAsItIs) {
    const Complex z = oneroot(make_vector({-2, 1}), Complex(2, 0));
    EXPECT_TRUE(z == Complex(2, 0));
}

TEST(OneRoot, ReachesAComplexRoot) {
    const Complex z = oneroot(make_vector({1, 0, 1}), Complex(0, 0));
    EXPECT_NEAR(z.re, 0.0, 1e-12);
    EXPECT_NEAR(std::fabs(z.im), 1.0, 1e-12);
}

} // namespace
