#include <QAbstractItemModelTester>
#include <QMimeData>
#include <QPersistentModelIndex>
#include <QSignalSpy>
#include <memory>

#include "app/FlightsDataSource.h"
#include "app/KelvoPrefsBasedFormatter.h"
#include "app/LoggerInfoDataSource.h"
#include "app/RoutesDataSource.h"
#include "app/TaskDataSource.h"
#include "app/WaypointsComboDataSource.h"
#include "app/WaypointsDataSource.h"
#include "base/Beep.h"
#include "base/UtcDate.h"
#include "geo/Route.h"
#include "geo/Task.h"
#include "geo/Turnpoint.h"
#include "support/AppTestMain.h"
#include "support/PreferencesFixture.h"
#include "support/ScriptedLogger.h"

using namespace kelvo;

namespace {

using Mode = QAbstractItemModelTester::FailureReportingMode;

int columnOf(const QStringList& columns, const char* identifier) {
    return int(columns.indexOf(identifier));
}

QString cell(const QAbstractItemModel& model, int row, const char* column,
             const QStringList& columns) {
    return model.index(row, columnOf(columns, column)).data().toString();
}

std::unique_ptr<QMimeData> dragOf(const QByteArray& row) {
    auto data = std::make_unique<QMimeData>();
    data->setData("WaypointDragType", row);
    return data;
}

std::shared_ptr<Route> routeOf(const std::string& name, WaypointList waypoints) {
    auto route = std::make_shared<Route>();
    route->setValue(name, std::move(waypoints));
    return route;
}

FlightEntry flightOn(int day, const std::string& file, const std::string& takeoff) {
    FlightEntry entry;
    entry.number = file;
    entry.filename = file;
    entry.takeoff = takeoff;
    entry.date = *utcTime(2009, 7, day, 10, 0, 0);
    return entry;
}

}  // namespace

class LoggerDataEditorsTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void init() {
        test::removePreferencesFile();
        m_beeps = 0;
        setBeepHandler([this] { ++m_beeps; });
        m_waypoints = {Waypoint::fromDegrees("AAA", 52, 7, 0),
                       Waypoint::fromDegrees("BBB", 52, 8, 0),
                       Waypoint::fromDegrees("CCC", 53, 8, 0)};
    }

    void cleanup() { setBeepHandler({}); }

    void waypointCellsTakeNamesAndOnlyParsedCoordinates() {
        WaypointsDataSource source;
        QAbstractItemModelTester tester(&source, Mode::QtTest);
        source.setData(&m_waypoints);
        const QStringList& columns = WaypointsDataSource::columnIdentifiers();
        const QModelIndex name = source.index(1, columnOf(columns, "name"));
        const QModelIndex latitude = source.index(1, columnOf(columns, "latitude"));
        QVERIFY(source.flags(latitude) & Qt::ItemIsEditable);

        QVERIFY(source.setData(name, "Hill"));
        QCOMPARE(m_waypoints[1]->name(), std::string("Hill"));
        QVERIFY(source.setData(latitude, "51 30.000S"));
        QCOMPARE(m_waypoints[1]->latitudeDegrees(), -51.5);
        for (const char* text : {"north-ish", "", "   "}) {
            QVERIFY(!source.setData(latitude, text));
            QCOMPARE(m_waypoints[1]->latitudeDegrees(), -51.5);
        }
    }

    void onlyASingleWaypointRowCanBeDragged() {
        WaypointsDataSource source;
        source.setData(&m_waypoints);
        QCOMPARE(source.mimeTypes(), QStringList({"WaypointDragType"}));
        const std::unique_ptr<QMimeData> one(
            source.mimeData({source.index(2, 0), source.index(2, 1)}));
        QVERIFY(one);
        QCOMPARE(one->data("WaypointDragType"), QByteArray("2"));
        const std::unique_ptr<QMimeData> two(
            source.mimeData({source.index(0, 0), source.index(2, 0)}));
        QVERIFY(!two);
    }

    void droppedWaypointsAreCopiesInTheirPlace() {
        RoutesDataSource routes;
        QAbstractItemModelTester tester(&routes, Mode::QtTest);
        RouteList list{routeOf("Out", {m_waypoints[0]->copy(), m_waypoints[1]->copy()})};
        routes.setRoutes(&list, &m_waypoints);

        // Between the route's two waypoints.
        QVERIFY(routes.dropMimeData(dragOf("2").get(), Qt::CopyAction, 1, 0, routes.index(0, 0)));
        const WaypointList& out = list[0]->waypoints();
        QCOMPARE(out.size(), std::size_t(3));
        QCOMPARE(out[1]->name(), std::string("CCC"));
        QVERIFY(out[1] != m_waypoints[2]);
        m_waypoints[2]->setName("Renamed");
        QCOMPARE(out[1]->name(), std::string("CCC"));
        QVERIFY(out[1]->distanceFromPreviousWaypoint() > 100);

        // Onto a waypoint: it takes the dropped name and place.
        const QModelIndex first = routes.index(0, 0, routes.index(0, 0));
        QVERIFY(routes.dropMimeData(dragOf("1").get(), Qt::CopyAction, -1, 0, first));
        QCOMPARE(out.size(), std::size_t(3));
        QCOMPARE(out[0]->name(), std::string("BBB"));
        QCOMPARE(out[0]->longitudeDegrees(), 8.0);

        // Beside the routes: a new route holds it.
        QVERIFY(routes.dropMimeData(dragOf("0").get(), Qt::CopyAction, -1, 0, {}));
        QCOMPARE(list.size(), std::size_t(2));
        QCOMPARE(list[1]->name(), std::string("Untitled Route"));
        QCOMPARE(list[1]->waypoints().front()->name(), std::string("AAA"));

        // Drops that name no waypoint change nothing.
        for (const QByteArray& row :
             {QByteArray("3"), QByteArray("-1"), QByteArray("two"), QByteArray()})
            QVERIFY(!routes.dropMimeData(dragOf(row).get(), Qt::CopyAction, -1, 0, {}));
        QMimeData text;
        text.setText("0");
        QVERIFY(!routes.dropMimeData(&text, Qt::CopyAction, -1, 0, {}));
        QCOMPARE(list.size(), std::size_t(2));
    }

    void newRoutesGetTheFirstFreeUntitledName() {
        RoutesDataSource routes;
        QAbstractItemModelTester tester(&routes, Mode::QtTest);
        RouteList list{routeOf("Untitled Route", {}), routeOf("Untitled Route 1", {})};
        routes.setRoutes(&list, &m_waypoints);
        QCOMPARE(routes.addRoute()->name(), std::string("Untitled Route 2"));
        // A name that another route has is accepted.
        QVERIFY(routes.setData(routes.index(2, 0), "Untitled Route"));
        QCOMPARE(list[2]->name(), std::string("Untitled Route"));
        QCOMPARE(routes.addRoute()->name(), std::string("Untitled Route 2"));
        QCOMPARE(routes.getWaypointByName("BBB"), m_waypoints[1]);
        QVERIFY(!routes.getWaypointByName("bbb"));
    }

    void movingARouteWaypointRedrawsTheRoute() {
        RoutesDataSource routes;
        QAbstractItemModelTester tester(&routes, Mode::QtTest);
        RouteList list{routeOf("Out", {m_waypoints[0]->copy(), m_waypoints[1]->copy()})};
        routes.setRoutes(&list, &m_waypoints);
        const QStringList& columns = RoutesDataSource::columnIdentifiers();
        const QModelIndex route = routes.index(0, 0);
        const QModelIndex longitude = routes.index(1, columnOf(columns, "longitude"), route);
        QVERIFY(
            !(routes.flags(routes.index(0, columnOf(columns, "longitude"))) & Qt::ItemIsEditable));
        const QString before = routes.index(0, columnOf(columns, "distance")).data().toString();
        QSignalSpy changed(&routes, &QAbstractItemModel::dataChanged);
        QVERIFY(routes.setData(longitude, "9.0"));
        QVERIFY(!routes.setData(longitude, "far east"));
        QCOMPARE(changed.count(), 2);  // the route row and its waypoints, once
        QVERIFY(routes.index(0, columnOf(columns, "distance")).data().toString() != before);
    }

    void deletingWithoutSelectionBeeps() {
        RoutesDataSource routes;
        QAbstractItemModelTester routesTester(&routes, Mode::QtTest);
        RouteList list{routeOf("Out", {m_waypoints[0]->copy(), m_waypoints[1]->copy()})};
        routes.setRoutes(&list, &m_waypoints);
        QVERIFY(!routes.deleteItem({}));
        QVERIFY(routes.deleteItem(routes.index(0, 0, routes.index(0, 0))));
        QCOMPARE(list[0]->waypoints().front()->name(), std::string("BBB"));

        WaypointsDataSource waypoints;
        QAbstractItemModelTester waypointsTester(&waypoints, Mode::QtTest);
        waypoints.setData(&m_waypoints);
        QVERIFY(!waypoints.deleteRows({}));
        QCOMPARE(m_beeps, 2);
        QVERIFY(waypoints.deleteRows({2, 0}));
        QCOMPARE(m_waypoints.size(), std::size_t(1));
        QCOMPARE(m_waypoints[0]->name(), std::string("BBB"));
    }

    void taskRowsAreTitledAndTakeOnlyWholeZoneNumbersInRange() {
        TaskDataSource source;
        QAbstractItemModelTester tester(&source, Mode::QtTest);
        const QStringList& columns = TaskDataSource::columnIdentifiers();
        auto task = std::make_shared<Task>();
        task->addTurnpoint(std::make_shared<Turnpoint>(*m_waypoints[0]));
        source.setData(task);
        QCOMPARE(cell(source, 0, "title", columns), QString("Start"));
        for (const auto& waypoint : {m_waypoints[1], m_waypoints[2], m_waypoints[0]})
            task->addTurnpoint(std::make_shared<Turnpoint>(*waypoint));
        source.setData(task);
        QStringList titles;
        for (int row = 0; row < 4; ++row) titles << cell(source, row, "title", columns);
        QCOMPARE(titles, QStringList({"Start", "TP 1", "TP 2", "Finish"}));
        QCOMPARE(cell(source, 1, "leg", columns), QString("  68.7"));
        QCOMPARE(cell(source, 0, "bearing", columns), QString("0.0°"));

        auto cellAt = [&](int row, const char* column) {
            return source.index(row, columnOf(columns, column));
        };
        QVERIFY(!(source.flags(cellAt(1, "title")) & Qt::ItemIsEditable));
        QVERIFY(!(source.flags(cellAt(1, "leg")) & Qt::ItemIsEditable));
        QVERIFY(source.setData(cellAt(1, "cylinderradius"), "500"));
        QCOMPARE(cell(source, 1, "cylinderradius", columns), QString("500"));
        QVERIFY(!source.setData(cellAt(1, "sectordirection"), "wide"));
        QVERIFY(!source.setData(cellAt(0, "linewidth"), "99999999999"));
        QVERIFY(source.setData(cellAt(0, "linewidth"), "180"));
        QCOMPARE(task->turnpoint(0)->getOzType(), 1);
        QVERIFY(source.setData(cellAt(2, "name"), "Goal"));
        QCOMPARE(cellAt(2, "name").data().toString(), QString("Goal"));
        QVERIFY(!source.setData(cellAt(2, "latitude"), "?"));
        QVERIFY(source.setData(cellAt(2, "latitude"), "52.5N"));
        QCOMPARE(task->turnpoint(2)->latitudeDegrees(), 52.5);
    }

    void flightsSortByDateAndRowsKeepTheirEntries() {
        FlightsDataSource source;
        QAbstractItemModelTester tester(&source, Mode::QtTest);
        FlightDirectory directory{flightOn(3, "C", "1"), flightOn(1, "A", "0"),
                                  flightOn(5, "E", "1"), FlightEntry{}};
        source.setData(&directory);
        const QPersistentModelIndex selected = source.index(0, 0);  // flight C
        const int date = columnOf(FlightsDataSource::columnIdentifiers(), "date");

        source.sort(date, Qt::DescendingOrder);
        QCOMPARE(source.getFlightAtRow(0)->filename, std::optional<std::string>("E"));
        QCOMPARE(source.getFlightAtRow(2)->filename, std::optional<std::string>("A"));
        QVERIFY(!source.getFlightAtRow(3)->filename);  // no date sorts last when descending
        QCOMPARE(source.getFlightAtRow(selected.row())->filename, std::optional<std::string>("C"));

        // The order holds through the filter (which keeps entries without the field) and a
        // new directory; a field the entry lacks shows one blank.
        source.setShowOnlyFlightsWithTakeoff(true);
        QCOMPARE(source.rowCount(), 3);
        QCOMPARE(source.getFlightAtRow(0)->filename, std::optional<std::string>("E"));
        const int file = columnOf(FlightsDataSource::columnIdentifiers(), "filename");
        QCOMPARE(source.index(2, file).data().toString(), QString(" "));
        QCOMPARE(source.getFlightAtRow(3), nullptr);
        directory.push_back(flightOn(9, "I", "1"));
        source.setData(&directory);
        QCOMPARE(source.getFlightAtRow(0)->filename, std::optional<std::string>("I"));

        // Rows of a directory emptied behind the table's back show nothing.
        directory.clear();
        QVERIFY(!source.getFlightAtRow(0));
    }

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

  private:
    WaypointList m_waypoints;
    int m_beeps = 0;
};

KELVO_QTEST_MAIN(LoggerDataEditorsTest)
#include "LoggerDataEditorsTest.moc"
