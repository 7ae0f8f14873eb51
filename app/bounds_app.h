// SPDX-License-Identifier: Apache-2.0
#pragma once
// CBoundsApp: the application object.  InitInstance runs the main dialog
// from start to end; the process ends when it returns.

namespace vendrill {

class CBoundsDlg;

// The one main dialog while it exists (its reports record its own request).
extern CBoundsDlg* g_mainDialog;

class CBoundsApp {
public:
    // Runs the main dialog modally; returns false, so no message loop of
    // the application's own follows.
    bool InitInstance();

    CBoundsDlg* m_pMainWnd = nullptr;
};

} // namespace vendrill
