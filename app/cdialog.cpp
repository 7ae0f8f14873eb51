// SPDX-License-Identifier: Apache-2.0
#include "app/cdialog.h"

#include "app/message_box.h"
#include "numeric/error_log.h"
#include "numeric/number_text.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QFocusEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QSvgRenderer>
#include <QTreeWidget>

#include <algorithm>
#include <cassert>
#include <cmath>
#include <string>
#include <utility>

namespace vendrill {

const char* const parse_real_message = "Please enter a number.";
const char* const command_failed_message =
    "The command could not be completed; the details are in error.log.";

// ---------------------------------------------------------------------------
// Data exchange

CDataExchange::CDataExchange(CDialog* dialog, bool saveAndValidate)
    : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog) {}

QWidget* CDataExchange::PrepareCtrl(int id) {
    QWidget* control = m_pDlgWnd->GetDlgItem(id);
    assert(control != nullptr && "the template has no control with this id");
    m_lastControl = control;
    return control;
}

void CDataExchange::Fail(const QString& message) {
    if (m_lastControl != nullptr)
        m_pDlgWnd->SetFocusAfterFailure(m_lastControl);
    AfxMessageBox(message);
    throw DataExchangeFailure{};
}

void DDX_Control(CDataExchange& dx, int id, QWidget*& control) {
    if (control == nullptr)
        control = dx.PrepareCtrl(id);
}

namespace {

// The largest text of 15 significant digits that reads back as a finite
// double: the largest double is 1.7976931348623157e+308.
const char* const largest_15_digit_text = "1.79769313486231e+308";

// "%.15g", except for the few doubles next to the largest one, whose
// "%.15g" text (1.79769313486232e+308) rounds above it and reads back as
// infinity, which the edit refuses: they show the largest text that reads
// back, with their sign.
std::string edit_text(double value) {
    const std::string text = format_general15(value);
    double back = 0.0;
    if (!std::isfinite(value) || parse_whole_double(text, back))
        return text;
    return std::string(value < 0 ? "-" : "") + largest_15_digit_text;
}

} // namespace

void DDX_Text(CDataExchange& dx, int id, double& value) {
    auto* edit = qobject_cast<QLineEdit*>(dx.PrepareCtrl(id));
    assert(edit != nullptr);
    if (!dx.m_bSaveAndValidate) {
        edit->setText(QString::fromStdString(edit_text(value)));
        // A number wider than its edit shows its leading digits.
        edit->setCursorPosition(0);
        return;
    }
    if (!parse_whole_double(edit->text().toStdString(), value))
        dx.Fail(QString::fromUtf8(parse_real_message));
}

void DDX_Text(CDataExchange& dx, int id, QString& value) {
    QWidget* control = dx.PrepareCtrl(id);
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        if (dx.m_bSaveAndValidate)
            value = edit->text();
        else
            edit->setText(value);
    } else if (auto* label = qobject_cast<QLabel*>(control)) {
        if (dx.m_bSaveAndValidate)
            value = label->text();
        else
            label->setText(value);
    }
}

void DDX_Radio(CDataExchange& dx, int id, int& value) {
    dx.PrepareCtrl(id);
    // The group: the radio buttons from id on, up to the next control that
    // starts a group or is not a radio button.
    QList<QRadioButton*> group;
    const auto& controls = dx.m_pDlgWnd->dialogTemplate().controls;
    bool inGroup = false;
    for (const ControlTemplate& control : controls) {
        if (!inGroup) {
            inGroup = control.id == id;
        } else if ((control.style & StyleGroup) != 0 ||
                   control.kind != ControlKind::AutoRadioButton) {
            break;
        }
        if (inGroup)
            group.append(qobject_cast<QRadioButton*>(dx.m_pDlgWnd->GetDlgItem(control.id)));
    }
    if (dx.m_bSaveAndValidate) {
        value = -1;
        for (int i = 0; i < group.size(); ++i) {
            if (group[i]->isChecked())
                value = i;
        }
        return;
    }
    for (int i = 0; i < group.size(); ++i) {
        // Exclusive buttons refuse to be unchecked one by one.
        group[i]->setAutoExclusive(false);
        group[i]->setChecked(i == value);
        group[i]->setAutoExclusive(true);
    }
}

// ---------------------------------------------------------------------------
// The dialog

CDialog::CDialog(const DialogTemplate& dialogTemplate, QWidget* parent)
    : QDialog(parent), m_template(dialogTemplate), m_baseUnits(dialog_base_units(DialogFont())) {
    setFont(DialogFont());
    setWindowTitle(QString::fromUtf8(m_template.caption));
    CreateControls();
    const QRect client = map_dialog_rect(m_baseUnits, 0, 0, m_template.cx, m_template.cy);
    setFixedSize(client.size());
}

CDialog::~CDialog() = default;

QFont CDialog::DialogFont() {
    // The templates were laid out for a sans-serif face of 8 points: the
    // desktop's own sans-serif face at that size.
    QFont font = QApplication::font();
    font.setPointSize(8);
    return font;
}

void CDialog::Create() {
    if (m_created)
        return;
    m_created = true;
    OnInitDialog();
}

int CDialog::DoModal() {
    Create();
    return exec();
}

bool CDialog::OnInitDialog() {
    UpdateData(false);
    return true;
}

void CDialog::OnOK() {
    if (UpdateData(true))
        accept();
}

void CDialog::OnCancel() {
    reject();
}

bool CDialog::UpdateData(bool saveAndValidate) {
    // A full transfer from the controls does what a pending one would.
    if (saveAndValidate)
        m_pendingKillFocus = nullptr;
    return ExchangeData([this](CDataExchange& dx) { DoDataExchange(dx); }, saveAndValidate);
}

bool CDialog::ExchangeData(const std::function<void(CDataExchange&)>& exchange,
                           bool saveAndValidate) {
    CDataExchange dx(this, saveAndValidate);
    try {
        exchange(dx);
        return true;
    } catch (const DataExchangeFailure&) {
        // The user has just been told about this field; leaving it a moment
        // ago must not tell them again.
        m_pendingKillFocus = nullptr;
        return false;
    }
}

QWidget* CDialog::GetDlgItem(int id) const {
    return m_controls.value(id, nullptr);
}

void CDialog::SetFocusAfterFailure(QWidget* control) {
    // Moving the focus here is the framework's doing, not the user's: the
    // edit it leaves must not start a transfer of its own.
    m_movingFocus = true;
    control->setFocus(Qt::OtherFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        edit->selectAll();
    m_movingFocus = false;
}

void CDialog::CreateControls() {
    QWidget* previousTabStop = nullptr;
    QList<QWidget*> groupBoxes;
    for (const ControlTemplate& control : m_template.controls) {
        QWidget* widget = CreateControl(control);
        widget->setGeometry(FitText(
            control, map_dialog_rect(m_baseUnits, control.x, control.y, control.cx, control.cy),
            widget));
        if ((control.style & StyleDisabled) != 0)
            widget->setEnabled(false);
        if (control.id != IDC_STATIC)
            m_controls.insert(control.id, widget);
        if (control.kind == ControlKind::GroupBox)
            groupBoxes.append(widget);
        if ((control.style & StyleTabStop) != 0) {
            if (previousTabStop != nullptr)
                QWidget::setTabOrder(previousTabStop, widget);
            previousTabStop = widget;
        } else if (control.kind != ControlKind::ListView && control.kind != ControlKind::Edit) {
            widget->setFocusPolicy(Qt::NoFocus);
        }
    }
    // Group boxes only frame other controls: keep them behind, so that they
    // never take a click meant for a control inside them.
    for (QWidget* box : groupBoxes)
        box->lower();
}

QRect CDialog::FitText(const ControlTemplate& control, QRect place, QWidget* widget) {
    // With a face wider than the one the template was drawn for, a label or
    // a radio button grows, away from its alignment, rather than clip its
    // text; with the usual faces nothing changes.
    if (control.kind != ControlKind::Static && control.kind != ControlKind::AutoRadioButton &&
        control.kind != ControlKind::AutoCheckBox)
        return place;
    widget->ensurePolished();
    const int missing = widget->sizeHint().width() - place.width();
    if (missing <= 0)
        return place;
    if ((control.style & StyleRight) != 0)
        place.setLeft(std::max(0, place.left() - missing));
    else if ((control.style & StyleCenter) != 0)
        place.adjust(-missing / 2, 0, missing - missing / 2, 0);
    else
        place.setWidth(place.width() + missing);
    return place;
}

QWidget* CDialog::CreateControl(const ControlTemplate& control) {
    const QString text = QString::fromUtf8(control.text);
    const bool center = (control.style & StyleCenter) != 0;
    const bool right = (control.style & StyleRight) != 0;
    switch (control.kind) {
    case ControlKind::PushButton:
    case ControlKind::DefPushButton: {
        auto* button = new QPushButton(text, this);
        button->setAutoDefault(false);
        button->setDefault(control.kind == ControlKind::DefPushButton);
        if (control.id == IDOK)
            connect(button, &QPushButton::clicked, this, [this] { OnOK(); });
        else if (control.id == IDCANCEL)
            connect(button, &QPushButton::clicked, this, [this] { OnCancel(); });
        return button;
    }
    case ControlKind::AutoRadioButton:
        return new QRadioButton(text, this);
    case ControlKind::AutoCheckBox:
        return new QCheckBox(text, this);
    case ControlKind::Edit: {
        auto* edit = new QLineEdit(text, this);
        edit->setAlignment((right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
        edit->setFrame((control.style & StyleBorder) != 0);
        return edit;
    }
    case ControlKind::Static: {
        auto* label = new QLabel(text, this);
        const Qt::Alignment horizontal =
            center ? Qt::AlignHCenter : (right ? Qt::AlignRight : Qt::AlignLeft);
        label->setAlignment(horizontal | Qt::AlignTop);
        label->setTextFormat(Qt::PlainText);
        return label;
    }
    case ControlKind::GroupBox:
        return new QGroupBox(text, this);
    case ControlKind::ListView: {
        auto* list = new QTreeWidget(this);
        list->setColumnCount(0);
        return list;
    }
    case ControlKind::Picture: {
        auto* picture = new QLabel(this);
        const QRect place =
            map_dialog_rect(m_baseUnits, control.x, control.y, control.cx, control.cy);
        QPixmap pixmap(place.size() * devicePixelRatioF());
        pixmap.fill(Qt::transparent);
        QSvgRenderer renderer(text);
        QPainter painter(&pixmap);
        renderer.render(&painter);
        painter.end();
        pixmap.setDevicePixelRatio(devicePixelRatioF());
        picture->setPixmap(pixmap);
        return picture;
    }
    }
    return new QWidget(this);
}

// ---------------------------------------------------------------------------
// Notifications

void CDialog::RunCommand(const std::function<void()>& command) {
    try {
        command();
    } catch (const Failure& failure) {
        ReportFailure(failure);
        AfxMessageBox(QString::fromUtf8(command_failed_message));
    }
}

void CDialog::ReportFailure(const Failure& failure) {
    std::string problem;
    write_error_report("error.log", nullptr, failure, false, &problem);
    TellLogProblem(problem);
}

void CDialog::TellLogProblem(const std::string& problem) {
    if (problem.empty() || m_logProblemTold)
        return;
    m_logProblemTold = true;
    AfxMessageBox(QString::fromStdString(problem));
}

void CDialog::OnClicked(int id, std::function<void()> handler) {
    auto* button = qobject_cast<QAbstractButton*>(GetDlgItem(id));
    assert(button != nullptr);
    connect(button, &QAbstractButton::clicked, this, [this, handler = std::move(handler)] {
        if (FlushPendingKillFocus())
            RunCommand(handler);
    });
}

void CDialog::OnRadioClicked(int id, std::function<void()> handler) {
    auto* button = qobject_cast<QAbstractButton*>(GetDlgItem(id));
    assert(button != nullptr);
    // A radio button is checked by the time its click arrives; remember the
    // one checked before, to put it back when the click is dropped.
    connect(button, &QAbstractButton::pressed, this, [this, button] {
        m_radioCheckedAtPress = nullptr;
        for (auto* sibling : button->parentWidget()->findChildren<QRadioButton*>(
                 QString(), Qt::FindDirectChildrenOnly)) {
            if (sibling->isChecked())
                m_radioCheckedAtPress = sibling;
        }
    });
    connect(button, &QAbstractButton::clicked, this, [this, handler = std::move(handler)] {
        if (!FlushPendingKillFocus()) {
            if (m_radioCheckedAtPress != nullptr)
                m_radioCheckedAtPress->setChecked(true);
            return;
        }
        RunCommand(handler);
    });
}

void CDialog::OnKillFocus(int id, std::function<bool()> handler) {
    QWidget* control = GetDlgItem(id);
    assert(control != nullptr);
    m_killFocusHandlers.insert(control, std::move(handler));
    control->installEventFilter(this);
}

void CDialog::OnSetFocus(int id, std::function<void()> handler) {
    QWidget* control = GetDlgItem(id);
    assert(control != nullptr);
    m_setFocusHandlers.insert(control, std::move(handler));
    control->installEventFilter(this);
}

bool CDialog::FlushPendingKillFocus() {
    std::function<bool()> handler = std::exchange(m_pendingKillFocus, nullptr);
    if (!handler || !isVisible() || message_box_open())
        return true;
    // Leaving an edit for the cancel button must not hold the user in the
    // dialog with a complaint about a field they are abandoning.
    if (QApplication::focusWidget() != nullptr &&
        QApplication::focusWidget() == GetDlgItem(IDCANCEL))
        return true;
    bool transferred = true;
    RunCommand([&] { transferred = handler(); });
    return transferred;
}

bool CDialog::eventFilter(QObject* watched, QEvent* event) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (event->type() == QEvent::FocusOut && m_killFocusHandlers.contains(widget)) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        // A message box or another window taking the focus for a while, or
        // the framework placing it after a failed transfer, is not the user
        // leaving the edit.
        const bool leftByUser = reason != Qt::ActiveWindowFocusReason &&
                                reason != Qt::PopupFocusReason && !m_movingFocus &&
                                !message_box_open();
        if (leftByUser) {
            m_pendingKillFocus = m_killFocusHandlers.value(widget);
            // Handled once the event that moved the focus is over, so that
            // a message box never opens in the middle of a click or a key.
            QMetaObject::invokeMethod(
                this, [this] { FlushPendingKillFocus(); }, Qt::QueuedConnection);
        }
    } else if (event->type() == QEvent::FocusIn && m_setFocusHandlers.contains(widget)) {
        // An edit taking the focus keeps a selection made here.
        m_setFocusHandlers.value(widget)();
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace vendrill
