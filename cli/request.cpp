// SPDX-License-Identifier: Apache-2.0
#include "cli/request.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <system_error>

#include "estimation/messages.h"
#include "numeric/printable_text.h"

namespace vendrill::cli {

namespace {

std::string quoted(std::string_view text) {
    return quoted_excerpt(text);
}

// The message for a number argument that did not convert; `what` names it.
std::string number_fault(const std::string& what, std::string_view text, NumberStatus status) {
    switch (status) {
    case NumberStatus::not_finite:
        return number_fault_message(what, text, NumberFault::not_finite);
    case NumberStatus::out_of_range:
        return number_fault_message(what, text, NumberFault::out_of_range);
    default:
        return number_fault_message(what, text, NumberFault::not_a_number);
    }
}

double number_argument(const std::string& what, std::string_view text) {
    double value = 0.0;
    const NumberStatus status = parse_number(text, value);
    if (status != NumberStatus::ok)
        throw InvalidInput(number_fault(what, text, status));
    return value;
}

bool is_blank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

std::string too_many_moments(const std::string& count) {
    return too_many_moments_message(count);
}

std::vector<double> moment_arguments(const std::vector<std::string>& texts) {
    if (texts.size() > max_moment_count)
        throw InvalidInput(too_many_moments(std::to_string(texts.size())));
    std::vector<double> moments;
    moments.reserve(texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i)
        moments.push_back(number_argument("moment M" + std::to_string(i), texts[i]));
    return moments;
}

} // namespace

double PositionRange::at(std::uint64_t i) const {
    if (i == 0)
        return from;
    if (i + 1 >= count)
        return to;
    // Weighted mean rather than from + t * (to - from): the difference can
    // overflow for ends of opposite sign near the largest double.
    const double t = static_cast<double>(i) / static_cast<double>(count - 1);
    return (1.0 - t) * from + t * to;
}

std::uint64_t Request::position_count() const {
    return positions.size() + (range ? range->count : 0);
}

double Request::position_at(std::uint64_t i) const {
    if (i < positions.size())
        return positions[i];
    return range->at(i - positions.size());
}

NumberStatus parse_number(std::string_view text, double& value) {
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && (text.front() == '-' || text.front() == '+'))
            return NumberStatus::not_a_number;
    }
    if (text.empty())
        return NumberStatus::not_a_number;
    double parsed = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (error == std::errc::result_out_of_range && end == text.data() + text.size())
        return NumberStatus::out_of_range;
    if (error != std::errc() || end != text.data() + text.size())
        return NumberStatus::not_a_number;
    if (!std::isfinite(parsed))
        return NumberStatus::not_finite;
    value = parsed;
    return NumberStatus::ok;
}

std::optional<Support> parse_type(std::string_view text) {
    if (text == "0" || text == "whole")
        return Support::whole;
    if (text == "1" || text == "half")
        return Support::half;
    if (text == "2" || text == "bounded")
        return Support::interval;
    return std::nullopt;
}

std::optional<OutputFormat> parse_format(std::string_view text) {
    if (text == "text")
        return OutputFormat::text;
    if (text == "json")
        return OutputFormat::json;
    if (text == "csv")
        return OutputFormat::csv;
    return std::nullopt;
}

std::optional<Method> parse_method(std::string_view text) {
    if (text == "classic")
        return Method::classic;
    if (text == "sharp")
        return Method::sharp;
    return std::nullopt;
}

PositionRange parse_position_range(std::string_view text) {
    const std::size_t first = text.find(':');
    const std::size_t second = first == std::string_view::npos ? first : text.find(':', first + 1);
    if (second == std::string_view::npos || text.find(':', second + 1) != std::string_view::npos)
        throw InvalidInput("--positions: expected FROM:TO:COUNT, got " + quoted(text));
    PositionRange range;
    range.from = number_argument("--positions FROM", text.substr(0, first));
    range.to = number_argument("--positions TO", text.substr(first + 1, second - first - 1));
    const std::string_view count_text = text.substr(second + 1);
    std::uint64_t count = 0;
    const auto [end, error] =
        std::from_chars(count_text.data(), count_text.data() + count_text.size(), count);
    if (count_text.empty() || error != std::errc() ||
        end != count_text.data() + count_text.size() || count < 2 || count > max_position_count)
        throw InvalidInput("--positions: COUNT must be a whole number of at least 2 and at most " +
                           std::to_string(max_position_count) + ", got " + quoted(count_text));
    range.count = count;
    return range;
}

std::vector<double> parse_moment_list(std::string_view text, const std::string& origin) {
    std::vector<double> moments;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && is_blank(text[i]))
            ++i;
        std::size_t end = i;
        while (end < text.size() && !is_blank(text[end]))
            ++end;
        if (end > i) {
            if (moments.size() == max_moment_count)
                throw InvalidInput(
                    origin + ": " +
                    too_many_moments(std::to_string(max_moment_count + 1) + " or more"));
            moments.push_back(number_argument(
                origin + ": moment M" + std::to_string(moments.size()), text.substr(i, end - i)));
        }
        i = end;
    }
    return moments;
}

std::string read_moments_source(const std::string& path, std::FILE* standard_input) {
    const bool from_stdin = path == "-";
    std::FILE* file = from_stdin ? standard_input : std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        throw InvalidInput("--moments-file: cannot open " + quoted(path) + ": " +
                           std::strerror(errno));
    // Reading stops one byte beyond the limit: that byte tells a source
    // that is too long without reading the rest of it.
    std::string content;
    char buffer[65536];
    std::size_t got = 0;
    while (content.size() <= max_moments_source_bytes &&
           (got = std::fread(buffer, 1,
                             std::min(sizeof buffer, max_moments_source_bytes + 1 - content.size()),
                             file)) > 0)
        content.append(buffer, got);
    const bool failed = std::ferror(file) != 0;
    const int error = errno;
    if (!from_stdin)
        std::fclose(file);
    if (failed)
        throw InvalidInput("--moments-file: cannot read " + quoted(path) + ": " +
                           std::strerror(error));
    if (content.size() > max_moments_source_bytes)
        throw InvalidInput("--moments-file: " + quoted(path) + " holds more than " +
                           std::to_string(max_moments_source_bytes) + " bytes (at most " +
                           std::to_string(max_moment_count) + " moments are read)");
    return content;
}

Request validate(const RawArguments& raw, std::FILE* standard_input) {
    Request request;
    if (!raw.type)
        throw InvalidInput("--type is required (0 or whole, 1 or half, 2 or bounded)");
    const std::optional<Support> support = parse_type(*raw.type);
    if (!support)
        throw InvalidInput("--type: unknown type " + quoted(*raw.type) +
                           " (use 0 or whole, 1 or half, 2 or bounded)");
    request.support = *support;

    const std::optional<OutputFormat> format = parse_format(raw.format);
    if (!format)
        throw InvalidInput("--format: unknown format " + quoted(raw.format) +
                           " (use text, json or csv)");
    request.format = *format;

    const std::optional<Method> method = parse_method(raw.method);
    if (!method)
        throw InvalidInput("--method: unknown method " + quoted(raw.method) +
                           " (use classic or sharp)");
    request.method = *method;

    if (raw.positions.empty() && !raw.position_range)
        throw InvalidInput("--position or --positions is required");
    for (const std::string& text : raw.positions)
        request.positions.push_back(number_argument("--position", text));
    if (raw.position_range) {
        request.range = parse_position_range(*raw.position_range);
        // Both together must still be counted: their sum is checked, not wrapped.
        if (request.range->count > max_position_count - request.positions.size())
            throw InvalidInput("--position and --positions: more than " +
                               std::to_string(max_position_count) + " positions in all");
    }

    if (raw.log_path && raw.no_log)
        throw InvalidInput("--log and --no-log cannot be used together");
    if (raw.log_path && raw.log_path->empty())
        throw InvalidInput("--log: the path is empty");
    request.log_path = raw.log_path;
    request.log_enabled = !raw.no_log;

    request.lower = number_argument("--lower", raw.lower);
    request.upper = number_argument("--upper", raw.upper);

    if (raw.moments_file && !raw.moments.empty())
        throw InvalidInput("give the moments either as arguments or with --moments-file, not both");
    if (raw.moments_file) {
        const std::string origin = "--moments-file " + printable_message(*raw.moments_file);
        request.moments =
            parse_moment_list(read_moments_source(*raw.moments_file, standard_input), origin);
    } else {
        request.moments = moment_arguments(raw.moments);
    }

    // The dialog's own checks, in the dialog's order.  The classic estimations
    // need their 3, 4 or 5 moments; the sharp method answers from M0 alone.
    if (request.method == Method::classic) {
        if (request.moments.size() <
            static_cast<std::size_t>(minimum_moment_count(request.support)))
            throw InvalidInput(too_few_moments_message(request.support));
    } else if (request.moments.empty()) {
        throw InvalidInput(no_moments_message);
    }
    if (request.moments[0] != 1.0)
        throw InvalidInput(zeroth_moment_message);
    return request;
}

} // namespace vendrill::cli
