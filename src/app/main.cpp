#include <QAction>
#include <QApplication>
#include <QIcon>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <clocale>

#include "app/FlightDownloads.h"
#include "app/IGCViewerController.h"
#include "app/KelvoPrefsBasedFormatter.h"
#include "app/LogbookWindow.h"
#include "app/LoggerController.h"
#include "app/LoggerWindow.h"
#include "app/PreferencesController.h"
#include "app/WindowLayout.h"
#include "base/Beep.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    // QApplication adopts the user's locale; IGC and waypoint files need decimal points.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName(QStringLiteral("kelvo"));
    QApplication::setOrganizationName(QStringLiteral("kelvo"));
    QApplication::setApplicationVersion(QStringLiteral(KELVO_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("org.kelvo.Kelvo"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("org.kelvo.Kelvo")));

    kelvo::setBeepHandler([] { QApplication::beep(); });
    kelvo::KelvoPrefsBasedFormatter::applyTimeZonePreference();
    kelvo::LoggerWindow window;
    kelvo::LoggerController controller(window);
    new kelvo::WindowLayout(window, QStringLiteral("MainWindow"));

    kelvo::IGCViewerController viewer;
    new kelvo::WindowLayout(*viewer.viewerWindow(), QStringLiteral("IGCViewer"));
    controller.flightDownloads().setFlightViewer(
        [&viewer](const QByteArray& igcText, const QString& name) {
            viewer.showWindow();
            viewer.addIGCFileWithData(igcText, name);
        });
    QObject::connect(controller.preferencesPanel(), &QDialog::finished, &viewer,
                     &kelvo::IGCViewerController::preferencesDidChange);
    QMenu* windowMenu = window.menuBar()->addMenu(QObject::tr("&Window"));
    QAction* showViewer = windowMenu->addAction(QObject::tr("IGC &Viewer"));
    QObject::connect(showViewer, &QAction::triggered, &viewer,
                     &kelvo::IGCViewerController::showWindow);
    kelvo::LogbookWindow logbook;
    logbook.setFlightOpener([&viewer](const QString& path) {
        viewer.showWindow();
        viewer.addIGCFileWithPath(path);
    });
    QObject::connect(windowMenu->addAction(QObject::tr("&Logbook")), &QAction::triggered, &logbook,
                     &kelvo::LogbookWindow::showWindow);
    // Closing the main window ends the application, the viewer with it.
    QObject::connect(&window, &kelvo::LoggerWindow::windowWillClose, viewer.viewerWindow(),
                     &QWidget::close);
    QObject::connect(&window, &kelvo::LoggerWindow::windowWillClose, &logbook, &QWidget::close);

    window.show();
    return QApplication::exec();
}
