// SPDX-License-Identifier: Apache-2.0
#include "cli/output.h"

#include <cerrno>
#include <charconv>
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

// The fields both methods share, first in every row.  ordered_json keeps the
// keys in the documented order.  A limit the support does not have is null.
static nlohmann::ordered_json common_fields(const Request& request, const ResultRow& row) {
    nlohmann::ordered_json object;
    object["type"] = support_index(request.support);
    object["position"] = row.position;
    object["lower"] = nullptr;
    if (request.support != Support::whole)
        object["lower"] = request.lower;
    object["upper"] = nullptr;
    if (request.support == Support::interval)
        object["upper"] = request.upper;
    object["lower_bound"] = row.lower_bound;
    object["upper_bound"] = row.upper_bound;
    object["upper_tail_max"] = upper_tail_max(row.lower_bound);
    object["upper_tail_min"] = upper_tail_min(row.upper_bound);
    return object;
}

std::string json_row(const Request& request, const ResultRow& row) {
    nlohmann::ordered_json object = common_fields(request, row);
    object["outcome"] = outcome_index(row.outcome);
    object["verdict"] = verdict_message(request.support, row.outcome, row.guard);
    return object.dump();
}

std::string sharp_json_row(const Request& request, const SharpAnalysis& analysis,
                           const ResultRow& row) {
    nlohmann::ordered_json object = common_fields(request, row);
    object["method"] = "sharp";
    object["status"] = status_name(row.status);
    object["moments_used"] = analysis.moments_used;
    object["verdict"] = sharp_verdict_text(analysis, row.status);
    if (analysis.status == SharpStatus::determinate) {
        nlohmann::ordered_json atoms = nlohmann::ordered_json::array();
        for (const SharpAtom& atom : analysis.atoms)
            atoms.push_back({atom.point, atom.mass});
        object["atoms"] = std::move(atoms);
    }
    return object.dump();
}

ResultWriter::ResultWriter(std::FILE* out, const Request& request, std::uint64_t position_count,
                           const SharpAnalysis* sharp)
    : out_(out), request_(request), sharp_(sharp), several_(position_count > 1) {}

OutputFailure::OutputFailure(int error) : std::runtime_error(std::strerror(error)), error_(error) {}

// The stream is buffered: a failed write shows when a row fills the buffer,
// which is checked after every row.
void ResultWriter::emit(const std::string& text) {
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

std::string ResultWriter::json_text(const ResultRow& row) const {
    std::string text;
    if (several_ && written_ > 0)
        text = ",\n";
    text += sharp_ ? sharp_json_row(request_, *sharp_, row) : json_row(request_, row);
    if (!several_)
        text += "\n";
    return text;
}

std::string ResultWriter::csv_line(const ResultRow& row) const {
    const std::string last =
        sharp_ ? std::string(status_name(row.status)) : std::to_string(outcome_index(row.outcome));
    return round_trip_number(row.position) + "," + round_trip_number(row.lower_bound) + "," +
           round_trip_number(row.upper_bound) + "," +
           round_trip_number(upper_tail_max(row.lower_bound)) + "," +
           round_trip_number(upper_tail_min(row.upper_bound)) + "," + last + "\n";
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
        emit(json_text(row));
        break;
    case OutputFormat::csv:
        emit(csv_line(row));
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
