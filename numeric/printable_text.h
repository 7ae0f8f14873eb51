// SPDX-License-Identifier: Apache-2.0
#pragma once
// Text that came from the user, made safe to echo in a message: bytes that a
// terminal would act on are written as \xHH, and a long token is cut, so that
// a hostile argument or file neither floods standard error nor moves the
// cursor.

#include <cstddef>
#include <string>
#include <string_view>

// Input bytes an echoed token keeps before it is cut.
inline constexpr std::size_t echo_token_limit = 64;

// text in single quotes, its control bytes (below 0x20, 0x7F, the C1 range)
// and bytes that are not well-formed UTF-8 escaped as \xHH; well-formed UTF-8
// letters pass unchanged.  A text longer than echo_token_limit bytes keeps its
// first letters up to that limit and ends in "..." inside the quotes, followed
// by its full length: 'xxxx...' (100000000 bytes).
std::string quoted_excerpt(std::string_view text);

// A whole message that holds echoed input in places unknown (a parser's own
// message): escaped as above, and every run of characters without a blank
// that is longer than echo_token_limit bytes cut to it, with "...".
std::string printable_message(std::string_view text);
