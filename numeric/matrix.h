// SPDX-License-Identifier: Apache-2.0
#pragma once
// Matrix: a square array of doubles whose one computation is its determinant.
// Matrices up to inline_limit rows (the usual determinant sizes) keep their
// cells inside the object, so they cost no heap allocation; larger ones take
// one block for the rows.

class Matrix {
public:
    double** rows;
    int dimension;

    explicit Matrix(int n); // n x n zeros; n < 1 fails
    Matrix(const Matrix& other);
    Matrix& operator=(const Matrix&) = delete;
    ~Matrix();

    double* operator[](int i) { return rows[i]; }
    const double* operator[](int i) const { return rows[i]; }

    // Determinant by LU decomposition with partial pivoting; the matrix is unchanged.
    double ludet() const;

private:
    static constexpr int inline_limit = 8;
    void allocate(int n);

    double* inline_rows[inline_limit];
    double inline_cells[inline_limit * inline_limit];
    double* heap_cells = nullptr;
    double** heap_rows = nullptr;
};
