// The sim headers come before Qt's.
#include "sim/LX/LXRecorderEmulator.h"
#include "sim/PseudoTerminal.h"
#include "sim/demo/DemoIgc.h"
#include "sim/demo/DemoLX.h"

#include <QAbstractItemModelTester>
#include <QFile>
#include <QFileInfo>
#include <QMainWindow>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimeZone>

#include "app/FlightStatisticsPanel.h"
#include "app/FlightView.h"
#include "app/FlightsDataSource.h"
#include "app/IGCViewerController.h"
#include "app/KelvoPrefs.h"
#include "app/KelvoPrefsBasedFormatter.h"
#include "app/LogbookDataSource.h"
#include "app/LogbookWindow.h"
#include "igc/FlightStatistics.h"
#include "igc/KelvoTrace.h"
#include "support/AppTestMain.h"
#include "support/ControllerFixture.h"
#include "support/PreferencesFixture.h"

using namespace kelvo;

// The flights folder against the LX emulator with the demo's four flights, the logbook
// window on that folder, and the statistics in the viewer.
class LogbookTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void init() {
        test::removePreferencesFile();
        QVERIFY(m_scratch.isValid());
        qputenv("XDG_CACHE_HOME", m_scratch.filePath("cache").toUtf8());
        KelvoPrefs::setFlightsFolder(m_scratch.filePath("Flights"));
    }

    void downloadsOnlyTheFlightsNotInTheFolderAndListsThemInTheLogbook() {
        const auto demo = sim::DemoContent::make(sim::DemoSize::Small, 4);
        sim::PseudoTerminal line;
        sim::LXRecorderEmulator recorder(line, 38400);
        sim::loadDemo(recorder, demo);
        test::ControllerFixture fixture({{"Simulated LX", line.slavePath()}}, 0.2);
        fixture.chooseLoggerType("LX/SDI/Filser");
        QVERIFY(fixture.connectAndSelect(LoggerWindow::FlightsTab));
        FlightsDataSource& flights = *fixture.controller.flightsDataSource();
        FlightDownloads& downloads = fixture.controller.flightDownloads();
        QCOMPARE(flights.rowCount(), 4);
        const int inLogbook = int(FlightsDataSource::columnIdentifiers().indexOf("inlogbook"));

        // Two flights are there already, one of them in a subfolder.
        QDir().mkpath(m_scratch.filePath("Flights/2026"));
        const auto igcName = [&](int row) {
            return QFileInfo(QString::fromStdString(*flights.getFlightAtRow(row)->filename))
                       .completeBaseName() +
                   ".IGC";
        };
        const QStringList present = {igcName(1), "2026/" + igcName(3)};
        for (const QString& name : present) {
            QFile file(m_scratch.filePath("Flights/" + name));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        downloads.refreshLogbookColumn();
        QStringList marks;
        for (int row = 0; row < 4; ++row) marks << flights.index(row, inLogbook).data().toString();
        QCOMPARE(marks, QStringList({"", "Yes", "", "Yes"}));

        QVERIFY(fixture.window.downloadNewFlightsButton->isEnabled());
        downloads.downloadNewFlights();
        QVERIFY(fixture.waitForOperation());
        QVERIFY2(downloads.newFlightsSummary().startsWith("Downloaded 2 flight(s)"),
                 qPrintable(downloads.newFlightsSummary()));
        QVERIFY(downloads.newFlightsSummary().contains("Already present: 2."));
        QVERIFY(QFile::exists(m_scratch.filePath("Flights/" + igcName(0))));
        QVERIFY(QFile::exists(m_scratch.filePath("Flights/" + igcName(2))));
        QCOMPARE(QFileInfo(m_scratch.filePath("Flights/" + igcName(1))).size(), 0);  // untouched
        for (int row = 0; row < 4; ++row)
            QCOMPARE(flights.index(row, inLogbook).data().toString(), QString("Yes"));

        downloads.downloadNewFlights();
        QVERIFY(fixture.waitForOperation());
        QVERIFY(downloads.newFlightsSummary().startsWith("Downloaded 0 flight(s)"));

        // The logbook lists the two flights that came, newest first, and opens them.
        QFile::remove(m_scratch.filePath("Flights/" + igcName(1)));
        QFile::remove(m_scratch.filePath("Flights/2026/" + igcName(3)));
        LogbookWindow logbook;
        QStringList opened;
        logbook.setFlightOpener([&opened](const QString& path) { opened << path; });
        QSignalSpy scanned(&logbook, &LogbookWindow::scanFinished);
        logbook.reload();
        QVERIFY(scanned.wait(20000));
        QCOMPARE(logbook.dataSource()->rowCount(), 2);
        QVERIFY(logbook.statusText().startsWith("2 flight(s)"));
        const int newer = flights.getFlightAtRow(0)->date > flights.getFlightAtRow(2)->date ? 0 : 2;
        QCOMPARE(
            logbook.table()->model()->index(0, LogbookDataSource::FileColumn).data().toString(),
            igcName(newer));
        logbook.openFlightAtRow(0);
        QCOMPARE(opened, QStringList({m_scratch.filePath("Flights/" + igcName(newer))}));
    }

    // The header's date is a calendar day (stored as midnight UTC): west of Greenwich it must
    // not become the evening before. Take-off and landing are moments, shown in the zone.
    void showsTheFlightsDayAndTheLocalTimesOfTakeoffAndLanding() {
        using namespace std::chrono;
        KelvoPrefsBasedFormatter::setDisplayTimeZone(QTimeZone("America/Los_Angeles"));
        const sys_seconds july9 = sys_days(2026y / July / 9);
        LogbookEntry headerOnly;
        headerOnly.date = july9;
        LogbookEntry flown = headerOnly;
        flown.takeoff = july9 + 18h;
        flown.landing = july9 + 22h + 30min;
        LogbookEntry evening;  // 19:00 in California is the next day in UTC
        evening.date = july9 + 24h;
        evening.takeoff = july9 + 26h;
        LogbookDataSource model;
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setEntries({headerOnly, flown, evening});
        const auto text = [&model](int row, int column) {
            return model.index(row, column).data().toString();
        };
        const QStringList days{text(0, LogbookDataSource::DateColumn),
                               text(1, LogbookDataSource::DateColumn),
                               text(2, LogbookDataSource::DateColumn)};
        QCOMPARE(days, QStringList({"2026-07-09", "2026-07-09", "2026-07-09"}));
        QCOMPARE(text(1, LogbookDataSource::TakeoffColumn), QString("11:00:00"));
        QCOMPARE(text(1, LogbookDataSource::LandingColumn), QString("15:30:00"));
        QCOMPARE(text(2, LogbookDataSource::TakeoffColumn), QString("19:00:00"));
        QCOMPARE(text(0, LogbookDataSource::TakeoffColumn), QString());
        KelvoPrefsBasedFormatter::setDisplayTimeZone(QTimeZone::utc());
    }

    void showsTheStatisticsOfTheChosenFlightBesideTheBarogram() {
        const auto demo = sim::DemoContent::make(sim::DemoSize::Small);
        const std::string text = sim::demoIgcFile(demo.flights[0], sim::DemoRecorder{});
        IGCViewerController viewer;
        viewer.addIGCFileWithData(QByteArray::fromStdString(text), "flight.igc");
        const FlightStatistics statistics =
            FlightStatistics::of(KelvoTrace(Bytes(text.begin(), text.end()), "flight.igc"));
        FlightStatisticsPanel& panel = *viewer.statisticsPanel();
        QCOMPARE(panel.valueOf("Take-off"),
                 KelvoPrefsBasedFormatter::getTimeDescription(*statistics.takeoff));
        QCOMPARE(panel.valueOf("Distance flown"),
                 KelvoPrefsBasedFormatter::getDistanceDescription(statistics.distanceFlown));
        QCOMPARE(
            panel.valueOf("Free distance (3 turnpoints)"),
            KelvoPrefsBasedFormatter::getDistanceDescription(statistics.freeDistance->distance));
        QCOMPARE(viewer.flightView()->freeDistance()->fixIndices,
                 statistics.freeDistance->fixIndices);
        QTemporaryDir folder;
        for (const char* name : {"flight.kml", "flight.gpx"}) {
            QVERIFY(viewer.exportShownFlightTo(folder.filePath(name)));
            QVERIFY(viewer.viewerWindow()->statusBar()->currentMessage().contains(name));
        }
        QVERIFY(QFileInfo(folder.filePath("flight.gpx")).size() > 0);
        viewer.addIGCFileWithData({}, "empty.igc");
        QCOMPARE(panel.valueOf("Take-off"), QString("–"));
    }

  private:
    QTemporaryDir m_scratch;
};

KELVO_QTEST_MAIN(LogbookTest)
#include "LogbookTest.moc"
