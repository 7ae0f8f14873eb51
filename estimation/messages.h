#pragma once
// The words the front ends use about a classic estimation: the checks of a
// request before it is estimated, and the verdict on its outcome.  The dialog
// shows them in its message line and boxes, vendrill-cli on its standard
// error and in its results.

#include <string>

#include "estimation/estimate.h"
#include "numeric/support.h"

// Fewest moments the estimation of a support needs: 3 for the whole line, one
// more for each limit.
int minimum_moment_count(Support support);
// "Enter at least N moments!"
std::string too_few_moments_message(Support support);
// The 0th moment must be exactly 1.
extern const char* const zeroth_moment_message;

// What the dialog's box says when the estimation of support ends with this
// outcome; "" when the chosen estimation itself gave the bounds.
const char* outcome_message(Support support, Outcome outcome);
