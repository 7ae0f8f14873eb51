// SPDX-License-Identifier: Apache-2.0
#include "numeric/matrix.h"

#include "numeric/failure.h"
#include "numeric/lu_scratch.h"

#include <cmath>
#include <utility>

namespace {

// Element (i, j) minus the sum over k < count of A[i][k] * A[k][j], the sum
// taken in increasing k: the value that the elimination leaves in (i, j).
inline double reduced(double* const* a, int i, int j, int count) {
    double sum = 0.0;
#pragma GCC unroll 8
    for (int k = 0; k < count; ++k)
        sum = sum + a[i][k] * a[k][j];
    return a[i][j] - sum;
}

} // namespace

namespace {

// A matrix's dimension, checked before its cells are made.
int checked_dimension(int n) {
    if (n < 1)
        throw Failure("Matrix::Matrix(int)", "Túl kicsi dimenzió!", FailureCode::computation);
    return n;
}

} // namespace

Matrix::Matrix(int n) : dimension(checked_dimension(n)), cells(n) {
    // The rows of a new table lie one after another.
    double* first = cells.rows[0];
    const long count = static_cast<long>(n) * n;
    for (long c = 0; c < count; ++c)
        first[c] = 0.0;
}

Matrix::Matrix(const Matrix& other) : dimension(other.dimension), cells(other.dimension) {
    for (int i = 0; i < dimension; ++i)
        for (int j = 0; j < dimension; ++j)
            cells.rows[i][j] = other.cells.rows[i][j];
}

namespace {

// Crout-style LU decomposition column by column.  For each column the values
// below the finished rows are first reduced, then the largest of them in
// magnitude (the first of equal maxima) becomes the pivot, its row is swapped
// into place, and the entries under it are divided by it.  Choosing the pivot
// among the reduced values matters: the unreduced ones can pick a row whose
// pivot reduces to 0.0 and turn a regular matrix into determinant 0.
// There is no tolerance: only an exact 0.0 pivot with rows left under it stops
// the computation (the determinant is then 0.0).
//
// Fixed > 0 is the dimension known at compile time (the small orders, whose
// loops the compiler then unrolls); 0 takes it from dimension.  The operations
// and their order are the same either way.
template <int Fixed> double lu_determinant(double** a, int dimension) {
    const int n = Fixed > 0 ? Fixed : dimension;
    double sign = 1.0;
#pragma GCC unroll 8
    for (int j = 0; j < n; ++j) {
#pragma GCC unroll 8
        for (int i = 1; i < j; ++i)
            a[i][j] = reduced(a, i, j, i);
        if (j > 0)
#pragma GCC unroll 8
            for (int i = j; i < n; ++i)
                a[i][j] = reduced(a, i, j, j);
        int pivot = j;
        double largest = std::fabs(a[j][j]);
#pragma GCC unroll 8
        for (int i = j + 1; i < n; ++i) {
            // Selections rather than branches: which row wins depends on the data.
            const double magnitude = std::fabs(a[i][j]);
            const bool larger = magnitude > largest;
            largest = larger ? magnitude : largest;
            pivot = larger ? i : pivot;
        }
        // Swapping a row with itself changes nothing.
        std::swap(a[pivot], a[j]);
        sign = pivot != j ? -sign : sign;
        const bool rows_below = j < n - 1;
        if (a[j][j] == 0.0 && (rows_below || j == 0))
            return 0.0;
#pragma GCC unroll 8
        for (int i = j + 1; i < n; ++i)
            a[i][j] = a[i][j] / a[j][j];
    }
    double product = sign;
#pragma GCC unroll 8
    for (int i = 0; i < n; ++i)
        product = product * a[i][i];
    return product;
}

// The determinant of the K x K working copy that fill(rows, K) writes, kept
// on the stack in exactly its size.
template <int K, class Fill> double small_determinant(Fill fill) {
    double cells[K * K];
    double* rows[K];
    for (int i = 0; i < K; ++i)
        rows[i] = cells + i * K;
    fill(rows, K);
    return lu_determinant<K>(rows, K);
}

// The determinant of the n x n working copy that fill(rows, n) writes: the
// small orders with their loops unrolled, the others in a LuScratch.
template <class Fill> double filled_determinant(int n, Fill fill) {
    switch (n) {
    case 1:
        return small_determinant<1>(fill);
    case 2:
        return small_determinant<2>(fill);
    case 3:
        return small_determinant<3>(fill);
    case 4:
        return small_determinant<4>(fill);
    case 5:
        return small_determinant<5>(fill);
    default: {
        LuScratch scratch(n);
        fill(scratch.rows(), n);
        return scratch.determinant();
    }
    }
}

} // namespace

double LuScratch::determinant() {
    return lu_determinant<0>(cells.rows, dimension);
}

double Matrix::ludet() const {
    if (dimension < 1)
        throw Failure("Matrix::ludet", "Túl kicsi Hankel-mátrix!", FailureCode::computation);
    return filled_determinant(dimension, [this](double** a, int n) {
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j)
                a[i][j] = cells.rows[i][j];
    });
}

double Matrix::ludet_in_place() {
    double** a = cells.rows;
    switch (dimension) {
    case 1:
        return lu_determinant<1>(a, 1);
    case 2:
        return lu_determinant<2>(a, 2);
    case 3:
        return lu_determinant<3>(a, 3);
    case 4:
        return lu_determinant<4>(a, 4);
    case 5:
        return lu_determinant<5>(a, 5);
    default:
        if (dimension < 1)
            throw Failure("Matrix::ludet", "Túl kicsi Hankel-mátrix!", FailureCode::computation);
        return lu_determinant<0>(a, dimension);
    }
}

double hankel_determinant(const double* sequence, int k) {
    return filled_determinant(k, [sequence](double** a, int n) {
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j)
                a[i][j] = sequence[i + j];
    });
}
