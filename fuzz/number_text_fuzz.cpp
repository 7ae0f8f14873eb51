// SPDX-License-Identifier: Apache-2.0
// Number texts as the tool and the dialog read and write them, and the
// escaping of echoed input.  Checks: a number the command line accepts is
// finite, its shortest text reads back to the same bits, and the dialog's
// reader agrees on it; a number the dialog accepts is finite and its "%.15g"
// text reads back within 15 digits (beyond the largest 15-digit text it
// cannot: the dialog shows that text instead); the list reader takes at most
// the capped count of finite moments; echoed text holds no control byte and
// stays short.

#include "cli/output.h"
#include "cli/request.h"
#include "fuzz_support.h"
#include "numeric/number_text.h"
#include "numeric/printable_text.h"

#include <cmath>
#include <cstring>
#include <string>
#include <string_view>

namespace {

using namespace vendrill::cli;

bool same_bits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

bool printable(const std::string& text) {
    for (const char c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return false;
    return true;
}

// The largest double that "%.15g" writes as a text that reads back.
constexpr double largest_15_digit_value = 1.79769313486231e308;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    double value = 0.0;
    if (parse_number(text, value) == NumberStatus::ok) {
        FUZZ_CHECK(std::isfinite(value));
        double back = 0.0;
        FUZZ_CHECK(parse_number(round_trip_number(value), back) == NumberStatus::ok);
        FUZZ_CHECK(same_bits(back, value));
        double dialog = 0.0;
        FUZZ_CHECK(parse_whole_double(text, dialog));
        FUZZ_CHECK(same_bits(dialog, value));
    }

    double shown = 0.0;
    if (parse_whole_double(text, shown)) {
        FUZZ_CHECK(std::isfinite(shown));
        const std::string general = format_general15(shown);
        double back = 0.0;
        if (std::fabs(shown) <= largest_15_digit_value) {
            FUZZ_CHECK(parse_whole_double(general, back));
            FUZZ_CHECK(std::fabs(back - shown) <= 1e-14 * std::fabs(shown));
        }
        FUZZ_CHECK(!format_fixed(shown).empty());
    }
    static_cast<void>(parse_leading_double(text));

    try {
        const std::vector<double> moments = parse_moment_list(text, "fuzz");
        FUZZ_CHECK(moments.size() <= max_moment_count);
        for (const double m : moments)
            FUZZ_CHECK(std::isfinite(m));
    } catch (const InvalidInput& e) {
        FUZZ_CHECK(printable(e.what()));
        FUZZ_CHECK(std::strlen(e.what()) < 512);
    }
    try {
        const PositionRange range = parse_position_range(text);
        FUZZ_CHECK(range.count >= 2 && range.count <= max_position_count);
        FUZZ_CHECK(std::isfinite(range.from) && std::isfinite(range.to));
        FUZZ_CHECK(range.at(0) == range.from && range.at(range.count - 1) == range.to);
        FUZZ_CHECK(std::isfinite(range.at(range.count / 2)));
    } catch (const InvalidInput& e) {
        FUZZ_CHECK(printable(e.what()));
    }

    const std::string quoted = quoted_excerpt(text);
    FUZZ_CHECK(printable(quoted));
    FUZZ_CHECK(quoted.size() <= 4 * echo_token_limit + 32);
    FUZZ_CHECK(printable(printable_message(text)));
    return 0;
}
