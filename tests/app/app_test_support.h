// SPDX-License-Identifier: Apache-2.0
#pragma once
// Helpers of the dialog tests: a shown main dialog whose message boxes are
// recorded instead of shown, an error log in a folder of the test's own, and
// ways to type into the controls and click them as a user would.

#include "app/bounds_dlg.h"
#include "app/message_box.h"
#include "app/resource.h"
#include "tests/support/test_support.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QStringList>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <string>

// Readable QString and QStringList values in failure messages.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QStringList& texts, std::ostream* out) {
    *out << '[' << texts.join(QStringLiteral(" | ")).toStdString() << ']';
}
QT_END_NAMESPACE

namespace vendrill::test {

using test_support::read_file;
using test_support::ScratchFolder;

// Runs action while a real modal box or dialog comes up: onModal gets the
// active modal widget and closes it.  Returns how many modal widgets came up.
int with_modal_handler(const std::function<void()>& action,
                       const std::function<void(QWidget*)>& onModal);

// Presses the OK button of a QMessageBox or a dialog through a mouse click.
void click_ok(QWidget* modal);

// Lets queued events (a focus change's transfer) run.
void settle();

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Builds, initialises and shows dlg (a CBoundsDlg by default).
    virtual std::unique_ptr<CBoundsDlg> MakeDialog();
    // Points a dialog's error log into the test's folder.
    void UseTestLog(CBoundsDlg& dialog) const { dialog.m_estimation.log_path = log_path; }

    QLineEdit* edit(int id) const { return static_cast<QLineEdit*>(dlg->GetDlgItem(id)); }
    QAbstractButton* button(int id) const {
        return static_cast<QAbstractButton*>(dlg->GetDlgItem(id));
    }
    QTreeWidget* list() const { return dlg->m_momentList; }

    // Gives the edit the focus by a click and types text over its content.
    void type_into(int id, const QString& text);
    // Clicks the button with the mouse.
    void click(int id);
    // Types each value into the new-moment edit and clicks "+".
    void add_moments(const QStringList& values);
    // Selects exactly these rows, as Ctrl+clicks would.
    void select_rows(const QList<int>& rows);
    // Enters a whole request through the controls: type, position, limits
    // (left alone when empty) and the moments.
    void enter_request(int typeRadio, const QString& position, const QStringList& moments,
                       const QString& lower = {}, const QString& upper = {});
    QString lower_bound() const { return edit(IDC_LOWER_BOUND)->text(); }
    QString upper_bound() const { return edit(IDC_UPPER_BOUND)->text(); }
    QStringList column(int column) const;
    QList<int> selected_rows() const;
    std::string log_text() const { return read_file(log_path); }

    std::unique_ptr<CBoundsDlg> dlg;
    QStringList boxes; // texts of the message boxes shown
    std::unique_ptr<ScratchFolder> folder;
    std::string log_path;

private:
    MessageBoxHook m_previousHook;
};

} // namespace vendrill::test
