// SPDX-License-Identifier: Apache-2.0
// The main dialog's start state, layout, radio buttons, focus behaviour,
// accessibility names, the About box and the ways the dialog ends.

#include "app_test_support.h"

#include "app/about_dlg.h"
#include "app/bounds_app.h"
#include "numeric/error_log.h"

#include <QAccessible>
#include <QApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <clocale>
#include <cstdlib>

namespace vendrill::test {
namespace {

QLabel* label_with_text(QWidget* dialog, const QString& text) {
    for (QLabel* label : dialog->findChildren<QLabel*>()) {
        if (label->text() == text)
            return label;
    }
    return nullptr;
}

// The suites run a second time under VENDRILL_TEST_LOCALE=hu_HU.UTF-8; that
// run must really have a comma as the decimal point.
TEST(CommaLocale, IsInEffectWhenRequested) {
    if (std::getenv("VENDRILL_TEST_LOCALE") == nullptr)
        GTEST_SKIP() << "runs in the comma-decimal pass only";
    EXPECT_STREQ(std::localeconv()->decimal_point, ",");
    EXPECT_EQ(QLocale().decimalPoint(), QStringLiteral(","));
}

TEST(DialogUnits, ConvertWithTheFontsCharacterSize) {
    const DialogBaseUnits units{6, 13};
    EXPECT_EQ(map_dialog_rect(units, 0, 0, 277, 250), QRect(0, 0, 416, 406));
    EXPECT_EQ(map_dialog_rect(units, 210, 190, 50, 14), QRect(315, 309, 75, 23));
    EXPECT_EQ(mul_div(3, 6, 4), 5); // 4.5 rounds away from zero
    EXPECT_EQ(mul_div(-3, 6, 4), -5);
}

TEST(MomentColumns, WidthsAreAAndFourA) {
    const struct {
        int client, number, momentum;
    } cases[] = {{200, 37, 148}, {215, 40, 160}, {219, 40, 160}, {15, 0, 0}, {174, 31, 124}};
    for (const auto& c : cases) {
        const MomentColumnWidths widths = moment_column_widths(c.client);
        EXPECT_EQ(widths.number, c.number) << c.client;
        EXPECT_EQ(widths.momentum, c.momentum) << c.client;
    }
}

TEST_F(DialogTest, StartsWithTheDefaultRequest) {
    EXPECT_EQ(dlg->windowTitle(), QStringLiteral("Vendrill"));
    EXPECT_EQ(edit(IDC_POSITION)->text(), QStringLiteral("0"));
    EXPECT_EQ(edit(IDC_LOWER)->text(), QStringLiteral("0"));
    EXPECT_EQ(edit(IDC_UPPER)->text(), QStringLiteral("1"));
    EXPECT_FALSE(edit(IDC_LOWER)->isEnabled());
    EXPECT_FALSE(edit(IDC_UPPER)->isEnabled());
    EXPECT_EQ(edit(IDC_NEW_MOMENT)->text(), QStringLiteral("0"));
    EXPECT_EQ(edit(IDC_LOWER_BOUND)->text(), QStringLiteral("0"));
    EXPECT_EQ(edit(IDC_UPPER_BOUND)->text(), QStringLiteral("1"));
    EXPECT_TRUE(edit(IDC_LOWER_BOUND)->isReadOnly());
    EXPECT_TRUE(edit(IDC_UPPER_BOUND)->isReadOnly());
    EXPECT_FALSE(edit(IDC_POSITION)->isReadOnly());
    EXPECT_TRUE(button(IDC_TYPE_NORMAL)->isChecked());
    EXPECT_FALSE(button(IDC_TYPE_POSITIVE)->isChecked());
    EXPECT_FALSE(button(IDC_TYPE_BOUNDED)->isChecked());
    auto* message = static_cast<QLabel*>(dlg->GetDlgItem(IDC_MESSAGE));
    EXPECT_EQ(message->text(), QString());
    EXPECT_TRUE(message->alignment() & Qt::AlignHCenter);
    EXPECT_EQ(list()->topLevelItemCount(), 0);
    EXPECT_EQ(dlg->m_momentCount, 0);
    EXPECT_EQ(dlg->m_upper, 1.0);
    EXPECT_EQ(dlg->m_upperBound, 1.0);
    EXPECT_FALSE(dlg->windowIcon().isNull());
    for (const int id :
         {IDC_POSITION, IDC_LOWER, IDC_UPPER, IDC_NEW_MOMENT, IDC_LOWER_BOUND, IDC_UPPER_BOUND})
        EXPECT_TRUE(edit(id)->alignment() & Qt::AlignRight) << id;
}

TEST_F(DialogTest, StaticTextsAreThoseOfTheTemplate) {
    for (const char* text : {"Position:", "Lower:", "Upper:", "Lower bound = ", "Upper bound ="})
        EXPECT_NE(label_with_text(dlg.get(), QString::fromUtf8(text)), nullptr) << text;
    EXPECT_TRUE(label_with_text(dlg.get(), QStringLiteral("Lower bound = "))->alignment() &
                Qt::AlignRight);
    QStringList titles;
    for (QGroupBox* box : dlg->findChildren<QGroupBox*>())
        titles.append(box->title());
    titles.sort();
    EXPECT_EQ(titles, QStringList({"Limits of the Interval", "Moments", "Type of Estimation"}));
    const QStringList buttons = {
        "Exit", "(-inf, inf)", "[lower, inf)", "[lower, upper]", "+", "Delete",
        "^",    "v",           "Calculate"};
    const int ids[] = {IDCANCEL,         IDC_TYPE_NORMAL, IDC_TYPE_POSITIVE,
                       IDC_TYPE_BOUNDED, IDC_ADD_MOMENT,  IDC_DELETE_MOMENTS,
                       IDC_MOVE_UP,      IDC_MOVE_DOWN,   IDC_CALCULATE};
    for (int i = 0; i < buttons.size(); ++i)
        EXPECT_EQ(button(ids[i])->text(), buttons[i]);
}

TEST_F(DialogTest, LayoutFollowsTheTemplateInDialogUnits) {
    const DialogBaseUnits units = dlg->baseUnits();
    EXPECT_GT(units.width, 0);
    EXPECT_GT(units.height, 0);
    EXPECT_EQ(dlg->size(), map_dialog_rect(units, 0, 0, 277, 250).size());
    EXPECT_EQ(button(IDC_CALCULATE)->geometry(), map_dialog_rect(units, 210, 190, 50, 14));
    EXPECT_EQ(list()->geometry(), map_dialog_rect(units, 155, 40, 100, 120));
    EXPECT_EQ(edit(IDC_POSITION)->geometry(), map_dialog_rect(units, 48, 20, 75, 12));
}

// The check box and "Plot…" sit in free space: inside the dialog, over no
// other control, and the controls of the original layout keep their places.
TEST_F(DialogTest, NewControlsSitInFreeSpace) {
    const QRect client = dlg->rect();
    for (const int id : {IDC_SHARP_BOUNDS, IDC_PLOT}) {
        const QRect place = dlg->GetDlgItem(id)->geometry();
        EXPECT_TRUE(client.contains(place)) << id;
        for (const ControlTemplate& control : dlg->dialogTemplate().controls) {
            if (control.id == id || control.kind == ControlKind::GroupBox)
                continue;
            const QRect other =
                map_dialog_rect(dlg->baseUnits(), control.x, control.y, control.cx, control.cy);
            EXPECT_FALSE(place.intersects(other)) << id << " overlaps " << control.text;
        }
        for (QGroupBox* box : dlg->findChildren<QGroupBox*>())
            EXPECT_FALSE(place.intersects(box->geometry()))
                << id << " in " << box->title().toStdString();
    }
    EXPECT_EQ(button(IDC_PLOT)->text(), QStringLiteral("Plot…"));
    EXPECT_EQ(button(IDC_SHARP_BOUNDS)->text(), QStringLiteral("Sharp bounds"));
    EXPECT_EQ(button(IDCANCEL)->geometry(), map_dialog_rect(dlg->baseUnits(), 10, 190, 50, 14));
}

TEST_F(DialogTest, TabOrderIsTheTemplateOrder) {
    const int order[] = {IDCANCEL,     IDC_TYPE_NORMAL, IDC_TYPE_POSITIVE, IDC_TYPE_BOUNDED,
                         IDC_POSITION, IDC_LOWER_BOUND, IDC_UPPER_BOUND,   IDC_LOWER,
                         IDC_UPPER,    IDC_NEW_MOMENT,  IDC_ADD_MOMENT,    IDC_DELETE_MOMENTS,
                         IDC_MOVE_UP,  IDC_MOVE_DOWN,   IDC_CALCULATE,     IDC_MOMENT_LIST};
    QWidget* widget = dlg->GetDlgItem(IDCANCEL);
    for (size_t i = 1; i < std::size(order); ++i) {
        do
            widget = widget->nextInFocusChain();
        while (!(widget->focusPolicy() & Qt::TabFocus));
        EXPECT_EQ(widget, dlg->GetDlgItem(order[i])) << "tab stop " << i;
    }
}

TEST_F(DialogTest, CalculateIsTheOnlyDefaultButton) {
    for (QPushButton* push : dlg->findChildren<QPushButton*>()) {
        EXPECT_FALSE(push->autoDefault()) << push->text().toStdString();
        EXPECT_EQ(push->isDefault(), push == button(IDC_CALCULATE)) << push->text().toStdString();
    }
}

TEST_F(DialogTest, MomentListIsAReportWithTwoRightAlignedColumns) {
    EXPECT_EQ(list()->columnCount(), 2);
    EXPECT_EQ(list()->headerItem()->text(0), QStringLiteral("#"));
    EXPECT_EQ(list()->headerItem()->text(1), QStringLiteral("momentum"));
    EXPECT_TRUE(list()->headerItem()->textAlignment(0) & Qt::AlignRight);
    EXPECT_TRUE(list()->headerItem()->textAlignment(1) & Qt::AlignRight);
    EXPECT_FALSE(list()->rootIsDecorated());
    EXPECT_EQ(list()->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(list()->selectionBehavior(), QAbstractItemView::SelectRows);
    // a = (client width - 15) / 5, measured on the list as it is shown.
    const MomentColumnWidths widths = moment_column_widths(list()->viewport()->width());
    EXPECT_GT(widths.number, 0);
    EXPECT_EQ(list()->columnWidth(0), widths.number);
    EXPECT_EQ(list()->columnWidth(1), widths.momentum);
}

TEST_F(DialogTest, ControlsCarryTheNamesOfTheirLabels) {
    const struct {
        int id;
        const char* name;
    } names[] = {{IDC_POSITION, "Position:"},
                 {IDC_LOWER, "Lower:"},
                 {IDC_UPPER, "Upper:"},
                 {IDC_LOWER_BOUND, "Lower bound = "},
                 {IDC_UPPER_BOUND, "Upper bound ="},
                 {IDC_MOMENT_LIST, "Moments"},
                 {IDC_NEW_MOMENT, "New moment"},
                 {IDC_TYPE_NORMAL, "(-inf, inf)"},
                 {IDC_TYPE_POSITIVE, "[lower, inf)"},
                 {IDC_TYPE_BOUNDED, "[lower, upper]"}};
    for (const auto& entry : names) {
        QAccessibleInterface* accessible =
            QAccessible::queryAccessibleInterface(dlg->GetDlgItem(entry.id));
        ASSERT_NE(accessible, nullptr) << entry.name;
        EXPECT_EQ(accessible->text(QAccessible::Name), QString::fromUtf8(entry.name));
    }
}

TEST_F(DialogTest, RadioButtonsSetTheLimitEditsOnly) {
    const struct {
        int radio;
        bool lowerEnabled, upperEnabled;
        int type;
    } cases[] = {{IDC_TYPE_POSITIVE, true, false, 1},
                 {IDC_TYPE_BOUNDED, true, true, 2},
                 {IDC_TYPE_NORMAL, false, false, 0},
                 {IDC_TYPE_BOUNDED, true, true, 2},
                 {IDC_TYPE_POSITIVE, true, false, 1}};
    int transferredType = dlg->m_type;
    for (const auto& c : cases) {
        click(c.radio);
        EXPECT_TRUE(button(c.radio)->isChecked());
        EXPECT_EQ(edit(IDC_LOWER)->isEnabled(), c.lowerEnabled) << c.radio;
        EXPECT_EQ(edit(IDC_UPPER)->isEnabled(), c.upperEnabled) << c.radio;
        // m_type follows at the next transfer, not at the click.
        EXPECT_EQ(dlg->m_type, transferredType);
        ASSERT_TRUE(dlg->UpdateData(true));
        EXPECT_EQ(dlg->m_type, c.type);
        transferredType = c.type;
    }
}

TEST_F(DialogTest, RequestSourceReadsTheTransferredMembersAndTheListTexts) {
    click(IDC_TYPE_BOUNDED);
    type_into(IDC_POSITION, "0.25");
    type_into(IDC_LOWER, "-1");
    type_into(IDC_UPPER, "3");
    add_moments({"1", "0.5", "2.25"});
    ASSERT_TRUE(dlg->UpdateData(true));
    const RequestSource& source = *dlg;
    EXPECT_EQ(source.position(), 0.25);
    EXPECT_EQ(source.type(), 2);
    EXPECT_EQ(source.lower(), -1.0);
    EXPECT_EQ(source.upper(), 3.0);
    EXPECT_EQ(source.momentCount(), 3);
    EXPECT_EQ(source.moment(1), 0.5);
    EXPECT_EQ(source.moment(2), 2.25);
    list()->topLevelItem(2)->setText(1, QStringLiteral("7.5e-1 and more"));
    EXPECT_EQ(source.moment(2), 0.75); // atof: the leading number
    list()->topLevelItem(2)->setText(1, QStringLiteral("x"));
    EXPECT_EQ(source.moment(2), 0.0);
}

TEST_F(DialogTest, NewMomentEditSelectsItsTextWhenFocused) {
    edit(IDC_NEW_MOMENT)->setText(QStringLiteral("12.5"));
    edit(IDC_POSITION)->setFocus(Qt::TabFocusReason);
    settle();
    edit(IDC_NEW_MOMENT)->setFocus(Qt::OtherFocusReason);
    settle();
    EXPECT_EQ(edit(IDC_NEW_MOMENT)->selectedText(), QStringLiteral("12.5"));
}

// Leaving an edit that holds no number: the framework's message once, the
// focus back in that edit, and no further message while nothing changes.
TEST_F(DialogTest, LeavingAnEditWithTextThatIsNoNumberComplainsOnce) {
    type_into(IDC_POSITION, "abc");
    QTest::keyClick(edit(IDC_POSITION), Qt::Key_Tab);
    settle();
    QApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_EQ(boxes, QStringList({"Please enter a number."}));
    EXPECT_TRUE(edit(IDC_POSITION)->hasFocus());
    EXPECT_EQ(edit(IDC_POSITION)->selectedText(), QStringLiteral("abc"));
    settle();
    EXPECT_EQ(boxes.size(), 1);
}

TEST_F(DialogTest, RealMessageBoxForALeftEditAppearsOnceAndReturnsTheFocus) {
    set_message_box_hook(nullptr);
    type_into(IDC_NEW_MOMENT, "1,5");
    QStringList shown;
    const int modals = with_modal_handler(
        [&] { QTest::keyClick(edit(IDC_NEW_MOMENT), Qt::Key_Backtab); },
        [&](QWidget* modal) {
            shown.append(modal->windowTitle() + ": " +
                         modal->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))->text());
            click_ok(modal);
        });
    EXPECT_EQ(modals, 1);
    EXPECT_EQ(shown, QStringList({"Vendrill: Please enter a number."}));
    // The window manager activates the dialog again; its focus is in the edit.
    QApplication::setActiveWindow(dlg.get());
    settle();
    EXPECT_EQ(QApplication::focusWidget(), edit(IDC_NEW_MOMENT));
    EXPECT_EQ(boxes.size(), 0);
}

// A radio button clicked straight from an edit with bad text: the click is
// dropped, so the limit edit holding the text stays enabled to be mended.
TEST_F(DialogTest, RadioClickFromABadEditIsDropped) {
    click(IDC_TYPE_POSITIVE);
    type_into(IDC_LOWER, "zero");
    click(IDC_TYPE_NORMAL);
    EXPECT_EQ(boxes, QStringList({"Please enter a number."}));
    EXPECT_TRUE(button(IDC_TYPE_POSITIVE)->isChecked());
    EXPECT_FALSE(button(IDC_TYPE_NORMAL)->isChecked());
    EXPECT_TRUE(edit(IDC_LOWER)->isEnabled());
    EXPECT_TRUE(edit(IDC_LOWER)->hasFocus());
}

TEST_F(DialogTest, LeavingForExitDoesNotHoldTheUserBack) {
    type_into(IDC_POSITION, "abc");
    QTest::mouseClick(button(IDCANCEL), Qt::LeftButton);
    settle();
    EXPECT_TRUE(boxes.isEmpty());
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(dlg->result(), QDialog::Rejected);
}

TEST_F(DialogTest, EscapeEndsTheDialog) {
    QTest::keyClick(edit(IDC_POSITION), Qt::Key_Escape);
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(dlg->result(), QDialog::Rejected);
}

TEST_F(DialogTest, CloseBoxEndsTheDialog) {
    EXPECT_TRUE(dlg->close());
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(dlg->result(), QDialog::Rejected);
}

TEST_F(DialogTest, EnterInAnyControlRunsCalculate) {
    add_moments({"1", "0", "1"});
    type_into(IDC_POSITION, "1");
    for (const int id :
         {IDC_POSITION, IDC_NEW_MOMENT, IDC_MOMENT_LIST, IDC_TYPE_NORMAL, IDC_DELETE_MOMENTS}) {
        ASSERT_TRUE(dlg->UpdateData(true));
        dlg->m_lowerBound = 0.125;
        dlg->UpdateData(false);
        dlg->GetDlgItem(id)->setFocus(Qt::TabFocusReason);
        settle();
        QTest::keyClick(dlg->GetDlgItem(id), Qt::Key_Return);
        settle();
        EXPECT_EQ(edit(IDC_LOWER_BOUND)->text(), QStringLiteral("0.5")) << id;
        EXPECT_EQ(list()->topLevelItemCount(), 3) << id;
    }
    EXPECT_TRUE(dlg->isVisible());
}

TEST_F(DialogTest, ContextMenuAndF1OpenTheAboutBox) {
    type_into(IDC_POSITION, "0.75");
    add_moments({"1"});
    QMenu* menu = dlg->m_systemMenu;
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->actions().size(), 1);
    EXPECT_EQ(menu->actions().front()->text(), QStringLiteral("&About Vendrill ..."));

    const auto checkAbout = [](QWidget* modal) {
        auto* about = dynamic_cast<CAboutDlg*>(modal);
        ASSERT_NE(about, nullptr);
        EXPECT_EQ(about->windowTitle(), QStringLiteral("About Vendrill"));
        EXPECT_EQ(about->m_banner, QStringLiteral("Vendrill " VENDRILL_VERSION));
        EXPECT_EQ(static_cast<QLabel*>(about->GetDlgItem(IDC_BANNER))->text(), about->m_banner);
        EXPECT_NE(label_with_text(about, QStringLiteral("Eloszlásbecslés momentumok alapján")),
                  nullptr);
        click_ok(modal);
    };
    EXPECT_EQ(with_modal_handler([&] { menu->actions().front()->trigger(); }, checkAbout), 1);
    // The window manager activates the dialog again after the box.
    QApplication::setActiveWindow(dlg.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(dlg.get()));
    EXPECT_EQ(with_modal_handler([&] { QTest::keyClick(dlg.get(), Qt::Key_F1); }, checkAbout), 1);

    // Back in the main dialog, with its data as it was.
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_EQ(edit(IDC_POSITION)->text(), QStringLiteral("0.75"));
    EXPECT_EQ(column(1), QStringList({"1"}));
}

TEST(BoundsApp, InitInstanceRegistersTheDialogWhileItRuns) {
    ASSERT_EQ(g_mainDialog, nullptr);
    CBoundsApp app;
    bool checked = false;
    QTimer::singleShot(50, [&] {
        // The dialog's reports record the dialog's own request, in ./error.log.
        checked = g_mainDialog != nullptr && g_mainDialog->m_estimation.request == g_mainDialog &&
                  g_mainDialog->m_estimation.log_path == std::optional<std::string>("error.log") &&
                  app.m_pMainWnd == g_mainDialog && g_mainDialog->isVisible();
        if (g_mainDialog != nullptr)
            QTest::keyClick(g_mainDialog, Qt::Key_Escape);
    });
    EXPECT_FALSE(app.InitInstance());
    EXPECT_TRUE(checked);
    EXPECT_EQ(g_mainDialog, nullptr);
}

} // namespace
} // namespace vendrill::test
