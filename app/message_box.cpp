// SPDX-License-Identifier: Apache-2.0
#include "app/message_box.h"

#include <QApplication>
#include <QMessageBox>

#include <utility>

namespace vendrill {

const char* const message_box_title = "Vendrill";

namespace {

MessageBoxHook& installed_hook() {
    static MessageBoxHook hook;
    return hook;
}

int open_boxes = 0;

struct OpenBox {
    OpenBox() { ++open_boxes; }
    ~OpenBox() { --open_boxes; }
    OpenBox(const OpenBox&) = delete;
    OpenBox& operator=(const OpenBox&) = delete;
};

void show_real_box(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(message_box_title), text,
                    QMessageBox::Ok, QApplication::activeWindow());
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Ok);
    box.exec();
}

} // namespace

MessageBoxHook set_message_box_hook(MessageBoxHook hook) {
    return std::exchange(installed_hook(), std::move(hook));
}

bool message_box_open() {
    return open_boxes > 0;
}

} // namespace vendrill

void AfxMessageBox(const QString& text) {
    const vendrill::OpenBox open;
    if (const auto& hook = vendrill::installed_hook())
        hook(text);
    else
        vendrill::show_real_box(text);
}
