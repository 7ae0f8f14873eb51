// SPDX-License-Identifier: Apache-2.0
#pragma once
// Resource ids and the resources themselves: the two dialog templates, the
// string table, the application icon and the About box's picture.

#include "app/dialog_template.h"

#include <QIcon>
#include <QString>

namespace vendrill {

// Dialog templates.
constexpr int IDD_ABOUTBOX = 100;
constexpr int IDD_BOUNDS_DIALOG = 102;
// Strings.
constexpr int IDS_ABOUTBOX = 101;
// Images.
constexpr int IDB_ABOUT_PICTURE = 132;
constexpr int IDR_MAINFRAME = 136;

// Controls of the main dialog.
constexpr int IDC_TYPE_NORMAL = 1001;
constexpr int IDC_TYPE_POSITIVE = 1002;
constexpr int IDC_TYPE_BOUNDED = 1003;
constexpr int IDC_POSITION = 1004;
constexpr int IDC_LOWER_BOUND = 1007;
constexpr int IDC_UPPER_BOUND = 1008;
constexpr int IDC_LOWER = 1009;
constexpr int IDC_UPPER = 1010;
constexpr int IDC_NEW_MOMENT = 1011;
constexpr int IDC_ADD_MOMENT = 1012;
constexpr int IDC_DELETE_MOMENTS = 1013;
constexpr int IDC_MOVE_UP = 1014;
constexpr int IDC_MOVE_DOWN = 1015;
constexpr int IDC_CALCULATE = 1020;
constexpr int IDC_MESSAGE = 1021;
constexpr int IDC_MOMENT_LIST = 1022;
// Beyond the original layout, in free space of the bottom row: the method's
// switch and the picture of the bounds.
constexpr int IDC_SHARP_BOUNDS = 1024;
constexpr int IDC_PLOT = 1025;
// Controls of the About box.
constexpr int IDC_BANNER = 1023;

// System command of the About box entry.
constexpr int IDM_ABOUTBOX = 0x0010;
// The framework's Help command.
constexpr int ID_HELP = 57670;

const DialogTemplate& dialog_template(int id);
// The string resource with this id (empty when there is none).
QString load_string(int id);
// The application icon (IDR_MAINFRAME), rendered at the usual icon sizes.
QIcon load_icon(int id);
// Resource path of an image resource.
QString image_path(int id);

} // namespace vendrill
