// SPDX-License-Identifier: Apache-2.0
#pragma once
// --plot FILE.svg: the band of bounds as a picture, without a plotting stack.
// The curves L(x) and U(x) come from sample_envelope (estimation/envelope.h)
// at the positions of --positions; the picture is SVG text: the band filled
// between the two curves, axes with ticks and labels, a title naming the
// request, the atoms of a determinate list as bars of their mass, and the
// --position values with their bounds.  Self-contained: no fonts, styles or
// images from elsewhere.

#include <string>

#include "cli/request.h"

namespace vendrill::cli {

// The axes' box in the picture, in pixels: x runs from the range's smaller
// end at plot_left to its larger end at plot_right, a probability p sits at
// plot_bottom - p * (plot_bottom - plot_top).
inline constexpr double plot_width = 800;
inline constexpr double plot_height = 520;
inline constexpr double plot_left = 72;
inline constexpr double plot_right = 776;
inline constexpr double plot_top = 60;
inline constexpr double plot_bottom = 420;

// The picture of a validated request with a position range.  The curves are
// the paths with the ids "lower-bound" and "upper-bound": one point a
// position, "M x y L x y ...", y = 0 the bottom of the axes, x and y in
// pixels with three decimals.
std::string band_svg(const Request& request);

// Writes band_svg(request) to request.plot_path; 0, or the errno of the step
// that failed (open, write or close).
int write_plot(const Request& request);

} // namespace vendrill::cli
