// SPDX-License-Identifier: Apache-2.0
#pragma once
// Matrix: a square array of doubles whose one computation is its determinant.
// Matrices up to 8 rows (the usual determinant sizes) keep their cells inside
// the object, so they cost no heap allocation; larger ones take one block.

#include "numeric/square_cells.h"

class Matrix {
public:
    int dimension;

    explicit Matrix(int n); // n x n zeros; n < 1 fails
    Matrix(const Matrix& other);
    Matrix& operator=(const Matrix&) = delete;

    double* operator[](int i) { return cells.rows[i]; }
    const double* operator[](int i) const { return cells.rows[i]; }

    // Determinant by LU decomposition with partial pivoting; the matrix is unchanged.
    double ludet() const;
    // The same determinant, computed on the matrix's own cells (no copy): they
    // hold the decomposition afterwards, and the rows may come in another
    // order.  Writing every cell again makes the matrix usable anew.
    double ludet_in_place();

private:
    SquareCells<8> cells;
};
