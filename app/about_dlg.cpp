// SPDX-License-Identifier: Apache-2.0
#include "app/about_dlg.h"

#include "app/resource.h"

namespace vendrill {

CAboutDlg::CAboutDlg(QWidget* parent)
    : CDialog(dialog_template(IDD_ABOUTBOX), parent),
      m_banner(QStringLiteral("Vendrill " VENDRILL_VERSION)) {
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
}

void CAboutDlg::DoDataExchange(CDataExchange& dx) {
    DDX_Text(dx, IDC_BANNER, m_banner);
}

} // namespace vendrill
