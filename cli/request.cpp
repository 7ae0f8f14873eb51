// SPDX-License-Identifier: Apache-2.0
#include "cli/request.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <system_error>

#include "cli/sample.h"
#include "estimation/messages.h"
#include "estimation/moments_about.h"
#include "numeric/number_list.h"
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

std::string too_many_moments(const std::string& count) {
    return too_many_moments_message(count);
}

NumberStatus number_status(NumberItemStatus status) {
    switch (status) {
    case NumberItemStatus::ok:
        return NumberStatus::ok;
    case NumberItemStatus::not_finite:
        return NumberStatus::not_finite;
    case NumberItemStatus::out_of_range:
        return NumberStatus::out_of_range;
    case NumberItemStatus::not_a_number:
        break;
    }
    return NumberStatus::not_a_number;
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

// A whole number from `least` to `most` for the option `what`.
std::uint64_t count_argument(const std::string& what, std::string_view text, std::uint64_t least,
                             std::uint64_t most, const std::string& meaning) {
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < least ||
        value > most)
        throw InvalidInput(what + ": " + meaning + " must be a whole number from " +
                           std::to_string(least) + " to " + std::to_string(most) + ", got " +
                           quoted(text));
    return value;
}

// A few words on a list given as numbers: the numbers themselves when there
// are few of them.
std::string list_description(const std::vector<double>& moments, double centre, bool about) {
    constexpr std::size_t shown_moments = 6;
    std::string text;
    if (moments.size() <= shown_moments) {
        text = "moments";
        for (const double m : moments) {
            text += ' ';
            text += format_shortest(m);
        }
    } else {
        text = std::to_string(moments.size()) + " moments";
    }
    if (about) {
        text += " about ";
        text += format_shortest(centre);
    }
    return text;
}

std::string statistics_fault_message(StatisticsFault fault, const RawArguments& raw,
                                     const SummaryStatistics& statistics) {
    const char* const kurtosis_option = raw.kurtosis ? "--kurtosis" : "--excess-kurtosis";
    switch (fault) {
    case StatisticsFault::skewness_without_sd:
        return "--skewness needs --sd";
    case StatisticsFault::kurtosis_without_skewness:
        return std::string(kurtosis_option) +
               " needs --skewness: the moments must follow one another, the 3rd before the "
               "4th";
    case StatisticsFault::sd_not_positive:
        return "--sd: the standard deviation must be above 0, got " + quoted(*raw.sd);
    case StatisticsFault::kurtosis_too_small:
        return std::string(kurtosis_option) + " " +
               quoted(raw.kurtosis ? *raw.kurtosis : *raw.excess_kurtosis) + " with --skewness " +
               quoted(*raw.skewness) + ": no distribution has a kurtosis below skewness^2 + 1 = " +
               format_shortest(*statistics.skewness * *statistics.skewness + 1.0) +
               " (--kurtosis is E[(X - mean)^4] / sd^4; --excess-kurtosis is that minus 3)";
    case StatisticsFault::out_of_range:
        return "--mean, --sd ...: the moments of these statistics are beyond the range of a "
               "double";
    case StatisticsFault::none:
        break;
    }
    return "";
}

// --mean [--sd [--skewness [--kurtosis | --excess-kurtosis]]]: the moments
// about the mean.
void statistics_moments(const RawArguments& raw, Request& request) {
    if (!raw.mean)
        throw InvalidInput(std::string(raw.sd         ? "--sd"
                                       : raw.skewness ? "--skewness"
                                       : raw.kurtosis ? "--kurtosis"
                                                      : "--excess-kurtosis") +
                           " needs --mean");
    if (raw.kurtosis && raw.excess_kurtosis)
        throw InvalidInput("give --kurtosis or --excess-kurtosis, not both");
    SummaryStatistics statistics;
    statistics.mean = number_argument("--mean", *raw.mean);
    std::string text = "mean " + format_shortest(statistics.mean);
    if (raw.sd) {
        statistics.sd = number_argument("--sd", *raw.sd);
        text += ", sd " + format_shortest(*statistics.sd);
    }
    if (raw.skewness) {
        statistics.skewness = number_argument("--skewness", *raw.skewness);
        text += ", skewness " + format_shortest(*statistics.skewness);
    }
    if (raw.kurtosis) {
        statistics.kurtosis = number_argument("--kurtosis", *raw.kurtosis);
        text += ", kurtosis " + format_shortest(*statistics.kurtosis);
    } else if (raw.excess_kurtosis) {
        const double excess = number_argument("--excess-kurtosis", *raw.excess_kurtosis);
        statistics.kurtosis = excess + 3.0;
        text += ", excess kurtosis " + format_shortest(excess);
    }
    const StatisticsFault fault = check_statistics(statistics);
    if (fault != StatisticsFault::none)
        throw InvalidInput(statistics_fault_message(fault, raw, statistics));
    const MomentsAbout list = ::statistics_moments(statistics);
    request.moments = list.moments;
    request.centre = list.centre;
    request.description = text;
}

void sample_moments(const RawArguments& raw, Request& request, std::FILE* standard_input) {
    SampleRequest sample;
    sample.path = *raw.sample;
    if (raw.column)
        sample.column = count_argument("--column", *raw.column, 1, 1000000, "N (the field)");
    if (raw.sample_moments)
        sample.moment_count = static_cast<int>(count_argument(
            "--moments", *raw.sample_moments, 1, max_sample_moments, "N (counting the 0th)"));
    const SampleMoments moments =
        read_sample(sample, request.support, request.lower, request.upper, standard_input);
    request.moments = moments.about.moments;
    request.centre = moments.about.centre;
    request.description = std::to_string(request.moments.size()) + " moments of the sample " +
                          quoted(sample.path) + " (" + std::to_string(moments.count) + " values)";
}

// The moments from the one place the user gave them.
void read_moments(const RawArguments& raw, Request& request, std::FILE* standard_input) {
    const bool statistics =
        raw.mean || raw.sd || raw.skewness || raw.kurtosis || raw.excess_kurtosis;
    if (raw.moments_file && !raw.moments.empty())
        throw InvalidInput("give the moments either as arguments or with --moments-file, not both");
    const int sources = static_cast<int>(!raw.moments.empty()) +
                        static_cast<int>(raw.moments_file.has_value()) +
                        static_cast<int>(raw.sample.has_value()) + static_cast<int>(statistics);
    if (sources > 1)
        throw InvalidInput("give the moments one way: as arguments, with --moments-file, with "
                           "--sample, or with --mean and its kin, not several");
    if ((raw.column || raw.sample_moments) && !raw.sample)
        throw InvalidInput(std::string(raw.column ? "--column" : "--moments") +
                           " goes with --sample");
    if (raw.about && (statistics || raw.sample))
        throw InvalidInput(std::string("--about: the moments of ") +
                           (raw.sample ? "--sample" : "--mean") + " are about the mean already");
    if (raw.about)
        request.centre = number_argument("--about", *raw.about);

    if (statistics) {
        statistics_moments(raw, request);
    } else if (raw.sample) {
        sample_moments(raw, request, standard_input);
    } else if (raw.moments_file) {
        const std::string origin = "--moments-file " + printable_message(*raw.moments_file);
        request.moments =
            parse_moment_list(read_moments_source(*raw.moments_file, standard_input), origin);
        request.description =
            list_description(request.moments, request.centre, raw.about.has_value());
        if (request.moments.size() > 6)
            request.description += " from " + quoted(*raw.moments_file);
    } else {
        request.moments = moment_arguments(raw.moments);
        request.description =
            list_description(request.moments, request.centre, raw.about.has_value());
    }
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

std::vector<double> Request::raw_moments() const {
    return ::raw_moments(moments.data(), static_cast<int>(moments.size()), centre);
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
    std::string word(text);
    for (char& c : word)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    if (word == "0" || word == "whole")
        return Support::whole;
    if (word == "1" || word == "half")
        return Support::half;
    if (word == "2" || word == "bounded" || word == "interval")
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
    const NumberList list = parse_number_list(text);
    // The first fault is the one reported, unless the list was already too
    // long where it occurs.
    if (list.faulty && list.fault.index < max_moment_count)
        throw InvalidInput(number_fault(origin + ": moment M" + std::to_string(list.fault.index),
                                        list.fault.item, number_status(list.fault.status)));
    if (list.items > max_moment_count)
        throw InvalidInput(origin + ": " +
                           too_many_moments(std::to_string(max_moment_count + 1) + " or more"));
    return list.values;
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

    if (raw.tail == "lower")
        request.tail = Tail::lower;
    else if (raw.tail == "upper")
        request.tail = Tail::upper;
    else
        throw InvalidInput("--tail: unknown tail " + quoted(raw.tail) + " (use lower or upper)");

    if (raw.plot_path) {
        if (raw.plot_path->empty())
            throw InvalidInput("--plot: the path is empty");
        if (!request.range)
            throw InvalidInput("--plot needs --positions FROM:TO:COUNT: the band is drawn over "
                               "that range");
        if (request.range->count > max_plot_positions)
            throw InvalidInput("--plot: at most " + std::to_string(max_plot_positions) +
                               " positions are drawn, --positions asks for " +
                               std::to_string(request.range->count));
        request.plot_path = raw.plot_path;
    }

    request.lower = number_argument("--lower", raw.lower);
    request.upper = number_argument("--upper", raw.upper);

    read_moments(raw, request, standard_input);

    // The dialog's own checks, the 0th moment first here: a list that does
    // not start with 1 is the mistake to fix before its length.  The
    // classic estimations need their 3, 4 or 5 moments; the sharp method
    // answers from M0 alone.
    if (!request.moments.empty() && request.moments[0] != 1.0)
        throw InvalidInput(zeroth_moment_message);
    if (request.method == Method::classic) {
        if (request.moments.size() <
            static_cast<std::size_t>(minimum_moment_count(request.support)))
            throw InvalidInput(too_few_moments_message(request.support));
        if (request.centre != 0.0 && !all_finite(request.raw_moments()))
            throw InvalidInput("--method classic: " +
                               raw_moments_out_of_range_message(request.centre));
    } else if (request.moments.empty()) {
        throw InvalidInput(no_moments_message);
    }
    return request;
}

} // namespace vendrill::cli
