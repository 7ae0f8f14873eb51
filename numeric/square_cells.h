// SPDX-License-Identifier: Apache-2.0
#pragma once
// Internal to numeric/: the cells of an n x n table and a pointer to each row.
// Tables up to Limit rows keep their cells inside the object (the usual Hankel
// and cofactor sizes, so they cost no heap allocation); larger ones take one
// block. The cells are not cleared: their owner writes every one it reads.
// The row pointers may be permuted (row swaps).

#include "numeric/failure.h"

#include <new>

template <int Limit> class SquareCells {
public:
    // On exhausted memory releases what was already made and fails.
    explicit SquareCells(int n) {
        double* cells = inline_cells;
        rows = inline_rows;
        if (n > Limit) {
            heap_cells = asset(new (std::nothrow) double[static_cast<long>(n) * n]());
            heap_rows = new (std::nothrow) double*[n]();
            if (heap_rows == nullptr) {
                delete[] heap_cells;
                heap_cells = nullptr;
                fail_out_of_memory();
            }
            cells = heap_cells;
            rows = heap_rows;
        }
        for (int i = 0; i < n; ++i)
            rows[i] = cells + static_cast<long>(i) * n;
    }
    SquareCells(const SquareCells&) = delete;
    SquareCells& operator=(const SquareCells&) = delete;
    ~SquareCells() {
        delete[] heap_cells;
        delete[] heap_rows;
    }

    double** rows;

private:
    double* inline_rows[Limit];
    double inline_cells[Limit * Limit];
    double* heap_cells = nullptr;
    double** heap_rows = nullptr;
};
