// SPDX-License-Identifier: Apache-2.0
// Runs the dialog suites inside a QApplication, without a display.
//   --vendrill-locale=NAME    run under the locale NAME (e.g. hu_HU.UTF-8),
//                             which must exist, so that a comma-decimal pass
//                             cannot pass by accident
//   --vendrill-locpath=DIR    where that locale was generated (LOCPATH)

#include <QApplication>
#include <QLocale>

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Removes --name=value from the arguments; its value, or "" when absent.
std::string take_option(int& argc, char* argv[], const char* name) {
    const std::string prefix = std::string("--") + name + "=";
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], prefix.c_str(), prefix.size()) == 0) {
            std::string value = argv[i] + prefix.size();
            for (int j = i; j + 1 < argc; ++j)
                argv[j] = argv[j + 1];
            --argc;
            return value;
        }
    }
    return {};
}

} // namespace

int main(int argc, char* argv[]) {
    const std::string locale = take_option(argc, argv, "vendrill-locale");
    const std::string locpath = take_option(argc, argv, "vendrill-locpath");
    if (!locale.empty())
        setenv("VENDRILL_TEST_LOCALE", locale.c_str(), 1);
    if (!locpath.empty())
        setenv("LOCPATH", locpath.c_str(), 1);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vendrill"));

    // QApplication has adopted the environment's locale; the test locale
    // replaces it for the C library and for Qt alike.
    if (!locale.empty()) {
        if (std::setlocale(LC_ALL, locale.c_str()) == nullptr) {
            std::fprintf(stderr, "locale %s is not available\n", locale.c_str());
            return 1;
        }
        QLocale::setDefault(QLocale(QString::fromStdString(locale)));
    }

    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
