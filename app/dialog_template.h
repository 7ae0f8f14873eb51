// SPDX-License-Identifier: Apache-2.0
#pragma once
// Dialog templates: every control of a dialog with its id, kind, text and
// place in dialog units, in tab order.  A dialog unit is a quarter of the
// dialog font's average character width horizontally and an eighth of its
// character height vertically, so a dialog laid out in them grows and shrinks
// with its font.

#include <QFont>
#include <QRect>

#include <vector>

namespace vendrill {

enum class ControlKind {
    PushButton,
    DefPushButton,
    AutoRadioButton,
    AutoCheckBox,
    Edit,
    Static,
    GroupBox,
    ListView,
    Picture, // shows an image resource (the About box's bitmap)
};

// Style bits of a control, as far as this application uses them.
enum ControlStyle : unsigned {
    StyleNone = 0,
    StyleGroup = 1u << 0,    // starts a new group (radio buttons end before it)
    StyleDisabled = 1u << 1, // created disabled
    StyleCenter = 1u << 2,   // text centred
    StyleRight = 1u << 3,    // text right-aligned
    StyleTabStop = 1u << 4,  // reached with Tab
    StyleBorder = 1u << 5,
};

constexpr int IDC_STATIC = -1;
// Ids the framework handles itself: IDOK accepts the dialog, IDCANCEL ends it.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;

struct ControlTemplate {
    int id;
    ControlKind kind;
    const char* text; // UTF-8
    int x, y, cx, cy; // dialog units
    unsigned style;
};

struct DialogTemplate {
    const char* caption; // UTF-8
    int cx, cy;          // client area in dialog units
    std::vector<ControlTemplate> controls;
};

// The dialog base units of a font: the average character width, measured on
// the 52 Latin letters, and the character height, both in pixels.
struct DialogBaseUnits {
    int width;
    int height;
};
DialogBaseUnits dialog_base_units(const QFont& font);

// a * b / c rounded half away from zero, the way dialog units are converted.
int mul_div(int a, int b, int c);

// Pixel rectangle of a rectangle given in dialog units.
QRect map_dialog_rect(const DialogBaseUnits& units, int x, int y, int cx, int cy);

} // namespace vendrill
