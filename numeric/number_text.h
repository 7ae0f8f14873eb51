// SPDX-License-Identifier: Apache-2.0
#pragma once
// Numbers as text with '.' as the decimal point whatever the process locale is
// (a Qt application adopts the user's locale, and a Hungarian one would turn
// printf's "0.500000" into "0,500000").

#include <string>
#include <string_view>

// As printf("%f"): fixed notation with six decimals.
std::string format_fixed(double value);
// As printf("%.15g"): the way edits show doubles.
std::string format_general15(double value);
// As atof in the C locale: leading blanks skipped, the longest numeric prefix
// converted, 0 when the text does not start with a number.
double parse_leading_double(std::string_view text);
// True when the whole text, blanks around it allowed, is one finite number;
// the number is stored in value.  value is left alone otherwise.
bool parse_whole_double(std::string_view text, double& value);
