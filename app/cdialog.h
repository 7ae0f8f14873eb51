// SPDX-License-Identifier: Apache-2.0
#pragma once
// The small dialog framework under the application's dialogs: a dialog built
// from a template in dialog units, data exchange between members and controls
// (UpdateData / DoDataExchange with the DDX_ functions), and the notifications
// the dialogs handle (button clicks, an edit gaining or losing the focus).

#include "app/dialog_template.h"
#include "numeric/failure.h"

#include <QAbstractButton>
#include <QDialog>
#include <QHash>
#include <QPointer>
#include <QString>

#include <functional>
#include <string>

class QWidget;

namespace vendrill {

class CDialog;

extern const char* const parse_real_message; // "Please enter a number."

// Thrown by CDataExchange::Fail and caught by the transfer that ran it.
struct DataExchangeFailure {};

// One transfer, in one direction, between a dialog's members and its controls.
class CDataExchange {
public:
    CDataExchange(CDialog* dialog, bool saveAndValidate);

    bool m_bSaveAndValidate; // true: controls to members, with validation
    CDialog* m_pDlgWnd;

    // The control with this id; the transfer remembers it as the current field.
    QWidget* PrepareCtrl(int id);
    // Tells the user that the current field is not valid, gives that field
    // the focus (its text selected) and abandons the transfer.
    [[noreturn]] void Fail(const QString& message);

private:
    QWidget* m_lastControl = nullptr;
};

// Binds a control member to the dialog's control with this id.
void DDX_Control(CDataExchange& dx, int id, QWidget*& control);
template <class Control> void DDX_Control(CDataExchange& dx, int id, Control*& control) {
    QWidget* widget = control;
    DDX_Control(dx, id, widget);
    control = static_cast<Control*>(widget);
}

// A double in an edit: written with "%.15g" (next to the largest double, where
// that text would read back as infinity, the largest 15-digit text that reads
// back); read back when the whole text, blanks around it allowed, is one
// finite number with '.' as decimal point.
void DDX_Text(CDataExchange& dx, int id, double& value);
// The text of an edit or a static control.
void DDX_Text(CDataExchange& dx, int id, QString& value);
// A group of radio buttons starting at id: the index of the checked one
// (-1 when none is checked).
void DDX_Radio(CDataExchange& dx, int id, int& value);

class CDialog : public QDialog {
public:
    explicit CDialog(const DialogTemplate& dialogTemplate, QWidget* parent = nullptr);
    ~CDialog() override;

    // Runs OnInitDialog once; DoModal does it when it has not been done.
    void Create();
    // Runs the dialog modally until it ends; the code it ended with.
    int DoModal();

    // Transfers every member to its control (false) or every control to its
    // member with validation (true).  A rejected field stops the transfer:
    // the user is told, the field gets the focus, and the result is false.
    bool UpdateData(bool saveAndValidate = true);

    QWidget* GetDlgItem(int id) const;
    const DialogBaseUnits& baseUnits() const { return m_baseUnits; }
    const DialogTemplate& dialogTemplate() const { return m_template; }
    // The font every dialog is laid out in.
    static QFont DialogFont();

protected:
    virtual void DoDataExchange(CDataExchange& dx) = 0;
    // Transfers the members to the controls; derived dialogs extend it.
    virtual bool OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();

    // Runs a transfer of only the fields that exchange names.
    bool ExchangeData(const std::function<void(CDataExchange&)>& exchange, bool saveAndValidate);

    // Message map.  A click runs its handler after any transfer that an edit
    // losing the focus has left pending; when that transfer fails, the click
    // is dropped, as it would be had the message box come up before it.
    void OnClicked(int id, std::function<void()> handler);
    // The same for a radio button; a dropped click also leaves the group's
    // checked button as it was.
    void OnRadioClicked(int id, std::function<void()> handler);
    // handler runs when the edit with this id has lost the focus to another
    // control of the dialog.  It runs once the focus has settled, not when a
    // message box or another window merely takes the focus for a while; it
    // returns whether the transfer it made succeeded.
    void OnKillFocus(int id, std::function<bool()> handler);
    // handler runs when the edit with this id has gained the focus.
    void OnSetFocus(int id, std::function<void()> handler);

    // Runs the transfer that an edit losing the focus left pending, if any.
    bool FlushPendingKillFocus();

    // Runs a command; a failure of the numerical code that escapes it is
    // reported (ReportFailure) and ends the command with a message box
    // instead of ending the program.
    void RunCommand(const std::function<void()>& command);

    // Records a failure that escaped a command: by default in error.log in
    // the working directory, with an empty request.
    virtual void ReportFailure(const Failure& failure);

    // Tells the user in a box why the error log did not take a report (it is
    // full, it cannot be opened...): the first time in the dialog's life, so
    // that a log that stays full does not bring a box at every command.  An
    // empty problem (every report reached the log) says nothing.
    void TellLogProblem(const std::string& problem);

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class CDataExchange;

    void CreateControls();
    QWidget* CreateControl(const ControlTemplate& control);
    static QRect FitText(const ControlTemplate& control, QRect place, QWidget* widget);
    void SetFocusAfterFailure(QWidget* control);

    DialogTemplate m_template;
    DialogBaseUnits m_baseUnits;
    QHash<int, QWidget*> m_controls;
    QHash<QWidget*, std::function<bool()>> m_killFocusHandlers;
    QHash<QWidget*, std::function<void()>> m_setFocusHandlers;
    std::function<bool()> m_pendingKillFocus;
    QPointer<QAbstractButton> m_radioCheckedAtPress;
    bool m_created = false;
    bool m_logProblemTold = false;
    bool m_movingFocus = false;
};

// The text a command's message box shows when a report escaped it.
extern const char* const command_failed_message;

} // namespace vendrill
