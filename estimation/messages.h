// SPDX-License-Identifier: Apache-2.0
#pragma once
// The words the front ends use about a request and its result: the checks of
// a request before either method estimates it, the classic verdict on an
// outcome and its guard, and the sharp method's verdict on its analysis.  The dialog shows
// them in its message line and boxes, vendrill-cli on its standard error and
// in its results, the Python package in its exceptions and results.

#include <cstddef>
#include <string>
#include <string_view>

#include "estimation/estimate.h"
#include "numeric/support.h"
#include "sharp/sharp.h"

// Fewest moments the estimation of a support needs: 3 for the whole line, one
// more for each limit.
int minimum_moment_count(Support support);
// "Enter at least N moments!"
std::string too_few_moments_message(Support support);
// The sharp method answers from any number of moments, M0 alone included:
// "Enter at least 1 moment!" when there is none.
extern const char* const no_moments_message;
// The 0th moment must be exactly 1.
extern const char* const zeroth_moment_message;

// The most moments a request may hold.  Every failed classic attempt logs the
// whole list, and a list this long already takes minutes to estimate; the
// sharp method uses at most 32.
inline constexpr std::size_t max_moment_count = 1000;
// "too many moments: N (at most 1000)"; count is N as the message says it
// ("1001 or more" where the reading stopped).
std::string too_many_moments_message(std::size_t count);
std::string too_many_moments_message(std::string_view count);

// Moments about a centre whose raw moments, which the classic estimations
// need, are beyond the range of a double: "the moments about C are beyond
// the range of a double as raw moments, ...".
std::string raw_moments_out_of_range_message(double centre);

// What is wrong with a number the user gave.
enum class NumberFault { not_a_number, out_of_range, not_finite };
// "<what>: '<text>' is not a number" and its kin: what names the argument (an
// option, a moment), text is the number as the user gave it, escaped
// and cut as numeric/printable_text.h does.
std::string number_fault_message(std::string_view what, std::string_view text, NumberFault fault);

// What the dialog's box says when the estimation of support ends with this
// outcome; "" when the chosen estimation itself gave the bounds.
const char* outcome_message(Support support, Outcome outcome);

// What the guard found (estimation/estimate.h); "" for GuardVerdict::none.
// Where it is not empty it is the verdict of the answer: vendrill-cli prints
// it in place of the outcome's, the dialog shows it first.
const char* guard_message(GuardVerdict guard);
// The verdict of an answer: the guard's when it has one, else the outcome's.
const char* verdict_message(Support support, Outcome outcome, GuardVerdict guard);

// The sharp method's sentence on an analysis: empty when the bounds are the
// sharp ones from every moment given (and for an invalid analysis, which a
// front end refuses before it shows any result).
std::string sharp_verdict_text(const SharpAnalysis& analysis);
// The sentence for one position whose own status (SharpBounds::status) is
// position_status: "exact" only where the position is determinate; a sharp
// position of a determinate list (next to an atom) says that it is not exact.
std::string sharp_verdict_text(const SharpAnalysis& analysis, SharpStatus position_status);
