// SPDX-License-Identifier: Apache-2.0
// vendrill-screenshot OUTPUT.png: draws the main dialog after a worked example
// (the first seven moments of the uniform distribution on [0, 1] with every
// digit, bounded estimation on [0, 1] at x = 0.5) and, beside it, the window
// "Plot…" opens, with the pointer at x = 0.3, into OUTPUT.png.  Needs no
// display: run it with QT_QPA_PLATFORM=offscreen.

#include "app/bounds_dlg.h"
#include "app/bounds_plot.h"
#include "app/message_box.h"
#include "app/resource.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QTextStream>
#include <QTreeWidget>

#include <algorithm>
#include <cstdio>

using namespace vendrill;

namespace {

void type_into(CBoundsDlg& dlg, int id, const QString& text) {
    auto* edit = static_cast<QLineEdit*>(dlg.GetDlgItem(id));
    edit->setFocus();
    edit->setText(text);
}

void click(CBoundsDlg& dlg, int id) {
    static_cast<QAbstractButton*>(dlg.GetDlgItem(id))->click();
    QApplication::processEvents();
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: vendrill-screenshot OUTPUT.png\n");
        return 2;
    }
    QApplication::setApplicationName(QStringLiteral("Vendrill"));
    QApplication::setWindowIcon(load_icon(IDR_MAINFRAME));
    set_message_box_hook([](const QString& text) {
        std::fprintf(stderr, "message box: %s\n", text.toUtf8().constData());
    });

    CBoundsDlg dlg;
    dlg.m_estimation.log_path.reset();
    dlg.Create();
    dlg.show();
    QApplication::processEvents();

    type_into(dlg, IDC_POSITION, QStringLiteral("0.5"));
    click(dlg, IDC_TYPE_BOUNDED);
    type_into(dlg, IDC_LOWER, QStringLiteral("0"));
    type_into(dlg, IDC_UPPER, QStringLiteral("1"));
    for (const char* moment : {"1", "0.5", "0.3333333333333333", "0.25", "0.2",
                               "0.16666666666666666", "0.14285714285714285"}) {
        type_into(dlg, IDC_NEW_MOMENT, QString::fromLatin1(moment));
        click(dlg, IDC_ADD_MOMENT);
    }
    click(dlg, IDC_CALCULATE);
    click(dlg, IDC_PLOT);
    dlg.m_momentList->topLevelItem(2)->setSelected(true);
    dlg.m_momentList->setFocus();
    CPlotWnd* plot = dlg.m_plotWindow;
    if (plot == nullptr) {
        std::fprintf(stderr, "the plot window did not open\n");
        return 1;
    }
    plot->resize(640, dlg.height() + 40);
    QApplication::processEvents();
    plot->HoverAt(0.3);
    QApplication::processEvents();

    // The two windows side by side on a plain background.
    const QPixmap dialogPicture = dlg.grab();
    const QPixmap plotPicture = plot->grab();
    const int margin = 12;
    QPixmap picture(dialogPicture.width() + plotPicture.width() + 3 * margin,
                    std::max(dialogPicture.height(), plotPicture.height()) + 2 * margin);
    picture.fill(QColor(200, 204, 210));
    QPainter painter(&picture);
    painter.drawPixmap(margin, margin, dialogPicture);
    painter.drawPixmap(dialogPicture.width() + 2 * margin, margin, plotPicture);
    painter.end();
    if (!picture.save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "could not write %s\n", argv[1]);
        return 1;
    }
    std::printf(
        "lower bound %s, upper bound %s\n",
        static_cast<QLineEdit*>(dlg.GetDlgItem(IDC_LOWER_BOUND))->text().toUtf8().constData(),
        static_cast<QLineEdit*>(dlg.GetDlgItem(IDC_UPPER_BOUND))->text().toUtf8().constData());
    return 0;
}
