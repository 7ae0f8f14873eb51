// SPDX-License-Identifier: Apache-2.0
#pragma once
// Hankel determinants of sequences that are asked for again and again.  The
// truncation tests of an estimation take the Hankel determinants of m0 .. m(2k)
// for k going down, and every further attempt (the same moments with the last
// ones cut off) asks for the same determinants again.  A determinant depends
// only on the elements it reads, so one kept for a sequence serves every later
// sequence with the same elements: the answers are the same bits.

#include <cstdint>

#include "numeric/vector.h"

class HankelDeterminants {
public:
    // Sequences are kept in this many families (the sequences that share their
    // first elements); a new family beyond them takes the place of the oldest.
    static constexpr int families = 8;
    // Longer sequences are not kept: their determinants are computed each time.
    static constexpr int longest = 32;

    // sequence.luhankeldet(), taken from the table when a sequence whose first
    // sequence.length elements are the same (bit for bit) had it computed.
    double of(const Vector& sequence);

private:
    struct Family {
        int length = 0;          // elements kept in values
        std::uint64_t known = 0; // bit n: determinants[n] holds the one of length n
        double values[longest];
        double determinants[longest + 1];
    };

    Family families_[families];
    int used_ = 0;
    int oldest_ = 0; // the next to give way once all are used
    int last_ = 0;   // the family that answered last
};
