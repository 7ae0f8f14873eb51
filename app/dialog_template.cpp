// SPDX-License-Identifier: Apache-2.0
#include "app/dialog_template.h"

#include <QFontMetrics>

namespace vendrill {

DialogBaseUnits dialog_base_units(const QFont& font) {
    const QFontMetrics metrics(font);
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    // Average over 52 letters, rounded to the nearest pixel.
    return DialogBaseUnits{(letters / 26 + 1) / 2, metrics.height()};
}

int mul_div(int a, int b, int c) {
    const long long product = static_cast<long long>(a) * b;
    const long long half = c / 2;
    const long long rounded = product >= 0 ? (product + half) / c : (product - half) / c;
    return static_cast<int>(rounded);
}

QRect map_dialog_rect(const DialogBaseUnits& units, int x, int y, int cx, int cy) {
    // Each value is converted on its own, as a dialog manager places controls.
    return QRect(mul_div(x, units.width, 4), mul_div(y, units.height, 8),
                 mul_div(cx, units.width, 4), mul_div(cy, units.height, 8));
}

} // namespace vendrill
