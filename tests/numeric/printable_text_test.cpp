// SPDX-License-Identifier: Apache-2.0
// Input echoed in messages: control bytes escaped, long tokens cut.

#include "numeric/printable_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Echo {
    const char* name;
    std::string input;
    std::string quoted;  // quoted_excerpt
    std::string message; // printable_message of "in " + input + " end"
};

void PrintTo(const Echo& c, std::ostream* os) {
    *os << c.name;
}

class EchoTest : public ::testing::TestWithParam<Echo> {};

TEST_P(EchoTest, EscapesAndCuts) {
    EXPECT_EQ(quoted_excerpt(GetParam().input), GetParam().quoted);
    EXPECT_EQ(printable_message("in " + GetParam().input + " end"),
              "in " + GetParam().message + " end");
}

const std::string x64(64, 'x');

std::string repeated(const std::string& part, int times) {
    std::string text;
    for (int i = 0; i < times; ++i)
        text += part;
    return text;
}

INSTANTIATE_TEST_SUITE_P(
    Table, EchoTest,
    ::testing::Values(
        Echo{"Plain", "1.5e3", "'1.5e3'", "1.5e3"},
        Echo{"ControlBytes", "a\x1b[2J\t\x7f", "'a\\x1b[2J\\x09\\x7f'", "a\\x1b[2J\\x09\\x7f"},
        Echo{"Utf8LettersStay", "\xc3\xa1rv\xc3\xadz", "'\xc3\xa1rv\xc3\xadz'",
             "\xc3\xa1rv\xc3\xadz"},
        Echo{"C1ControlAndBrokenUtf8",
             "\xc2\x9b"
             "1m\xff\xc3",
             "'\\xc2\\x9b1m\\xff\\xc3'", "\\xc2\\x9b1m\\xff\\xc3"},
        Echo{"Overlong", "\xc0\xaf", "'\\xc0\\xaf'", "\\xc0\\xaf"},
        Echo{"ExactlyTheLimit", x64, "'" + x64 + "'", x64},
        Echo{"OneOver", x64 + "y", "'" + x64 + "...' (65 bytes)", x64 + "..."},
        Echo{"LetterAcrossTheLimit", std::string(63, 'x') + "\xc3\xa1",
             "'" + std::string(63, 'x') + "...' (65 bytes)", std::string(63, 'x') + "..."},
        Echo{"EscapesCountAsTheirByte", std::string(70, '\n'),
             "'" + repeated("\\x0a", 64) + "...' (70 bytes)", repeated("\\x0a", 64) + "..."}),
    [](const ::testing::TestParamInfo<Echo>& info) { return std::string(info.param.name); });

} // namespace
