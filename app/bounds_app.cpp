#include "app/bounds_app.h"

#include "app/bounds_dlg.h"
#include "numeric/error_log.h"

namespace vendrill {

CBoundsDlg* g_mainDialog = nullptr;

bool CBoundsApp::InitInstance() {
    CBoundsDlg dlg;
    g_mainDialog = &dlg;
    m_pMainWnd = &dlg;
    set_request_source(&dlg);

    dlg.DoModal();

    set_request_source(nullptr);
    m_pMainWnd = nullptr;
    g_mainDialog = nullptr;
    return false;
}

} // namespace vendrill
