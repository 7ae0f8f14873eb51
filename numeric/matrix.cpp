// SPDX-License-Identifier: Apache-2.0
#include "numeric/matrix.h"

#include "numeric/failure.h"
#include "numeric/lu_scratch.h"

#include <cmath>
#include <utility>

namespace {

// Element (i, j) minus the sum over k < count of A[i][k] * A[k][j], the sum
// taken in increasing k: the value that the elimination leaves in (i, j).
double reduced(double* const* a, int i, int j, int count) {
    double sum = 0.0;
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
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            cells.rows[i][j] = 0.0;
}

Matrix::Matrix(const Matrix& other) : dimension(other.dimension), cells(other.dimension) {
    for (int i = 0; i < dimension; ++i)
        for (int j = 0; j < dimension; ++j)
            cells.rows[i][j] = other.cells.rows[i][j];
}

double Matrix::ludet() const {
    if (dimension < 1)
        throw Failure("Matrix::ludet", "Túl kicsi Hankel-mátrix!", FailureCode::computation);
    LuScratch a(dimension);
    for (int i = 0; i < dimension; ++i)
        for (int j = 0; j < dimension; ++j)
            a[i][j] = cells.rows[i][j];
    return a.determinant();
}

// Crout-style LU decomposition column by column.  For each column the values
// below the finished rows are first reduced, then the largest of them in
// magnitude (the first of equal maxima) becomes the pivot, its row is swapped
// into place, and the entries under it are divided by it.  Choosing the pivot
// among the reduced values matters: the unreduced ones can pick a row whose
// pivot reduces to 0.0 and turn a regular matrix into determinant 0.
// There is no tolerance: only an exact 0.0 pivot with rows left under it stops
// the computation (the determinant is then 0.0).
double LuScratch::determinant() {
    const int n = dimension;
    double** a = cells.rows;
    double sign = 1.0;
    for (int j = 0; j < n; ++j) {
        for (int i = 1; i < j; ++i)
            a[i][j] = reduced(a, i, j, i);
        if (j > 0)
            for (int i = j; i < n; ++i)
                a[i][j] = reduced(a, i, j, j);
        int pivot = j;
        double largest = std::fabs(a[j][j]);
        for (int i = j + 1; i < n; ++i) {
            const double magnitude = std::fabs(a[i][j]);
            if (magnitude > largest) {
                largest = magnitude;
                pivot = i;
            }
        }
        if (pivot != j) {
            std::swap(a[pivot], a[j]);
            sign = -sign;
        }
        const bool rows_below = j < n - 1;
        if (a[j][j] == 0.0 && (rows_below || j == 0))
            return 0.0;
        for (int i = j + 1; i < n; ++i)
            a[i][j] = a[i][j] / a[j][j];
    }
    double product = sign;
    for (int i = 0; i < n; ++i)
        product = product * a[i][i];
    return product;
}
