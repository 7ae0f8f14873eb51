// SPDX-License-Identifier: Apache-2.0
#pragma once
// A zero-filled array whose allocation goes through asset, as every
// allocation of the list commands and of Calculate does: a failed allocation
// is a Failure like any other, reported where the command catches it.

#include "numeric/failure.h"

#include <cstdlib>
#include <utility>

namespace vendrill {

template <class T> class ZeroFilledArray {
public:
    explicit ZeroFilledArray(int count)
        : m_data(asset(static_cast<T*>(std::calloc(count > 0 ? count : 1, sizeof(T))))),
          m_count(count > 0 ? count : 0) {}
    ~ZeroFilledArray() { std::free(m_data); }
    ZeroFilledArray(const ZeroFilledArray&) = delete;
    ZeroFilledArray& operator=(const ZeroFilledArray&) = delete;
    ZeroFilledArray(ZeroFilledArray&& other) noexcept
        : m_data(other.m_data), m_count(other.m_count) {
        other.m_data = nullptr;
        other.m_count = 0;
    }
    ZeroFilledArray& operator=(ZeroFilledArray&&) = delete;

    T* data() { return m_data; }
    const T* data() const { return m_data; }
    int size() const { return m_count; }
    T& operator[](int i) { return m_data[i]; }
    const T& operator[](int i) const { return m_data[i]; }
    T* begin() { return m_data; }
    T* end() { return m_data + m_count; }

private:
    T* m_data;
    int m_count;
};

} // namespace vendrill
