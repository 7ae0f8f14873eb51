// SPDX-License-Identifier: Apache-2.0
#pragma once
// The result of a vendrill-cli run as text, JSON or CSV.  Rows are written one
// at a time as they are computed, so a long --positions run needs no memory
// for its results.  Numbers always use '.' as the decimal point.

#include <cstdio>
#include <stdexcept>
#include <string>

#include "cli/request.h"
#include "estimation/estimate.h"
#include "estimation/messages.h"
#include "sharp/sharp.h"

namespace vendrill::cli {

// Raised at the first write to the output that fails (a full disk, a closed
// pipe when SIGPIPE is ignored); error is the errno of that write.
class OutputFailure : public std::runtime_error {
public:
    explicit OutputFailure(int error);
    int error() const { return error_; }

private:
    int error_;
};

struct ResultRow {
    double position = 0.0;
    double lower_bound = 0.0;
    double upper_bound = 1.0;
    Outcome outcome = Outcome::none; // the sharp method's rows leave it at none
    // The classic rows: what the sharp guard found (its verdict replaces the
    // outcome's).
    GuardVerdict guard = GuardVerdict::none;
    // The sharp rows: the status at this position (SharpBounds::status).
    SharpStatus status = SharpStatus::invalid;
};

// The sharp method's sentences for an analysis and for a position
// (estimation/messages.h).
using ::sharp_verdict_text;

// Shortest text that reads back as exactly the same double.
std::string round_trip_number(double value);
// 15 significant digits, as the dialog's fields show doubles.
std::string display_number(double value);

// One result row as a one-line JSON object (no line end): the request's type,
// the position, the limits (null where the support has none: lower on the
// whole line, upper on the whole line and the half-line), L and U, the tail
// bounds 1 - L (upper_tail_max, rounded up) and 1 - U (upper_tail_min,
// rounded down), then the method's fields.
std::string json_row(const Request& request, const ResultRow& row);
// The same for the sharp method: no outcome, but the method, the position's
// status, the moments used, the sharp verdict and, for a determinate list,
// the atoms as [point, mass] pairs.
std::string sharp_json_row(const Request& request, const SharpAnalysis& analysis,
                           const ResultRow& row);

class ResultWriter {
public:
    // position_count decides the layout: a single JSON object or an array,
    // text with or without a position line per block.  With an analysis the
    // rows are the sharp method's: they carry its status and verdict.  Every
    // call below throws OutputFailure once the stream has failed to write, so
    // that a long run stops at the first lost row.
    ResultWriter(std::FILE* out, const Request& request, std::uint64_t position_count,
                 const SharpAnalysis* sharp = nullptr);
    void begin();
    void write(const ResultRow& row);
    void end();

private:
    void emit(const std::string& text);
    std::string json_text(const ResultRow& row) const;
    std::string csv_line(const ResultRow& row) const;
    std::string text_block(const ResultRow& row) const;

    std::FILE* out_;
    const Request& request_;
    const SharpAnalysis* sharp_;
    bool several_;
    std::uint64_t written_ = 0;
};

} // namespace vendrill::cli
