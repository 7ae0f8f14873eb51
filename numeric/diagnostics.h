// SPDX-License-Identifier: Apache-2.0
#pragma once
// Where the diagnostic lines that are not errors go (the root finder's
// not-real-root line, Complex::print, the half-line driver's line).  Each
// estimation carries its own sink: standard output unless the caller chooses
// otherwise; a front end whose standard output carries results sends the
// diagnostics to standard error instead, and nullptr silences them.

#include <cstdio>
#include <string_view>

class DiagnosticSink {
public:
    DiagnosticSink() = default;
    explicit DiagnosticSink(std::FILE* stream) : stream_(stream) {}

    std::FILE* stream() const { return stream_; }
    // Writes UTF-8 text as it is; nothing when the sink is silenced.
    void write(std::string_view utf8_text) const;

private:
    std::FILE* stream_ = stdout;
};
