// SPDX-License-Identifier: Apache-2.0
#pragma once
// CAboutDlg: the About box, opened from the main dialog's context menu or F1.

#include "app/cdialog.h"

#include <QString>

namespace vendrill {

class CAboutDlg : public CDialog {
public:
    explicit CAboutDlg(QWidget* parent = nullptr);

    QString m_banner; // the program's name and version

protected:
    void DoDataExchange(CDataExchange& dx) override;
};

} // namespace vendrill
