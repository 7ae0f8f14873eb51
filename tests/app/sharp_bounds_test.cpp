// SPDX-License-Identifier: Apache-2.0
// The "Sharp bounds" entry of the context menu and Calculate in sharp mode:
// the bounds of the sharp method for the moments as the list holds them, the
// verdict boxes, the type left alone, an untouched error log, and the classic
// estimations back once the entry is off.

#include "app_test_support.h"

#include "estimation/estimate.h"
#include "numeric/number_text.h"
#include "numeric/vector.h"
#include "sharp/sharp.h"
#include "tests/support/contexts.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QTest>
#include <QTimer>

#include <cmath>
#include <functional>
#include <vector>

namespace vendrill::test {
namespace {

// Poisson(1): its moments are the Bell numbers (rounded as doubles from the
// 23rd on); the sharp method resolves the first 25 of 28.
QStringList bell_numbers(int count) {
    QStringList texts;
    std::vector<double> row{1};
    texts.append(QStringLiteral("1"));
    while (texts.size() < count) {
        std::vector<double> next{row.back()};
        for (const double value : row)
            next.push_back(next.back() + value);
        row = next;
        texts.append(QString::number(row.front(), 'f', 0));
    }
    return texts;
}

class SharpBoundsTest : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        // What the result fields showed when each box came up.
        set_message_box_hook([this](const QString& text) {
            boxes.append(text);
            fields_at_box.append(lower_bound() + " / " + upper_bound());
        });
    }

    void set_sharp(bool on) {
        if (dlg->m_sharpBoundsEntry->isChecked() != on)
            dlg->m_sharpBoundsEntry->trigger();
        ASSERT_EQ(dlg->m_sharp, on);
    }
    // Bounds that the fields should show: to be overwritten by Calculate.
    void preset_bounds() {
        ASSERT_TRUE(dlg->UpdateData(true));
        dlg->m_lowerBound = 0.25;
        dlg->m_upperBound = 0.75;
        dlg->UpdateData(false);
    }
    // The sharp method on the request as the dialog holds it: the transferred
    // members and the moments as the list's texts read.
    SharpAnalysis analysis_of_request() {
        EXPECT_TRUE(dlg->UpdateData(true));
        std::vector<double> moments;
        for (const QString& text : column(1))
            moments.push_back(parse_leading_double(text.toStdString()));
        return analyse_moments(*support_from_index(dlg->m_type), dlg->m_lower, dlg->m_upper,
                               moments.data(), static_cast<int>(moments.size()));
    }
    QString message_line() const {
        return static_cast<QLabel*>(dlg->GetDlgItem(IDC_MESSAGE))->text();
    }

    QStringList fields_at_box;
};

// The entries a right click on the dialog shows (separators left out).
QStringList context_menu_entries(CBoundsDlg& dlg) {
    QStringList entries;
    QTimer::singleShot(50, [&] {
        auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (popup == nullptr)
            return;
        for (QAction* action : popup->actions()) {
            if (!action->isSeparator())
                entries.append(action->text());
        }
        popup->close();
    });
    const QPoint inside(5, 5);
    QContextMenuEvent event(QContextMenuEvent::Mouse, inside, dlg.mapToGlobal(inside));
    QApplication::sendEvent(&dlg, &event);
    return entries;
}

TEST_F(SharpBoundsTest, EntryIsACheckableSwitchOffAtStart) {
    EXPECT_EQ(context_menu_entries(*dlg),
              QStringList({"&About Vendrill ...", "Sharp bounds", "Paste moments", "Open moments…",
                           "Save moments…"}));
    QAction* entry = dlg->m_sharpBoundsEntry;
    ASSERT_NE(entry, nullptr);
    EXPECT_TRUE(entry->isCheckable());
    EXPECT_FALSE(entry->isChecked());
    EXPECT_FALSE(dlg->m_sharp);
    EXPECT_TRUE(dlg->m_contextMenu->actions().contains(entry));

    entry->trigger();
    EXPECT_TRUE(entry->isChecked());
    EXPECT_TRUE(dlg->m_sharp);
    entry->trigger();
    EXPECT_FALSE(dlg->m_sharp);
}

// The check box on the dialog's face and the menu entry are one switch:
// whichever is used, both show the method Calculate uses.
TEST_F(SharpBoundsTest, CheckBoxAndMenuEntryAgree) {
    auto* box = qobject_cast<QCheckBox*>(dlg->GetDlgItem(IDC_SHARP_BOUNDS));
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), QStringLiteral("Sharp bounds"));
    EXPECT_TRUE(box->isVisible());
    EXPECT_FALSE(box->toolTip().isEmpty());
    QAction* entry = dlg->m_sharpBoundsEntry;
    const struct {
        const char* step;
        std::function<void()> act;
        bool on;
    } steps[] = {
        {"start", [] {}, false},
        {"click the box", [&] { QTest::mouseClick(box, Qt::LeftButton); }, true},
        {"trigger the entry", [&] { entry->trigger(); }, false},
        {"trigger it again", [&] { entry->trigger(); }, true},
        {"space on the box",
         [&] {
             box->setFocus();
             QTest::keyClick(box, Qt::Key_Space);
         },
         false},
    };
    for (const auto& step : steps) {
        step.act();
        settle();
        EXPECT_EQ(box->isChecked(), step.on) << step.step;
        EXPECT_EQ(entry->isChecked(), step.on) << step.step;
        EXPECT_EQ(dlg->m_sharp, step.on) << step.step;
    }
    // Calculate follows the box: the sharp method's verdict on a coin.
    enter_request(IDC_TYPE_NORMAL, "-0.3", {"1", "0", "1", "0", "1"});
    QTest::mouseClick(box, Qt::LeftButton);
    click(IDC_CALCULATE);
    EXPECT_EQ(boxes,
              QStringList({"The moments determine the distribution: the bounds are exact."}));
}

enum class Verdict { none, determinate, near_atom, infeasible, partial, limits };

struct SharpCase {
    const char* name;
    int radio;
    const char* position;
    const char* lower;
    const char* upper;
    QStringList moments;
    Verdict verdict;
};

QString expected_box(Verdict verdict, const SharpAnalysis& analysis) {
    switch (verdict) {
    case Verdict::none:
        return {};
    case Verdict::determinate:
        return QStringLiteral("The moments determine the distribution: the bounds are exact.");
    case Verdict::near_atom:
        return QStringLiteral("The moments determine the distribution, but this position is next "
                              "to an atom: the bounds cover the moments' rounding and are not "
                              "exact.");
    case Verdict::infeasible:
        return QStringLiteral("These moments do not fit the chosen support.");
    case Verdict::partial:
        return QStringLiteral("Only the first %1 moments could be used.")
            .arg(analysis.moments_used);
    case Verdict::limits:
        return QStringLiteral("The sharp bounds need the lower limit below the upper limit.");
    }
    return {};
}

TEST_F(SharpBoundsTest, CalculateShowsTheSharpBoundsAndTheVerdict) {
    const SharpCase cases[] = {
        {"coin", IDC_TYPE_NORMAL, "-0.3", "", "", {"1", "0", "1", "0", "1"}, Verdict::determinate},
        {"coin next to an atom",
         IDC_TYPE_NORMAL,
         "0.999999",
         "",
         "",
         {"1", "0", "1", "0", "1"},
         Verdict::near_atom},
        {"uniform, 5 moments",
         IDC_TYPE_BOUNDED,
         "0.1",
         "0",
         "1",
         {"1", "0.5", "0.333333", "0.25", "0.2"},
         Verdict::none},
        {"uniform, 4 moments",
         IDC_TYPE_POSITIVE,
         "0.1",
         "0",
         "",
         {"1", "0.5", "0.333333", "0.25"},
         Verdict::none},
        {"negative variance", IDC_TYPE_NORMAL, "0", "", "", {"1", "2", "1"}, Verdict::infeasible},
        {"Poisson, 28 moments", IDC_TYPE_POSITIVE, "1", "0", "", bell_numbers(28),
         Verdict::partial},
        {"limits reversed",
         IDC_TYPE_BOUNDED,
         "0.1",
         "1",
         "0",
         {"1", "0.5", "0.333333", "0.25", "0.2"},
         Verdict::limits},
    };
    for (const SharpCase& c : cases) {
        SCOPED_TRACE(c.name);
        dlg = MakeDialog();
        UseTestLog(*dlg);
        dlg->Create();
        dlg->show();
        QApplication::setActiveWindow(dlg.get());
        settle();
        boxes.clear();
        fields_at_box.clear();

        set_sharp(true);
        enter_request(c.radio, c.position, c.moments, c.lower, c.upper);
        const bool lowerEnabled = edit(IDC_LOWER)->isEnabled();
        const bool upperEnabled = edit(IDC_UPPER)->isEnabled();
        const SharpAnalysis analysis = analysis_of_request();
        if (c.verdict == Verdict::partial) {
            ASSERT_LT(analysis.moments_used, c.moments.size()) << "the case needs fewer used";
        }
        const SharpBounds expected = sharp_bounds_at(analysis, dlg->m_position);
        preset_bounds();

        click(IDC_CALCULATE);

        const QString box = expected_box(c.verdict, analysis);
        EXPECT_EQ(boxes, box.isEmpty() ? QStringList() : QStringList({box}));
        const bool neutral = c.verdict == Verdict::infeasible || c.verdict == Verdict::limits;
        const QString lower = neutral
                                  ? QStringLiteral("0")
                                  : QString::fromStdString(format_general15(expected.lower_bound));
        const QString upper = neutral
                                  ? QStringLiteral("1")
                                  : QString::fromStdString(format_general15(expected.upper_bound));
        EXPECT_EQ(lower_bound(), lower);
        EXPECT_EQ(upper_bound(), upper);
        if (!box.isEmpty()) {
            EXPECT_EQ(fields_at_box, QStringList({lower + " / " + upper}));
        }
        // The request stays as entered: type, limits, position and moments.
        EXPECT_TRUE(button(c.radio)->isChecked());
        EXPECT_EQ(edit(IDC_LOWER)->isEnabled(), lowerEnabled);
        EXPECT_EQ(edit(IDC_UPPER)->isEnabled(), upperEnabled);
        EXPECT_EQ(edit(IDC_POSITION)->text(), QString::fromUtf8(c.position));
        if (*c.lower != '\0') {
            EXPECT_EQ(edit(IDC_LOWER)->text(), QString::fromUtf8(c.lower));
        }
        if (*c.upper != '\0') {
            EXPECT_EQ(edit(IDC_UPPER)->text(), QString::fromUtf8(c.upper));
        }
        EXPECT_EQ(dlg->m_momentCount, c.moments.size());
        EXPECT_EQ(message_line(), QString());
        EXPECT_EQ(log_text(), std::string());
    }
}

// The worked examples of the method (their values live with the library's
// tests): the bounds in the fields are exactly the library's for the moments
// as the list holds them.
TEST_F(SharpBoundsTest, FieldsAgreeWithTheWorkedExamples) {
    const struct {
        const char* name;
        int radio;
        const char* position;
        QStringList moments;
    } cases[] = {
        {"coin", IDC_TYPE_NORMAL, "-0.3", {"1", "0", "1", "0", "1"}},
        {"coin at an atom", IDC_TYPE_NORMAL, "1", {"1", "0", "1", "0", "1"}},
        {"uniform", IDC_TYPE_BOUNDED, "0.1", {"1", "0.5", "0.333333", "0.25", "0.2"}},
        {"uniform", IDC_TYPE_BOUNDED, "0.5", {"1", "0.5", "0.333333", "0.25", "0.2"}},
    };
    set_sharp(true);
    type_into(IDC_LOWER, "0");
    type_into(IDC_UPPER, "1");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        select_rows({});
        for (int row = 0; row < list()->topLevelItemCount(); ++row)
            list()->topLevelItem(row)->setSelected(true);
        click(IDC_DELETE_MOMENTS);
        enter_request(c.radio, c.position, c.moments);
        click(IDC_CALCULATE);
        const QString lower = lower_bound();
        const QString upper = upper_bound();
        const SharpBounds expected = sharp_bounds_at(analysis_of_request(), dlg->m_position);
        EXPECT_EQ(lower, QString::fromStdString(format_general15(expected.lower_bound)));
        EXPECT_EQ(upper, QString::fromStdString(format_general15(expected.upper_bound)));
    }
    EXPECT_EQ(log_text(), std::string());
}

// The sharp method answers from any number of moments: none stops at the
// message line, two on the interval (too few for the classic estimation)
// give the bound of the mean, and the 0th moment must still be 1.
TEST_F(SharpBoundsTest, AnswersAnyCountFromOneMoment) {
    set_sharp(true);
    enter_request(IDC_TYPE_BOUNDED, "0.1", {}, "0", "1");
    preset_bounds();
    click(IDC_CALCULATE);
    EXPECT_EQ(message_line(), QStringLiteral("Enter at least 1 moment!"));
    EXPECT_EQ(lower_bound(), QStringLiteral("0.25"));
    EXPECT_EQ(upper_bound(), QStringLiteral("0.75"));
    EXPECT_TRUE(boxes.isEmpty());

    // Mean 0.25 on [0, 1]: P(X <= 0.1) <= 0.75 / 0.9.
    add_moments({"1", "0.25"});
    click(IDC_CALCULATE);
    EXPECT_EQ(message_line(), QString());
    EXPECT_EQ(lower_bound(), QStringLiteral("0"));
    EXPECT_NEAR(dlg->m_upperBound, 0.75 / 0.9, 1e-12);
    EXPECT_GE(dlg->m_upperBound, 0.75 / 0.9);
    EXPECT_TRUE(boxes.isEmpty());

    // The first moment 0.25.
    select_rows({0});
    click(IDC_DELETE_MOMENTS);
    ASSERT_EQ(column(1).front(), QStringLiteral("0.25"));
    click(IDC_CALCULATE);
    EXPECT_EQ(message_line(), QStringLiteral("The 0th moment must equal to 1!"));
    EXPECT_EQ(lower_bound(), QStringLiteral("0"));
    EXPECT_EQ(upper_bound(), QStringLiteral("1"));
    EXPECT_TRUE(boxes.isEmpty());
    EXPECT_EQ(log_text(), std::string());
}

// Off again, Calculate is the classic one: its estimations, its boxes, its
// switch of type and its reports in error.log.
TEST_F(SharpBoundsTest, TurningItOffRestoresTheClassicEstimations) {
    enter_request(IDC_TYPE_BOUNDED, "-0.5", {"1", "0", "1", "0", "3"}, "0", "1");
    set_sharp(true);
    click(IDC_CALCULATE);
    EXPECT_EQ(boxes, QStringList({"These moments do not fit the chosen support."}));
    EXPECT_TRUE(button(IDC_TYPE_BOUNDED)->isChecked());
    EXPECT_TRUE(edit(IDC_UPPER)->isEnabled());
    EXPECT_EQ(log_text(), std::string());

    set_sharp(false);
    boxes.clear();
    click(IDC_CALCULATE);
    EXPECT_EQ(boxes, QStringList({"These moments do not fit the chosen support.",
                                  "The (-inf, inf) estimation gave the tightest bounds."}));
    EXPECT_TRUE(button(IDC_TYPE_NORMAL)->isChecked());
    EXPECT_FALSE(edit(IDC_LOWER)->isEnabled());
    EXPECT_FALSE(edit(IDC_UPPER)->isEnabled());
    EXPECT_NE(log_text(), std::string());

    // The coin at -0.3: determinate for the sharp method, the classic
    // estimation's own (looser) bounds once the entry is off.
    select_rows({0, 1, 2, 3, 4});
    click(IDC_DELETE_MOMENTS);
    enter_request(IDC_TYPE_NORMAL, "-0.3", {"1", "0", "1", "0", "1"});
    set_sharp(true);
    boxes.clear();
    click(IDC_CALCULATE);
    EXPECT_EQ(boxes.size(), 1);
    EXPECT_NEAR(dlg->m_upperBound, 0.5, 1e-12);

    set_sharp(false);
    boxes.clear();
    click(IDC_CALCULATE);
    const double coin[] = {1, 0, 1, 0, 1};
    EstimationContext quiet = test_support::quiet_context();
    const Estimate classic = estimate(Support::whole, -0.3, 0, 0, coin, 5, quiet);
    const double classicLower = classic.lower_bound;
    const double classicUpper = classic.upper_bound;
    EXPECT_EQ(lower_bound(), QString::fromStdString(format_general15(classicLower)));
    EXPECT_EQ(upper_bound(), QString::fromStdString(format_general15(classicUpper)));
    EXPECT_GT(classicUpper, 0.9);
    EXPECT_TRUE(boxes.isEmpty());
}

TEST(SharpVerdict, NamesTheProblemOfARequestThatCannotBeAnswered) {
    const double moments[] = {1, 0.5, 0.4};
    const struct {
        const char* name;
        SharpAnalysis analysis;
        double position;
        const char* box;
    } cases[] = {
        {"equal limits", analyse_moments(Support::interval, 1, 1, moments, 3), 0.5,
         "The sharp bounds need the lower limit below the upper limit."},
        {"no moments", analyse_moments(Support::whole, 0, 0, moments, 0), 0.5,
         "No moments were given."},
        {"position not finite", analyse_moments(Support::whole, 0, 0, moments, 3), NAN,
         "The sharp bounds need a finite position."},
        {"answered", analyse_moments(Support::whole, 0, 0, moments, 3), 0.5, ""},
    };
    for (const auto& c : cases) {
        const SharpBounds bounds = sharp_bounds_at(c.analysis, c.position);
        EXPECT_EQ(sharp_verdict_message(c.analysis, bounds), QString::fromUtf8(c.box)) << c.name;
    }
}

} // namespace
} // namespace vendrill::test
