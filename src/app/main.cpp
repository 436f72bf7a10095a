#include <QApplication>
#include <clocale>

#include "app/KelvoPrefsBasedFormatter.h"
#include "app/LoggerController.h"
#include "app/LoggerWindow.h"
#include "base/Beep.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    // QApplication adopts the user's locale; IGC and waypoint files need decimal points.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName(QStringLiteral("kelvo"));
    QApplication::setOrganizationName(QStringLiteral("kelvo"));
    QApplication::setApplicationVersion(QStringLiteral("1.1.2"));

    kelvo::setBeepHandler([] { QApplication::beep(); });
    kelvo::KelvoPrefsBasedFormatter::applyTimeZonePreference();
    kelvo::LoggerWindow window;
    kelvo::LoggerController controller(window);
    window.show();
    return QApplication::exec();
}
