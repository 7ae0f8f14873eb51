// SPDX-License-Identifier: Apache-2.0
// The four commands of the "Moments" group: "+", "Delete", "^" and "v".
// Column 0 of a row is its label ("%d." of its index), column 1 the moment's
// value, in the shortest text that reads back to the same double, so that
// Calculate and the error log get every digit typed; labels stay with row
// positions, values move.

#include "app/bounds_dlg.h"
#include "app/resource.h"
#include "numeric/number_list.h"

#include <QItemSelectionModel>
#include <QLineEdit>
#include <QTreeWidget>

#include <utility>

namespace vendrill {

namespace {

QString row_label(int row) {
    return QStringLiteral("%1.").arg(row);
}

QTreeWidgetItem* new_moment_row(const QString& label, const QString& value) {
    auto* item = new QTreeWidgetItem({label, value});
    item->setTextAlignment(0, Qt::AlignRight | Qt::AlignVCenter);
    item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

} // namespace

void CBoundsDlg::OnAddMoment() {
    // Only a value that is in the edit now is added: a text that is not a
    // number is refused here rather than standing in for an older value.
    const bool transferred = ExchangeData(
        [this](CDataExchange& dx) { DDX_Text(dx, IDC_NEW_MOMENT, m_newMoment); }, true);
    if (!transferred)
        return;

    AppendMoment(m_newMoment);

    m_newMoment = 0;
    UpdateData(false);
    if (m_newMomentEdit->hasFocus())
        OnNewMomentSetFocus();
    else
        m_newMomentEdit->setFocus(Qt::OtherFocusReason);
}

void CBoundsDlg::AppendMoment(double value) {
    const int n = m_momentList->topLevelItemCount();
    const QString label = row_label(m_momentCount);
    ++m_momentCount;
    m_momentList->insertTopLevelItem(n, new_moment_row(label, QString()));
    SetMomentText(n, QString::fromStdString(format_shortest(value)));
}

ZeroFilledArray<int> CBoundsDlg::CollectSelection() {
    UpdateData(true);
    int k = 0;
    for (int row = 0; row < m_momentList->topLevelItemCount(); ++row) {
        if (m_momentList->topLevelItem(row)->isSelected())
            ++k;
    }
    ZeroFilledArray<int> rows(k);
    int next = 0;
    for (int row = 0; row < m_momentList->topLevelItemCount() && next < k; ++row) {
        if (m_momentList->topLevelItem(row)->isSelected())
            rows[next++] = row;
    }
    return rows;
}

void CBoundsDlg::SelectRows(ZeroFilledArray<int>& rows) {
    // Selection only: the row with the keyboard focus stays where it was.
    QItemSelectionModel* selection = m_momentList->selectionModel();
    QAbstractItemModel* model = m_momentList->model();
    for (int row = 0; row < m_momentCount; ++row)
        selection->select(model->index(row, 0),
                          QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
    for (const int row : rows)
        selection->select(model->index(row, 0),
                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

void CBoundsDlg::RelabelFrom(int row) {
    for (int r = row; r < m_momentList->topLevelItemCount(); ++r)
        m_momentList->topLevelItem(r)->setText(0, row_label(r));
}

void CBoundsDlg::OnDeleteMoments() {
    ZeroFilledArray<int> rows = CollectSelection();
    if (rows.size() == 0 || m_momentCount == 0)
        return;
    for (int i = 0; i < rows.size(); ++i) {
        const int s = rows[i];
        delete m_momentList->takeTopLevelItem(s);
        RelabelFrom(s);
        --m_momentCount;
        // The rows after s have moved up by one.
        for (int j = i + 1; j < rows.size(); ++j)
            --rows[j];
        UpdateData(false);
    }
}

void CBoundsDlg::OnMoveUp() {
    ZeroFilledArray<int> rows = CollectSelection();
    if (rows.size() == 0 || m_momentCount == 0 || rows[0] == 0) {
        // Nothing moves when the block touches the top.
        m_momentList->setFocus(Qt::OtherFocusReason);
        return;
    }
    for (const int s : rows) {
        QString upper = MomentText(s - 1);
        QString lower = MomentText(s);
        SetMomentText(s - 1, lower);
        SetMomentText(s, upper);
        UpdateData(false);
    }
    for (int& row : rows)
        --row;
    SelectRows(rows);
    m_momentList->setFocus(Qt::OtherFocusReason);
}

void CBoundsDlg::OnMoveDown() {
    ZeroFilledArray<int> rows = CollectSelection();
    if (rows.size() == 0 || m_momentCount == 0 || rows[rows.size() - 1] >= m_momentCount - 1) {
        // Nothing moves when the block touches the bottom.
        m_momentList->setFocus(Qt::OtherFocusReason);
        return;
    }
    for (int i = rows.size() - 1; i >= 0; --i) {
        const int s = rows[i];
        QString upper = MomentText(s);
        QString lower = MomentText(s + 1);
        SetMomentText(s, lower);
        SetMomentText(s + 1, upper);
        UpdateData(false);
    }
    for (int& row : rows)
        ++row;
    SelectRows(rows);
    m_momentList->setFocus(Qt::OtherFocusReason);
}

} // namespace vendrill
