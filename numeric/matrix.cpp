// SPDX-License-Identifier: Apache-2.0
#include "numeric/matrix.h"

#include "numeric/failure.h"
#include "numeric/lu_scratch.h"

#include <cmath>
#include <new>
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

// The table of n zero-filled rows, inline or in one block; on exhausted
// memory releases what was already made and fails.
void Matrix::allocate(int n) {
    double* cells = inline_cells;
    rows = inline_rows;
    if (n > inline_limit) {
        heap_cells = asset(new (std::nothrow) double[static_cast<long>(n) * n]());
        heap_rows = new (std::nothrow) double*[n]();
        if (heap_rows == nullptr) {
            delete[] heap_cells;
            heap_cells = nullptr;
            fail_out_of_memory();
        }
        cells = heap_cells;
        rows = heap_rows;
    } else {
        for (int i = 0; i < n * n; ++i)
            cells[i] = 0.0;
    }
    for (int i = 0; i < n; ++i)
        rows[i] = cells + static_cast<long>(i) * n;
}

Matrix::Matrix(int n) : rows(nullptr), dimension(n) {
    if (n < 1)
        throw Failure("Matrix::Matrix(int)", "Túl kicsi dimenzió!", FailureCode::computation);
    allocate(n);
}

Matrix::Matrix(const Matrix& other) : rows(nullptr), dimension(other.dimension) {
    allocate(dimension);
    for (int i = 0; i < dimension; ++i)
        for (int j = 0; j < dimension; ++j)
            rows[i][j] = other.rows[i][j];
}

Matrix::~Matrix() {
    delete[] heap_cells;
    delete[] heap_rows;
}

double Matrix::ludet() const {
    if (dimension < 1)
        throw Failure("Matrix::ludet", "Túl kicsi Hankel-mátrix!", FailureCode::computation);
    LuScratch a(dimension);
    for (int i = 0; i < dimension; ++i)
        for (int j = 0; j < dimension; ++j)
            a[i][j] = rows[i][j];
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
    double** a = rows;
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
