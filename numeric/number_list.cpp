// SPDX-License-Identifier: Apache-2.0
#include "numeric/number_list.h"

#include <charconv>
#include <cmath>
#include <string>
#include <system_error>

namespace {

bool is_separator(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f' || c == ',' ||
           c == ';';
}

// Numbers from 1e-4 up to below 1e15 are written in fixed notation, others in
// scientific notation, as JSON writers lay them out (0.0005, 1e-05, 1e+15).
constexpr int fixed_exponent_min = -4;
constexpr int fixed_exponent_max = 14;

// Items longer than this are shortened in messages.
constexpr std::size_t shown_item_length = 40;

} // namespace

NumberItemStatus parse_number_item(std::string_view text, double& value) {
    // from_chars takes a '-' but no '+'; a '+' is taken here, once.
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && (text.front() == '+' || text.front() == '-'))
            return NumberItemStatus::not_a_number;
    }
    if (text.empty())
        return NumberItemStatus::not_a_number;
    const char* const end = text.data() + text.size();
    double parsed = 0.0;
    const auto [stop, error] = std::from_chars(text.data(), end, parsed);
    if (error == std::errc::result_out_of_range && stop == end)
        return NumberItemStatus::out_of_range;
    if (error != std::errc() || stop != end)
        return NumberItemStatus::not_a_number;
    if (!std::isfinite(parsed))
        return NumberItemStatus::not_finite;
    value = parsed;
    return NumberItemStatus::ok;
}

const char* number_item_problem(NumberItemStatus status) {
    switch (status) {
    case NumberItemStatus::ok:
        return "is a number";
    case NumberItemStatus::not_a_number:
        return "is not a number";
    case NumberItemStatus::not_finite:
        return "is not a finite number";
    case NumberItemStatus::out_of_range:
        return "is out of the range of a double";
    }
    return "is not a number";
}

NumberList parse_number_list(std::string_view text) {
    NumberList list;
    std::size_t line = 1;
    std::size_t i = 0;
    while (i < text.size()) {
        if (is_separator(text[i])) {
            if (text[i] == '\n')
                ++line;
            ++i;
            continue;
        }
        if (text[i] == '#') {
            while (i < text.size() && text[i] != '\n')
                ++i;
            continue;
        }
        std::size_t end = i;
        while (end < text.size() && !is_separator(text[end]))
            ++end;
        const std::string_view item = text.substr(i, end - i);
        ++list.items;
        i = end;
        if (list.faulty)
            continue; // only counted
        double value = 0.0;
        const NumberItemStatus status = parse_number_item(item, value);
        if (status != NumberItemStatus::ok) {
            list.fault = NumberListFault{status, std::string(item), list.values.size(), line};
            list.faulty = true;
            continue;
        }
        list.values.push_back(value);
    }
    if (list.faulty)
        list.values.clear();
    return list;
}

std::string describe_fault(const NumberListFault& fault) {
    std::string shown;
    for (const char c : fault.item.substr(0, shown_item_length)) {
        const auto byte = static_cast<unsigned char>(c);
        shown += byte < 0x20 || byte == 0x7f ? '?' : c;
    }
    if (fault.item.size() > shown_item_length)
        shown += "...";
    return "'" + shown + "' (line " + std::to_string(fault.line) + ", item " +
           std::to_string(fault.index + 1) + ") " + number_item_problem(fault.status);
}

std::string format_shortest(double value) {
    // The fewest significant digits that read back to value, in scientific
    // notation: at most 24 characters ("-2.2250738585072014e-308").
    char buffer[32];
    const std::to_chars_result result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
    const std::string scientific(buffer, result.ptr);
    const std::size_t e = scientific.find('e');
    if (!std::isfinite(value) || e == std::string::npos)
        return scientific;
    const int exponent = std::stoi(scientific.substr(e + 1));
    if (exponent < fixed_exponent_min || exponent > fixed_exponent_max)
        return scientific;
    // The same digits in fixed notation.
    const bool negative = scientific.front() == '-';
    std::string digits;
    for (std::size_t i = negative ? 1 : 0; i < e; ++i) {
        if (scientific[i] != '.')
            digits += scientific[i];
    }
    std::string text = negative ? "-" : "";
    if (exponent < 0) {
        text += "0.";
        text.append(static_cast<std::size_t>(-exponent - 1), '0');
        text += digits;
    } else if (digits.size() <= static_cast<std::size_t>(exponent) + 1) {
        text += digits;
        text.append(static_cast<std::size_t>(exponent) + 1 - digits.size(), '0');
    } else {
        text += digits.substr(0, static_cast<std::size_t>(exponent) + 1);
        text += '.';
        text += digits.substr(static_cast<std::size_t>(exponent) + 1);
    }
    return text;
}

std::string format_number_list(const std::vector<double>& values) {
    std::string text;
    for (const double value : values) {
        text += format_shortest(value);
        text += '\n';
    }
    return text;
}
