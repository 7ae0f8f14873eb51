// SPDX-License-Identifier: Apache-2.0
#include "estimation/messages.h"

#include "numeric/number_list.h"
#include "numeric/printable_text.h"

const char* const zeroth_moment_message = "The 0th moment must equal to 1!";
const char* const no_moments_message = "Enter at least 1 moment!";

int minimum_moment_count(Support support) {
    return support_index(support) + 3;
}

std::string too_few_moments_message(Support support) {
    return "Enter at least " + std::to_string(minimum_moment_count(support)) + " moments!";
}

std::string too_many_moments_message(std::string_view count) {
    return "too many moments: " + std::string(count) + " (at most " +
           std::to_string(max_moment_count) + ")";
}

std::string too_many_moments_message(std::size_t count) {
    return too_many_moments_message(std::to_string(count));
}

std::string raw_moments_out_of_range_message(double centre) {
    return "the moments about " + format_shortest(centre) +
           " are beyond the range of a double as raw moments, which the classic estimations "
           "need; the sharp method takes them as they are";
}

std::string number_fault_message(std::string_view what, std::string_view text, NumberFault fault) {
    // The text is echoed escaped and cut: a hostile argument must neither
    // flood the message nor reach a terminal as control bytes.
    std::string message = std::string(what) + ": " + quoted_excerpt(text) + " ";
    switch (fault) {
    case NumberFault::not_finite:
        return message + "is not a finite number";
    case NumberFault::out_of_range:
        return message + "is out of the range of a double";
    case NumberFault::not_a_number:
        break;
    }
    return message + "is not a number";
}

const char* outcome_message(Support support, Outcome outcome) {
    if (outcome == Outcome::none)
        return support == Support::whole
                   ? "The (-inf, inf) estimation is not applicable in this case!"
                   : "Neither type of the estimations was applicable!";
    if (outcome == Outcome::whole_line && support != Support::whole)
        return "The (-inf, inf) estimation gave the tightest bounds.";
    if (outcome == Outcome::half_line && support == Support::interval)
        return "The [a, inf) estimation gave the tightest bounds.";
    return "";
}

const char* guard_message(GuardVerdict guard) {
    switch (guard) {
    case GuardVerdict::none:
        break;
    case GuardVerdict::widened:
        return "The classic bounds were widened to stay valid for these moments.";
    case GuardVerdict::infeasible:
        return "These moments do not fit the chosen support.";
    }
    return "";
}

const char* verdict_message(Support support, Outcome outcome, GuardVerdict guard) {
    const char* const text = guard_message(guard);
    return *text != '\0' ? text : outcome_message(support, outcome);
}

std::string sharp_verdict_text(const SharpAnalysis& analysis) {
    switch (analysis.status) {
    case SharpStatus::determinate:
        return "The moments determine the distribution: the bounds are exact.";
    case SharpStatus::infeasible:
        return "These moments do not fit the chosen support.";
    case SharpStatus::sharp:
        if (analysis.moments_used < analysis.moments_given)
            return "Only the first " + std::to_string(analysis.moments_used) +
                   " moments could be used.";
        return "";
    case SharpStatus::invalid:
        // Never shown: an unusable request is refused before any result.
        break;
    }
    return "";
}

std::string sharp_verdict_text(const SharpAnalysis& analysis, SharpStatus position_status) {
    if (analysis.status == SharpStatus::determinate && position_status != SharpStatus::determinate)
        return "The moments determine the distribution, but this position is next to an atom: "
               "the bounds cover the moments' rounding and are not exact.";
    return sharp_verdict_text(analysis);
}
