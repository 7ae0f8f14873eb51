// SPDX-License-Identifier: Apache-2.0
#include "app_test_support.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSet>
#include <QTest>
#include <QTimer>

namespace vendrill::test {

void settle() {
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
}

int with_modal_handler(const std::function<void()>& action,
                       const std::function<void(QWidget*)>& onModal) {
    int seen = 0;
    QSet<QWidget*> handled;
    QTimer timer;
    timer.setInterval(20);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || handled.contains(modal) || !modal->isVisible())
            return;
        handled.insert(modal);
        ++seen;
        onModal(modal);
    });
    timer.start();
    action();
    // A box opened by a queued transfer comes up after the action returns.
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 150)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    timer.stop();
    return seen;
}

void click_ok(QWidget* modal) {
    QAbstractButton* ok = nullptr;
    if (auto* box = qobject_cast<QMessageBox*>(modal))
        ok = box->button(QMessageBox::Ok);
    else {
        for (QPushButton* candidate : modal->findChildren<QPushButton*>()) {
            if (candidate->text() == QStringLiteral("OK"))
                ok = candidate;
        }
    }
    ASSERT_NE(ok, nullptr);
    QTest::mouseClick(ok, Qt::LeftButton);
}

std::unique_ptr<CBoundsDlg> DialogTest::MakeDialog() {
    return std::make_unique<CBoundsDlg>();
}

void DialogTest::SetUp() {
    folder = std::make_unique<ScratchFolder>("vendrill-app");
    log_path = folder->folder() + "/error.log";
    m_previousHook = set_message_box_hook([this](const QString& text) { boxes.append(text); });

    dlg = MakeDialog();
    UseTestLog(*dlg);
    dlg->Create();
    dlg->show();
    QApplication::setActiveWindow(dlg.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(dlg.get()));
    settle();
}

void DialogTest::TearDown() {
    dlg.reset();
    settle();
    set_message_box_hook(m_previousHook);
    folder.reset();
}

void DialogTest::type_into(int id, const QString& text) {
    QLineEdit* target = edit(id);
    QTest::mouseClick(target, Qt::LeftButton);
    settle();
    target->selectAll();
    QTest::keyClick(target, Qt::Key_Delete);
    QTest::keyClicks(target, text);
}

void DialogTest::click(int id) {
    QTest::mouseClick(button(id), Qt::LeftButton);
    settle();
}

void DialogTest::add_moments(const QStringList& values) {
    for (const QString& value : values) {
        type_into(IDC_NEW_MOMENT, value);
        click(IDC_ADD_MOMENT);
    }
}

void DialogTest::select_rows(const QList<int>& rows) {
    list()->clearSelection();
    for (const int row : rows)
        list()->topLevelItem(row)->setSelected(true);
}

void DialogTest::enter_request(int typeRadio, const QString& position, const QStringList& moments,
                               const QString& lower, const QString& upper) {
    click(typeRadio);
    type_into(IDC_POSITION, position);
    if (!lower.isEmpty())
        type_into(IDC_LOWER, lower);
    if (!upper.isEmpty())
        type_into(IDC_UPPER, upper);
    add_moments(moments);
}

QStringList DialogTest::column(int column) const {
    QStringList texts;
    for (int row = 0; row < list()->topLevelItemCount(); ++row)
        texts.append(list()->topLevelItem(row)->text(column));
    return texts;
}

QList<int> DialogTest::selected_rows() const {
    QList<int> rows;
    for (int row = 0; row < list()->topLevelItemCount(); ++row) {
        if (list()->topLevelItem(row)->isSelected())
            rows.append(row);
    }
    return rows;
}

} // namespace vendrill::test
