#pragma once
// vendrill-cli as a function: parses the arguments, validates the request,
// runs the chosen method (the estimation driver of the type, or the sharp
// bounds from one analysis of the moments) at every position and writes
// the rows.  Exit status 0 for a computed result (any outcome), 2 for invalid
// input (message on err, nothing on out, nothing in the error log), 1 when the
// computation itself was abandoned or the output could not be written.

#include <cstdio>

#include "cli/output.h"
#include "cli/request.h"

namespace vendrill::cli {

inline constexpr int exit_computed = 0;
inline constexpr int exit_failure = 1;
inline constexpr int exit_invalid_input = 2;

int run_cli(int argc, const char* const* argv, std::FILE* in, std::FILE* out, std::FILE* err);

} // namespace vendrill::cli
