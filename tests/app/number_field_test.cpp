// SPDX-License-Identifier: Apache-2.0
// A double shown in an edit reads back from it, up to the largest double.

#include "app_test_support.h"

#include "numeric/number_text.h"

#include <cfloat>
#include <cmath>
#include <string>

namespace vendrill::test {
namespace {

class NumberFieldTest : public DialogTest {};

// "%.15g" is kept wherever it reads back; next to +-DBL_MAX, where it rounds
// past the largest double, the edit shows the largest text that reads back.
TEST_F(NumberFieldTest, EveryFiniteValueReadsBackFromItsEdit) {
    const std::string largest = "1.79769313486231e+308";
    double refused = 0.0;
    EXPECT_FALSE(parse_whole_double("1.79769313486232e+308", refused))
        << "the next text of 15 digits must not read back, or a larger one would do";
    const struct {
        double value;
        std::string text; // "": the value's "%.15g"
    } cases[] = {
        {DBL_MAX, largest},
        {-DBL_MAX, "-" + largest},
        {std::nextafter(DBL_MAX, 0.0), largest},
        {1.79769313486231e308, ""},
        {1e308, ""},
        {0.1, ""},
        {-2.5e-310, ""},
    };
    for (const auto& c : cases) {
        dlg->m_position = c.value;
        dlg->UpdateData(false);
        const std::string shown = edit(IDC_POSITION)->text().toStdString();
        EXPECT_EQ(shown, c.text.empty() ? format_general15(c.value) : c.text) << c.value;
        ASSERT_TRUE(dlg->UpdateData(true)) << shown;
        EXPECT_TRUE(std::isfinite(dlg->m_position));
        EXPECT_LE(std::fabs(dlg->m_position - c.value), 1e-14 * std::fabs(c.value)) << shown;
    }
    EXPECT_TRUE(boxes.isEmpty()) << boxes.join(" | ").toStdString();
}

} // namespace
} // namespace vendrill::test
