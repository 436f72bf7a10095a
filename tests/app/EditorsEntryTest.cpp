#include <QAbstractItemModelTester>
#include <QLineEdit>
#include <QMimeData>
#include <QTableView>
#include <memory>

#include "app/CheckedEntryDelegate.h"
#include "app/EntryValidator.h"
#include "app/KelvoPrefs.h"
#include "app/OutlineView.h"
#include "app/RoutesDataSource.h"
#include "app/TaskDataSource.h"
#include "app/WaypointEditing.h"
#include "app/WaypointsDataSource.h"
#include "geo/Route.h"
#include "geo/Task.h"
#include "geo/Turnpoint.h"
#include "support/AppTestMain.h"
#include "support/PreferencesFixture.h"

using namespace kelvo;

namespace {

using Mode = QAbstractItemModelTester::FailureReportingMode;

int columnOf(const QStringList& columns, const char* identifier) {
    return int(columns.indexOf(identifier));
}

QString titleOf(const QAbstractItemModel& model, const QStringList& columns, const char* column) {
    return model.headerData(columnOf(columns, column), Qt::Horizontal).toString();
}

// Types the text into the cell's editor and presses Return, as a user would; answers the
// editor when it is still open afterwards.
QLineEdit* typeIntoCell(QAbstractItemView& view, const QModelIndex& index, const QString& text) {
    view.setCurrentIndex(index);
    view.edit(index);
    auto* editor = qobject_cast<QLineEdit*>(view.indexWidget(index));
    if (!editor) return nullptr;
    editor->setText(text);
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();  // the view closes an accepted editor later
    return qobject_cast<QLineEdit*>(view.indexWidget(index));
}

std::shared_ptr<Route> outAndReturn() {
    auto route = std::make_shared<Route>();
    route->setValue("Out",
                    {Waypoint::fromDegrees("A", 52, 7, 0), Waypoint::fromDegrees("B", 52, 8, 0),
                     Waypoint::fromDegrees("C", 53, 8, 0)});
    return route;
}

}  // namespace

class EditorsEntryTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void init() {
        test::removePreferencesFile();
        m_waypoints = {Waypoint::fromDegrees("AAA", 10, 20, 100)};
        m_source = std::make_unique<WaypointsDataSource>();
        m_source->setData(&m_waypoints);
        m_view = std::make_unique<QTableView>();
        m_view->setItemDelegate(new CheckedEntryDelegate(m_view.get()));
        m_view->setModel(m_source.get());
        m_view->show();
    }

    void cleanup() {
        m_view.reset();
        m_source.reset();
    }

    void typedCoordinatesAreStoredToAHundredthOfASecond_data() {
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("degrees");
        const double dms = 48 + 20 / 60.0 + 30 / 3600.0;
        QTest::newRow("marks") << "latitude"
                               << "48°20'30\"N" << dms;
        QTest::newRow("ordinal marks") << "latitude"
                                       << "48º20'30\"N" << dms;
        QTest::newRow("minute marks") << "latitude"
                                      << "48°20.5'N" << 48 + 20.5 / 60;
        QTest::newRow("blanks") << "latitude"
                                << "48 20 30 N" << dms;
        QTest::newRow("decimal degrees") << "latitude"
                                         << "48.3417" << 48.3417;
        QTest::newRow("sign") << "latitude"
                              << "-33.5" << -33.5;
        QTest::newRow("leading letter") << "latitude"
                                        << "S 33 15.5" << -(33 + 15.5 / 60);
        QTest::newRow("longitude") << "longitude"
                                   << "011°30'15.25\"W" << -(11 + 30 / 60.0 + 15.25 / 3600);
    }

    void typedCoordinatesAreStoredToAHundredthOfASecond() {
        QFETCH(QString, column);
        QFETCH(QString, text);
        QFETCH(double, degrees);
        const QModelIndex cell =
            m_source->index(0, int(WaypointsDataSource::columnIdentifiers().indexOf(column)));
        QVERIFY(!typeIntoCell(*m_view, cell, text));
        const Waypoint& waypoint = *m_waypoints[0];
        const double stored =
            column == "latitude" ? waypoint.latitudeDegrees() : waypoint.longitudeDegrees();
        QVERIFY2(std::abs(stored - degrees) * 3600 < 0.01, qPrintable(cell.data().toString()));
    }

    void refusedEntriesKeepTheEditorTheTextAndTheOldValue() {
        const QStringList& columns = WaypointsDataSource::columnIdentifiers();
        const std::pair<const char*, const char*> refused[] = {
            {"latitude", "abc"},   {"latitude", "95.0"},       {"longitude", "48 20 30 N"},
            {"elevation", "high"}, {"runwaydirection", "370"}, {"frequency", "1,2,3"}};
        for (const auto& [column, text] : refused) {
            const QModelIndex cell = m_source->index(0, columnOf(columns, column));
            const QString before = cell.data().toString();
            QLineEdit* editor = typeIntoCell(*m_view, cell, text);
            QVERIFY2(editor, column);
            QCOMPARE(editor->text(), QString(text));
            QVERIFY(editor->toolTip().endsWith('.'));
            QCOMPARE(editor->toolTip(), m_source->entryProblem(cell, text));
            QVERIFY(!m_source->setData(cell, text));
            QCOMPARE(cell.data().toString(), before);
            QTest::keyClick(editor, Qt::Key_Escape);
        }

        // The task table's zone numbers and a form's own field refuse the same way.
        TaskDataSource task;
        QAbstractItemModelTester tester(&task, Mode::QtTest);
        auto turnpoints = std::make_shared<Task>();
        turnpoints->addTurnpoint(std::make_shared<Turnpoint>(*m_waypoints[0]));
        task.setData(turnpoints);
        const QModelIndex radius =
            task.index(0, columnOf(TaskDataSource::columnIdentifiers(), "cylinderradius"));
        QVERIFY(!task.setData(radius, "wide"));
        QCOMPARE(task.entryProblem(radius, "wide"),
                 QString("Cylinder radius takes a whole number from 0 to 100000 m."));
        QVERIFY(task.setData(radius, "1500 m"));
        QCOMPARE(turnpoints->turnpoint(0)->getCylinderRadius(), 1500);

        QLineEdit field;
        EntryValidator::attachTo(&field, [](const QString& text) {
            return waypointFieldProblem(WaypointField::latitude, text);
        });
        field.setText("95.0");
        QTest::keyClick(&field, Qt::Key_Return);
        QCOMPARE(field.toolTip(), QString("A latitude lies within 90° north or south."));
        field.setText("S 33 15.5");
        QVERIFY(field.hasAcceptableInput());
    }

    void numberColumnsFollowTheUnitsOfTheSettings() {
        const QStringList& columns = WaypointsDataSource::columnIdentifiers();
        auto cell = [&](const char* column) {
            return m_source->index(0, columnOf(columns, column));
        };
        QCOMPARE(titleOf(*m_source, columns, "elevation"), QString("Elevation (m)"));
        KelvoPrefs::setDistanceUnit(1);
        QCOMPARE(titleOf(*m_source, columns, "runwaylength"), QString("Runway length (ft)"));
        QCOMPARE(cell("elevation").data().toString(), QString("328"));
        QVERIFY(m_source->setData(cell("elevation"), "1000 ft"));
        QCOMPARE(m_waypoints[0]->elevation(), 304.8);
        QVERIFY(m_source->setData(cell("runwaylength"), "3000"));
        QCOMPARE(m_waypoints[0]->runwayLength(), 914);
        QVERIFY(m_source->setData(cell("frequency"), "122,5"));
        QCOMPARE(cell("frequency").data().toString(), QString("122.500"));
        QVERIFY(m_source->setData(cell("type"), "3"));
        QVERIFY(m_source->setData(cell("runwaydirection"), "270°"));
        QCOMPARE(m_waypoints[0]->type(), 3);
        QCOMPARE(m_waypoints[0]->runwayDirection(), 270);
    }

    void totalsLegsAndTitlesFollowTheDistanceUnit() {
        KelvoPrefs::setDistanceUnit(1);
        RoutesDataSource routes;
        QAbstractItemModelTester tester(&routes, Mode::QtTest);
        RouteList list{outAndReturn()};
        routes.setRoutes(&list, &m_waypoints);
        const QStringList& columns = RoutesDataSource::columnIdentifiers();
        const int distance = columnOf(columns, "distance");
        const double kilometres = list[0]->getDistance();
        const QString miles = QString::asprintf("%6.1f", kilometres / 1.609);
        QCOMPARE(routes.index(0, distance).data().toString(), miles);
        QCOMPARE(routes.index(2, distance, routes.index(0, 0)).data().toString(), miles);
        QCOMPARE(titleOf(routes, columns, "distance"), QString("Distance (SM)"));
        QCOMPARE(titleOf(routes, columns, "leg"), QString("Leg (SM)"));

        TaskDataSource task;
        KelvoPrefs::setDistanceUnit(2);
        QCOMPARE(titleOf(task, TaskDataSource::columnIdentifiers(), "distance"),
                 QString("Distance (NM)"));
        KelvoPrefs::setDistanceUnit(9);  // shown in kilometres
        QCOMPARE(titleOf(task, TaskDataSource::columnIdentifiers(), "leg"), QString("Leg (km)"));
    }

    void routeWaypointsMoveByDraggingAndRoutesStayExpanded() {
        RoutesDataSource routes;
        QAbstractItemModelTester tester(&routes, Mode::QtTest);
        RouteList list{outAndReturn(), outAndReturn()};
        list[1]->setName("Back");
        routes.setRoutes(&list, &m_waypoints);
        OutlineView view;
        view.setModel(&routes);
        const QModelIndex out = routes.index(0, 0);
        view.expand(out);

        // A to the end of its route: B, C, A, and B starts the route.
        std::unique_ptr<QMimeData> first(
            routes.mimeData({routes.index(0, 0, out), routes.index(0, 2, out)}));
        QVERIFY(first);
        QVERIFY(routes.dropMimeData(first.get(), Qt::MoveAction, 3, 0, out));
        const WaypointList& moved = list[0]->waypoints();
        QCOMPARE(QString::fromStdString(moved[0]->name() + moved[1]->name() + moved[2]->name()),
                 QString("BCA"));
        QCOMPARE(moved[0]->distanceFromPreviousWaypoint(), 0.0);
        QVERIFY(moved[2]->distanceFromPreviousWaypoint() > 100);

        // Onto a waypoint of the other route: it takes that waypoint's place.
        std::unique_ptr<QMimeData> last(routes.mimeData({routes.index(2, 0, out)}));
        QVERIFY(routes.dropMimeData(last.get(), Qt::MoveAction, -1, 0,
                                    routes.index(1, 0, routes.index(1, 0))));
        QCOMPARE(list[0]->waypoints().size(), std::size_t(2));
        QCOMPARE(list[1]->waypoints()[1]->name(), std::string("A"));
        QVERIFY(!routes.mimeData({out}));

        routes.deleteItem(routes.index(0, 0, out));
        routes.setRoutes(&list, &m_waypoints);
        QVERIFY(view.isExpanded(routes.index(0, 0)));
        QVERIFY(!view.isExpanded(routes.index(1, 0)));
    }

  private:
    WaypointList m_waypoints;
    std::unique_ptr<WaypointsDataSource> m_source;
    std::unique_ptr<QTableView> m_view;
};

KELVO_QTEST_MAIN(EditorsEntryTest)
#include "EditorsEntryTest.moc"
