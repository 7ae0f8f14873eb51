// SPDX-License-Identifier: Apache-2.0
#pragma once
// The application's message box: modal, one OK button, titled "Vendrill".
// Everything the dialogs tell the user in a box goes through AfxMessageBox,
// and a test can replace the box with a hook that records the text.

#include <QString>

#include <functional>

class QWidget;

namespace vendrill {

extern const char* const message_box_title;

using MessageBoxHook = std::function<void(const QString& text)>;

// Installs hook in place of the real box (an empty hook brings the real box
// back) and returns the hook that was installed before.
MessageBoxHook set_message_box_hook(MessageBoxHook hook);

// True while a box is open (or a hook runs in its place).
bool message_box_open();

} // namespace vendrill

// Shows text in a modal box with an OK button over the active window and
// returns when the user has closed it.
void AfxMessageBox(const QString& text);
