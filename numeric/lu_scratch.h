// SPDX-License-Identifier: Apache-2.0
#pragma once
// Internal to numeric/: the working copy on which determinants are computed.
// Matrices up to 16 rows (the usual Hankel and cofactor sizes) live on the
// stack, so a determinant costs no allocation.

#include "numeric/square_cells.h"

class LuScratch {
public:
    explicit LuScratch(int n) : dimension(n), cells(n) {}

    double* operator[](int i) { return cells.rows[i]; }
    // The row pointers themselves, for code that fills the copy row by row.
    double** rows() { return cells.rows; }

    // The determinant by LU decomposition with partial pivoting, destroying
    // the working copy.
    double determinant();

private:
    int dimension;
    SquareCells<16> cells;
};

// The determinant of the k x k Hankel matrix (sequence[i + j]), by the same
// decomposition.
double hankel_determinant(const double* sequence, int k);
