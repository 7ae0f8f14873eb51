// SPDX-License-Identifier: Apache-2.0
#pragma once
// What the attempts of one estimation compute again and again, kept while a
// driver runs them: every attempt transforms a prefix of the same moments,
// takes the Hankel determinants of prefixes of the same sequences in its
// truncation tests, and needs the powers of the same position.  Each entry
// answers with the bits a fresh computation gives, and checks that it is asked
// about the same numbers, so a memo that is handed other moments or another
// position only computes afresh.  Local to one call: no state outlives it.

#include "numeric/hankel_determinants.h"
#include "numeric/moments.h"
#include "numeric/powers.h"

struct AttemptMemo {
    HankelDeterminants hankel;
    MomentTransforms transforms;
    // Rebased by each attempt to its position in the unit interval.
    PowerTable position_powers{0.0};
};
