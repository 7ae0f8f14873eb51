// SPDX-License-Identifier: Apache-2.0
#pragma once
// The band of bounds over a range of positions: L(x) and U(x) sampled at
// evenly spaced x, with the atoms of a determinate moment list.  The dialog's
// plot, vendrill-cli's SVG and the Python package draw the same curve from
// here.  The sharp method analyses the moments once for the whole range; the
// classic one builds one guarded ClassicEstimation (estimation/estimate.h) and
// asks it at every position, writing no error log and no diagnostics (a
// sampled curve is not a request the user made position by position).

#include <vector>

#include "numeric/support.h"
#include "sharp/sharp.h"

enum class Method { classic, sharp };

// The moment list and its support, as the front ends hold them.
struct BoundsRequest {
    Support support = Support::whole;
    double lower = 0.0; // read for the half-line and the interval
    double upper = 1.0; // read for the interval
    std::vector<double> moments;
    Method method = Method::sharp;
    // The moments are E[(X - centre)^k] (raw moments: 0).
    double centre = 0.0;
};

struct PositionSpan {
    double from = 0.0;
    double to = 1.0;
};

// The range a picture of the band shows when the user gives none: the
// interval's ends; otherwise from the support's end (or mean - 4 sd, whichever
// is larger) to mean + 4 sd.  Without a usable variance (fewer than 3 moments,
// or moments that give none) it is the position +- 1, cut to the support.
// The span is never empty: from < to, both finite.
PositionSpan default_span(const BoundsRequest& request, double position);

struct Envelope {
    std::vector<double> position;
    std::vector<double> lower_bound; // L(x), a bound for P(X < x)
    std::vector<double> upper_bound; // U(x), a bound for P(X <= x)
    // The sharp method's analysis of the list (invalid for the classic method).
    SharpStatus status = SharpStatus::invalid;
    int moments_used = 0;
    // Status determinate: the distribution's atoms, ascending.
    std::vector<SharpAtom> atoms;
};

// count >= 1 positions from span.from to span.to, both ends included (count 1:
// span.from alone).  Bounds that are not numbers are never returned: such a
// position gets 0 and 1.
Envelope sample_envelope(const BoundsRequest& request, PositionSpan span, int count);
