#pragma once
// The one sink of diagnostic lines that are not errors (the root finder's
// not-real-root line, Complex::print, the half-line driver's line).  It writes
// UTF-8 text to standard output by default; a front end whose standard output
// carries results sends the diagnostics to standard error instead.

#include <cstdio>
#include <string_view>

void set_diagnostic_stream(std::FILE* stream); // nullptr silences the diagnostics
std::FILE* diagnostic_stream();
void write_diagnostic(std::string_view utf8_text);
