// SPDX-License-Identifier: Apache-2.0
// "Plot…": the bounds of the request on the dialog over a range of positions,
// in a modeless window that Calculate redraws.  The window draws what the
// controls show, with the method the dialog is set to; a request that
// Calculate would refuse gets no curve, only Calculate's words on it.

#include "app/bounds_dlg.h"
#include "app/bounds_plot.h"
#include "app/resource.h"
#include "estimation/envelope.h"
#include "estimation/messages.h"
#include "numeric/number_text.h"

#include <QLineEdit>
#include <QRadioButton>
#include <QTreeWidget>

namespace vendrill {

bool CBoundsDlg::ReadRequestOnScreen(BoundsRequest& request, double& position) const {
    const auto read = [this](int id, double& value) {
        return parse_whole_double(static_cast<QLineEdit*>(GetDlgItem(id))->text().toStdString(),
                                  value);
    };
    if (!read(IDC_POSITION, position) || !read(IDC_LOWER, request.lower) ||
        !read(IDC_UPPER, request.upper))
        return false;
    const int radios[] = {IDC_TYPE_NORMAL, IDC_TYPE_POSITIVE, IDC_TYPE_BOUNDED};
    for (int i = 0; i < 3; ++i) {
        if (static_cast<QRadioButton*>(GetDlgItem(radios[i]))->isChecked())
            request.support = *support_from_index(i);
    }
    request.moments.clear();
    for (int row = 0; row < m_momentList->topLevelItemCount(); ++row)
        request.moments.push_back(moment(row));
    request.method = m_sharp ? Method::sharp : Method::classic;
    return true;
}

void CBoundsDlg::OnPlot() {
    // As Calculate: a field that does not hold a number is named first.
    if (!UpdateData(true))
        return;
    if (m_plotWindow == nullptr)
        m_plotWindow = new CPlotWnd(this);
    m_plotWindow->show();
    m_plotWindow->raise();
    m_plotWindow->activateWindow();
    RefreshPlot();
}

void CBoundsDlg::RefreshPlot() {
    if (m_plotWindow == nullptr || !m_plotWindow->isVisible())
        return;
    BoundsRequest request;
    double position = 0.0;
    // A field without a number: Calculate has said so; the picture stays.
    if (!ReadRequestOnScreen(request, position))
        return;
    // Calculate's count checks: 3, 4 or 5 moments for the classic method, any
    // number from one for the sharp method.
    const int count = static_cast<int>(request.moments.size());
    if (request.method == Method::classic && count < minimum_moment_count(request.support))
        m_plotWindow->ShowProblem(QString::fromStdString(too_few_moments_message(request.support)));
    else if (count < 1)
        m_plotWindow->ShowProblem(QString::fromUtf8(no_moments_message));
    else if (request.moments.front() != 1.0)
        m_plotWindow->ShowProblem(QString::fromUtf8(zeroth_moment_message));
    else
        m_plotWindow->ShowRequest(request, position);
}

} // namespace vendrill
