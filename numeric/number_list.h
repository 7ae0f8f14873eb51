// SPDX-License-Identifier: Apache-2.0
#pragma once
// Lists of numbers as text, the form in which moments are pasted, saved and
// loaded: numbers separated by blanks, commas, semicolons or line ends, with
// '#' comments.  Read and written with '.' as the decimal point whatever the
// process locale is; a written list reads back to the same doubles.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// What became of one item of a list.
enum class NumberItemStatus {
    ok,
    not_a_number, // not the text of a number, or more than one
    not_finite,   // "inf", "nan" and their kin
    out_of_range, // beyond the range of a double, or too close to 0 for one
};

// One item: an optional '+' or '-', then a decimal number in fixed or
// scientific notation, read to the nearest double.  value is set only when
// the result is ok.
NumberItemStatus parse_number_item(std::string_view text, double& value);

// "is not a number", "is not a finite number", "is out of the range of a double".
const char* number_item_problem(NumberItemStatus status);

// The first item of a list that is not a number.
struct NumberListFault {
    NumberItemStatus status = NumberItemStatus::not_a_number;
    std::string item;      // its text
    std::size_t index = 0; // its place among the items, from 0
    std::size_t line = 1;  // its line, from 1
};

struct NumberList {
    std::vector<double> values; // every number when ok(); none otherwise
    std::size_t items = 0;      // the items of the text, numbers or not
    bool faulty = false;
    NumberListFault fault; // set when faulty

    bool ok() const { return !faulty; }
};

// Reads every item of text.  Items are separated by blanks (space, tab, line
// ends, vertical tab, form feed), commas and semicolons; an item that starts
// with '#' begins a comment, which runs to the end of its line.  The first
// item that is not a number makes the list faulty; fault describes it.
NumberList parse_number_list(std::string_view text);

// "'abc' (line 2, item 4) is not a number": the fault for a message, with a
// long item shortened and characters that would not print replaced by '?'.
std::string describe_fault(const NumberListFault& fault);

// The text with the fewest significant digits that reads back to the same
// double, laid out as vendrill-cli's JSON lays numbers out: fixed notation from
// 1e-4 up to below 1e15, scientific otherwise (0.5, 0.3333333333333333,
// 0.0005, 1e-07, 1000, 1e+15), without JSON's ".0" after a whole number.
// Infinities and NaN give "inf", "-inf" and "nan", which no list accepts.
std::string format_shortest(double value);

// One number a line, each in its shortest text, every line ended by '\n'.
std::string format_number_list(const std::vector<double>& values);
