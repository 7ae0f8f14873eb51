// SPDX-License-Identifier: Apache-2.0
#include "app/resource.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

// The resources are compiled into a static library; registering them by
// hand keeps the linker from dropping them.
static void register_vendrill_resources() {
    Q_INIT_RESOURCE(vendrill);
}

namespace vendrill {

namespace {

void ensure_resources() {
    static const bool registered = [] {
        register_vendrill_resources();
        return true;
    }();
    (void)registered;
}

// Template 102: the main dialog.  Controls in tab order; places in dialog units.
const DialogTemplate bounds_dialog = {
    "Vendrill",
    277,
    250,
    {
        {IDCANCEL, ControlKind::PushButton, "Exit", 10, 190, 50, 14, StyleGroup | StyleTabStop},
        {IDC_TYPE_NORMAL, ControlKind::AutoRadioButton, "(-inf, inf)", 26, 58, 41, 10,
         StyleGroup | StyleTabStop},
        {IDC_TYPE_POSITIVE, ControlKind::AutoRadioButton, "[lower, inf)", 25, 76, 48, 10,
         StyleTabStop},
        {IDC_TYPE_BOUNDED, ControlKind::AutoRadioButton, "[lower, upper]", 25, 95, 59, 10,
         StyleTabStop},
        {IDC_POSITION, ControlKind::Edit, "", 48, 20, 75, 12,
         StyleGroup | StyleTabStop | StyleBorder | StyleRight},
        {IDC_STATIC, ControlKind::Static, "Position:", 20, 23, 28, 8, StyleNone},
        {IDC_STATIC, ControlKind::GroupBox, "Moments", 145, 5, 120, 180, StyleNone},
        {IDC_MESSAGE, ControlKind::Static, "Itt lesznek a hibaüzenetek.", 15, 210, 240, 8,
         StyleCenter},
        {IDC_LOWER_BOUND, ControlKind::Edit, "", 59, 230, 66, 12,
         StyleTabStop | StyleBorder | StyleRight},
        {IDC_UPPER_BOUND, ControlKind::Edit, "", 191, 230, 72, 12,
         StyleTabStop | StyleBorder | StyleRight},
        {IDC_LOWER, ControlKind::Edit, "", 40, 138, 75, 12,
         StyleDisabled | StyleTabStop | StyleBorder | StyleRight},
        {IDC_UPPER, ControlKind::Edit, "", 40, 161, 75, 12,
         StyleDisabled | StyleTabStop | StyleBorder | StyleRight},
        {IDC_STATIC, ControlKind::GroupBox, "Type of Estimation", 10, 41, 115, 70, StyleNone},
        {IDC_STATIC, ControlKind::GroupBox, "Limits of the Interval", 10, 121, 115, 64, StyleNone},
        {IDC_STATIC, ControlKind::Static, "Lower:", 15, 141, 22, 8, StyleNone},
        {IDC_STATIC, ControlKind::Static, "Upper:", 15, 161, 22, 8, StyleNone},
        {IDC_NEW_MOMENT, ControlKind::Edit, "", 155, 20, 75, 12,
         StyleTabStop | StyleBorder | StyleRight},
        {IDC_ADD_MOMENT, ControlKind::PushButton, "+", 235, 20, 12, 13, StyleTabStop | StyleCenter},
        {IDC_DELETE_MOMENTS, ControlKind::PushButton, "Delete", 161, 165, 33, 13, StyleTabStop},
        {IDC_MOVE_UP, ControlKind::PushButton, "^", 205, 165, 13, 13, StyleTabStop},
        {IDC_MOVE_DOWN, ControlKind::PushButton, "v", 231, 165, 13, 13, StyleTabStop},
        {IDC_STATIC, ControlKind::Static, "Lower bound = ", 7, 232, 51, 8, StyleRight},
        {IDC_STATIC, ControlKind::Static, "Upper bound =", 135, 232, 52, 8, StyleRight},
        {IDC_CALCULATE, ControlKind::DefPushButton, "Calculate", 210, 190, 50, 14, StyleTabStop},
        {IDC_MOMENT_LIST, ControlKind::ListView, "", 155, 40, 100, 120, StyleTabStop | StyleBorder},
        // Between "Exit" and "Calculate", after the original controls in the
        // tab order.
        {IDC_SHARP_BOUNDS, ControlKind::AutoCheckBox, "Sharp bounds", 68, 192, 64, 10,
         StyleTabStop},
        {IDC_PLOT, ControlKind::PushButton, "Plot…", 152, 190, 50, 14, StyleTabStop},
    },
};

// Template 100: the About box.
const DialogTemplate about_dialog = {
    "About Vendrill",
    200,
    153,
    {
        {IDC_BANNER, ControlKind::Static, "Static", 10, 10, 128, 8, StyleNone},
        {IDC_STATIC, ControlKind::Static, "Eloszlásbecslés momentumok alapján", 10, 22, 128, 8,
         StyleNone},
        {IDOK, ControlKind::DefPushButton, "OK", 143, 7, 50, 14, StyleGroup | StyleTabStop},
        {IDC_STATIC, ControlKind::Static, "Bounds of a distribution function", 10, 38, 180, 8,
         StyleNone},
        {IDC_STATIC, ControlKind::Static, "from a finite list of its moments.", 10, 48, 180, 8,
         StyleNone},
        {IDC_STATIC, ControlKind::Static, "Qt 6 edition, free software.", 10, 58, 180, 8,
         StyleNone},
        {IDC_STATIC, ControlKind::Picture, ":/vendrill/about_picture.svg", 10, 72, 180, 74,
         StyleNone},
    },
};

} // namespace

const DialogTemplate& dialog_template(int id) {
    ensure_resources();
    return id == IDD_ABOUTBOX ? about_dialog : bounds_dialog;
}

QString load_string(int id) {
    if (id == IDS_ABOUTBOX)
        return QStringLiteral("&About Vendrill ...");
    return {};
}

QString image_path(int id) {
    ensure_resources();
    switch (id) {
    case IDR_MAINFRAME:
        return QStringLiteral(":/vendrill/vendrill.svg");
    case IDB_ABOUT_PICTURE:
        return QStringLiteral(":/vendrill/about_picture.svg");
    default:
        return {};
    }
}

QIcon load_icon(int id) {
    QSvgRenderer renderer(image_path(id));
    QIcon icon;
    if (!renderer.isValid())
        return icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        renderer.render(&painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace vendrill
