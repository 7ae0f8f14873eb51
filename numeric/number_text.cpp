// SPDX-License-Identifier: Apache-2.0
#include "numeric/number_text.h"

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <locale.h>
#include <string>
#include <system_error>

namespace {

// Large enough for the widest "%f" of a double: a sign, 309 integer digits,
// the point and six decimals.
constexpr int fixed_buffer_size = 400;

std::string to_text(double value, std::chars_format format, int precision) {
    char buffer[fixed_buffer_size];
    const std::to_chars_result result =
        std::to_chars(buffer, buffer + fixed_buffer_size, value, format, precision);
    return std::string(buffer, result.ptr);
}

// The "C" locale, made once: strtod_l with it reads '.' as the decimal point
// whatever the process locale is.
locale_t c_locale() {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return locale;
}

// Reads the longest numeric prefix of text as strtod does in the C locale.
// end receives the offset just past the number (0 when there is none).
double parse_prefix(std::string_view text, std::size_t& end) {
    const std::string terminated(text); // strtod needs a terminating NUL
    char* stop = nullptr;
    const double value = strtod_l(terminated.c_str(), &stop, c_locale());
    end = static_cast<std::size_t>(stop - terminated.c_str());
    return value;
}

bool is_blank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

} // namespace

std::string format_fixed(double value) {
    return to_text(value, std::chars_format::fixed, 6);
}

std::string format_general15(double value) {
    return to_text(value, std::chars_format::general, 15);
}

double parse_leading_double(std::string_view text) {
    std::size_t end = 0;
    return parse_prefix(text, end);
}

bool parse_whole_double(std::string_view text, double& value) {
    std::size_t end = 0;
    const double parsed = parse_prefix(text, end);
    if (end == 0)
        return false; // no number at all (strtod consumed nothing)
    while (end < text.size() && is_blank(text[end]))
        ++end;
    if (end != text.size() || !std::isfinite(parsed))
        return false;
    value = parsed;
    return true;
}
