// SPDX-License-Identifier: Apache-2.0
#pragma once
// Internal to numeric/: the working copy on which determinants are computed.
// Small matrices (the usual Hankel and cofactor sizes) live on the stack, so a
// determinant costs no allocation; larger ones take one zero-filled block.

#include "numeric/failure.h"

#include <new>

class LuScratch {
public:
    explicit LuScratch(int n) : dimension(n) {
        double* cells = small_cells;
        rows = small_rows;
        if (n > small_limit) {
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
    LuScratch(const LuScratch&) = delete;
    LuScratch& operator=(const LuScratch&) = delete;
    ~LuScratch() {
        delete[] heap_cells;
        delete[] heap_rows;
    }

    double* operator[](int i) { return rows[i]; }

    // The determinant by LU decomposition with partial pivoting, destroying
    // the working copy.
    double determinant();

private:
    static constexpr int small_limit = 16;
    int dimension;
    double** rows;
    double small_cells[small_limit * small_limit];
    double* small_rows[small_limit];
    double* heap_cells = nullptr;
    double** heap_rows = nullptr;
};
