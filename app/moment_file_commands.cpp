// SPDX-License-Identifier: Apache-2.0
// Moments in bulk: "Paste moments" (Ctrl+V), "Open moments…" (Ctrl+O),
// "Save moments…" (Ctrl+S) and a file dropped on the dialog.  The text is the
// library's number list (numeric/number_list.h), the form vendrill-cli's
// --moments-file reads: numbers separated by blanks, commas, semicolons or
// line ends, '#' comments.  Anything that is not a number stops the command
// with a message naming it, and the list stays as it was.

#include "app/bounds_dlg.h"
#include "app/message_box.h"
#include "app/resource.h"
#include "numeric/number_list.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QSaveFile>
#include <QTreeWidget>

namespace vendrill {

const char* const paste_moments_entry_text = "Paste moments";
const char* const open_moments_entry_text = "Open moments…";
const char* const save_moments_entry_text = "Save moments…";

namespace {

// Larger files are no moment lists: refused before they are read.
constexpr qint64 max_moments_file_bytes = 16 * 1024 * 1024;

const char* const moments_file_filter = "Moment lists (*.txt *.csv *.dat);;All files (*)";

QString shown_path(const QString& path) {
    return QDir::toNativeSeparators(path);
}

QString fault_text(const NumberList& list) {
    return QString::fromUtf8(describe_fault(list.fault));
}

NumberList clipboard_numbers() {
    return parse_number_list(QApplication::clipboard()->text().toStdString());
}

// The one local file a drag carries; empty for anything else.
QString dragged_file(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls() || data->urls().size() != 1)
        return {};
    const QUrl url = data->urls().front();
    return url.isLocalFile() ? url.toLocalFile() : QString();
}

} // namespace

bool CBoundsDlg::AddMoments(const std::vector<double>& values, bool replace) {
    const std::size_t kept = replace ? 0 : static_cast<std::size_t>(m_momentCount);
    if (kept + values.size() > static_cast<std::size_t>(max_bulk_moments)) {
        AfxMessageBox(QStringLiteral("The list takes at most %1 moments; these would make %2.")
                          .arg(max_bulk_moments)
                          .arg(kept + values.size()));
        return false;
    }
    if (replace) {
        m_momentList->clear();
        m_momentCount = 0;
    }
    for (const double value : values)
        AppendMoment(value);
    if (m_momentList->topLevelItemCount() > 0)
        m_momentList->scrollToItem(m_momentList->topLevelItem(m_momentCount - 1));
    return true;
}

void CBoundsDlg::OnPasteMoments() {
    const NumberList list = clipboard_numbers();
    if (!list.ok()) {
        AfxMessageBox(QStringLiteral("Nothing was pasted: %1.").arg(fault_text(list)));
        return;
    }
    if (list.values.empty()) {
        AfxMessageBox(QStringLiteral("The clipboard holds no numbers."));
        return;
    }
    AddMoments(list.values, false);
}

bool CBoundsDlg::LoadMomentsFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        AfxMessageBox(
            QStringLiteral("Could not open %1: %2").arg(shown_path(path), file.errorString()));
        return false;
    }
    if (file.size() > max_moments_file_bytes) {
        AfxMessageBox(
            QStringLiteral("%1 is too large for a list of moments.").arg(shown_path(path)));
        return false;
    }
    const QByteArray bytes = file.read(max_moments_file_bytes + 1);
    if (file.error() != QFileDevice::NoError) {
        AfxMessageBox(
            QStringLiteral("Could not read %1: %2").arg(shown_path(path), file.errorString()));
        return false;
    }
    if (bytes.size() > max_moments_file_bytes) {
        AfxMessageBox(
            QStringLiteral("%1 is too large for a list of moments.").arg(shown_path(path)));
        return false;
    }
    const NumberList list = parse_number_list(std::string_view(bytes.constData(), bytes.size()));
    if (!list.ok()) {
        AfxMessageBox(QStringLiteral("Nothing was loaded from %1: %2.")
                          .arg(shown_path(path), fault_text(list)));
        return false;
    }
    if (list.values.empty()) {
        AfxMessageBox(QStringLiteral("%1 holds no moments.").arg(shown_path(path)));
        return false;
    }
    return AddMoments(list.values, true);
}

bool CBoundsDlg::SaveMomentsFile(const QString& path) {
    if (m_momentCount == 0) {
        AfxMessageBox(QStringLiteral("The list holds no moments to save."));
        return false;
    }
    std::vector<double> values;
    for (int row = 0; row < m_momentCount; ++row)
        values.push_back(moment(row));
    const std::string text = format_number_list(values);
    QSaveFile file(path);
    const auto size = static_cast<qint64>(text.size());
    if (!file.open(QIODevice::WriteOnly) || file.write(text.data(), size) != size ||
        !file.commit()) {
        AfxMessageBox(QStringLiteral("Could not save the moments to %1: %2")
                          .arg(shown_path(path), file.errorString()));
        return false;
    }
    return true;
}

QString CBoundsDlg::ChooseOpenPath() {
    return QFileDialog::getOpenFileName(this, QStringLiteral("Open moments"), QString(),
                                        QString::fromUtf8(moments_file_filter));
}

QString CBoundsDlg::ChooseSavePath() {
    return QFileDialog::getSaveFileName(this, QStringLiteral("Save moments"),
                                        QStringLiteral("moments.txt"),
                                        QString::fromUtf8(moments_file_filter));
}

void CBoundsDlg::OnOpenMoments() {
    const QString path = ChooseOpenPath();
    if (!path.isEmpty())
        LoadMomentsFile(path);
}

void CBoundsDlg::OnSaveMoments() {
    const QString path = ChooseSavePath();
    if (!path.isEmpty())
        SaveMomentsFile(path);
}

void CBoundsDlg::dragEnterEvent(QDragEnterEvent* event) {
    if (!dragged_file(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void CBoundsDlg::dragMoveEvent(QDragMoveEvent* event) {
    if (!dragged_file(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void CBoundsDlg::dropEvent(QDropEvent* event) {
    const QString path = dragged_file(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    // The drop is over before the file is read, so that a message box does
    // not open in the middle of the drag.
    QMetaObject::invokeMethod(
        this,
        [this, path] {
            if (FlushPendingKillFocus())
                RunCommand([this, path] { LoadMomentsFile(path); });
        },
        Qt::QueuedConnection);
}

bool CBoundsDlg::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
        // Several numbers pasted into the new-moment edit go to the list;
        // one number (or one word) pastes into the edit as usual.
        if (watched == GetDlgItem(IDC_NEW_MOMENT) &&
            static_cast<QKeyEvent*>(event)->matches(QKeySequence::Paste) &&
            clipboard_numbers().items >= 2) {
            RunCommand([this] { OnPasteMoments(); });
            return true;
        }
        break;
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        // An edit would take the file's name as text.
        if (qobject_cast<QLineEdit*>(watched) != nullptr &&
            !dragged_file(static_cast<QDropEvent*>(event)->mimeData()).isEmpty()) {
            if (event->type() == QEvent::DragEnter)
                dragEnterEvent(static_cast<QDragEnterEvent*>(event));
            else if (event->type() == QEvent::DragMove)
                dragMoveEvent(static_cast<QDragMoveEvent*>(event));
            else
                dropEvent(static_cast<QDropEvent*>(event));
            return true;
        }
        break;
    default:
        break;
    }
    return CDialog::eventFilter(watched, event);
}

} // namespace vendrill
