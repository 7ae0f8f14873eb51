// SPDX-License-Identifier: Apache-2.0
#include "numeric/printable_text.h"

namespace {

// Length of the well-formed UTF-8 sequence of a printable letter (U+00A0 and
// above) at the start of text; 0 when there is none.
std::size_t utf8_letter_length(std::string_view text) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    char32_t code_point = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code_point = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code_point = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code_point = lead & 0x07;
    } else {
        return 0;
    }
    if (text.size() < length)
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80)
            return 0;
        code_point = (code_point << 6) | (byte(i) & 0x3F);
    }
    // Overlong forms, surrogates, values beyond U+10FFFF and the C1 controls
    // (U+0080 to U+009F) are escaped byte by byte.
    const char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code_point < smallest[length] || code_point < 0xA0 ||
        (code_point >= 0xD800 && code_point <= 0xDFFF) || code_point > 0x10FFFF)
        return 0;
    return length;
}

void append_escaped(std::string& out, unsigned char byte) {
    const char digits[] = "0123456789abcdef";
    out += "\\x";
    out += digits[byte >> 4];
    out += digits[byte & 0x0F];
}

// Appends text[from, ...) escaped until limit input bytes are taken (never
// splitting a letter) or the run ends at a blank when stop_at_blank; returns
// the offset reached.
std::size_t append_printable(std::string& out, std::string_view text, std::size_t from,
                             std::size_t limit, bool stop_at_blank) {
    std::size_t i = from;
    while (i < text.size() && i - from < limit) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (stop_at_blank && c == ' ')
            break;
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        const std::size_t letter = c >= 0x80 ? utf8_letter_length(text.substr(i)) : 0;
        if (letter == 0) {
            append_escaped(out, c);
            ++i;
        } else if (i - from + letter <= limit) {
            out.append(text.substr(i, letter));
            i += letter;
        } else {
            break;
        }
    }
    return i;
}

} // namespace

std::string quoted_excerpt(std::string_view text) {
    std::string out = "'";
    const std::size_t reached = append_printable(out, text, 0, echo_token_limit, false);
    if (reached < text.size())
        return out + "...' (" + std::to_string(text.size()) + " bytes)";
    return out + "'";
}

std::string printable_message(std::string_view text) {
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == ' ') {
            out += ' ';
            ++i;
            continue;
        }
        i = append_printable(out, text, i, echo_token_limit, true);
        if (i < text.size() && text[i] != ' ') {
            out += "...";
            while (i < text.size() && text[i] != ' ')
                ++i;
        }
    }
    return out;
}
