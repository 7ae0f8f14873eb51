#include "estimation/messages.h"

const char* const zeroth_moment_message = "The 0th moment must equal to 1!";
const char* const no_moments_message = "Enter at least 1 moment!";

int minimum_moment_count(Support support) {
    return support_index(support) + 3;
}

std::string too_few_moments_message(Support support) {
    return "Enter at least " + std::to_string(minimum_moment_count(support)) + " moments!";
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
