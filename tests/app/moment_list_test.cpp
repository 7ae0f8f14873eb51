// SPDX-License-Identifier: Apache-2.0
// "+", "Delete", "^" and "v": the values' full-precision texts, relabelling,
// and the selection following the moved values.

#include "app_test_support.h"

#include <QApplication>
#include <QTest>

namespace vendrill::test {
namespace {

QStringList labels(int count) {
    QStringList texts;
    for (int row = 0; row < count; ++row)
        texts.append(QStringLiteral("%1.").arg(row));
    return texts;
}

// Every digit typed is kept: the list shows the shortest text that reads
// back to the typed double, and the dialog reads that double back.
TEST_F(DialogTest, AddKeepsEveryDigitAndLabelsTheRows) {
    const struct {
        const char* typed;
        const char* stored;
        double value;
    } cases[] = {{"1", "1", 1},
                 {"0.5", "0.5", 0.5},
                 {"-2.5", "-2.5", -2.5},
                 {"0.0000004", "4e-07", 4e-7},
                 {" 1e3 ", "1000", 1000},
                 {"0.1234567", "0.1234567", 0.1234567},
                 {"0.33333333333333331", "0.3333333333333333", 1.0 / 3},
                 {"3.3333333333333e-7", "3.3333333333333e-07", 3.3333333333333e-7}};
    QStringList stored;
    for (const auto& c : cases) {
        add_moments({QString::fromUtf8(c.typed)});
        stored.append(QString::fromUtf8(c.stored));
        EXPECT_EQ(column(1), stored) << c.typed;
        EXPECT_EQ(dlg->moment(static_cast<int>(stored.size()) - 1), c.value) << c.typed;
        // Ready for the next value: 0, selected, in the focused edit.
        EXPECT_EQ(edit(IDC_NEW_MOMENT)->text(), QStringLiteral("0"));
        EXPECT_EQ(edit(IDC_NEW_MOMENT)->selectedText(), QStringLiteral("0"));
        EXPECT_TRUE(edit(IDC_NEW_MOMENT)->hasFocus());
        EXPECT_EQ(dlg->m_newMoment, 0.0);
    }
    EXPECT_EQ(column(0), labels(8));
    EXPECT_EQ(dlg->m_momentCount, 8);
    EXPECT_TRUE(list()->topLevelItem(0)->textAlignment(1) & Qt::AlignRight);
    EXPECT_TRUE(boxes.isEmpty());
}

// A text that is not a number adds nothing, and no older value either.
TEST_F(DialogTest, AddRefusesTextThatIsNoNumber) {
    add_moments({"1", "0.5"});
    for (const char* typed : {"abc", "0.5x", "", "1,5", "inf", "nan"}) {
        boxes.clear();
        type_into(IDC_NEW_MOMENT, QString::fromUtf8(typed));
        click(IDC_ADD_MOMENT);
        EXPECT_EQ(boxes, QStringList({"Please enter a number."})) << typed;
        EXPECT_EQ(column(1), QStringList({"1", "0.5"})) << typed;
        EXPECT_EQ(dlg->m_momentCount, 2);
        EXPECT_TRUE(edit(IDC_NEW_MOMENT)->hasFocus());
    }
}

TEST_F(DialogTest, DeleteRemovesANonContiguousSelectionAndRelabels) {
    add_moments({"1", "2", "3", "4", "5"});
    select_rows({1, 3});
    click(IDC_DELETE_MOMENTS);
    EXPECT_EQ(column(1), QStringList({"1", "3", "5"}));
    EXPECT_EQ(column(0), labels(3));
    EXPECT_EQ(dlg->m_momentCount, 3);

    select_rows({0, 2});
    click(IDC_DELETE_MOMENTS);
    EXPECT_EQ(column(1), QStringList({"3"}));
    EXPECT_EQ(column(0), labels(1));
    EXPECT_EQ(dlg->m_momentCount, 1);
}

TEST_F(DialogTest, DeleteWithNothingSelectedChangesNothing) {
    add_moments({"1", "2"});
    list()->clearSelection();
    click(IDC_DELETE_MOMENTS);
    EXPECT_EQ(column(1), QStringList({"1", "2"}));
    EXPECT_EQ(dlg->m_momentCount, 2);
}

TEST_F(DialogTest, DeleteOfEveryRowEmptiesTheList) {
    add_moments({"1", "2", "3"});
    select_rows({0, 1, 2});
    click(IDC_DELETE_MOMENTS);
    EXPECT_EQ(list()->topLevelItemCount(), 0);
    EXPECT_EQ(dlg->m_momentCount, 0);
}

struct MoveCase {
    const char* name;
    int command;
    QList<int> selected;
    QStringList values;       // 1..5 after the move
    QList<int> selectedAfter; // rows selected after the move
};

void PrintTo(const MoveCase& c, std::ostream* out) {
    *out << c.name;
}

class MoveTest : public DialogTest, public ::testing::WithParamInterface<MoveCase> {};

TEST_P(MoveTest, MovesTheSelectedValuesAsABlock) {
    const MoveCase& c = GetParam();
    add_moments({"1", "2", "3", "4", "5"});
    list()->setCurrentItem(list()->topLevelItem(4), 0, QItemSelectionModel::NoUpdate);
    select_rows(c.selected);
    click(c.command);
    EXPECT_EQ(column(1), c.values);
    EXPECT_EQ(column(0), labels(5)); // labels stay with the rows
    EXPECT_EQ(selected_rows(), c.selectedAfter);
    EXPECT_EQ(list()->currentItem(), list()->topLevelItem(4)); // keyboard focus item unchanged
    EXPECT_TRUE(list()->hasFocus());
    EXPECT_EQ(dlg->m_momentCount, 5);
}

INSTANTIATE_TEST_SUITE_P(
    Moves, MoveTest,
    ::testing::Values(
        MoveCase{"UpContiguous", IDC_MOVE_UP, {1, 2}, {"2", "3", "1", "4", "5"}, {0, 1}},
        MoveCase{"UpSeparate", IDC_MOVE_UP, {1, 3}, {"2", "1", "4", "3", "5"}, {0, 2}},
        MoveCase{"UpLast", IDC_MOVE_UP, {4}, {"1", "2", "3", "5", "4"}, {3}},
        MoveCase{"UpAtTop", IDC_MOVE_UP, {0, 2}, {"1", "2", "3", "4", "5"}, {0, 2}},
        MoveCase{"DownContiguous", IDC_MOVE_DOWN, {1, 2}, {"1", "4", "2", "3", "5"}, {2, 3}},
        MoveCase{"DownSeparate", IDC_MOVE_DOWN, {0, 2}, {"2", "1", "4", "3", "5"}, {1, 3}},
        MoveCase{"DownAtBottom", IDC_MOVE_DOWN, {1, 4}, {"1", "2", "3", "4", "5"}, {1, 4}},
        MoveCase{"NothingSelected", IDC_MOVE_DOWN, {}, {"1", "2", "3", "4", "5"}, {}}),
    [](const ::testing::TestParamInfo<MoveCase>& info) { return std::string(info.param.name); });

// A value wider than the "momentum" column keeps its whole text, shows it in
// the row's tooltip, and moves with it; a short value has no tooltip.
TEST_F(DialogTest, MovesLongValuesWholeWithTheirTooltips) {
    const QString longText = QStringLiteral("-1.2345678901234568e-150");
    add_moments({"1", longText});
    ASSERT_GT(list()->fontMetrics().horizontalAdvance(longText), list()->columnWidth(1));
    const auto tooltips = [this] {
        return QStringList(
            {list()->topLevelItem(0)->toolTip(1), list()->topLevelItem(1)->toolTip(1)});
    };
    EXPECT_EQ(column(1).at(1), longText);
    EXPECT_EQ(tooltips(), QStringList({"", longText}));
    EXPECT_EQ(list()->topLevelItem(1)->toolTip(0), longText); // the whole row
    EXPECT_EQ(list()->textElideMode(), Qt::ElideMiddle);
    EXPECT_EQ(list()->columnWidth(1), moment_column_widths(list()->viewport()->width()).momentum);
    select_rows({1});
    click(IDC_MOVE_UP);
    EXPECT_EQ(column(1), QStringList({longText, "1"}));
    EXPECT_EQ(tooltips(), QStringList({longText, ""}));
    EXPECT_EQ(dlg->moment(0), -1.2345678901234567e-150);
    click(IDC_MOVE_DOWN);
    EXPECT_EQ(column(1), QStringList({"1", longText}));
    EXPECT_EQ(tooltips(), QStringList({"", longText}));
}

// Ctrl and Shift clicks select rows the usual way.
TEST_F(DialogTest, CtrlAndShiftClicksSelectSeveralRows) {
    add_moments({"1", "2", "3", "4", "5"});
    const auto rowCentre = [&](int row) {
        return list()->visualItemRect(list()->topLevelItem(row)).center();
    };
    QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, rowCentre(0));
    QTest::mouseClick(list()->viewport(), Qt::LeftButton, Qt::ControlModifier, rowCentre(2));
    QTest::mouseClick(list()->viewport(), Qt::LeftButton, Qt::ControlModifier, rowCentre(4));
    EXPECT_EQ(selected_rows(), QList<int>({0, 2, 4}));
    QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, rowCentre(1));
    QTest::mouseClick(list()->viewport(), Qt::LeftButton, Qt::ShiftModifier, rowCentre(3));
    EXPECT_EQ(selected_rows(), QList<int>({1, 2, 3}));
}

} // namespace
} // namespace vendrill::test
