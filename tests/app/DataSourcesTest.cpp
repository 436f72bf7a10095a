#include <QAbstractItemModelTester>

#include "app/FlightsDataSource.h"
#include "app/KelvoPrefsBasedFormatter.h"
#include "app/LoggerInfoDataSource.h"
#include "app/RoutesDataSource.h"
#include "app/TaskDataSource.h"
#include "app/WaypointsComboDataSource.h"
#include "geo/Route.h"
#include "geo/Task.h"
#include "support/AppTestMain.h"
#include "support/PreferencesFixture.h"
#include "support/ScriptedLogger.h"

using namespace kelvo;

namespace {

QString cell(const QAbstractItemModel& model, int row, const QString& column,
             const QStringList& columns, const QModelIndex& parent = {}) {
    return model.index(row, int(columns.indexOf(column)), parent).data().toString();
}

}  // namespace

class DataSourcesTest : public QObject {
    Q_OBJECT

    using Mode = QAbstractItemModelTester::FailureReportingMode;

  private Q_SLOTS:
    void init() { test::removePreferencesFile(); }

    void loggerInfoIsOrderedByValue() {
        LoggerInfoDataSource source;
        QAbstractItemModelTester tester(&source, Mode::QtTest);
        LoggerInfo info = {{"A label", "zeta"}, {"Z label", "Alpha"}, {"M label", "beta"}};
        source.setData(&info);
        QCOMPARE(source.rowCount(), 3);
        QCOMPARE(source.index(0, 0).data().toString(), QString("Z label"));
        QCOMPARE(source.index(0, 1).data().toString(), QString("Alpha"));
        QCOMPARE(source.index(2, 0).data().toString(), QString("A label"));
        source.removeAllObjects();
        QVERIFY(info.empty());
        QCOMPARE(source.rowCount(), 0);
    }

    void flightsFilterKeepsEntriesWithoutTakeoffField() {
        FlightsDataSource source;
        QAbstractItemModelTester tester(&source, Mode::QtTest);
        FlightDirectory directory = {test::makeEntry(0, "A.IGC", "0"),
                                     test::makeEntry(1, "B.IGC", "1"), FlightEntry{}};
        source.setData(&directory);
        QCOMPARE(source.rowCount(), 3);
        source.setShowOnlyFlightsWithTakeoff(true);
        QCOMPARE(source.rowCount(), 2);
        QCOMPARE(source.getFlightAtRow(0)->filename, std::optional<std::string>("B.IGC"));
        // A field the entry lacks shows one blank.
        const QStringList& columns = FlightsDataSource::columnIdentifiers();
        QCOMPARE(cell(source, 1, "filename", columns), QString(" "));
        QCOMPARE(source.getFlightAtRow(2), nullptr);

        // Reading again into the same directory and filtering shows the new entries.
        directory.push_back(test::makeEntry(3, "D.IGC", "1"));
        source.setData(&directory);
        QCOMPARE(source.rowCount(), 3);
    }

    void flightTimesFollowTheDisplayZone() {
        FlightsDataSource source;
        FlightDirectory directory = {test::makeEntry(0, "A.IGC")};
        source.setData(&directory);
        const QStringList& columns = FlightsDataSource::columnIdentifiers();
        KelvoPrefsBasedFormatter::setDisplayTimeZone(QTimeZone("America/Denver"));
        QCOMPARE(cell(source, 0, "date", columns), QString("2009-07-14 03:05:00"));
        KelvoPrefsBasedFormatter::setDisplayTimeZone(QTimeZone::utc());
        QCOMPARE(cell(source, 0, "date", columns), QString("2009-07-14 09:05:00"));
        QCOMPARE(cell(source, 0, "duration", columns), QString("01:30:00"));
    }

    void taskRowsAreTitledAndShowTheirZone() {
        TaskDataSource source;
        QAbstractItemModelTester tester(&source, Mode::QtTest);
        const QStringList& columns = TaskDataSource::columnIdentifiers();
        auto task = std::make_shared<Task>();
        task->addTurnpoint(std::make_shared<Turnpoint>(*Waypoint::fromDegrees("A", 52, 7, 0)));
        source.setData(task);
        QCOMPARE(cell(source, 0, "title", columns), QString("Start"));
        for (double longitude : {8.0, 9.0, 10.0})
            task->addTurnpoint(
                std::make_shared<Turnpoint>(*Waypoint::fromDegrees("T", 52, longitude, 0)));
        task->turnpoint(1)->setCylinderRadius(500);
        source.setData(task);
        QCOMPARE(cell(source, 0, "title", columns), QString("Start"));
        QCOMPARE(cell(source, 1, "title", columns), QString("TP 1"));
        QCOMPARE(cell(source, 2, "title", columns), QString("TP 2"));
        QCOMPARE(cell(source, 3, "title", columns), QString("Finish"));
        QCOMPARE(cell(source, 1, "cylinderradius", columns), QString("500"));
        QCOMPARE(cell(source, 1, "leg", columns), QString("  68.7"));
        QCOMPARE(cell(source, 0, "bearing", columns), QString("0.0°"));
    }

    void routesShowTheirWaypointsBelowThem() {
        RoutesDataSource routes;
        QAbstractItemModelTester tester(&routes, Mode::QtTest);
        auto route = std::make_shared<Route>();
        route->setValue("Out and return",
                        {Waypoint::fromDegrees("A", 52, 7, 0), Waypoint::fromDegrees("B", 52, 8, 0),
                         Waypoint::fromDegrees("C", 52, 7, 0)});
        RouteList list = {route};
        WaypointList waypoints;
        routes.setRoutes(&list, &waypoints);
        const QStringList& columns = RoutesDataSource::columnIdentifiers();
        QCOMPARE(routes.rowCount(), 1);
        QCOMPARE(cell(routes, 0, "route", columns), QString("Out and return"));
        QCOMPARE(cell(routes, 0, "distance", columns), QString(" 137.4"));
        QCOMPARE(cell(routes, 0, "leg", columns), QString(" "));
        const QModelIndex parent = routes.index(0, 0);
        QCOMPARE(routes.rowCount(parent), 3);
        QCOMPARE(cell(routes, 2, "route", columns, parent), QString("C"));
        QCOMPARE(cell(routes, 2, "distance", columns, parent), QString(" 137.4"));
        QCOMPARE(routes.parent(routes.index(2, 0, parent)), parent);
    }

    void homePointItemsLeadWithTheEmptyItem() {
        WaypointsComboDataSource combo;
        QAbstractItemModelTester tester(&combo, Mode::QtTest);
        WaypointList waypoints;
        combo.setData(&waypoints);
        QCOMPARE(combo.rowCount(), 0);
        waypoints = {Waypoint::fromDegrees("AAA", 1, 1, 0), Waypoint::fromDegrees("BBB", 2, 2, 0)};
        waypoints[0]->setLongName("Alpha");
        combo.setData(&waypoints);
        QCOMPARE(combo.rowCount(), 3);
        QCOMPARE(combo.index(0).data().toString(), QString(""));
        QCOMPARE(combo.index(1).data().toString(), QString("Alpha"));
        QCOMPARE(combo.indexOfItemWithStringValue("BBB"), 2);
        QCOMPARE(combo.indexOfItemWithStringValue("AAA"), 0);
    }
};

KELVO_QTEST_MAIN(DataSourcesTest)
#include "DataSourcesTest.moc"
