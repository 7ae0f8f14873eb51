// SPDX-License-Identifier: Apache-2.0
#pragma once
// vendrill-cli as a function: parses the arguments, validates the request,
// runs the chosen method (the estimation driver of the type, or the sharp
// bounds from one analysis of the moments) at every position and writes
// the rows.  Exit status 0 for a computed result (any outcome), 2 for invalid
// input (message on err, nothing on out, nothing in the error log), 1 when the
// computation itself was abandoned or the output could not be written.
//
// A write to out that fails ends the run at once with a message and status 1
// (the rows not yet computed are not computed).  A closed pipe ends the
// process quietly through SIGPIPE, as it does other tools, unless SIGPIPE is
// ignored: then it is such a failed write.

#include <cstdio>
#include <optional>

#include "cli/output.h"
#include "cli/request.h"

namespace vendrill::cli {

inline constexpr int exit_computed = 0;
inline constexpr int exit_failure = 1;
inline constexpr int exit_invalid_input = 2;

int run_cli(int argc, const char* const* argv, std::FILE* in, std::FILE* out, std::FILE* err);

// The two halves of run_cli around validate(): the arguments as typed into
// raw, or the exit status when there is nothing to run (--help written to out,
// or a parse error on err); then a validated request run and written.
std::optional<int> parse_arguments(int argc, const char* const* argv, RawArguments& raw,
                                   std::FILE* out, std::FILE* err);
int run_request(const Request& request, std::FILE* out, std::FILE* err);

} // namespace vendrill::cli
