// SPDX-License-Identifier: Apache-2.0
#pragma once
// Vector: a length-counted array of doubles that owns its storage.  Moment
// sequences, polynomial coefficients, support points and masses all travel as
// Vectors.  Callers index data directly; indices are not validated.
//
// Up to inline_capacity elements live inside the object itself (the usual
// moment counts), so that the many short-lived copies an estimation makes
// cost no heap allocation; longer vectors take one zero-filled block.

class Vector {
public:
    static constexpr int inline_capacity = 16;

    double* data;
    int length;

    explicit Vector(int n);              // n zeros; n < 1 fails (defined below)
    Vector(const double* source, int n); // copies source[0..n-1]; n < 1 fails
    Vector(const Vector& other);
    Vector& operator=(const Vector& other);
    // Moving hands heap storage over (inline elements are copied); the source
    // is left empty (length 0).
    Vector(Vector&& other) noexcept;
    Vector& operator=(Vector&& other) noexcept;
    ~Vector() {
        if (!is_inline())
            delete[] data;
    }

    double& operator[](int i) { return data[i]; }
    double operator[](int i) const { return data[i]; }

    // Removes k elements from the front (k > 0) or -k from the back (k < 0).
    // Dropping from the back only shortens the length (defined here: the
    // attempts of an estimation drop all the time).
    void drop(int k) {
        if (k < 0 && k >= -length) {
            length += k;
        } else if (k > 0 && k <= length) {
            // Moving left: each element is read before it is overwritten.
            length -= k;
            for (int i = 0; i < length; ++i)
                data[i] = data[i + k];
        } else {
            drop_other(k);
        }
    }
    // Determinant of the Hankel matrix (v[i+j]), i, j < (length + 1) / 2.
    double luhankeldet() const;

private:
    bool is_inline() const { return data == inline_cells; }
    void drop_other(int k); // a drop of nothing or of more than the length
    [[noreturn]] static void fail_too_short();
    double* heap_zeros(int n); // a new block of n zeros
    void copy_to_heap(const Vector& other);
    void release();

    double inline_cells[inline_capacity];
};

// Defined here, like the copy below, so that the many short vectors an
// estimation makes compile without a call.
inline Vector::Vector(int n) : data(inline_cells), length(n) {
    if (n < 1)
        fail_too_short();
    if (n > inline_capacity) {
        data = heap_zeros(n);
        return;
    }
    for (int i = 0; i < n; ++i)
        inline_cells[i] = 0.0;
}

// Only the first length elements are ever read.
inline Vector::Vector(const Vector& other) : data(inline_cells), length(other.length) {
    if (length > inline_capacity) {
        copy_to_heap(other);
        return;
    }
    for (int i = 0; i < length; ++i)
        inline_cells[i] = other.data[i];
}
