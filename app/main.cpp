// SPDX-License-Identifier: Apache-2.0
// vendrill: the dialog application.

#include "app/bounds_app.h"
#include "app/resource.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vendrill"));
    QApplication::setApplicationVersion(QStringLiteral(VENDRILL_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("vendrill"));
    QApplication::setWindowIcon(vendrill::load_icon(vendrill::IDR_MAINFRAME));

    vendrill::CBoundsApp theApp;
    theApp.InitInstance();
    return 0;
}
