// SPDX-License-Identifier: Apache-2.0
#include "numeric/vector.h"

#include "numeric/failure.h"
#include "numeric/lu_scratch.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

namespace {

// n zero-filled doubles (n may be 0 for the copy of an emptied vector).
double* allocate_elements(int n) {
    return asset(new (std::nothrow) double[n]());
}

void copy_elements(double* target, const double* source, int n) {
    if (n > 0)
        std::memcpy(target, source, sizeof(double) * static_cast<std::size_t>(n));
}

} // namespace

void Vector::release() {
    if (!is_inline())
        delete[] data;
}

void Vector::fail_too_short() {
    throw Failure("Vector::Vector(int)", "Túl kicsi vektor!", FailureCode::computation);
}

double* Vector::heap_zeros(int n) {
    return allocate_elements(n);
}

Vector::Vector(const double* source, int n) : data(nullptr), length(n) {
    if (n < 1)
        throw Failure("Vector::Vector(double*,int)", "Túl kicsi vektor!", FailureCode::computation);
    // Every element is written by the copy.
    data = n <= inline_capacity ? inline_cells : allocate_elements(n);
    copy_elements(data, source, n);
}

void Vector::copy_to_heap(const Vector& other) {
    data = allocate_elements(other.length);
    copy_elements(data, other.data, other.length);
}

Vector& Vector::operator=(const Vector& other) {
    if (this == &other)
        return *this;
    if (other.length <= inline_capacity) {
        release();
        data = inline_cells;
        copy_elements(data, other.data, other.length);
        length = other.length;
        return *this;
    }
    // The new array is made before the old one is released, so exhausted
    // memory leaves this vector as it was.
    double* fresh = allocate_elements(other.length);
    copy_elements(fresh, other.data, other.length);
    release();
    data = fresh;
    length = other.length;
    return *this;
}

Vector::Vector(Vector&& other) noexcept : data(other.data), length(other.length) {
    if (other.is_inline()) {
        data = inline_cells;
        copy_elements(data, other.data, length);
    }
    other.data = other.inline_cells;
    other.length = 0;
}

Vector& Vector::operator=(Vector&& other) noexcept {
    if (this == &other)
        return *this;
    release();
    if (other.is_inline()) {
        data = inline_cells;
        copy_elements(data, other.data, other.length);
    } else {
        data = other.data;
    }
    length = other.length;
    other.data = other.inline_cells;
    other.length = 0;
    return *this;
}

// The storage keeps its size: only the first length elements count, so
// dropping needs no new allocation and cannot fail once the count is checked.
void Vector::drop_other(int k) {
    if (k == 0)
        return;
    const long count = std::labs(static_cast<long>(k));
    if (count > length)
        throw Failure("Vector::drop", "Túl sokat elemet akar eldobni!", FailureCode::computation);
    const int remaining = length - static_cast<int>(count);
    if (k > 0 && remaining > 0)
        std::memmove(data, data + count, sizeof(double) * static_cast<std::size_t>(remaining));
    length = remaining;
}

double Vector::luhankeldet() const {
    if (length % 2 == 0)
        report_warning("Vector::luhankeldet",
                       "A Hankel-mátrix felépítéséhez páratlan számú momentum kell!");
    const int k = (length + 1) / 2;
    if (k < 1)
        throw Failure("Vector::luhankeldet", "Túl kicsi Hankel-mátrix!", FailureCode::computation);
    return hankel_determinant(data, k);
}
