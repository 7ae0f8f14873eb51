// SPDX-License-Identifier: Apache-2.0
#pragma once
// Matrix: a square array of doubles whose one computation is its determinant.

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
};
