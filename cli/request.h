// SPDX-License-Identifier: Apache-2.0
#pragma once
// The request of one vendrill-cli run: what the user asked for, checked and
// converted.  Everything here is validated before any computation starts, so
// an invalid request never reaches the estimation code or the error log.

#include <cstdint>
#include <cstdio>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "estimation/messages.h"
#include "numeric/support.h"

namespace vendrill::cli {

// Raised for input that cannot be computed; its text is the message the user
// sees on standard error.
class InvalidInput : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class OutputFormat { text, json, csv };

// sharp (the default): the bounds of the moment problem itself
// (sharp/sharp.h), one analysis for all positions.  classic: the estimation
// drivers, as the dialog computes by default, guarded by the sharp analysis.
enum class Method { classic, sharp };

// The most moments a request may hold (estimation/messages.h).
using ::max_moment_count;
// The most bytes read from a moments file or standard input: room for
// max_moment_count moments written with every digit a double can have.  An
// endless stream (/dev/zero) is refused once this is passed.
inline constexpr std::size_t max_moments_source_bytes = std::size_t{1} << 20;
// The most positions a request may ask for: up to 2^53 the index of each
// position converts exactly to a double, so no two of a range coincide by
// rounding (and no run could get there anyway).
inline constexpr std::uint64_t max_position_count = std::uint64_t{1} << 53;

// COUNT evenly spaced positions from `from` to `to`, both ends included.
struct PositionRange {
    double from = 0.0;
    double to = 0.0;
    std::uint64_t count = 0;

    double at(std::uint64_t i) const;
};

// The most moments --moments takes for a sample: the sharp method uses at
// most 32, and every further one costs time at every value.
inline constexpr int max_sample_moments = 32;
// The most positions --plot draws: beyond this the curves are finer than any
// screen shows them, and the picture only grows.
inline constexpr std::uint64_t max_plot_positions = 10000;

// The arguments as the user typed them, before any conversion.
struct RawArguments {
    std::optional<std::string> type;
    std::vector<std::string> positions;
    std::optional<std::string> position_range;
    std::string lower = "0";
    std::string upper = "1";
    std::string format = "text";
    std::string method = "sharp";
    std::string tail = "lower";
    std::vector<std::string> moments;
    std::optional<std::string> moments_file;
    std::optional<std::string> about;
    // Summary statistics in place of a moment list.
    std::optional<std::string> mean;
    std::optional<std::string> sd;
    std::optional<std::string> skewness;
    std::optional<std::string> kurtosis;
    std::optional<std::string> excess_kurtosis;
    // A sample in place of a moment list.
    std::optional<std::string> sample;
    std::optional<std::string> column;
    std::optional<std::string> sample_moments; // --moments N
    std::optional<std::string> plot_path;
    std::optional<std::string> log_path;
    bool no_log = false;
};

// Which tail the text output leads with: lower (the bounds L and U alone) or
// upper (P(X >= x) <= 1 - L and P(X > x) >= 1 - U first).
enum class Tail { lower, upper };

struct Request {
    Support support = Support::whole;
    double lower = 0.0;
    double upper = 1.0;
    std::vector<double> positions; // the --position values, in the order given
    std::optional<PositionRange> range;
    // E[(X - centre)^k] for k = 0 .. n-1: raw moments with centre 0, the
    // moments about the mean for statistics and samples.
    std::vector<double> moments;
    double centre = 0.0;
    // Where the moments came from, in a few words (the plot's title).
    std::string description;
    OutputFormat format = OutputFormat::text;
    Method method = Method::sharp;
    Tail tail = Tail::lower;
    std::optional<std::string> plot_path;
    std::optional<std::string> log_path; // nullopt: the library's ./error.log
    bool log_enabled = true;

    std::uint64_t position_count() const;
    // Positions run through the --position values first, then the range.
    double position_at(std::uint64_t i) const;
    // The raw moments E[X^k] (the classic estimations' input, the error
    // log's moments): the moments themselves when the centre is 0.
    std::vector<double> raw_moments() const;
};

enum class NumberStatus { ok, not_a_number, out_of_range, not_finite };

// Reads the whole text as one double at full precision, '.' as the decimal
// point whatever the locale; a leading '+' is allowed.  value is set only when
// the status is ok.
NumberStatus parse_number(std::string_view text, double& value);

// "0", "1", "2" or the words "whole", "half", "bounded" ("interval" too), in
// any case.
std::optional<Support> parse_type(std::string_view text);
std::optional<OutputFormat> parse_format(std::string_view text);
// "classic" or "sharp".
std::optional<Method> parse_method(std::string_view text);
// "FROM:TO:COUNT" with 2 <= COUNT <= max_position_count; throws InvalidInput
// naming --positions.
PositionRange parse_position_range(std::string_view text);
// Reads the numbers of a moments file (numeric/number_list.h: separated by
// blanks, line ends, commas or semicolons, '#' comments); the messages name
// `origin` (the file) and the moment's index.  More than max_moment_count
// items are refused.
std::vector<double> parse_moment_list(std::string_view text, const std::string& origin);
// Reads a whole file, or standard input for "-"; throws InvalidInput when it
// cannot be read or holds more than max_moments_source_bytes (the reading
// stops there).
std::string read_moments_source(const std::string& path, std::FILE* standard_input);

// Converts and checks everything, in the order the user would fix it: the
// options first, then the moments (from one of the arguments, --moments-file,
// --sample or --mean and its kin), then the 0th moment (before the count,
// which would otherwise hide the real mistake) and the count
// (estimation/messages.h; the sharp method takes any count from 1).  Throws
// InvalidInput with the message for the first fault found; the input it
// echoes is escaped and cut (numeric/printable_text.h).
Request validate(const RawArguments& raw, std::FILE* standard_input);

} // namespace vendrill::cli
