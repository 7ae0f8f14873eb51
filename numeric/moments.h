// SPDX-License-Identifier: Apache-2.0
#pragma once
// Binomial coefficients and the linear change of variable of a moment sequence.

#include "vector.h"

double binomial(int n, int k);
// Replaces the moments E[X^i] in place by E[(scale * X + shift)^i].
void transform_moments(Vector& moments, double scale, double shift);

// transform_moments for the attempts of an estimation, which transform the
// same moments with the last ones cut off again and again.  Element i of the
// transform is computed from elements 0 .. i alone, so the transform of the
// first n moments is the first n elements of the transform of more: once one
// sequence is transformed, each shorter one with the same first elements (bit
// for bit) and the same scale and shift is copied from it.
class MomentTransforms {
public:
    // Sequences longer than this are transformed each time.
    static constexpr int longest = 32;

    // The same as transform_moments(moments, scale, shift).
    void apply(Vector& moments, double scale, double shift);

private:
    int length_ = 0; // 0: nothing kept
    double scale_ = 0.0;
    double shift_ = 0.0;
    double given_[longest];
    double transformed_[longest];
};
