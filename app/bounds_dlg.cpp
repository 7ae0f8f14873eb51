// SPDX-License-Identifier: Apache-2.0
#include "app/bounds_dlg.h"

#include "app/about_dlg.h"
#include "app/bounds_plot.h"
#include "app/message_box.h"
#include "app/resource.h"
#include "numeric/number_text.h"

#include <QAction>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeySequence>
#include <QLineEdit>
#include <QMenu>
#include <QStyle>
#include <QTreeWidget>

namespace vendrill {

const char* const sharp_bounds_tooltip =
    "Calculate gives the sharp bounds: the tightest that any distribution on the support with "
    "these moments allows. The same switch is in the dialog's right-click menu.";

MomentColumnWidths moment_column_widths(int clientWidth) {
    const int a = (clientWidth - 15) / 5;
    return MomentColumnWidths{a, 4 * a};
}

CBoundsDlg::CBoundsDlg(QWidget* parent)
    : CDialog(dialog_template(IDD_BOUNDS_DIALOG), parent), m_icon(load_icon(IDR_MAINFRAME)) {
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    m_estimation.request = this;
    SetAccessibleNames();
    BindMessageMap();
    // A moments file dropped anywhere on the dialog, the edits included.
    setAcceptDrops(true);
    for (QLineEdit* edit : findChildren<QLineEdit*>())
        edit->installEventFilter(this);
}

CBoundsDlg::~CBoundsDlg() = default;

void CBoundsDlg::SetAccessibleNames() {
    // Named after the label beside each control, so that screen readers and
    // tools that find controls by name see what a sighted user reads.
    const struct {
        int id;
        const char* name;
    } names[] = {
        {IDC_POSITION, "Position:"},
        {IDC_LOWER, "Lower:"},
        {IDC_UPPER, "Upper:"},
        {IDC_LOWER_BOUND, "Lower bound = "},
        {IDC_UPPER_BOUND, "Upper bound ="},
        {IDC_MOMENT_LIST, "Moments"},
        {IDC_NEW_MOMENT, "New moment"},
        {IDC_TYPE_NORMAL, "(-inf, inf)"},
        {IDC_TYPE_POSITIVE, "[lower, inf)"},
        {IDC_TYPE_BOUNDED, "[lower, upper]"},
    };
    for (const auto& entry : names)
        GetDlgItem(entry.id)->setAccessibleName(QString::fromUtf8(entry.name));
    GetDlgItem(IDC_ADD_MOMENT)->setAccessibleDescription(QStringLiteral("Add the new moment"));
    GetDlgItem(IDC_DELETE_MOMENTS)
        ->setAccessibleDescription(QStringLiteral("Delete the selected moments"));
    GetDlgItem(IDC_MOVE_UP)
        ->setAccessibleDescription(QStringLiteral("Move the selected moments up"));
    GetDlgItem(IDC_MOVE_DOWN)
        ->setAccessibleDescription(QStringLiteral("Move the selected moments down"));
    GetDlgItem(IDC_PLOT)->setAccessibleDescription(
        QStringLiteral("Draw the bounds over a range of positions"));
    GetDlgItem(IDC_PLOT)->setToolTip(QStringLiteral("Draw the bounds over a range of positions"));
}

void CBoundsDlg::BindMessageMap() {
    OnRadioClicked(IDC_TYPE_NORMAL, [this] { OnTypeNormal(); });
    OnRadioClicked(IDC_TYPE_POSITIVE, [this] { OnTypePositive(); });
    OnRadioClicked(IDC_TYPE_BOUNDED, [this] { OnTypeBounded(); });
    for (const int edit : {IDC_LOWER, IDC_UPPER, IDC_POSITION, IDC_NEW_MOMENT})
        OnKillFocus(edit, [this] { return OnEditKillFocus(); });
    OnClicked(IDC_ADD_MOMENT, [this] { OnAddMoment(); });
    OnClicked(IDC_CALCULATE, [this] {
        OnCalculate();
        RefreshPlot();
    });
    OnClicked(IDC_DELETE_MOMENTS, [this] { OnDeleteMoments(); });
    OnSetFocus(IDC_NEW_MOMENT, [this] { OnNewMomentSetFocus(); });
    OnClicked(IDC_MOVE_UP, [this] { OnMoveUp(); });
    OnClicked(IDC_MOVE_DOWN, [this] { OnMoveDown(); });
    OnClicked(IDC_PLOT, [this] { OnPlot(); });

    m_sharpBoundsEntry = new QAction(QString::fromUtf8(sharp_bounds_entry_text), this);
    m_sharpBoundsEntry->setCheckable(true);
    m_sharpBoundsEntry->setChecked(m_sharp);
    connect(m_sharpBoundsEntry, &QAction::toggled, this,
            [this](bool checked) { OnSharpBounds(checked); });
    // The check box sets the entry, whose handler sets the box back: either
    // one shows the method Calculate uses.
    m_sharpBoundsBox = static_cast<QCheckBox*>(GetDlgItem(IDC_SHARP_BOUNDS));
    m_sharpBoundsBox->setChecked(m_sharp);
    m_sharpBoundsBox->setToolTip(QString::fromUtf8(sharp_bounds_tooltip));
    connect(m_sharpBoundsBox, &QCheckBox::toggled, m_sharpBoundsEntry, &QAction::setChecked);

    // Moments in bulk; the shortcuts work anywhere in the dialog (an edit
    // keeps Ctrl+V for itself, except the new-moment edit with several
    // numbers on the clipboard: eventFilter).
    const struct {
        QAction*& entry;
        const char* text;
        QKeySequence::StandardKey key;
        void (CBoundsDlg::*handler)();
    } bulk[] = {
        {m_pasteMomentsEntry, paste_moments_entry_text, QKeySequence::Paste,
         &CBoundsDlg::OnPasteMoments},
        {m_openMomentsEntry, open_moments_entry_text, QKeySequence::Open,
         &CBoundsDlg::OnOpenMoments},
        {m_saveMomentsEntry, save_moments_entry_text, QKeySequence::Save,
         &CBoundsDlg::OnSaveMoments},
    };
    for (const auto& command : bulk) {
        command.entry = new QAction(QString::fromUtf8(command.text), this);
        command.entry->setShortcuts(command.key);
        command.entry->setShortcutContext(Qt::WindowShortcut);
        connect(command.entry, &QAction::triggered, this, [this, handler = command.handler] {
            if (FlushPendingKillFocus())
                RunCommand([this, handler] { (this->*handler)(); });
        });
        addAction(command.entry);
    }

    // The framework's Help command (F1).
    auto* help = new QAction(this);
    help->setShortcut(QKeySequence(Qt::Key_F1));
    help->setShortcutContext(Qt::WindowShortcut);
    connect(help, &QAction::triggered, this, [this] { OnHelp(); });
    addAction(help);
}

void CBoundsDlg::DoDataExchange(CDataExchange& dx) {
    DDX_Control(dx, IDC_UPPER_BOUND, m_upperBoundEdit);
    DDX_Control(dx, IDC_LOWER_BOUND, m_lowerBoundEdit);
    DDX_Control(dx, IDC_NEW_MOMENT, m_newMomentEdit);
    DDX_Control(dx, IDC_MOMENT_LIST, m_momentList);
    DDX_Control(dx, IDC_UPPER, m_upperEdit);
    DDX_Control(dx, IDC_LOWER, m_lowerEdit);
    DDX_Text(dx, IDC_POSITION, m_position);
    DDX_Text(dx, IDC_LOWER, m_lower);
    DDX_Text(dx, IDC_UPPER, m_upper);
    DDX_Text(dx, IDC_NEW_MOMENT, m_newMoment);
    DDX_Text(dx, IDC_LOWER_BOUND, m_lowerBound);
    DDX_Text(dx, IDC_UPPER_BOUND, m_upperBound);
    DDX_Text(dx, IDC_MESSAGE, m_message);
    DDX_Radio(dx, IDC_TYPE_NORMAL, m_type);
}

bool CBoundsDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    const QString aboutText = load_string(IDS_ABOUTBOX);
    if (!aboutText.isEmpty()) {
        m_systemMenu = new QMenu(this);
        m_systemMenu->addAction(aboutText, this, [this] { OnSysCommand(IDM_ABOUTBOX, 0); });
    }
    BuildContextMenu();

    setWindowIcon(m_icon);
    InsertMomentColumns();
    m_momentCount = 0;
    m_lowerBoundEdit->setReadOnly(true);
    m_upperBoundEdit->setReadOnly(true);
    m_upper = 1.0;
    m_upperBound = 1.0;
    UpdateData(false);

    m_momentList->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_momentList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_momentList->setRootIsDecorated(false);
    m_momentList->setItemsExpandable(false);
    m_momentList->setUniformRowHeights(true);
    // A long value keeps its sign, its first digits and its exponent.
    m_momentList->setTextElideMode(Qt::ElideMiddle);
    return true;
}

void CBoundsDlg::InsertMomentColumns() {
    m_momentList->ensurePolished();
    // The client area of an empty list: the list less its frame.
    const int clientWidth = m_momentList->width() - 2 * m_momentList->frameWidth();
    const MomentColumnWidths widths = moment_column_widths(clientWidth);
    m_momentList->setColumnCount(2);
    m_momentList->setHeaderLabels({QStringLiteral("#"), QStringLiteral("momentum")});
    QTreeWidgetItem* header = m_momentList->headerItem();
    header->setTextAlignment(0, Qt::AlignRight | Qt::AlignVCenter);
    header->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    m_momentList->header()->setStretchLastSection(false);
    m_momentList->header()->setSectionsMovable(false);
    m_momentList->setColumnWidth(0, widths.number);
    m_momentList->setColumnWidth(1, widths.momentum);
}

// ---------------------------------------------------------------------------
// The request as the error log reads it

double CBoundsDlg::moment(int i) const {
    if (m_momentList == nullptr || i < 0 || i >= m_momentList->topLevelItemCount())
        return 0;
    return parse_leading_double(MomentText(i).toStdString());
}

QString CBoundsDlg::MomentText(int row) const {
    return m_momentList->topLevelItem(row)->text(1);
}

void CBoundsDlg::SetMomentText(int row, const QString& text) {
    QTreeWidgetItem* item = m_momentList->topLevelItem(row);
    item->setText(1, text);
    // The item view leaves this margin either side of a cell's text.
    const int margin =
        m_momentList->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, m_momentList) + 1;
    const bool fits = m_momentList->fontMetrics().horizontalAdvance(text) <=
                      m_momentList->columnWidth(1) - 2 * margin;
    const QString tip = fits ? QString() : text;
    item->setToolTip(0, tip);
    item->setToolTip(1, tip);
}

// ---------------------------------------------------------------------------
// System menu, About box, Help

void CBoundsDlg::OnSysCommand(unsigned nID, long /*lParam*/) {
    if ((nID & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg dlgAbout;
        dlgAbout.DoModal();
    }
    // Every other system command (move, minimise, close) is the window
    // manager's.
}

void CBoundsDlg::OnHelp() {
    OnSysCommand(IDM_ABOUTBOX, 0);
}

void CBoundsDlg::BuildContextMenu() {
    // The system menu keeps its own entries only; the right click shows them
    // with the switch of the method below.
    m_contextMenu = new QMenu(this);
    if (m_systemMenu != nullptr) {
        m_contextMenu->addActions(m_systemMenu->actions());
        m_contextMenu->addSeparator();
    }
    m_contextMenu->addAction(m_sharpBoundsEntry);
    m_contextMenu->addSeparator();
    m_contextMenu->addAction(m_pasteMomentsEntry);
    m_contextMenu->addAction(m_openMomentsEntry);
    m_contextMenu->addAction(m_saveMomentsEntry);
}

void CBoundsDlg::contextMenuEvent(QContextMenuEvent* event) {
    if (m_contextMenu != nullptr)
        m_contextMenu->exec(event->globalPos());
}

void CBoundsDlg::OnSharpBounds(bool checked) {
    m_sharp = checked;
    m_sharpBoundsBox->setChecked(checked);
}

// ---------------------------------------------------------------------------
// Type radio buttons and the edits' focus

void CBoundsDlg::OnTypeNormal() {
    m_lowerEdit->setEnabled(false);
    m_upperEdit->setEnabled(false);
}

void CBoundsDlg::OnTypePositive() {
    m_lowerEdit->setEnabled(true);
    m_upperEdit->setEnabled(false);
}

void CBoundsDlg::OnTypeBounded() {
    m_lowerEdit->setEnabled(true);
    m_upperEdit->setEnabled(true);
}

bool CBoundsDlg::OnEditKillFocus() {
    return UpdateData(true);
}

void CBoundsDlg::OnNewMomentSetFocus() {
    // Typing replaces the old value.
    m_newMomentEdit->selectAll();
}

} // namespace vendrill
