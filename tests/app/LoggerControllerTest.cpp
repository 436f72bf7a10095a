#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTreeView>

#include "../cli/TallyLogger.h"
#include "LoggerAccess/Logger.h"
#include "LoggerAccess/SerialPortDictionary.h"
#include "LoggerAccess/SimulatorPortFolder.h"
#include "app/ConnectionAdvice.h"
#include "app/FlightsDataSource.h"
#include "app/KelvoPrefs.h"
#include "app/KelvoPrefsBasedFormatter.h"
#include "app/LoggerInfoDataSource.h"
#include "app/PortWatcher.h"
#include "app/ProgressDialog.h"
#include "app/RoutesDataSource.h"
#include "app/TaskDataSource.h"
#include "app/WaypointsComboDataSource.h"
#include "app/WaypointsDataSource.h"
#include "base/Beep.h"
#include "base/Cancellation.h"
#include "base/Log.h"
#include "geo/Route.h"
#include "igc/LogbookDownload.h"
#include "support/AppTestMain.h"
#include "support/ControllerFixture.h"
#include "support/MessageBoxAnswerer.h"
#include "support/PreferencesFixture.h"

using namespace kelvo;
using test::ControllerFixture;
using test::makeEntry;

namespace {

std::shared_ptr<Waypoint> waypoint(const std::string& name, double latitude, double longitude,
                                   const std::string& longName = "") {
    auto made = Waypoint::fromDegrees(name, latitude, longitude, 120);
    made->setLongName(longName);
    return made;
}

// Three waypoints and the route "Triangle" through all of them.
void scriptDatabase(test::Script& script) {
    script.waypoints = {waypoint("AAA", 52.0, 7.0, "Alpha Field"), waypoint("BBB", 52.5, 7.5),
                        waypoint("CCC", 52.0, 8.0)};
    auto route = std::make_shared<Route>();
    route->setValue("Triangle", {script.waypoints[0]->copy(), script.waypoints[1]->copy(),
                                 script.waypoints[2]->copy()});
    script.routes = {route};
}

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The names of the task's turnpoints, start to finish.
QStringList taskNames(ControllerFixture& fixture) {
    QStringList names;
    const auto task = fixture.controller.logger()->loggerData().declaration()->task();
    for (std::size_t i = 0; task && i < task->numOfTurnpoints(); ++i)
        names << QString::fromStdString(task->turnpoint(i)->name());
    return names;
}

QStringList items(const QComboBox* menu) {
    QStringList texts;
    for (int i = 0; i < menu->count(); ++i) texts << menu->itemText(i);
    return texts;
}

}  // namespace

class LoggerControllerTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void init() { test::removePreferencesFile(); }

    void menusAreSortedAndFollowTheLastConnection() {
        KelvoPrefs::setLastUsedSerialPortName("beta");
        ControllerFixture fixture({{"gamma", "/dev/c"}, {"Alpha", "/dev/a"}, {"beta", "/dev/b"}});
        QCOMPARE(items(fixture.window.serialPortsMenu), QStringList({"Alpha", "beta", "gamma"}));
        QCOMPARE(fixture.window.serialPortsMenu->currentText(), QString("beta"));
        QVERIFY(fixture.window.connectButton->isEnabled());
        const QStringList types = items(fixture.window.loggerTypesMenu);
        QCOMPARE(types.first(), QString("Automatic"));
        QVERIFY(types.contains("Scripted"));
        for (qsizetype i = 2; i < types.size(); ++i)
            QVERIFY(types[i - 1].compare(types[i], Qt::CaseInsensitive) < 0);

        // A refill keeps the user's choice.
        fixture.window.serialPortsMenu->setCurrentText("gamma");
        fixture.controller.windowDidBecomeMain();
        QCOMPARE(fixture.window.serialPortsMenu->currentText(), QString("gamma"));
        QCOMPARE(fixture.window.loggerTypesMenu->currentText(), QString("Scripted"));
    }

    void failedConnectTriesFiveTimesThenDropsTheDriver() {
        ControllerFixture fixture;
        fixture.script->failingConnects = 100;
        QElapsedTimer elapsed;
        elapsed.start();
        fixture.controller.connection().connect();
        QVERIFY(fixture.controller.runner().progressWindowVisible());
        QVERIFY(fixture.waitForOperation());
        QCOMPARE(fixture.script->connectCalls.load(), 5);
        // Every failed attempt is followed by a disconnect and a pause of 2 s (scaled).
        QCOMPARE(fixture.script->disconnectCalls.load(), 5);
        QVERIFY(elapsed.elapsed() >= 5 * 20);
        QCOMPARE(fixture.controller.logger(), nullptr);
        QVERIFY(!fixture.controller.runner().progressWindowVisible());
        QVERIFY(fixture.window.serialPortsMenu->isEnabled());
        QVERIFY(fixture.window.statusLine->text().contains("after 5 attempts"));
        QVERIFY(fixture.window.statusLine->text().contains("/dev/scripted does not exist"));
    }

    void connectWithoutLoggerDataIsLoggedAsNotSuccessful() {
        ControllerFixture fixture;
        fixture.script->connectedAfterConnect = false;
        fixture.script->info.clear();
        CapturingLogSink log;
        QVERIFY(fixture.connectScripted());
        QCOMPARE(fixture.script->connectCalls.load(), 5);
        QVERIFY(log.contains("Connect was not so very succesful ..."));
        QVERIFY(log.contains("because logger data contains no logger data."));
        QCOMPARE(fixture.controller.logger(), nullptr);
    }

    void connectSucceedsAfterRetries() {
        ControllerFixture fixture;
        fixture.script->failingConnects = 2;
        KelvoPrefs::setKeyspanAcceleration(true);
        QVERIFY(fixture.connectScripted());
        QCOMPARE(fixture.script->connectCalls.load(), 3);
        QVERIFY(fixture.controller.isConnected());
        QVERIFY(!fixture.window.serialPortsMenu->isEnabled());
        QVERIFY(fixture.script->keyspanAcceleration);
        QCOMPARE(KelvoPrefs::lastUsedSerialPortName(), QString("ttyScripted"));
        QCOMPARE(fixture.controller.loggerInfoDataSource()->rowCount(), 2);
        QVERIFY(fixture.controller.tabViewShouldSelect(LoggerWindow::FlightsTab));
    }

    void tabsNeedAConnectionUnlessDebugging() {
        ControllerFixture fixture;
        QVERIFY(!fixture.controller.tabViewShouldSelect(LoggerWindow::FlightsTab));
        fixture.window.tabbedView->setCurrentIndex(LoggerWindow::FlightsTab);
        QCOMPARE(fixture.window.tabbedView->currentIndex(), 0);
        KelvoPrefs::setAllowInternalDebugFeatures(true);
        QVERIFY(fixture.controller.tabViewShouldSelect(LoggerWindow::FlightsTab));
        // Without a driver the tab reads nothing, and nothing breaks.
        QVERIFY(fixture.selectTab(LoggerWindow::FlightsTab));
        QCOMPARE(fixture.controller.flightsDataSource()->rowCount(), 0);
    }

    void flightsTabReadsOnceAndReloadReadsAgain() {
        ControllerFixture fixture;
        fixture.script->directory = {makeEntry(0, "97EX9IX1.LXN"), makeEntry(1, "97FX9IX1.LXN")};
        QVERIFY(fixture.connectAndSelect(LoggerWindow::FlightsTab));
        QCOMPARE(fixture.script->readDirectoryCalls.load(), 1);
        QVERIFY(fixture.controller.flightList().directoryLoaded());
        QCOMPARE(fixture.controller.flightsDataSource()->rowCount(), 2);
        QVERIFY(fixture.window.flightsSummary->text().startsWith("2 flight(s), read at "));
        QVERIFY(fixture.selectTab(LoggerWindow::InfoTab));
        QVERIFY(fixture.selectTab(LoggerWindow::FlightsTab));
        QCOMPARE(fixture.script->readDirectoryCalls.load(), 1);

        fixture.script->directory.push_back(makeEntry(2, "97GX9IX1.LXN"));
        fixture.window.onlyDetectedTakeoffBox->setChecked(true);
        fixture.controller.flightList().loadFlights();
        QVERIFY(fixture.waitForOperation());
        QCOMPARE(fixture.script->readDirectoryCalls.load(), 2);
        QCOMPARE(fixture.script->reloadDirectoryCalls.load(), 1);
        QCOMPARE(fixture.controller.flightsDataSource()->rowCount(), 3);
        // Reading the directory switches the take-off filter off.
        QVERIFY(!fixture.window.onlyDetectedTakeoffBox->isChecked());
        QVERIFY(!fixture.controller.flightsDataSource()->showOnlyFlightsWithTakeoff());
    }

    void eraseButtonFollowsTheDriver() {
        ControllerFixture fixture;
        fixture.script->directory = {makeEntry(0, "A.IGC")};
        QVERIFY(fixture.connectAndSelect(LoggerWindow::FlightsTab));
        QVERIFY(!fixture.window.clearFlightsButton->isEnabled());

        ControllerFixture erasing;
        erasing.script->allowsClearFlights = true;
        QVERIFY(erasing.connectScripted());
        // An empty directory leaves the button as it was.
        QVERIFY(erasing.selectTab(LoggerWindow::FlightsTab));
        QVERIFY(!erasing.window.clearFlightsButton->isEnabled());
        erasing.script->directory = {makeEntry(0, "A.IGC"), makeEntry(1, "B.IGC")};
        erasing.controller.flightList().loadFlights();
        QVERIFY(erasing.waitForOperation());
        QVERIFY(erasing.window.clearFlightsButton->isEnabled());

        erasing.controller.flightList().clearFlightsSheetDidEnd(0);
        QCOMPARE(erasing.script->clearCalls.load(), 0);
        erasing.controller.flightList().clearFlightsSheetDidEnd(1);
        QVERIFY(erasing.waitForOperation());
        QCOMPARE(erasing.script->clearCalls.load(), 1);
        QCOMPARE(erasing.controller.flightsDataSource()->rowCount(), 0);
        QCOMPARE(erasing.window.statusLine->text(), QString("The flights were erased."));
    }

    void progressShowsTheDriversFraction() {
        ControllerFixture fixture;
        fixture.script->progressFraction = 0.5;
        QVERIFY(fixture.connectScripted());
        QVERIFY(fixture.controller.progressPanel()->isBusyIndicator());
        QVERIFY(fixture.selectTab(LoggerWindow::FlightsTab));
        QCOMPARE(fixture.controller.progressPanel()->percent(), 50);
        QVERIFY(fixture.controller.progressPanel()->rate().contains("B/s"));
        fixture.controller.databaseTransfer().loadDatabase();
        QVERIFY(fixture.controller.progressPanel()->isBusyIndicator());
        fixture.controller.progressPanel()->reject();  // Cancel
        QVERIFY(cancellationRequested());
        QVERIFY(fixture.waitForOperation());
        clearCancellation();

        // A batch moves one bar, and the sheet says which flight comes.
        fixture.script->directory = {makeEntry(0, "A.IGC"), makeEntry(1, "B.IGC")};
        fixture.controller.flightList().loadFlights();
        QVERIFY(fixture.waitForOperation());
        QTemporaryDir folder;
        KelvoPrefs::setFlightsFolder(folder.path());
        fixture.controller.flightDownloads().downloadNewFlights();
        QVERIFY(fixture.waitForOperation());
        QCOMPARE(fixture.controller.progressPanel()->percent(), 75);
        QVERIFY2(fixture.controller.progressPanel()->rate().startsWith("Flight 2 of 2: "),
                 qPrintable(fixture.controller.progressPanel()->rate()));
    }

    void databaseTabsReadOnceAndFillTheMenus() {
        ControllerFixture fixture;
        scriptDatabase(*fixture.script);
        QVERIFY(fixture.connectAndSelect(LoggerWindow::DatabaseTab));
        QVERIFY(fixture.selectTab(LoggerWindow::DeclarationTab));
        QCOMPARE(fixture.script->readWaypointsCalls.load(), 1);
        QCOMPARE(fixture.script->readDeclarationCalls.load(), 1);
        QVERIFY(fixture.controller.databaseTransfer().waypointsLoaded());
        QVERIFY(fixture.controller.databaseTransfer().declarationLoaded());
        QVERIFY(fixture.window.saveToLoggerButton->isEnabled());
        QCOMPARE(fixture.controller.waypointsDataSource()->rowCount(), 3);
        QCOMPARE(fixture.controller.routesDataSource()->rowCount(), 1);
        QCOMPARE(items(fixture.window.useRouteForTaskMenu), QStringList({"Use Route", "Triangle"}));
        // Sorted, searched by typing (the title is the field's placeholder).
        QCOMPARE(items(fixture.window.addWaypointToTaskPopup),
                 QStringList({"", "Alpha Field", "BBB", "CCC"}));
        QCOMPARE(fixture.window.routesView->dragDropMode(), QAbstractItemView::DragDrop);

        fixture.script->waypoints.pop_back();
        fixture.controller.databaseTransfer().loadDatabase();
        QVERIFY(fixture.waitForOperation());
        QCOMPARE(fixture.script->readWaypointsCalls.load(), 2);
        QCOMPARE(fixture.script->readDeclarationCalls.load(), 2);
        QCOMPARE(items(fixture.window.addWaypointToTaskPopup).size(), 3);
    }

    void databaseButtonsEditTheLists() {
        ControllerFixture fixture;
        scriptDatabase(*fixture.script);
        QVERIFY(fixture.connectAndSelect(LoggerWindow::DatabaseTab));
        int beeps = 0;
        setBeepHandler([&beeps] { ++beeps; });
        fixture.controller.waypointRouteTaskEditor().deleteWaypoint();
        fixture.controller.waypointRouteTaskEditor().deleteRoute();
        QCOMPARE(beeps, 2);
        setBeepHandler({});

        // BBB is used by the route: deleting it names the route and asks.
        fixture.window.waypointsView->selectRow(1);
        {
            const test::MessageBoxAnswerer no("No");
            fixture.controller.waypointRouteTaskEditor().deleteWaypoint();
            QVERIFY(no.texts.value(0).contains("Triangle"));
        }
        QCOMPARE(fixture.controller.logger()->loggerData().waypoints().size(), std::size_t(3));
        fixture.controller.waypointRouteTaskEditor().addWaypoint();
        const WaypointList& waypoints = fixture.controller.logger()->loggerData().waypoints();
        QCOMPARE(waypoints.size(), std::size_t(4));
        QCOMPARE(waypoints[1]->name(), std::string("NEW"));
        QCOMPARE(fixture.window.waypointsView->selectionModel()->selectedRows().first().row(), 1);
        QCOMPARE(fixture.controller.waypointsComboDataSource()->rowCount(), 5);
        fixture.controller.waypointRouteTaskEditor().deleteWaypoint();
        QCOMPARE(waypoints.size(), std::size_t(3));
        QCOMPARE(waypoints[1]->name(), std::string("BBB"));

        fixture.controller.waypointRouteTaskEditor().addRoute();
        const RouteList& routes = fixture.controller.logger()->loggerData().routes();
        QCOMPARE(routes.size(), std::size_t(2));
        RoutesDataSource& table = *fixture.controller.routesDataSource();
        fixture.window.routesView->setCurrentIndex(table.index(2, 0, table.index(0, 0)));
        fixture.controller.waypointRouteTaskEditor().deleteRoute();
        QCOMPARE(routes[0]->waypoints().size(), std::size_t(2));
        fixture.window.routesView->setCurrentIndex(table.index(0, 0));
        fixture.controller.waypointRouteTaskEditor().deleteRoute();
        QCOMPARE(routes.size(), std::size_t(1));
        QCOMPARE(routes[0]->name(), std::string("Untitled Route"));
    }

    void declarationFormShowsAndWritesTheDeclaration() {
        ControllerFixture fixture;
        Declaration& stored = fixture.script->declaration;
        stored.setPilot1("Hanna Reitsch");
        stored.setGliderID("D-1234");
        stored.setGliderType("ASW 28");
        stored.setCompetitionID("XY");
        stored.setCompetitionClass(2);
        stored.setHomePoint(Waypoint::fromDegrees("Home", 52.5, -4.5, 150));
        QVERIFY(fixture.connectAndSelect(LoggerWindow::DeclarationTab));
        LoggerWindow& w = fixture.window;
        QCOMPARE(w.pilot1Field->text(), QString("Hanna Reitsch"));
        QCOMPARE(w.pilot2Field->text(), QString(""));
        QCOMPARE(w.gliderIDField->text(), QString("D-1234"));
        QCOMPARE(w.gliderTypeField->text(), QString("ASW 28"));
        QCOMPARE(w.registration->text(), QString("XY"));
        QCOMPARE(w.competitionClassPopup->currentText(), QString("Standard"));
        QCOMPARE(w.homePointField->currentText(), QString("Home"));
        QCOMPARE(w.homeLatitude->text(), QString("52° 30' 00.00\"N"));
        QCOMPARE(w.homeLongitude->text(), QString("004° 30' 00.00\"W"));
        QCOMPARE(w.homeElevation->text(), QString("150"));

        w.pilot2Field->setText("  Second  ");
        w.registration->setText("ZZ");
        w.competitionClassPopup->setCurrentText("18 Meter");
        w.homePointField->setEditText("Field");
        w.homeLatitude->setText("46 30.000 N");
        w.homeLongitude->setText("7 east");
        QTest::keyClick(w.homeLongitude, Qt::Key_Return);
        QVERIFY(!w.homeLongitude->toolTip().isEmpty());
        w.homeElevation->setText("575.5");
        CapturingLogSink log;
        fixture.controller.databaseTransfer().saveToLogger();
        QVERIFY(fixture.waitForOperation());
        QCOMPARE(fixture.script->writeCalls.load(), 1);
        QVERIFY(log.contains("Menu appears to be set to: 18 Meter"));
        const Declaration& written = fixture.script->written;
        QCOMPARE(written.pilot1(), std::string("Hanna Reitsch"));
        QCOMPARE(written.pilot2(), std::string("Second"));
        QCOMPARE(written.competitionID(), std::string("ZZ"));
        QCOMPARE(written.competitionClass(), 4);
        QVERIFY(written.homePoint());
        QCOMPARE(written.homePoint()->name(), std::string("Field"));
        QCOMPARE(written.homePoint()->latitudeDegrees(), 46.5);
        QCOMPARE(written.homePoint()->longitudeDegrees(), -4.5);  // the refused text's held value
        QCOMPARE(written.homePoint()->elevation(), 575.5);
        QVERIFY(w.statusLine->text().contains("written to the logger"));

        fixture.script->writeAnswer = false;
        fixture.controller.databaseTransfer().saveToLogger();
        QVERIFY(fixture.waitForOperation());
        QVERIFY(w.statusLine->text().contains("Writing to the logger failed: no answer"));

        // After a failed reload nothing goes back over the recorder's database.
        fixture.script->writeAnswer = true;
        fixture.script->databaseReadFails = true;
        fixture.controller.databaseTransfer().loadDatabase();
        QVERIFY(fixture.waitForOperation());
        QVERIFY(w.statusLine->text().contains("checksum error in the waypoint database"));
        fixture.controller.databaseTransfer().saveToLogger();
        QVERIFY(fixture.waitForOperation());
        QCOMPARE(fixture.script->writeCalls.load(), 2);
        QVERIFY(w.statusLine->text().contains("were not read in this connection"));
    }

    void taskComesFromARouteOrWaypointByWaypoint() {
        ControllerFixture fixture;
        scriptDatabase(*fixture.script);
        KelvoPrefs::setDefaultStartlineWidth(20);
        QVERIFY(fixture.connectAndSelect(LoggerWindow::DeclarationTab));
        fixture.controller.waypointRouteTaskEditor().useRoute("");
        fixture.controller.waypointRouteTaskEditor().useRoute("No such route");
        QCOMPARE(fixture.controller.taskDataSource()->rowCount(), 0);

        fixture.controller.waypointRouteTaskEditor().useRoute("Triangle");
        const std::shared_ptr<Task> task =
            fixture.controller.logger()->loggerData().declaration()->task();
        QVERIFY(task);
        QCOMPARE(fixture.controller.taskDataSource()->rowCount(), 3);
        for (std::size_t end : {std::size_t(0), std::size_t(2)}) {
            QCOMPARE(task->turnpoint(end)->getLineWidth(), 20);
            QCOMPARE(task->turnpoint(end)->getCylinderRadius(), 0);
        }
        QCOMPARE(task->turnpoint(1)->getLineWidth(), 0);
        QCOMPARE(task->turnpoint(1)->getCylinderRadius(), 500);
        QCOMPARE(task->turnpoint(1)->getSectorRadius(), 5000);
        QCOMPARE(task->turnpoint(1)->getSectorDirection(), 360);

        // By name or long name: after the selected turnpoint but before the finish, the new
        // one selected so that the next follows it; without a selection at the end.
        fixture.controller.waypointRouteTaskEditor().addWaypointToTask("Nowhere");
        fixture.selectTaskRow(0);
        fixture.controller.waypointRouteTaskEditor().addWaypointToTask("CCC");
        fixture.controller.waypointRouteTaskEditor().addWaypointToTask("Alpha Field");
        QCOMPARE(taskNames(fixture), QStringList({"AAA", "CCC", "AAA", "BBB", "CCC"}));
        QCOMPARE(task->turnpoint(2)->getCylinderRadius(), 500);
        fixture.selectTaskRow(4);
        fixture.controller.waypointRouteTaskEditor().addWaypointToTask("BBB");
        QCOMPARE(taskNames(fixture), QStringList({"AAA", "CCC", "AAA", "BBB", "BBB", "CCC"}));
        fixture.window.taskView->clearSelection();
        fixture.controller.waypointRouteTaskEditor().addWaypointToTask("BBB");
        QCOMPARE(taskNames(fixture),
                 QStringList({"AAA", "CCC", "AAA", "BBB", "BBB", "CCC", "BBB"}));
        fixture.selectTaskRow(0);
        fixture.controller.waypointRouteTaskEditor().removeWaypointFromTask();
        QCOMPARE(fixture.controller.taskDataSource()->rowCount(), 6);
    }

    void addWaypointBoxAddsOnceBeforeTheFinish() {
        ControllerFixture fixture;
        scriptDatabase(*fixture.script);
        QVERIFY(fixture.connectAndSelect(LoggerWindow::DeclarationTab));
        fixture.controller.waypointRouteTaskEditor().useRoute("Triangle");
        QComboBox* box = fixture.window.addWaypointToTaskPopup;
        QCompleter* completer = box->completer();
        const auto focus = [box](QEvent::Type type) {
            QFocusEvent event(type, Qt::TabFocusReason);
            QApplication::sendEvent(box, &event);
        };

        // The finish selected, the pilot types part of a name and takes the completion.
        fixture.selectTaskRow(2);
        focus(QEvent::FocusIn);
        QTest::keyClicks(box->lineEdit(), "lph");
        QTRY_VERIFY(completer->popup()->isVisible());
        QTest::keyClick(completer->popup(), Qt::Key_Down);
        QTest::keyClick(completer->popup(), Qt::Key_Return);
        QCOMPARE(taskNames(fixture), QStringList({"AAA", "BBB", "AAA", "CCC"}));
        QTRY_COMPARE(box->currentText(), QString());
        // Leaving the box adds nothing, and the finish stays the finish.
        focus(QEvent::FocusOut);
        QCOMPARE(taskNames(fixture), QStringList({"AAA", "BBB", "AAA", "CCC"}));

        // A whole name typed and left, without Return, is not a choice either.
        focus(QEvent::FocusIn);
        QTest::keyClicks(box->lineEdit(), "BBB");
        completer->popup()->hide();
        focus(QEvent::FocusOut);
        QCOMPARE(taskNames(fixture), QStringList({"AAA", "BBB", "AAA", "CCC"}));
        QCOMPARE(box->currentText(), QString());
    }

    void homePositionFollowsTheComboAndThePreferences() {
        ControllerFixture fixture;
        scriptDatabase(*fixture.script);
        fixture.script->declaration.setHomePoint(Waypoint::fromDegrees("Home", -33.5, 151.25, 0));
        QVERIFY(fixture.connectAndSelect(LoggerWindow::DeclarationTab));
        QCOMPARE(fixture.window.homeLatitude->text(), QString("33° 30' 00.00\"S"));
        KelvoPrefs::setCoordinateNotation(1);
        KelvoPrefs::setCoordinateNegativeNotation(1);
        KelvoPrefs::setTimeZoneName("Europe/Berlin");
        fixture.controller.preferencesPanelDidEnd();
        QCOMPARE(fixture.window.homeLatitude->text(), QString("-33° 30.000'"));
        QCOMPARE(fixture.window.homeLongitude->text(), QString("151° 15.000'"));
        QCOMPARE(KelvoPrefsBasedFormatter::displayTimeZone().id(), QByteArray("Europe/Berlin"));

        QCOMPARE(fixture.controller.waypointsComboDataSource()->rowCount(), 4);
        fixture.controller.declarationForm().homePointSelectionDidChange(2);
        QCOMPARE(fixture.window.homeLatitude->text(), QString("52° 30.000'"));
        QCOMPARE(fixture.window.homeElevation->text(), QString("120"));
        fixture.controller.declarationForm().homePointSelectionDidChange(0);
        QCOMPARE(fixture.window.homeLatitude->text(), QString(""));
        QCOMPARE(fixture.window.homeElevation->text(), QString("0"));
    }

    void disconnectKeepsTheChoicesAndClearsTheViews() {
        ControllerFixture fixture;
        scriptDatabase(*fixture.script);
        fixture.script->directory = {makeEntry(0, "A.IGC")};
        fixture.script->declaration.setPilot1("Pilot");
        QVERIFY(fixture.connectAndSelect(LoggerWindow::FlightsTab));
        QVERIFY(fixture.selectTab(LoggerWindow::DeclarationTab));
        Logger* driver = fixture.controller.logger();

        fixture.controller.connection().connect();
        QVERIFY(!fixture.controller.runner().isOperationRunning());
        QCOMPARE(fixture.script->disconnectCalls.load(), 1);
        QCOMPARE(fixture.controller.logger(), driver);
        QCOMPARE(fixture.window.loggerTypesMenu->currentText(), QString("Scripted"));
        QCOMPARE(fixture.window.serialPortsMenu->currentText(), QString("ttyScripted"));
        QVERIFY(!fixture.window.saveToLoggerButton->isEnabled());
        QCOMPARE(fixture.window.tabbedView->currentIndex(), 0);
        QCOMPARE(fixture.controller.flightsDataSource()->rowCount(), 0);
        QCOMPARE(fixture.controller.waypointsDataSource()->rowCount(), 0);
        QCOMPARE(fixture.window.pilot1Field->text(), QString(""));

        // The next connect builds a new driver and reads everything again.
        QVERIFY(fixture.connectAndSelect(LoggerWindow::FlightsTab));
        QCOMPARE(fixture.script->readDirectoryCalls.load(), 2);
    }

    void downloadReportsTheFlightsThatFailed() {
        ControllerFixture fixture;
        fixture.script->directory = {makeEntry(0, "A.IGC"), makeEntry(1, "B.IGC"),
                                     makeEntry(2, "C.IGC")};
        fixture.script->failingDownloads = {"B.IGC"};
        QVERIFY(fixture.connectAndSelect(LoggerWindow::FlightsTab));
        QVERIFY(!fixture.window.downloadButton->isEnabled());
        fixture.selectFlightRows({2, 1});
        QVERIFY(fixture.window.downloadButton->isEnabled());
        QTemporaryDir folder;
        fixture.controller.flightDownloads().downloadFlights(folder.path(), true, true);
        QVERIFY(fixture.waitForOperation());
        QCOMPARE(fixture.script->downloadTargets.size(), std::size_t(2));
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList({"C.IGC"}));
        QCOMPARE(fixture.window.statusLine->text(),
                 QString("Download failed: B.IGC (checksum error)."));

        fixture.selectFlightRows({0});
        fixture.script->flightText = "HFDTE140709\r\n";
        fixture.controller.flightDownloads().downloadFlights(folder.filePath("headless.igc"), false,
                                                             true);
        QVERIFY(fixture.waitForOperation());
        QCOMPARE(fixture.window.statusLine->text(),
                 QString("Downloaded 1 flight(s). Warning, would not pass as IGC: A.IGC line 1: "
                         "the file does not begin with an A record."));
        QVERIFY(QFile::exists(folder.filePath("headless.igc")));
    }

    void takenFileNamesAreSkippedWhenIdenticalOrAsked() {
        using Choice = LogbookDownload::ExistingFile;
        ControllerFixture fixture;
        fixture.script->directory = {makeEntry(0, "A.IGC")};
        QVERIFY(fixture.connectAndSelect(LoggerWindow::FlightsTab));
        fixture.selectFlightRows({0});
        QTemporaryDir folder;
        const QString target = folder.filePath("A.IGC");
        const QByteArray flight = QByteArray::fromStdString(fixture.script->flightText);
        QStringList asked;
        Choice answer = Choice::Skip;
        fixture.controller.flightDownloads().setExistingFileQuestion([&](const QString& path) {
            asked << path;
            return answer;
        });
        const auto download = [&] {
            fixture.controller.flightDownloads().downloadFlights(target, false, true);
            return fixture.waitForOperation() ? fixture.window.statusLine->text() : QString();
        };
        QCOMPARE(download(), QString("Downloaded 1 flight(s)."));
        QCOMPARE(download(), QString("Downloaded 0 flight(s). 1 skipped as identical."));
        QVERIFY(asked.isEmpty());

        const struct {
            Choice answer;
            const char* status;
            QStringList files;
            QByteArray contents;  // of A.IGC
        } cases[] = {
            {Choice::Skip, "Downloaded 0 flight(s). 1 skipped by choice.", {"A.IGC"}, "other"},
            {Choice::KeepBoth,
             "Downloaded 0 flight(s). 1 kept both, as A (2).IGC.",
             {"A (2).IGC", "A.IGC"},
             "other"},
            {Choice::Replace, "Downloaded 1 flight(s).", {"A (2).IGC", "A.IGC"}, flight},
        };
        for (const auto& c : cases) {
            QFile other(target);
            QVERIFY(other.open(QIODevice::WriteOnly | QIODevice::Truncate));
            other.write("other");
            other.close();
            answer = c.answer;
            QCOMPARE(download(), QString(c.status));
            QCOMPARE(asked.takeLast(), target);
            QCOMPARE(QDir(folder.path()).entryList(QDir::Files), c.files);
            QCOMPARE(contents(target), c.contents);
        }
        QCOMPARE(contents(folder.filePath("A (2).IGC")), flight);
    }

    void lostRecorderDisconnectsAndKeepsThePortChosen() {
        ControllerFixture fixture;
        PortDictionary ports{{"ttyOther", "/dev/other"}, {"ttyScripted", "/dev/scripted"}};
        fixture.controller.connection().setPortSource(
            [&ports](int) { return std::optional(ports); });
        fixture.controller.connection().loadSerialPorts();
        fixture.window.serialPortsMenu->setCurrentText("ttyScripted");
        fixture.script->directory = {makeEntry(0, "A.IGC")};
        fixture.script->failingDownloads = {"A.IGC"};
        QVERIFY(fixture.connectAndSelect(LoggerWindow::FlightsTab));

        ports.erase("ttyScripted");  // unplugged during the download
        fixture.selectFlightRows({0});
        QTemporaryDir folder;
        fixture.controller.flightDownloads().downloadFlights(folder.filePath("A.IGC"), false, true);
        QVERIFY(fixture.waitForOperation());
        QVERIFY(!fixture.controller.isConnected());
        QCOMPARE(fixture.window.connectButton->text(), QString("Connect"));
        QCOMPARE(fixture.window.statusLine->text(),
                 QString("Download failed: A.IGC (checksum error). The recorder on ttyScripted is "
                         "gone. Plug it in and connect again."));
        QCOMPARE(items(fixture.window.serialPortsMenu),
                 QStringList({"ttyOther", "ttyScripted (unavailable)"}));
        QCOMPARE(fixture.window.serialPortsMenu->currentIndex(), 1);
        QVERIFY(fixture.window.serialPortsMenu->isEnabled());

        // Back again, it is chosen as it was, and the new connection reads the list again.
        ports["ttyScripted"] = "/dev/scripted";
        fixture.controller.connection().portsDidChange();
        QCOMPARE(items(fixture.window.serialPortsMenu), QStringList({"ttyOther", "ttyScripted"}));
        QCOMPARE(fixture.window.serialPortsMenu->currentText(), QString("ttyScripted"));
        QVERIFY(fixture.connectAndSelect(LoggerWindow::FlightsTab));
        QCOMPARE(fixture.script->readDirectoryCalls.load(), 2);
    }

    void recorderLostInABatchNamesTheCutAndTheUntriedFlights() {
        ControllerFixture fixture;
        PortDictionary ports{{"ttyScripted", "/dev/scripted"}};
        fixture.controller.connection().setPortSource(
            [&ports](int) { return std::optional(ports); });
        fixture.controller.connection().loadSerialPorts();
        fixture.script->directory = {makeEntry(0, "A.IGC"), makeEntry(1, "B.IGC"),
                                     makeEntry(2, "C.IGC"), makeEntry(3, "D.IGC")};
        fixture.script->failingDownloads = {"B.IGC", "C.IGC", "D.IGC"};
        QVERIFY(fixture.connectAndSelect(LoggerWindow::FlightsTab));
        QTemporaryDir folder;
        KelvoPrefs::setFlightsFolder(folder.path());

        ports.erase("ttyScripted");  // gone once A has come
        fixture.controller.flightDownloads().downloadNewFlights();
        QVERIFY(fixture.waitForOperation());
        QCOMPARE(fixture.script->downloadTargets.size(), std::size_t(2));
        QCOMPARE(fixture.controller.flightDownloads().newFlightsSummary(),
                 QString("Downloaded 1 flight(s) to %1.\nAlready present: 0.\nFailed: 1.\n"
                         "B.IGC: the recorder went away during its download\n"
                         "Not attempted, as the recorder went away: C.IGC, D.IGC.")
                     .arg(folder.path()));
        QVERIFY(!fixture.controller.isConnected());
    }

    void viewFlightHandsTheViewerIgcText() {
        for (bool keepsFlights : {true, false}) {
            ControllerFixture fixture;
            fixture.script->keepsFlights = keepsFlights;
            fixture.script->directory = {makeEntry(0, "A.IGC"), makeEntry(1, "B.IGC")};
            QVERIFY(fixture.connectAndSelect(LoggerWindow::FlightsTab));
            QStringList names;
            QList<QByteArray> texts;
            fixture.controller.flightDownloads().setFlightViewer(
                [&](const QByteArray& igc, const QString& name) {
                    texts << igc;
                    names << name;
                });
            fixture.selectFlightRows({1});
            fixture.controller.flightDownloads().viewFlight();
            QCOMPARE(names, QStringList({"B.IGC"}));
            QCOMPARE(texts.first(), QByteArray::fromStdString(fixture.script->flightText));
        }
    }

    void aFamilyTheApplicationNeverNamesDownloadsAndConverts() {
        ControllerFixture fixture;
        fixture.controller.connection().setPluginRegistration(
            [](LoggerFactory& factory) { factory.registerLogger<test::TallyLogger>(); });
        fixture.controller.windowDidBecomeMain();
        fixture.chooseLoggerType("Tally");
        QVERIFY(fixture.connectAndSelect(LoggerWindow::FlightsTab));
        fixture.selectFlightRows({0});
        QTemporaryDir folder;
        for (const char* name : {"7B1T0001.IGC", "7B1T0001.TLY"}) {
            fixture.controller.flightDownloads().downloadFlights(folder.filePath(name), false,
                                                                 QString(name).endsWith("IGC"));
            QVERIFY(fixture.waitForOperation());
        }
        QCOMPARE(contents(folder.filePath("7B1T0001.IGC")), QByteArray::fromStdString(test::kIgc));
        QCOMPARE(contents(folder.filePath("7B1T0001.TLY")),
                 QByteArray::fromStdString("TALLY" + test::kIgc));
        QByteArray shown;
        fixture.controller.flightDownloads().setFlightViewer(
            [&](const QByteArray& igc, const QString&) { shown = igc; });
        fixture.controller.flightDownloads().viewFlight();
        QCOMPARE(shown, QByteArray::fromStdString(test::kIgc));
    }

    void portProblemsSayWhatToDo() {
        QVERIFY(ConnectionAdvice::portAccessProblem("").contains("No port"));
        QVERIFY(
            ConnectionAdvice::afterFailedConnect("/dev/kelvo-missing").contains("does not exist"));
        QTemporaryDir folder;
        const QString port = folder.filePath("port");
        QFile(port).open(QIODevice::WriteOnly);
        QCOMPARE(ConnectionAdvice::portAccessProblem(port.toStdString()), QString());
        QVERIFY(
            ConnectionAdvice::afterFailedConnect(port.toStdString()).contains("Check the cable"));

        QProcess holder;
        holder.setStandardInputFile(port);
        holder.start("sleep", {"30"});
        QVERIFY(holder.waitForStarted());
        QTRY_VERIFY(!ConnectionAdvice::holdersOf(port.toStdString()).isEmpty());
        const QString advice = ConnectionAdvice::afterFailedConnect(port.toStdString());
        QVERIFY(advice.contains(QString("in use by sleep (%1)").arg(holder.processId())));
        holder.kill();
        holder.waitForFinished();
    }

    void menusAreFilledAtStartAndFollowPortsComingAndGoing() {
        QTemporaryDir base;
        const SimulatorPortFolder simulators(base.filePath("ports").toStdString());
        std::string reason;
        QVERIFY2(simulators.prepare(reason), reason.c_str());
        LoggerWindow window;
        LoggerController controller(window);
        controller.connection().setPortSource([root = base.path().toStdString(), &simulators](int) {
            return std::optional(SerialPortDictionary::serialPortDictionary(
                {root + "/no-sys", root + "/no-dev", simulators.path(), {}, PortUser::current()}));
        });
        controller.portWatcher()->setFolders({QString::fromStdString(simulators.path())});
        window.show();
        QVERIFY(window.loggerTypesMenu->count() > 0);
        QCOMPARE(window.serialPortsMenu->count(), 0);
        QVERIFY(!window.connectButton->isEnabled());

        QVERIFY2(simulators.publish("Simulated LX", "/dev/null", reason) == "Simulated LX",
                 reason.c_str());
        QTRY_COMPARE(items(window.serialPortsMenu), QStringList({"Simulated LX"}));
        QVERIFY(window.connectButton->isEnabled());
        // The chosen port stays chosen while it is away, and Connect says where it is.
        simulators.release("Simulated LX");
        QTRY_COMPARE(items(window.serialPortsMenu), QStringList({"Simulated LX (unavailable)"}));
        controller.connection().connect();
        QVERIFY(!controller.runner().isOperationRunning());
        QVERIFY(window.statusLine->text().startsWith("Simulated LX is not there now"));
    }
};

KELVO_QTEST_MAIN(LoggerControllerTest)
#include "LoggerControllerTest.moc"
