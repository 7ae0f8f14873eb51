// SPDX-License-Identifier: Apache-2.0
#include "app/bounds_app.h"

#include "app/bounds_dlg.h"

namespace vendrill {

CBoundsDlg* g_mainDialog = nullptr;

bool CBoundsApp::InitInstance() {
    CBoundsDlg dlg;
    g_mainDialog = &dlg;
    m_pMainWnd = &dlg;

    dlg.DoModal();

    m_pMainWnd = nullptr;
    g_mainDialog = nullptr;
    return false;
}

} // namespace vendrill
