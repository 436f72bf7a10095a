#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QTemporaryDir>

#include "app/ExportPanelController.h"
#include "app/RoutesDataSource.h"
#include "app/WaypointsComboDataSource.h"
#include "app/WaypointsDataSource.h"
#include "base/Log.h"
#include "geo/Route.h"
#include "support/AppTestMain.h"
#include "support/ControllerFixture.h"
#include "support/MessageBoxAnswerer.h"
#include "support/PreferencesFixture.h"

using namespace kelvo;

namespace {

WaypointList numberedWaypoints(int count) {
    WaypointList waypoints;
    for (int i = 0; i < count; ++i)
        waypoints.push_back(
            Waypoint::fromDegrees(stringf("WP%02d", i), 47 + i * 0.1, 8 + i * 0.1, 400 + i));
    return waypoints;
}

QStringList names(const WaypointList& waypoints) {
    QStringList list;
    for (const auto& waypoint : waypoints) list << QString::fromStdString(waypoint->name());
    return list;
}

}  // namespace

// Waypoint files written from and read into the connected logger's data through the
// registered formats.
class ImportExportFlowTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void init() {
        test::removePreferencesFile();
        m_fixture = std::make_unique<test::ControllerFixture>();
        m_fixture->script->waypoints = numberedWaypoints(10);
        auto route = std::make_shared<Route>();
        route->setValue("Triangle",
                        {m_fixture->script->waypoints[0], m_fixture->script->waypoints[3],
                         m_fixture->script->waypoints[6], m_fixture->script->waypoints[0]});
        m_fixture->script->routes = {route};
        QVERIFY(m_fixture->connectAndSelect(LoggerWindow::DatabaseTab));
        QCOMPARE(logger().loggerData().waypoints().size(), std::size_t(10));
    }

    void cleanup() { m_fixture.reset(); }

    void exportPanelOffersTheRegisteredFormats() {
        flow().exportFile();
        QFileDialog* panel = m_fixture->controller.filePanel();
        QVERIFY(panel);
        auto* accessory = panel->findChild<ExportPanelController*>();
        QVERIFY(accessory);
        QCOMPARE(accessory->fileTypes(), QStringList({"DBT", "DA4", "CUP"}));
        // The second, DA4, comes chosen; it holds waypoints only, and the boxes say so.
        QVERIFY(accessory->waypointsCheckbox->isChecked());
        for (QCheckBox* box :
             {accessory->routesCheckbox, accessory->declarationCheckbox, accessory->infoCheckbox})
            QVERIFY(!box->isChecked() && !box->isEnabled());
        panel->reject();
    }

    void importMergesOrReplacesAndTellsWhatItRead() {
        const QTemporaryDir folder;
        const QString three = folder.filePath("three.dbt");
        const WaypointList all = logger().loggerData().waypoints();
        logger().loggerData().setWaypoints(
            {all[0], all[1], Waypoint::fromDegrees("EXTRA", 46, 7, 500)});
        flow().exportPanelDidEnd(QDialog::Accepted, three);
        QVERIFY(QFile::exists(three));
        logger().loggerData().setWaypoints(all);

        {
            const test::MessageBoxAnswerer merge("Merge");
            flow().importPanelDidEnd(QDialog::Accepted, three);
            QVERIFY(merge.texts.value(0).contains("three.dbt holds 3 waypoints and 0 routes"));
        }
        // Same names replaced in place, the new one added.
        QCOMPARE(logger().loggerData().waypoints().size(), std::size_t(11));
        QVERIFY(logger().loggerData().waypoints()[1] != all[1]);
        QCOMPARE(logger().loggerData().waypoints()[2], all[2]);
        QCOMPARE(logger().loggerData().waypoints().back()->name(), std::string("EXTRA"));
        QCOMPARE(m_fixture->window.statusLine->text(),
                 QString("Read 3 waypoints and 0 routes from three.dbt."));

        const CapturingLogSink log;
        {
            const test::MessageBoxAnswerer replace("Replace");
            flow().importPanelDidEnd(QDialog::Accepted, three);
        }
        QVERIFY(log.contains("Imported 3 waypoints."));
        QCOMPARE(names(logger().loggerData().waypoints()), QStringList({"WP00", "WP01", "EXTRA"}));
        QCOMPARE(m_fixture->controller.waypointsDataSource()->rowCount(), 3);
        QCOMPARE(m_fixture->controller.waypointsComboDataSource()->rowCount(), 4);
        // A DBT file holds no routes: the logger's stay.
        QCOMPARE(logger().loggerData().routes().size(), std::size_t(1));
    }

    void cupRoundTripKeepsWaypointsAndRoutes() {
        const QTemporaryDir folder;
        const QString file = folder.filePath("all.cup");
        flow().exportPanelDidEnd(QDialog::Accepted, file);
        logger().loggerData().setWaypoints({});
        logger().loggerData().setRoutes({});
        flow().importPanelDidEnd(QDialog::Accepted, file);
        QCOMPARE(names(logger().loggerData().waypoints()), names(numberedWaypoints(10)));
        QCOMPARE(logger().loggerData().waypoints()[4]->latitudeDegrees(), 47.4);
        QCOMPARE(logger().loggerData().routes().size(), std::size_t(1));
        QCOMPARE(names(logger().loggerData().routes()[0]->waypoints()),
                 QStringList({"WP00", "WP03", "WP06", "WP00"}));
        QCOMPARE(m_fixture->controller.routesDataSource()->rowCount(), 1);
    }

    // A line that cannot be read is named; the rest is taken only when the user says so.
    void importOfAFileWithBadLinesListsThemAndTakesTheRestOnRequest() {
        const QTemporaryDir folder;
        const QString cup = folder.filePath("bad.cup");
        QFile file(cup);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(
            "name,code,country,lat,lon,elev,style,rwdir,rwlen,freq,desc\n"
            "\"Good\",GOOD,DE,4719.500N,00831.200E,95.0m,1,0,0.0m,,\n"
            "\"Over\",OVER,DE,4760.500N,00831.200E,95.0m,1,0,0.0m,,\n");
        file.close();
        {
            const test::MessageBoxAnswerer cancel("Cancel");
            flow().importPanelDidEnd(QDialog::Accepted, cup);
            QVERIFY(cancel.texts.value(0).contains(
                "line 3: \"Over\" has no readable latitude (\"4760.500N\")"));
        }
        QCOMPARE(logger().loggerData().waypoints().size(), std::size_t(10));
        {
            const test::MessageBoxAnswerer importRest("Import the Rest");
            const test::MessageBoxAnswerer replace("Replace");
            flow().importPanelDidEnd(QDialog::Accepted, cup);
        }
        QCOMPARE(names(logger().loggerData().waypoints()), QStringList({"GOOD"}));
        QCOMPARE(m_fixture->window.statusLine->text(),
                 QString("Read 1 waypoints and 0 routes from bad.cup. Lines skipped as "
                         "unreadable: 1."));
    }

    void cancelUnknownExtensionsAndFilesWithoutWaypointsTouchNothing() {
        const QTemporaryDir folder;
        flow().exportPanelDidEnd(QDialog::Rejected, folder.filePath("no.cup"));
        flow().exportPanelDidEnd(QDialog::Accepted, folder.filePath("no.txt"));
        QVERIFY(QDir(folder.path()).isEmpty());

        const QString cup = folder.filePath("some.cup");
        flow().exportPanelDidEnd(QDialog::Accepted, cup);
        QVERIFY(QFile::copy(cup, folder.filePath("some.txt")));
        logger().loggerData().waypoints().resize(2);
        flow().importPanelDidEnd(QDialog::Rejected, cup);
        flow().importPanelDidEnd(QDialog::Accepted, folder.filePath("some.txt"));
        QCOMPARE(logger().loggerData().waypoints().size(), std::size_t(2));

        // Files without waypoints, or no file at all, replace nothing and say so.
        QVERIFY(QFile(folder.filePath("empty.cup")).open(QIODevice::WriteOnly));
        QVERIFY(QDir(folder.path()).mkdir("folder.cup"));
        for (const QString& name : {QString("empty.cup"), QString("folder.cup")}) {
            flow().importPanelDidEnd(QDialog::Accepted, folder.filePath(name));
            QCOMPARE(logger().loggerData().waypoints().size(), std::size_t(2));
            const QString status = m_fixture->window.statusLine->text();
            QVERIFY2(status.startsWith("Import failed: ") && status.contains(name),
                     qPrintable(status));
        }
    }

  private:
    Logger& logger() { return *m_fixture->controller.logger(); }
    ImportExportFlow& flow() { return m_fixture->controller.importExport(); }

    std::unique_ptr<test::ControllerFixture> m_fixture;
};

KELVO_QTEST_MAIN(ImportExportFlowTest)
#include "ImportExportFlowTest.moc"
