#include <QAbstractItemModelTester>
#include <QDialog>
#include <QFile>
#include <QHeaderView>
#include <QImage>
#include <QItemSelectionModel>
#include <QListWidget>
#include <QMainWindow>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTableView>
#include <QTemporaryDir>
#include <memory>
#include <optional>

#include "app/FlightView.h"
#include "app/IGCFilesDataSource.h"
#include "app/IGCHeaderDataSource.h"
#include "app/IGCTaskDataSource.h"
#include "app/IGCViewerController.h"
#include "app/KelvoPrefs.h"
#include "app/TrackProjection.h"
#include "base/Beep.h"
#include "geo/Waypoint.h"
#include "igc/KelvoTrace.h"
#include "support/AppTestMain.h"
#include "support/PreferencesFixture.h"

using namespace kelvo;

namespace {

// A short flight with a declared task: out to the north-east and back home.
const QByteArray kLakesFlight =
    "AXKV001\r\n"
    "HFDTE150708\r\n"
    "HFPLTPILOTINCHARGE:Jane Doe\r\n"
    "HFGTYGLIDERTYPE:LS8\r\n"
    "C150708105512150708000102\r\n"
    "C0000000N00000000ETAKEOFF\r\n"
    "C5206343N00006198WSTART Home\r\n"
    "C5230000N00130000ETP1 North Lake\r\n"
    "C5206343N00006198WFINISH Home\r\n"
    "B1101355206343N00006198WA005870055803509012\r\n"
    "B1201455230000N00130000EA009000120003509010\r\n"
    "B1301555206500N00006000WA005950060003509010\r\n";

const QByteArray kHillFlight =
    "AXKV002\r\n"
    "HFDTE160708\r\n"
    "HFPLTPILOTINCHARGE:Ann Roe\r\n"
    "C160708090000160708000101\r\n"
    "C5200000N00200000ETP Hill\r\n"
    "B0900005200000N00200000EA003000030003509010\r\n";

QString cell(const QAbstractItemModel& model, int row, int column) {
    return model.data(model.index(row, column)).toString();
}

QStringList column(const QAbstractItemModel& model, int column) {
    QStringList texts;
    for (int row = 0; row < model.rowCount(); ++row) texts << cell(model, row, column);
    return texts;
}

TracePosition fixAt(double latitude, double longitude, double altitude, int second) {
    return TracePosition(Position::fromDegrees(latitude, longitude, altitude),
                         std::chrono::sys_seconds(std::chrono::seconds(second)));
}

}  // namespace

class IGCViewerTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void init() {
        test::removePreferencesFile();
        m_beeps = 0;
        setBeepHandler([this] { ++m_beeps; });
        m_viewer = std::make_unique<IGCViewerController>();
        for (QAbstractItemModel* model :
             {static_cast<QAbstractItemModel*>(m_viewer->igcFilesDataSource()),
              static_cast<QAbstractItemModel*>(m_viewer->headerDataSource()),
              static_cast<QAbstractItemModel*>(m_viewer->taskDataSource())})
            new QAbstractItemModelTester(
                model, QAbstractItemModelTester::FailureReportingMode::QtTest, model);
    }

    void cleanup() {
        m_viewer.reset();
        setBeepHandler({});
    }

    void addedFlightsAccumulateAndOnlyASingleSelectedRowShowsItsFlight() {
        m_viewer->addIGCFileWithData(kLakesFlight, "lakes.igc");
        QTableView* files = m_viewer->igcFileTableView();
        files->selectRow(0);
        m_viewer->addIGCFileWithData(kHillFlight, "hill.igc");
        QCOMPARE(column(*m_viewer->igcFilesDataSource(), 0),
                 QStringList({"lakes.igc", "hill.igc"}));
        // The new flight is shown while the other row stays selected.
        const QModelIndexList selected = files->selectionModel()->selectedRows();
        QCOMPARE(selected.size(), 1);
        QCOMPARE(selected.first().row(), 0);
        QVERIFY(column(*m_viewer->headerDataSource(), 1).contains("Ann Roe"));
        QCOMPARE(column(*m_viewer->taskDataSource(), 0), QStringList({"TP Hill"}));
        QCOMPARE(m_viewer->flightView()->trace(), m_viewer->traces().back());
        m_viewer->removeIGCFile();  // only beeps
        QCOMPARE(m_beeps, 1);
        QCOMPARE(m_viewer->traces().size(), std::size_t(2));

        files->selectAll();
        QCOMPARE(m_viewer->headerDataSource()->rowCount(), 0);
        QCOMPARE(m_viewer->taskDataSource()->rowCount(), 0);
        QVERIFY(!m_viewer->flightView()->trace());
        files->selectRow(0);
        QCOMPARE(column(*m_viewer->headerDataSource(), 0), QStringList({"DTE", "GTY", "PLT"}));
        QCOMPARE(column(*m_viewer->taskDataSource(), 0),
                 QStringList({"TAKEOFF", "START Home", "TP1 North Lake", "FINISH Home"}));
        files->clearSelection();
        QCOMPARE(m_viewer->headerDataSource()->rowCount(), 0);
    }

    void selectedFlightListsItsIgcProblems() {
        m_viewer->addIGCFileWithData(kLakesFlight, "lakes.igc");
        m_viewer->addIGCFileWithData(
            "AXKV003\r\nHFDTE160708\r\nB0900005200000N00200000EA0030000300\r\n", "sound.igc");
        const QListWidget& problems = *m_viewer->problemList();
        QCOMPARE(problems.count(), 1);
        QCOMPARE(problems.item(0)->text(), QString("IGC check: ok"));

        m_viewer->igcFileTableView()->selectRow(0);
        QCOMPARE(problems.item(0)->text(),
                 QString("line 5: the declaration announces 6 C points, 4 follow"));
        m_viewer->igcFileTableView()->selectAll();
        QCOMPARE(problems.count(), 0);
    }

    void flightsWithoutRecordsShowEmptyTablesAndUnreadableFilesAreRefused() {
        m_viewer->addIGCFileWithData("B0900005200000N00200000EA003000030003509010\r\n",
                                     "fixes-only.igc");
        QCOMPARE(m_viewer->headerDataSource()->rowCount(), 0);
        QCOMPARE(m_viewer->taskDataSource()->rowCount(), 0);

        const QTemporaryDir folder;
        for (const QString& path : {folder.filePath("missing.igc"), QString("/dev/zero")}) {
            m_viewer->addIGCFileWithPath(path);
            QCOMPARE(m_viewer->traces().size(), std::size_t(1));
            QVERIFY(m_viewer->viewerWindow()->statusBar()->currentMessage().startsWith(path));
        }
    }

    void fileChooserAddsOnlyOnOk() {
        const QTemporaryDir folder;
        const QString path = folder.filePath("chosen.igc");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(kHillFlight);
        file.close();

        m_viewer->openPanelDidEnd(QDialog::Rejected, {path});
        QCOMPARE(m_viewer->igcFilesDataSource()->rowCount(), 0);
        m_viewer->openPanelDidEnd(QDialog::Accepted, {path});
        QCOMPARE(cell(*m_viewer->igcFilesDataSource(), 0, 0), QString("chosen.igc"));
        QCOMPARE(m_viewer->traces().front()->points().size(), std::size_t(1));
    }

    void taskCoordinatesFollowTheNotationWhenRedrawn() {
        m_viewer->addIGCFileWithData(kHillFlight, "hill.igc");
        KelvoPrefs::setCoordinateNotation(0);
        const QString decimalDegrees = cell(*m_viewer->taskDataSource(), 0, 1);
        KelvoPrefs::setCoordinateNotation(1);
        QSignalSpy changed(m_viewer->taskDataSource(), &QAbstractItemModel::dataChanged);
        m_viewer->preferencesDidChange();
        QCOMPARE(changed.count(), 1);
        const QString decimalMinutes = cell(*m_viewer->taskDataSource(), 0, 1);
        QVERIFY(decimalDegrees != decimalMinutes);
        QVERIFY(decimalMinutes.contains("52"));
    }

    void projectionCentresTheTrackNorthUpKeepsItsShapeAndSkipsPlaceholders() {
        // Half a degree of longitude at 60 degrees north is as long as a quarter degree of
        // latitude.
        const std::vector<TracePosition> fixes{fixAt(60.0, 10.0, 0, 0), fixAt(60.25, 10.5, 0, 1)};
        const QRectF area(0, 0, 400, 200);
        const TrackProjection projection(fixes, {}, area);
        const QPointF southWest = projection.map(fixes[0].position());
        const QPointF northEast = projection.map(fixes[1].position());
        QVERIFY(northEast.x() > southWest.x());
        QVERIFY(northEast.y() < southWest.y());
        QCOMPARE(qRound((southWest + northEast).x() / 2), qRound(area.center().x()));
        QCOMPARE(qRound((southWest + northEast).y() / 2), qRound(area.center().y()));
        const double width = northEast.x() - southWest.x();
        const double height = southWest.y() - northEast.y();
        QVERIFY(qAbs(width / height - 1.0) < 0.01);
        QVERIFY(area.contains(southWest) && area.contains(northEast));

        // A task's placeholder points take no part.
        const std::vector<std::shared_ptr<Waypoint>> task{Waypoint::fromDegrees("TAKEOFF", 0, 0, 0),
                                                          Waypoint::fromDegrees("A", 45, 7, 0)};
        QCOMPARE(TrackProjection({}, task, area).map(*task[1]), area.center());
    }

    void headerValuesLeaveOutTheirLabels() {
        m_viewer->addIGCFileWithData(
            "HFPLTPILOTINCHARGE:Anna Keller\r\n"
            "HFCCLCompetition Class :18m\r\n"
            "HFTZNTIMEZONE:+1.00\r\n"
            "HFDTM100GPSDATUM:WGS-1984\r\n"
            "HFSIT12:30 start\r\n"
            "HFDTE150708\r\n"
            "HFRFWFIRMWAREVERSION:v2.1\r\n",
            "labels.igc");
        // In the order of the record codes: CCL, DTE, DTM, PLT, RFW, SIT, TZN.
        QCOMPARE(column(*m_viewer->headerDataSource(), 1),
                 QStringList(
                     {"18m", "150708", "WGS-1984", "Anna Keller", "v2.1", "12:30 start", "+1.00"}));
    }

    void barogramRunsFromFirstToLastFixAndLowToHighWithGapsAtInvalidFixes() {
        std::vector<TracePosition> fixes{fixAt(50, 8, 300, 0), fixAt(50, 8, 1300, 600),
                                         fixAt(50, 8, 800, 1200)};
        const QRectF area(10, 20, 300, 100);
        QList<QPolygonF> lines = FlightView::barogramLines(fixes, area);
        QCOMPARE(lines.size(), 1);
        QCOMPARE(lines[0], QPolygonF({QPointF(10, 120), QPointF(160, 20), QPointF(310, 70)}));

        // A "V" fix has no altitude: no point at its time, and the lowest altitude stays 300.
        const auto invalid = TracePosition::fromIgcBRecord("B0905005000000N00800000EV000000000000",
                                                           std::chrono::sys_seconds{});
        QVERIFY(invalid && !invalid->isValid());
        TracePosition gap = *invalid;
        gap.setTimeStamp(std::chrono::sys_seconds(std::chrono::seconds(300)));
        fixes.insert(fixes.begin() + 1, gap);
        lines = FlightView::barogramLines(fixes, area);
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines[0], QPolygonF({QPointF(10, 120)}));
        QCOMPARE(lines[1], QPolygonF({QPointF(160, 20), QPointF(310, 70)}));

        const QList<QPolygonF> level = FlightView::barogramLines({fixAt(50, 8, 500, 0)}, area);
        QCOMPARE(level.first().first(), QPointF(160, 70));
    }

    void takeoffAndLandingAreTheFirstAndLastMovingFix() {
        // 0.001 degree of latitude is 111 m: 11 m/s over 10 s, a walk at 1 m/s is not.
        const std::vector<TracePosition> fixes{
            fixAt(50.0, 8, 500, 0), fixAt(50.0001, 8, 500, 100), fixAt(50.0011, 8, 500, 110),
            fixAt(50.0021, 8, 500, 120), fixAt(50.0022, 8, 500, 220)};
        QCOMPARE(FlightView::takeoffAndLanding(fixes),
                 std::make_pair(std::size_t(1), std::size_t(3)));
        QCOMPARE(FlightView::takeoffAndLanding({fixes[0]}),
                 std::make_pair(std::size_t(0), std::size_t(0)));
    }

    void fittedViewHoldsEveryFixAndTaskPointAndZoomAndPanMoveIt() {
        // The task reaches far beyond the short track.
        m_viewer->addIGCFileWithData(kLakesFlight + "C5400000N00500000ETP2 Far North East\r\n",
                                     "lakes.igc");
        FlightView& view = *m_viewer->flightView();
        view.resize(500, 500);
        const std::shared_ptr<KelvoTrace>& trace = m_viewer->traces().back();
        const QRectF area = FlightView::trackArea(view.rect());
        const TrackProjection fitted = view.trackProjection();
        for (const TracePosition& fix : trace->points())
            QVERIFY(area.contains(fitted.map(fix.position())));
        for (const auto& point : trace->waypoints())
            if (!TrackProjection::isPlaceholder(*point)) QVERIFY(area.contains(fitted.map(*point)));

        // Zooming keeps the point under the mouse and doubles distances from it.
        const Position home = trace->points().front().position();
        const Position far = *trace->waypoints().back();
        const QPointF mouse = fitted.map(home);
        view.zoomAt(mouse, 2);
        const QPointF zoomedHome = view.trackProjection().map(home);
        QVERIFY((zoomedHome - mouse).manhattanLength() < 0.01);
        const QPointF before = fitted.map(far) - mouse;
        const QPointF after = view.trackProjection().map(far) - mouse;
        QVERIFY((after - 2 * before).manhattanLength() < 0.01);

        view.panBy(QPointF(30, -20));
        QVERIFY((view.trackProjection().map(home) - (mouse + QPointF(30, -20))).manhattanLength() <
                0.01);
        QTest::keyClick(&view, Qt::Key_Home);
        QVERIFY((view.trackProjection().map(far) - fitted.map(far)).manhattanLength() < 0.01);
    }

    void surfaceDrawsTheSelectedFlight() {
        FlightView view;
        view.resize(400, 400);
        const QImage empty = view.grab().toImage();
        m_viewer->addIGCFileWithData(kLakesFlight, "lakes.igc");
        view.setTrace(m_viewer->traces().back());
        const QImage drawn = view.grab().toImage();
        QCOMPARE(drawn.size(), empty.size());
        QVERIFY(drawn != empty);
        const QPointF start =
            view.trackProjection().map(m_viewer->traces().back()->points().front().position());
        QVERIFY(drawn.pixelColor(start.toPoint()) != QColor(Qt::white));
    }

    void theFixUnderTheMouseIsMarkedFromTrackOrBarogram() {
        m_viewer->addIGCFileWithData(kLakesFlight, "lakes.igc");
        FlightView& view = *m_viewer->flightView();
        view.resize(500, 500);
        const auto& fixes = m_viewer->traces().back()->points();
        view.hoverAt(view.trackProjection().map(fixes[1].position()) + QPointF(2, 2));
        QCOMPARE(view.hoveredFix(), std::optional<std::size_t>(1));
        const QRectF barogram = FlightView::barogramArea(view.rect());
        view.hoverAt(QPointF(barogram.right() - 1, barogram.center().y()));
        QCOMPARE(view.hoveredFix(), std::optional<std::size_t>(2));
        view.hoverAt(QPointF(1, 1));
        QCOMPARE(view.hoveredFix(), std::nullopt);
    }

  private:
    std::unique_ptr<IGCViewerController> m_viewer;
    int m_beeps = 0;
};

KELVO_QTEST_MAIN(IGCViewerTest)
#include "IGCViewerTest.moc"
