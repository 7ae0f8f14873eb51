// SPDX-License-Identifier: Apache-2.0
#include "numeric/hankel_determinants.h"

#include <algorithm>
#include <cstring>

#include "numeric/same_bits.h"

double HankelDeterminants::of(const Vector& sequence) {
    const int n = sequence.length;
    if (n < 1 || n > longest)
        return sequence.luhankeldet();

    // The family asked last first: a truncation test asks for one family in a row.
    Family* family = nullptr;
    for (int f = 0; f < used_ && family == nullptr; ++f) {
        Family& candidate = families_[(last_ + f) % used_];
        if (same_bits(candidate.values, sequence.data, std::min(candidate.length, n))) {
            family = &candidate;
            last_ = (last_ + f) % used_;
        }
    }
    if (family == nullptr) {
        if (used_ < families) {
            last_ = used_++;
        } else {
            last_ = oldest_;
            oldest_ = (oldest_ + 1) % families;
        }
        family = &families_[last_];
        family->length = 0;
        family->known = 0;
    }
    // A longer sequence of the family: its further elements extend the kept
    // ones, and the determinants of the shorter lengths stay valid.
    if (family->length < n) {
        std::memcpy(family->values + family->length, sequence.data + family->length,
                    sizeof(double) * static_cast<std::size_t>(n - family->length));
        family->length = n;
    }
    const std::uint64_t bit = std::uint64_t{1} << n;
    if ((family->known & bit) == 0) {
        family->determinants[n] = sequence.luhankeldet();
        family->known |= bit;
    }
    return family->determinants[n];
}
