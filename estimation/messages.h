#pragma once
// The words the front ends use about a classic estimation: the checks of a
// request before it is estimated, and the verdict on its outcome and guard.  The dialog
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
// The sharp method answers from any number of moments, M0 alone included:
// "Enter at least 1 moment!" when there is none.
extern const char* const no_moments_message;
// The 0th moment must be exactly 1.
extern const char* const zeroth_moment_message;

// What the dialog's box says when the estimation of support ends with this
// outcome; "" when the chosen estimation itself gave the bounds.
const char* outcome_message(Support support, Outcome outcome);

// What the guard found (estimation/estimate.h); "" for GuardVerdict::none.
// Where it is not empty it is the verdict of the answer: vendrill-cli prints
// it in place of the outcome's, the dialog shows it first.
const char* guard_message(GuardVerdict guard);
// The verdict of an answer: the guard's when it has one, else the outcome's.
const char* verdict_message(Support support, Outcome outcome, GuardVerdict guard);
