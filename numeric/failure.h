// SPDX-License-Identifier: Apache-2.0
#pragma once
// How the numerical code says that a computation failed.
//
// A routine that cannot go on throws a Failure naming itself, the reason (the
// Hungarian message the error log records, UTF-8) and a code.  Nothing is
// written where it is thrown: the code that catches it (the estimation
// drivers around each attempt, the front ends around a whole command) decides
// where its report goes (numeric/error_log.h).  report_warning marks
// conditions a routine handles by itself and does nothing at all.  asset is
// the check every allocation passes through.

#include <exception>

// The historic codes of the error log's callers.
enum class FailureCode {
    computation = 1, // the computation broke down on these numbers
    request = 10,    // the request cannot be estimated this way at all
};

constexpr int failure_code_number(FailureCode code) {
    return static_cast<int>(code);
}

class Failure : public std::exception {
public:
    // routine and message must outlive the failure (string literals do).
    Failure(const char* routine, const char* message, FailureCode code) noexcept
        : routine_(routine), message_(message), code_(code) {}

    const char* routine() const noexcept { return routine_; }
    const char* message() const noexcept { return message_; }
    FailureCode code() const noexcept { return code_; }
    const char* what() const noexcept override { return message_; }

private:
    const char* routine_;
    const char* message_;
    FailureCode code_;
};

// Has no effect: the caller handles the condition by itself.
inline void report_warning(const char* /*routine*/, const char* /*message*/) {}

// Throws the failure of exhausted memory ("asset").
[[noreturn]] void fail_out_of_memory();

// Returns p when it is not null; a null p is exhausted memory.
template <class T> T* asset(T* p) {
    if (p == nullptr)
        fail_out_of_memory();
    return p;
}
