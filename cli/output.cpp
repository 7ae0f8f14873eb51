// SPDX-License-Identifier: Apache-2.0
#include "cli/output.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <nlohmann/json.hpp>

#include "estimation/messages.h"
#include "estimation/tail_bounds.h"

namespace vendrill::cli {

namespace {

std::string to_chars_text(double value, std::optional<int> precision) {
    char buffer[64];
    const auto result = precision ? std::to_chars(buffer, buffer + sizeof buffer, value,
                                                  std::chars_format::general, *precision)
                                  : std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

} // namespace

std::string round_trip_number(double value) {
    return to_chars_text(value, std::nullopt);
}

std::string display_number(double value) {
    return to_chars_text(value, 15);
}

namespace {

// A number as the JSON library writes one: the shortest digits that read
// back by its own algorithm (so that a row is the same text byte for byte as
// the serialised object would be), null where the value is no finite number.
void append_json_number(std::string& text, double value) {
    if (!std::isfinite(value)) {
        text += "null";
        return;
    }
    char buffer[64];
    const char* end = nlohmann::detail::to_chars(buffer, buffer + sizeof buffer, value);
    text.append(buffer, static_cast<std::size_t>(end - buffer));
}

void append_integer(std::string& text, long long value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    text.append(buffer, result.ptr);
}

// A JSON string with the JSON library's escapes.
void append_json_string(std::string& text, const std::string& value) {
    text += nlohmann::json(value).dump();
}

void append_round_trip(std::string& text, double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    text.append(buffer, result.ptr);
}

// The part of a row that depends only on the request: after the type and
// the position, the limits (null where the support has none) up to the key
// of L.
std::string limits_text(const Request& request) {
    std::string text = ",\"lower\":";
    if (request.support != Support::whole)
        append_json_number(text, request.lower);
    else
        text += "null";
    text += ",\"upper\":";
    if (request.support == Support::interval)
        append_json_number(text, request.upper);
    else
        text += "null";
    text += ",\"lower_bound\":";
    return text;
}

// The fields both methods share, first in every row, in the documented
// order: the type, the position, the limits, L and U and the tail bounds.
void append_common_fields(std::string& text, const Request& request, const std::string& limits,
                          const ResultRow& row) {
    text += "{\"type\":";
    append_integer(text, support_index(request.support));
    text += ",\"position\":";
    append_json_number(text, row.position);
    text += limits;
    append_json_number(text, row.lower_bound);
    text += ",\"upper_bound\":";
    append_json_number(text, row.upper_bound);
    text += ",\"upper_tail_max\":";
    append_json_number(text, upper_tail_max(row.lower_bound));
    text += ",\"upper_tail_min\":";
    append_json_number(text, upper_tail_min(row.upper_bound));
}

void append_classic_fields(std::string& text, const Request& request, const ResultRow& row) {
    text += ",\"outcome\":";
    append_integer(text, outcome_index(row.outcome));
    text += ",\"verdict\":";
    append_json_string(text, verdict_message(request.support, row.outcome, row.guard));
    text += "}";
}

// The sharp fields after the common ones, to the closing brace: they depend
// on the analysis and the position's status only.
std::string sharp_fields(const SharpAnalysis& analysis, SharpStatus status) {
    std::string text = ",\"method\":\"sharp\",\"status\":";
    append_json_string(text, status_name(status));
    text += ",\"moments_used\":";
    append_integer(text, analysis.moments_used);
    text += ",\"verdict\":";
    append_json_string(text, sharp_verdict_text(analysis, status));
    if (analysis.status == SharpStatus::determinate) {
        text += ",\"atoms\":[";
        for (std::size_t i = 0; i < analysis.atoms.size(); ++i) {
            text += i == 0 ? "[" : ",[";
            append_json_number(text, analysis.atoms[i].point);
            text += ",";
            append_json_number(text, analysis.atoms[i].mass);
            text += "]";
        }
        text += "]";
    }
    text += "}";
    return text;
}

} // namespace

std::string json_row(const Request& request, const ResultRow& row) {
    std::string text;
    append_common_fields(text, request, limits_text(request), row);
    append_classic_fields(text, request, row);
    return text;
}

std::string sharp_json_row(const Request& request, const SharpAnalysis& analysis,
                           const ResultRow& row) {
    std::string text;
    append_common_fields(text, request, limits_text(request), row);
    text += sharp_fields(analysis, row.status);
    return text;
}

ResultWriter::ResultWriter(std::FILE* out, const Request& request, std::uint64_t position_count,
                           const SharpAnalysis* sharp)
    : out_(out), request_(request), sharp_(sharp), several_(position_count > 1),
      limits_(limits_text(request)) {}

OutputFailure::OutputFailure(int error) : std::runtime_error(std::strerror(error)), error_(error) {}

// The stream is buffered: a failed write shows when a row fills the buffer,
// which is checked after every row.
void ResultWriter::emit(std::string_view text) {
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), out_) != text.size() || std::ferror(out_) != 0)
        throw OutputFailure(errno != 0 ? errno : EIO);
}

void ResultWriter::begin() {
    if (request_.format == OutputFormat::csv)
        emit(sharp_ ? "position,lower_bound,upper_bound,upper_tail_max,upper_tail_min,status\n"
                    : "position,lower_bound,upper_bound,upper_tail_max,upper_tail_min,outcome\n");
    else if (request_.format == OutputFormat::json && several_)
        emit("[\n");
}

// Rows have a fixed shape, so each is written field by field into one
// reused buffer; the sharp fields after the numbers are made once for each
// status the positions have.
void ResultWriter::json_text(const ResultRow& row) {
    line_.clear();
    if (several_ && written_ > 0)
        line_ += ",\n";
    append_common_fields(line_, request_, limits_, row);
    if (sharp_) {
        const auto index = static_cast<std::size_t>(row.status);
        if (index >= sharp_tails_.size())
            sharp_tails_.resize(index + 1);
        std::optional<std::string>& tail = sharp_tails_[index];
        if (!tail)
            tail = sharp_fields(*sharp_, row.status);
        line_ += *tail;
    } else {
        append_classic_fields(line_, request_, row);
    }
    if (!several_)
        line_ += "\n";
}

void ResultWriter::csv_line(const ResultRow& row) {
    line_.clear();
    append_round_trip(line_, row.position);
    line_ += ",";
    append_round_trip(line_, row.lower_bound);
    line_ += ",";
    append_round_trip(line_, row.upper_bound);
    line_ += ",";
    append_round_trip(line_, upper_tail_max(row.lower_bound));
    line_ += ",";
    append_round_trip(line_, upper_tail_min(row.upper_bound));
    line_ += ",";
    if (sharp_)
        line_ += status_name(row.status);
    else
        append_integer(line_, outcome_index(row.outcome));
    line_ += "\n";
}

std::string ResultWriter::text_block(const ResultRow& row) const {
    std::string text;
    if (several_) {
        if (written_ > 0)
            text = "\n";
        text += "Position = " + display_number(row.position) + "\n";
    }
    if (request_.tail == Tail::upper) {
        const std::string x = display_number(row.position);
        text += "P(X >= " + x + ") <= " + display_number(upper_tail_max(row.lower_bound)) + "\n";
        text += "P(X > " + x + ") >= " + display_number(upper_tail_min(row.upper_bound)) + "\n";
    }
    text += "Lower bound = " + display_number(row.lower_bound) + "\n";
    text += "Upper bound = " + display_number(row.upper_bound) + "\n";
    const std::string verdict = sharp_ ? sharp_verdict_text(*sharp_, row.status)
                                       : verdict_message(request_.support, row.outcome, row.guard);
    if (!verdict.empty())
        text += verdict + "\n";
    return text;
}

void ResultWriter::write(const ResultRow& row) {
    switch (request_.format) {
    case OutputFormat::json:
        json_text(row);
        emit(line_);
        break;
    case OutputFormat::csv:
        csv_line(row);
        emit(line_);
        break;
    case OutputFormat::text:
        emit(text_block(row));
        break;
    }
    ++written_;
}

void ResultWriter::end() {
    if (request_.format == OutputFormat::json && several_)
        emit("\n]\n");
}

} // namespace vendrill::cli
