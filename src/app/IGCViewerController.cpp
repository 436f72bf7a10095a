#include "app/IGCViewerController.h"

#include <QAction>
#include <QDockWidget>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QListWidget>
#include <QMainWindow>
#include <QSplitter>
#include <QStatusBar>
#include <QTableView>
#include <QToolBar>

#include "app/FlightStatisticsPanel.h"
#include "app/FlightView.h"
#include "app/IGCHeaderDataSource.h"
#include "app/IGCTaskDataSource.h"
#include "base/Beep.h"
#include "igc/FlightStatistics.h"
#include "base/InputFile.h"
#include "igc/FlightExport.h"
#include "igc/IGCCheck.h"
#include "igc/KelvoTrace.h"

namespace kelvo {

namespace {

// Named, so that the window's layout keeps its column widths; the columns fit what they
// show whenever the table gets new data.
QTableView* makeTable(QWidget* parent, const QString& name, QAbstractItemModel* model,
                      QAbstractItemView::SelectionMode mode) {
    auto* table = new QTableView(parent);
    table->setObjectName(name);
    table->setModel(model);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(mode);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->horizontalHeader()->setStretchLastSection(true);
    table->verticalHeader()->setVisible(false);
    table->setWordWrap(false);
    QObject::connect(model, &QAbstractItemModel::modelReset, table,
                     &QTableView::resizeColumnsToContents);
    return table;
}

}  // namespace

IGCViewerController::IGCViewerController(QObject* parent)
    : QObject(parent),
      m_igcFilesDataSource(new IGCFilesDataSource(this)),
      m_headerDataSource(new IGCHeaderDataSource(this)),
      m_taskDataSource(new IGCTaskDataSource(this)) {
    makeWindow();
}

IGCViewerController::~IGCViewerController() {
    delete m_viewerWindow;
}

void IGCViewerController::makeWindow() {
    m_viewerWindow = new QMainWindow;
    m_viewerWindow->setWindowTitle(tr("IGC Viewer"));
    m_viewerWindow->installEventFilter(this);

    auto* tables = new QSplitter(Qt::Vertical);
    tables->setObjectName(QStringLiteral("tablesSplitter"));
    m_headerTableView =
        makeTable(tables, "header", m_headerDataSource, QAbstractItemView::NoSelection);
    m_taskTableView = makeTable(tables, "task", m_taskDataSource, QAbstractItemView::NoSelection);
    m_statisticsPanel = new FlightStatisticsPanel(tables);
    tables->addWidget(m_statisticsPanel);
    m_problemList = new QListWidget(tables);
    m_problemList->setObjectName(QStringLiteral("igcProblems"));
    auto* central = new QSplitter(Qt::Horizontal, m_viewerWindow);
    central->setObjectName(QStringLiteral("viewerSplitter"));
    m_flightView = new FlightView(central);
    central->addWidget(m_flightView);
    central->addWidget(tables);
    central->setStretchFactor(0, 3);
    central->setStretchFactor(1, 2);
    // Room for the header's values and every column of the task.
    central->setSizes({600, 440});
    m_viewerWindow->setCentralWidget(central);

    m_drawer = new QDockWidget(tr("Flights"), m_viewerWindow);
    m_drawer->setObjectName(QStringLiteral("flightsDrawer"));
    m_igcFileTableView =
        makeTable(m_drawer, "files", m_igcFilesDataSource, QAbstractItemView::ExtendedSelection);
    m_drawer->setWidget(m_igcFileTableView);
    m_viewerWindow->addDockWidget(Qt::LeftDockWidgetArea, m_drawer);
    connect(m_igcFileTableView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &IGCViewerController::tableViewSelectionDidChange);

    QToolBar* toolBar = m_viewerWindow->addToolBar(tr("Flights"));
    toolBar->setObjectName(QStringLiteral("flightsToolBar"));
    toolBar->addAction(tr("Add IGC File…"), this, &IGCViewerController::addIGCFile);
    toolBar->addAction(tr("Remove"), this, &IGCViewerController::removeIGCFile);
    toolBar->addAction(tr("Export Flight…"), this, &IGCViewerController::exportFlight);
    toolBar->addAction(m_drawer->toggleViewAction());
    m_viewerWindow->resizeDocks({m_drawer}, {170}, Qt::Horizontal);
    m_viewerWindow->resize(1240, 800);
}

void IGCViewerController::showWindow() {
    m_viewerWindow->show();
    m_viewerWindow->raise();
    m_viewerWindow->activateWindow();
}

void IGCViewerController::addIGCFile() {
    auto* panel = new QFileDialog(m_viewerWindow, tr("Choose file"));
    panel->setFileMode(QFileDialog::ExistingFile);
    panel->setAttribute(Qt::WA_DeleteOnClose);
    connect(panel, &QFileDialog::finished, this,
            [this, panel](int result) { openPanelDidEnd(result, panel->selectedFiles()); });
    panel->open();
}

void IGCViewerController::openPanelDidEnd(int result, const QStringList& files) {
    if (result == QDialog::Accepted && !files.isEmpty()) addIGCFileWithPath(files.first());
}

void IGCViewerController::addIGCFileWithPath(const QString& path) {
    InputFile file = readInputFile(path.toStdString());
    if (!file) {
        m_viewerWindow->statusBar()->showMessage(QString::fromStdString(file.error));
        beep();
        return;
    }
    addTrace(std::make_shared<KelvoTrace>(std::move(file.bytes),
                                          QFileInfo(path).fileName().toStdString()));
}

void IGCViewerController::addIGCFileWithData(const QByteArray& data, const QString& name) {
    addTrace(std::make_shared<KelvoTrace>(Bytes(data.begin(), data.end()), name.toStdString()));
}

void IGCViewerController::addTrace(const std::shared_ptr<KelvoTrace>& trace) {
    m_traces.push_back(trace);
    m_igcFilesDataSource->setData(m_traces);
    showTrace(trace);
}

void IGCViewerController::exportFlight() {
    const auto& trace = m_flightView->trace();
    if (!trace) return beep();
    const QString kml = tr("Google Earth (*.kml)");
    auto* panel = new QFileDialog(m_viewerWindow, tr("Export Flight"));
    panel->setAcceptMode(QFileDialog::AcceptSave);
    panel->setNameFilters({kml, tr("GPS exchange (*.gpx)")});
    panel->selectFile(QFileInfo(QString::fromStdString(trace->fileName())).completeBaseName());
    panel->setAttribute(Qt::WA_DeleteOnClose);
    connect(panel, &QFileDialog::finished, this, [this, panel, kml](int result) {
        if (result != QDialog::Accepted || panel->selectedFiles().isEmpty()) return;
        QString path = panel->selectedFiles().first();
        const QString suffix = panel->selectedNameFilter() == kml ? "kml" : "gpx";
        if (QFileInfo(path).suffix().isEmpty()) path += "." + suffix;
        exportShownFlightTo(path);
    });
    panel->open();
}

bool IGCViewerController::exportShownFlightTo(const QString& path) {
    const auto& trace = m_flightView->trace();
    if (!trace) return false;
    const auto format = FlightExport::formatNamed(QFileInfo(path).suffix().toStdString())
                            .value_or(FlightExport::Format::Kml);
    const bool written = FlightExport::write(*trace, format, path.toStdString());
    m_viewerWindow->statusBar()->showMessage(written ? tr("Exported the flight to %1").arg(path)
                                                     : tr("Could not write %1").arg(path));
    if (!written) beep();
    return written;
}

void IGCViewerController::removeIGCFile() {
    beep();
}

bool IGCViewerController::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_viewerWindow && event->type() == QEvent::WindowActivate) windowDidBecomeKey();
    return QObject::eventFilter(watched, event);
}

void IGCViewerController::windowDidBecomeKey() {
    if (m_drawer->isHidden()) m_drawer->show();
}

void IGCViewerController::tableViewSelectionDidChange() {
    const QModelIndexList rows = m_igcFileTableView->selectionModel()->selectedRows();
    showTrace(rows.size() == 1 ? m_igcFilesDataSource->traceAtRow(rows.first().row()) : nullptr);
}

void IGCViewerController::preferencesDidChange() {
    m_taskDataSource->notationDidChange();
    m_flightView->update();
}

void IGCViewerController::showTrace(const std::shared_ptr<KelvoTrace>& trace) {
    m_headerDataSource->setData(trace ? trace->header() : IGCHeaderDataSource::Header{});
    m_taskDataSource->setData(trace ? trace->waypoints() : IGCTaskDataSource::Waypoints{});
    // The scored distance is the costly figure: computed once, shown in the panel and drawn.
    const auto statistics =
        trace ? std::optional(FlightStatistics::of(*trace)) : std::optional<FlightStatistics>();
    m_flightView->setTrace(trace, statistics ? statistics->freeDistance : std::nullopt);
    m_statisticsPanel->setStatistics(statistics);
    showProblems(trace.get());
}

void IGCViewerController::showProblems(const KelvoTrace* trace) {
    m_problemList->clear();
    if (!trace) return;
    const Bytes& data = trace->igcData();
    const auto problems = IGCCheck::checkText(
        std::string_view(reinterpret_cast<const char*>(data.data()), data.size()));
    if (problems.empty()) m_problemList->addItem(tr("IGC check: ok"));
    for (const IGCProblem& problem : problems) {
        m_problemList->addItem(QString::fromStdString(problem.text()));
    }
}

}  // namespace kelvo
