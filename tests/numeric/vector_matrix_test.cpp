// SPDX-License-Identifier: Apache-2.0
// Vector (construction, copies, drop, Hankel determinants) and Matrix (the LU
// determinant), with every failing precondition's report.

#include "numeric/matrix.h"
#include "numeric/vector.h"

#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

using test_support::LogFolder;
using test_support::logged_failure;

namespace {

Vector make_vector(const std::vector<double>& values) {
    return Vector(values.data(), static_cast<int>(values.size()));
}

std::vector<double> elements(const Vector& v) {
    return std::vector<double>(v.data, v.data + v.length);
}

Matrix make_matrix(const std::vector<std::vector<double>>& rows) {
    Matrix m(static_cast<int>(rows.size()));
    for (std::size_t i = 0; i < rows.size(); ++i)
        for (std::size_t j = 0; j < rows.size(); ++j)
            m[static_cast<int>(i)][static_cast<int>(j)] = rows[i][j];
    return m;
}

TEST(VectorBasics, CountConstructorGivesZeros) {
    const Vector v(3);
    EXPECT_EQ(elements(v), (std::vector<double>{0.0, 0.0, 0.0}));
}

TEST(VectorBasics, CopiesAreIndependent) {
    Vector source = make_vector({1, 2, 3});
    Vector copy(source);
    copy[0] = 9;
    EXPECT_EQ(source[0], 1);
    Vector assigned(1);
    assigned = source;
    source[1] = 8;
    EXPECT_EQ(elements(assigned), (std::vector<double>{1, 2, 3}));
    { const Vector temporary(assigned); }
    EXPECT_EQ(elements(assigned), (std::vector<double>{1, 2, 3}));
}

TEST(VectorBasics, SelfAssignmentKeepsTheElements) {
    Vector v = make_vector({4, 5});
    Vector& same = v;
    v = same;
    EXPECT_EQ(elements(v), (std::vector<double>{4, 5}));
}

TEST(VectorBasics, AnEmptiedVectorCanBeCopiedAndAssigned) {
    Vector v = make_vector({1, 2});
    v.drop(2);
    const Vector copy(v);
    EXPECT_EQ(copy.length, 0);
    Vector target = make_vector({7});
    target = v;
    EXPECT_EQ(target.length, 0);
}

TEST(VectorBasics, MovingHandsTheElementsOver) {
    Vector source = make_vector({1, 2});
    Vector moved(std::move(source));
    EXPECT_EQ(elements(moved), (std::vector<double>{1, 2}));
    Vector target(1);
    target = std::move(moved);
    EXPECT_EQ(elements(target), (std::vector<double>{1, 2}));
}

// Copies and moves on either side of the inline storage's size (short
// vectors keep their elements in the object, long ones on the heap): every
// way a vector gets its elements gives the same elements, independent of the
// source, and a moved-from vector is empty and usable.
class VectorStorage : public testing::TestWithParam<std::pair<int, int>> {};

TEST_P(VectorStorage, CopiesAndMovesKeepTheElements) {
    const auto [length, target_length] = GetParam();
    std::vector<double> values;
    for (int i = 0; i < length; ++i)
        values.push_back(0.5 + i);
    const Vector source = make_vector(values);

    Vector copied(source);
    Vector assigned(target_length);
    assigned = source;
    Vector moving(source);
    Vector moved(std::move(moving));
    Vector move_assigning(source);
    Vector move_assigned(target_length);
    move_assigned = std::move(move_assigning);
    for (Vector* v : {&copied, &assigned, &moved, &move_assigned}) {
        EXPECT_EQ(elements(*v), values);
        (*v)[0] = -1.0;
    }
    EXPECT_EQ(elements(source), values);
    for (Vector* emptied : {&moving, &move_assigning}) {
        EXPECT_EQ(emptied->length, 0);
        *emptied = source;
        EXPECT_EQ(elements(*emptied), values);
    }
    // Dropping from the front keeps the rest in place.
    copied.drop(1);
    EXPECT_EQ(elements(copied), std::vector<double>(values.begin() + 1, values.end()));
}

INSTANTIATE_TEST_SUITE_P(Lengths, VectorStorage,
                         testing::Values(std::pair{1, 40}, std::pair{Vector::inline_capacity, 1},
                                         std::pair{Vector::inline_capacity + 1, 2},
                                         std::pair{40, 17}, std::pair{40, 3}, std::pair{3, 3}));

struct DropCase {
    int k;
    std::vector<double> left;
};

void PrintTo(const DropCase& c, std::ostream* os) {
    *os << "drop(" << c.k << ")";
}

class VectorDrop : public testing::TestWithParam<DropCase> {};

TEST_P(VectorDrop, RemovesFromTheFrontOrTheBack) {
    Vector v = make_vector({1, 2, 3, 4, 5});
    v.drop(GetParam().k);
    EXPECT_EQ(elements(v), GetParam().left);
}

INSTANTIATE_TEST_SUITE_P(Counts, VectorDrop,
                         testing::Values(DropCase{2, {3, 4, 5}}, DropCase{-2, {1, 2, 3}},
                                         DropCase{0, {1, 2, 3, 4, 5}}, DropCase{1, {2, 3, 4, 5}},
                                         DropCase{-1, {1, 2, 3, 4}}, DropCase{5, {}},
                                         DropCase{-5, {}}));

TEST(VectorDrop, RepeatedDropsInBothDirections) {
    Vector v = make_vector({1, 2, 3, 4, 5, 6, 7});
    v.drop(-2);
    v.drop(2);
    EXPECT_EQ(elements(v), (std::vector<double>{3, 4, 5}));
    const Vector copy(v);
    EXPECT_EQ(elements(copy), (std::vector<double>{3, 4, 5}));
}

class VectorDropTooMany : public testing::TestWithParam<int> {};

TEST_P(VectorDropTooMany, IsReportedAndLeavesTheVectorIntact) {
    LogFolder folder;
    Vector v = make_vector({1, 2, 3, 4, 5});
    EXPECT_EQ(folder.thrown_code([&] { v.drop(GetParam()); }), 1);
    EXPECT_EQ(elements(v), (std::vector<double>{1, 2, 3, 4, 5}));
    EXPECT_NE(folder.log().find(logged_failure("Vector::drop", "Túl sokat elemet akar eldobni!")),
              std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Counts, VectorDropTooMany,
                         testing::Values(6, -6, 1000, -2147483647 - 1, 2147483647));

struct HankelCase {
    const char* name;
    std::vector<double> values;
    double determinant;
};

void PrintTo(const HankelCase& c, std::ostream* os) {
    *os << c.name;
}

class VectorHankel : public testing::TestWithParam<HankelCase> {};

TEST_P(VectorHankel, DeterminantOfTheHankelMatrix) {
    LogFolder folder;
    const Vector v = make_vector(GetParam().values);
    EXPECT_NEAR(v.luhankeldet(), GetParam().determinant, 1e-12);
    EXPECT_EQ(elements(v), GetParam().values);
    EXPECT_EQ(folder.log(), ""); // an even length is only a warning
}

INSTANTIATE_TEST_SUITE_P(
    Lengths, VectorHankel,
    testing::Values(HankelCase{"Identity", {1, 0, 1}, 1.0},
                    HankelCase{"FiveElements", {1, 0, 1, 0, 3}, 2.0},
                    HankelCase{"EvenLengthIgnoresTheLast", {1, 0, 1, 0}, 1.0},
                    HankelCase{"EvenLengthLastDoesNotMatter", {1, 0, 1, 99}, 1.0},
                    HankelCase{"Single", {-2.5}, -2.5}, HankelCase{"Two", {3, 7}, 3.0},
                    // Moments of X uniform on {0, 1, 2}, expanded by the first row.
                    HankelCase{"ThreePoints",
                               {1, 1, 5.0 / 3, 3, 17.0 / 3},
                               1.0 * (5.0 / 3 * 17.0 / 3 - 9) - 1 * (17.0 / 3 - 3 * 5.0 / 3) +
                                   5.0 / 3 * (3 - 25.0 / 9)},
                    HankelCase{"SingularTwoPoint", {1, 0.5, 0.5, 0.5, 0.5}, 0.0}),
    [](const testing::TestParamInfo<HankelCase>& info) { return info.param.name; });

struct LuCase {
    const char* name;
    std::vector<std::vector<double>> rows;
    double determinant;
};

void PrintTo(const LuCase& c, std::ostream* os) {
    *os << c.name;
}

class MatrixLu : public testing::TestWithParam<LuCase> {};

TEST_P(MatrixLu, Determinant) {
    const Matrix m = make_matrix(GetParam().rows);
    EXPECT_NEAR(m.ludet(), GetParam().determinant, 1e-12);
}

TEST_P(MatrixLu, LeavesTheMatrixUnchanged) {
    const Matrix m = make_matrix(GetParam().rows);
    (void)m.ludet();
    for (int i = 0; i < m.dimension; ++i)
        for (int j = 0; j < m.dimension; ++j)
            EXPECT_EQ(m[i][j], GetParam().rows[i][j]);
}

// The decomposition on the matrix's own cells gives the same bits, and a
// matrix written anew afterwards (its rows may have been exchanged) gives them again.
TEST_P(MatrixLu, InPlaceSameBitsAndUsableAfterRewriting) {
    const Matrix m = make_matrix(GetParam().rows);
    const double expected = m.ludet();
    Matrix work = make_matrix(GetParam().rows);
    EXPECT_EQ(std::bit_cast<std::uint64_t>(work.ludet_in_place()),
              std::bit_cast<std::uint64_t>(expected));
    for (int i = 0; i < work.dimension; ++i)
        for (int j = 0; j < work.dimension; ++j)
            work[i][j] = GetParam().rows[i][j];
    EXPECT_EQ(std::bit_cast<std::uint64_t>(work.ludet_in_place()),
              std::bit_cast<std::uint64_t>(expected));
}

INSTANTIATE_TEST_SUITE_P(
    Examples, MatrixLu,
    testing::Values(
        LuCase{"OneByOne", {{-3.5}}, -3.5}, LuCase{"OneByOneZero", {{0}}, 0.0},
        LuCase{"Exchange", {{0, 1}, {1, 0}}, -1.0},
        LuCase{"ExchangeAndMultiplier", {{2, 1}, {4, 3}}, 2.0},
        LuCase{"SingularTwo", {{1, 2}, {2, 4}}, 0.0},
        LuCase{"ZeroPivotStops", {{1, 1, 0}, {1, 1, 0}, {0, 0, 1}}, 0.0},
        LuCase{"PivotChosenAfterReduction", {{1, 1, 0}, {1, 1, 1}, {0, 1, 0}}, -1.0},
        LuCase{"Symmetric", {{4, 1, 2}, {1, 5, 3}, {2, 3, 6}}, 70.0},
        LuCase{"ZeroFirstColumn", {{0, 1, 2}, {0, 3, 4}, {0, 5, 6}}, 0.0},
        LuCase{"ThreeExchanges", {{0, 0, 0, 1}, {0, 0, 1, 0}, {0, 1, 0, 0}, {1, 0, 0, 0}}, 1.0},
        LuCase{"CycleOfThree", {{0, 1, 0}, {0, 0, 1}, {1, 0, 0}}, 1.0},
        // Orders past the unrolled ones, rows exchanged on the way.
        LuCase{"SixReversed",
               {{0, 0, 0, 0, 0, 2},
                {0, 0, 0, 0, 2, 0},
                {0, 0, 0, 2, 0, 0},
                {0, 0, 2, 0, 0, 0},
                {0, 2, 0, 0, 0, 0},
                {2, 0, 0, 0, 0, 0}},
               -64.0},
        LuCase{
            "FiveExchangeAfterReduction",
            {{1, 1, 0, 0, 0}, {1, 1, 1, 0, 0}, {0, 1, 0, 0, 0}, {0, 0, 0, 3, 1}, {0, 0, 0, 1, 3}},
            -8.0}),
    [](const testing::TestParamInfo<LuCase>& info) { return info.param.name; });

TEST(MatrixLu, ExactResultsWhereTheArithmeticIsExact) {
    EXPECT_EQ(make_matrix({{0, 1}, {1, 0}}).ludet(), -1.0);
    EXPECT_EQ(make_matrix({{2, 1}, {4, 3}}).ludet(), 2.0);
    EXPECT_EQ(make_matrix({{1, 1, 0}, {1, 1, 1}, {0, 1, 0}}).ludet(), -1.0);
    const double stopped = make_matrix({{1, 1, 0}, {1, 1, 0}, {0, 0, 1}}).ludet();
    EXPECT_EQ(stopped, 0.0);
    EXPECT_FALSE(std::signbit(stopped));
}

TEST(MatrixLu, LargeMatrixWithReversedRows) {
    // Reversing 20 rows is 10 exchanges: the determinant keeps its sign.
    const int n = 20;
    Matrix m(n);
    for (int i = 0; i < n; ++i)
        m[n - 1 - i][i] = 2.0;
    EXPECT_EQ(m.ludet(), std::pow(2.0, n));
    Matrix odd(17); // 8 exchanges and a fixed middle row
    for (int i = 0; i < 17; ++i)
        odd[16 - i][i] = i + 1.0;
    EXPECT_NEAR(odd.ludet(), std::tgamma(18.0), std::tgamma(18.0) * 1e-15);
}

TEST(MatrixLu, DamagedDimensionIsReported) {
    LogFolder folder;
    Matrix m(1);
    m.dimension = 0;
    EXPECT_EQ(folder.thrown_code([&] { (void)m.ludet(); }), 1);
    m.dimension = 1;
    EXPECT_NE(folder.log().find(logged_failure("Matrix::ludet", "Túl kicsi Hankel-mátrix!")),
              std::string::npos);
}

TEST(MatrixBasics, CountConstructorAndCopy) {
    Matrix m(2);
    EXPECT_EQ(m.dimension, 2);
    EXPECT_EQ(m[1][1], 0.0);
    m[0][1] = 5.0;
    const Matrix copy(m);
    m[0][1] = 6.0;
    EXPECT_EQ(copy[0][1], 5.0);
}

// Matrices on either side of the inline storage's size: a copy has the same
// cells and the same determinant, and is independent of the original.
TEST(MatrixBasics, CopiesOfSmallAndLargeMatrices) {
    for (int n : {1, 8, 9, 20}) {
        Matrix m(n);
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j)
                m[i][j] = 1.0 / (i + j + 1.0) + (i == j ? 1.0 : 0.0);
        const Matrix copy(m);
        const double determinant = m.ludet();
        EXPECT_EQ(copy.ludet(), determinant) << n;
        EXPECT_GT(determinant, 1.0) << n;
        const double corner = m[n - 1][0];
        m[n - 1][0] = 7.0;
        EXPECT_EQ(copy[n - 1][0], corner) << n;
    }
}

// Failing preconditions: the routine and message in the log and the int thrown.
struct Precondition {
    const char* name;
    std::function<void()> action;
    const char* routine;
    const char* message;
};

void PrintTo(const Precondition& c, std::ostream* os) {
    *os << c.name;
}

class VectorMatrixPreconditions : public testing::TestWithParam<Precondition> {};

TEST_P(VectorMatrixPreconditions, ReportedWithCodeOne) {
    LogFolder folder;
    EXPECT_EQ(folder.thrown_code(GetParam().action), 1);
    EXPECT_NE(folder.log().find(logged_failure(GetParam().routine, GetParam().message)),
              std::string::npos)
        << folder.log();
}

const double three[] = {1, 2, 3};

INSTANTIATE_TEST_SUITE_P(
    Failures, VectorMatrixPreconditions,
    testing::Values(Precondition{"VectorZero", [] { Vector v(0); }, "Vector::Vector(int)",
                                 "Túl kicsi vektor!"},
                    Precondition{"VectorNegative", [] { Vector v(-4); }, "Vector::Vector(int)",
                                 "Túl kicsi vektor!"},
                    Precondition{"VectorFromArrayZero", [] { Vector v(three, 0); },
                                 "Vector::Vector(double*,int)", "Túl kicsi vektor!"},
                    Precondition{"HankelOfEmpty",
                                 [] {
                                     Vector v(three, 3);
                                     v.drop(3);
                                     (void)v.luhankeldet();
                                 },
                                 "Vector::luhankeldet", "Túl kicsi Hankel-mátrix!"},
                    Precondition{"MatrixZero", [] { Matrix m(0); }, "Matrix::Matrix(int)",
                                 "Túl kicsi dimenzió!"},
                    Precondition{"MatrixNegative", [] { Matrix m(-1); }, "Matrix::Matrix(int)",
                                 "Túl kicsi dimenzió!"}),
    [](const testing::TestParamInfo<Precondition>& info) { return info.param.name; });

} // namespace
