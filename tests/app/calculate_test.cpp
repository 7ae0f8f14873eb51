// SPDX-License-Identifier: Apache-2.0
// Calculate through the real buttons: validation messages, the estimations,
// the verdict boxes with the switch to a weaker type, and the error log.

#include "app_test_support.h"

#include "estimation/estimate.h"
#include "numeric/failure.h"
#include "numeric/number_text.h"
#include "numeric/vector.h"
#include "tests/support/contexts.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTest>

namespace vendrill::test {
namespace {

QString message_line(CBoundsDlg& dlg) {
    return static_cast<QLabel*>(dlg.GetDlgItem(IDC_MESSAGE))->text();
}

using CalculateTest = DialogTest;

// The worked example's values live with the library's tests; the dialog shows
// what the library gives.
TEST_F(CalculateTest, WholeLineThroughTheButtons) {
    enter_request(IDC_TYPE_NORMAL, "1", {"1", "0", "1"});
    click(IDC_CALCULATE);
    const double moments[] = {1, 0, 1};
    EstimationContext quiet = test_support::quiet_context();
    const Estimate expected = estimate(Support::whole, 1, 0, 0, moments, 3, quiet);
    ASSERT_EQ(expected.outcome, Outcome::whole_line);
    EXPECT_EQ(lower_bound(), QString::fromStdString(format_general15(expected.lower_bound)));
    EXPECT_EQ(upper_bound(), QString::fromStdString(format_general15(expected.upper_bound)));
    EXPECT_TRUE(boxes.isEmpty());
    EXPECT_EQ(message_line(*dlg), QString());
    EXPECT_TRUE(button(IDC_TYPE_NORMAL)->isChecked());
}

// Moments on the millimetre scale reach the estimation with every digit: cut
// to six decimals they would read 1, 0.0005, 0, 0, 0 and give no bounds.
TEST_F(CalculateTest, MillimetreScaleMomentsGiveTheLibrarysBounds) {
    const QStringList typed = {"1", "5e-4", "3.3333333333333e-7", "2.5e-10", "2e-13"};
    enter_request(IDC_TYPE_BOUNDED, "0.0003", typed, "0", "0.001");
    click(IDC_CALCULATE);
    const double moments[] = {1, 5e-4, 3.3333333333333e-7, 2.5e-10, 2e-13};
    EstimationContext quiet = test_support::quiet_context();
    const Estimate expected = estimate(Support::interval, 0.0003, 0, 0.001, moments, 5, quiet);
    ASSERT_EQ(expected.outcome, Outcome::interval);
    ASSERT_GT(expected.lower_bound, 0.0);
    ASSERT_LT(expected.upper_bound, 1.0);
    EXPECT_EQ(column(1), QStringList({"1", "0.0005", "3.3333333333333e-07", "2.5e-10", "2e-13"}));
    EXPECT_EQ(lower_bound(), QString::fromStdString(format_general15(expected.lower_bound)));
    EXPECT_EQ(upper_bound(), QString::fromStdString(format_general15(expected.upper_bound)));
    EXPECT_TRUE(boxes.isEmpty());
    EXPECT_TRUE(button(IDC_TYPE_BOUNDED)->isChecked());
}

TEST_F(CalculateTest, TooFewMomentsOnlySetTheMessageLine) {
    const struct {
        int radio;
        int moments;
        const char* message; // nullptr: the count passes
    } cases[] = {{IDC_TYPE_NORMAL, 2, "Enter at least 3 moments!"},
                 {IDC_TYPE_POSITIVE, 3, "Enter at least 4 moments!"},
                 {IDC_TYPE_BOUNDED, 4, "Enter at least 5 moments!"},
                 {IDC_TYPE_NORMAL, 0, "Enter at least 3 moments!"},
                 {IDC_TYPE_NORMAL, 4, nullptr}};
    type_into(IDC_POSITION, "1");
    for (const auto& c : cases) {
        select_rows({});
        for (int row = 0; row < list()->topLevelItemCount(); ++row)
            list()->topLevelItem(row)->setSelected(true);
        click(IDC_DELETE_MOMENTS);
        add_moments(QStringList({"1", "0", "1", "0"}).mid(0, c.moments));
        click(c.radio);
        // Earlier bounds stay when the count check stops the command.
        ASSERT_TRUE(dlg->UpdateData(true));
        dlg->m_lowerBound = 0.25;
        dlg->m_upperBound = 0.75;
        dlg->UpdateData(false);
        click(IDC_CALCULATE);
        if (c.message != nullptr) {
            EXPECT_EQ(message_line(*dlg), QString::fromUtf8(c.message)) << c.moments;
            EXPECT_EQ(lower_bound(), QStringLiteral("0.25"));
            EXPECT_EQ(upper_bound(), QStringLiteral("0.75"));
            EXPECT_EQ(log_text(), std::string());
        } else {
            EXPECT_EQ(message_line(*dlg), QString());
        }
    }
    EXPECT_EQ(boxes, QStringList());
}

TEST_F(CalculateTest, ZerothMomentMustBeOne) {
    enter_request(IDC_TYPE_NORMAL, "1", {"0.5", "0", "1"});
    ASSERT_TRUE(dlg->UpdateData(true));
    dlg->m_lowerBound = 0.25;
    dlg->UpdateData(false);
    click(IDC_CALCULATE);
    EXPECT_EQ(message_line(*dlg), QStringLiteral("The 0th moment must equal to 1!"));
    EXPECT_EQ(lower_bound(), QStringLiteral("0"));
    EXPECT_EQ(upper_bound(), QStringLiteral("1"));
    EXPECT_TRUE(boxes.isEmpty());
    EXPECT_EQ(log_text(), std::string());

    // Fixed, the next Calculate clears the message.
    select_rows({0});
    click(IDC_DELETE_MOMENTS);
    add_moments({"1"});
    select_rows({2});
    click(IDC_MOVE_UP);
    click(IDC_MOVE_UP);
    EXPECT_EQ(column(1), QStringList({"1", "0", "1"}));
    click(IDC_CALCULATE);
    EXPECT_EQ(message_line(*dlg), QString());
    EXPECT_EQ(lower_bound(), QStringLiteral("0.5"));
}

// The bounded estimation with the position below the lower limit: every
// bounded and half-line attempt fails, the whole-line one gives the bounds.
// Mean 0 and variance 1 fit no distribution on [0, 1]: the guard says so
// first, then the switch to the whole line is announced and made.
TEST_F(CalculateTest, BoundedBelowTheLowerLimitSwitchesToTheWholeLine) {
    enter_request(IDC_TYPE_BOUNDED, "-0.5", {"1", "0", "1", "0", "3"}, "0", "1");
    ASSERT_TRUE(edit(IDC_UPPER)->isEnabled());
    click(IDC_CALCULATE);
    EXPECT_EQ(boxes, QStringList({"These moments do not fit the chosen support.",
                                  "The (-inf, inf) estimation gave the tightest bounds."}));
    EXPECT_TRUE(button(IDC_TYPE_NORMAL)->isChecked());
    EXPECT_FALSE(button(IDC_TYPE_BOUNDED)->isChecked());
    EXPECT_EQ(dlg->m_type, 0);
    EXPECT_FALSE(edit(IDC_LOWER)->isEnabled());
    EXPECT_FALSE(edit(IDC_UPPER)->isEnabled());
    EXPECT_NE(lower_bound(), QStringLiteral("0"));
    EXPECT_NE(upper_bound(), QStringLiteral("1"));

    // The failed attempts are in the log, each with the request as entered.
    const std::string log = log_text();
    const std::string request = "\n\nPoz\xed"
                                "ci\xf3 = -0.500000"
                                "\nA becsl\xe9s t\xedpusa: ULBounded"
                                "\n\tals\xf3 hat\xe1r = 0.000000"
                                "\n\tfels\xf5 hat\xe1r = 1.000000"
                                "\n\nA momentumok:\n-------------\n"
                                "\n 0. momentum = 1.000000"
                                "\n 1. momentum = 0.000000"
                                "\n 2. momentum = 1.000000"
                                "\n 3. momentum = 0.000000"
                                "\n 4. momentum = 3.000000\n";
    ASSERT_EQ(log.rfind("Vendrill, 2001.05.14. 16:06\n", 0), 0u) << log;
    EXPECT_NE(log.find(request), std::string::npos) << log;
    EXPECT_EQ(log.find("ULNormal"), std::string::npos) << "the type changes after the drivers";
}

TEST_F(CalculateTest, WholeLineNotApplicableShowsARealBox) {
    set_message_box_hook(nullptr);
    // One atom at 0: the whole-line attempts fail.
    enter_request(IDC_TYPE_NORMAL, "1", {"1", "0", "0"});
    QString title, text;
    QMessageBox::StandardButtons buttons;
    const int modals = with_modal_handler([&] { click(IDC_CALCULATE); },
                                          [&](QWidget* modal) {
                                              auto* box = qobject_cast<QMessageBox*>(modal);
                                              ASSERT_NE(box, nullptr);
                                              title = box->windowTitle();
                                              text = box->text();
                                              buttons = box->standardButtons();
                                              click_ok(box);
                                          });
    EXPECT_EQ(modals, 1);
    EXPECT_EQ(title, QStringLiteral("Vendrill"));
    EXPECT_EQ(text, QStringLiteral("The (-inf, inf) estimation is not applicable in this case!"));
    EXPECT_EQ(buttons, QMessageBox::Ok);
    EXPECT_EQ(lower_bound(), QStringLiteral("0"));
    EXPECT_EQ(upper_bound(), QStringLiteral("1"));
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_NE(log_text().find("Hiba a k\xf6vetkez\xf5 f\xfcggv\xe9nyben"), std::string::npos);
}

// Moments of four atoms on [6.1, 7.9], rounded to the list's six decimals:
// the whole-line estimation gives the tightest classic bounds, and they
// exclude what the moments allow.  The guard's box comes first, about the
// widened bounds; then the switch to the whole line is announced and made.
TEST_F(CalculateTest, GuardBoxComesBeforeTheSwitchOfType) {
    const QStringList texts = {"1", "6.906476", "47.712282", "329.699517", "2278.862656"};
    enter_request(IDC_TYPE_BOUNDED, "6.92", texts, "6.1", "7.9");
    click(IDC_CALCULATE);
    EXPECT_EQ(boxes,
              QStringList({"The classic bounds were widened to stay valid for these moments.",
                           "The (-inf, inf) estimation gave the tightest bounds."}));
    EXPECT_TRUE(button(IDC_TYPE_NORMAL)->isChecked());
    EXPECT_FALSE(edit(IDC_UPPER)->isEnabled());

    const double moments[] = {1, 6.906476, 47.712282, 329.699517, 2278.862656};
    EstimationContext quiet = test_support::quiet_context();
    const Estimate expected = estimate(Support::interval, 6.92, 6.1, 7.9, moments, 5, quiet);
    ASSERT_EQ(expected.guard, GuardVerdict::widened);
    ASSERT_EQ(expected.outcome, Outcome::whole_line);
    EXPECT_EQ(lower_bound(), QString::fromStdString(format_general15(expected.lower_bound)));
    EXPECT_EQ(upper_bound(), QString::fromStdString(format_general15(expected.upper_bound)));
}

// A field that does not hold a number stops Calculate after the message:
// no bounds for a request other than the one on the screen.
TEST_F(CalculateTest, StopsWhenAFieldHoldsNoNumber) {
    enter_request(IDC_TYPE_NORMAL, "1", {"1", "0", "1"});
    click(IDC_CALCULATE);
    ASSERT_EQ(lower_bound(), QStringLiteral("0.5"));
    // A new position, which the transfer takes before it stops at the new
    // moment: going on would show the bounds at 2 (0.8) as if all were well.
    type_into(IDC_POSITION, "2");
    type_into(IDC_NEW_MOMENT, "1,5");
    QTest::keyClick(edit(IDC_NEW_MOMENT), Qt::Key_Return);
    settle();
    EXPECT_EQ(boxes, QStringList({"Please enter a number."}));
    EXPECT_EQ(lower_bound(), QStringLiteral("0.5"));
    EXPECT_EQ(upper_bound(), QStringLiteral("1"));
    EXPECT_EQ(edit(IDC_NEW_MOMENT)->text(), QStringLiteral("1,5"));
    EXPECT_TRUE(edit(IDC_NEW_MOMENT)->hasFocus());
    EXPECT_EQ(log_text(), std::string());

    // Mended, the same request goes through.
    type_into(IDC_NEW_MOMENT, "1.5");
    QTest::keyClick(edit(IDC_NEW_MOMENT), Qt::Key_Return);
    settle();
    EXPECT_EQ(lower_bound(), QStringLiteral("0.8"));
    EXPECT_EQ(boxes.size(), 1);
}

// Clicking Calculate straight from an edit with bad text: one message,
// whether the edit's focus-out or the click gets to it first.
TEST_F(CalculateTest, ClickFromABadEditComplainsOnce) {
    enter_request(IDC_TYPE_NORMAL, "1", {"1", "0", "1"});
    type_into(IDC_POSITION, "one");
    click(IDC_CALCULATE);
    EXPECT_EQ(boxes, QStringList({"Please enter a number."}));
    EXPECT_EQ(lower_bound(), QStringLiteral("0"));
}

class EscapingReportDialog : public CBoundsDlg {
protected:
    Estimate RunEstimation(const Vector& /*moments*/) override {
        throw Failure("asset", "Nincs el\xc3\xa9g mem\xc3\xb3ria!", FailureCode::computation);
    }
};

class EscapingReportTest : public CalculateTest {
protected:
    std::unique_ptr<CBoundsDlg> MakeDialog() override {
        return std::make_unique<EscapingReportDialog>();
    }
};

TEST_F(EscapingReportTest, ReportEscapingTheDriverKeepsTheDialogGoing) {
    enter_request(IDC_TYPE_NORMAL, "1", {"1", "0", "1"});
    ASSERT_TRUE(dlg->UpdateData(true));
    dlg->m_lowerBound = 0.25;
    dlg->UpdateData(false);
    click(IDC_CALCULATE);
    EXPECT_EQ(boxes, QStringList({QString::fromUtf8(calculation_failed_message)}));
    EXPECT_EQ(lower_bound(), QStringLiteral("0"));
    EXPECT_EQ(upper_bound(), QStringLiteral("1"));
    EXPECT_EQ(column(1), QStringList({"1", "0", "1"}));
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_NE(log_text().find("Hiba a k\xf6vetkez\xf5 f\xfcggv\xe9nyben: asset"),
              std::string::npos);
    EXPECT_NE(log_text().find("\n 2. momentum = 1.000000\n"), std::string::npos);
}

// An estimation that has an attempt fail, reported through the dialog's
// context as the drivers report theirs, before it answers; or, escaping, whose
// failure leaves the estimation.
class FailingAttemptDialog : public CBoundsDlg {
public:
    bool escapes = false;

protected:
    Estimate RunEstimation(const Vector& moments) override {
        const Failure failure("asset", "out of memory", FailureCode::computation);
        if (escapes)
            throw failure;
        m_estimation.report(failure);
        return CBoundsDlg::RunEstimation(moments);
    }
};

// A log that cannot take the reports is told of in one box for the dialog's
// life, however many estimates report into it; a log that takes them, never.
TEST_F(CalculateTest, LogThatCannotTakeReportsIsToldOfOnce) {
    const std::string missing_folder = folder->folder() + "/no such folder/error.log";
    const struct {
        const char* name;
        std::string path;
        bool escapes;
        const char* told; // in the one box; nullptr: no box about the log
    } rows[] = {{"full", "/dev/full", false, "is full"},
                {"full, escaping", "/dev/full", true, "is full"},
                {"no folder", missing_folder, false, "cannot be opened"},
                {"no folder, escaping", missing_folder, true, "cannot be opened"},
                {"writable", log_path, false, nullptr}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto failing = std::make_unique<FailingAttemptDialog>();
        failing->escapes = row.escapes;
        failing->m_estimation.log_path = row.path;
        dlg = std::move(failing);
        dlg->Create();
        dlg->show();
        QApplication::setActiveWindow(dlg.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(dlg.get()));
        settle();
        boxes.clear();
        enter_request(IDC_TYPE_NORMAL, "1", {"1", "0", "1"});
        for (int click_count = 0; click_count < 3; ++click_count)
            click(IDC_CALCULATE);
        const QStringList about_log = boxes.filter(QStringLiteral("The error log"));
        EXPECT_EQ(about_log.size(), row.told ? 1 : 0) << boxes.join(" | ").toStdString();
        if (row.told && !about_log.isEmpty()) {
            EXPECT_TRUE(about_log.front().contains(QString::fromUtf8(row.told)))
                << about_log.front().toStdString();
        }
        EXPECT_EQ(boxes.count(QString::fromUtf8(calculation_failed_message)), row.escapes ? 3 : 0);
        if (!row.escapes) {
            EXPECT_NE(lower_bound(), QStringLiteral("0")) << "the estimate is shown all the same";
        }
    }
}

} // namespace
} // namespace vendrill::test
