#pragma once

#include <QByteArray>
#include <QObject>
#include <QStringList>
#include <memory>

#include "app/IGCFilesDataSource.h"

class QDockWidget;
class QListWidget;
class QMainWindow;
class QTableView;

namespace kelvo {

class FlightStatisticsPanel;
class FlightView;
class IGCHeaderDataSource;
class IGCTaskDataSource;

// The IGC viewer: a window that collects IGC flights, from files or handed over by the
// logger controller, and shows one at a time: its header records, its declared task, and
// its track and barogram, and what a scorer would object to in its structure. Flights stay
// loaded as long as the controller lives.
class IGCViewerController : public QObject {
    Q_OBJECT

  public:
    explicit IGCViewerController(QObject* parent = nullptr);
    ~IGCViewerController() override;

    // Shows the window and brings it to the front.
    void showWindow();

    // Opens the file chooser as a sheet on the viewer window.
    void addIGCFile();
    // The chooser's end: only OK (1) adds the chosen file.
    void openPanelDidEnd(int result, const QStringList& files);
    // A file that cannot be read (missing, no regular file, over the size limit) adds
    // nothing: the window's status line says why.
    void addIGCFileWithPath(const QString& path);
    // Appends the flight and shows it at once, whatever row the files table selects.
    void addIGCFileWithData(const QByteArray& data, const QString& name);
    // Opens the save chooser for the shown flight, as KML or GPX; no flight shown: a beep.
    void exportFlight();
    // Writes the shown flight as KML or GPX, by the path's extension (KML otherwise); the
    // status line says where the flight went or why it did not.
    bool exportShownFlightTo(const QString& path);
    // Flights cannot be removed: a beep.
    void removeIGCFile();

    void windowDidBecomeKey();
    // Exactly one selected row shows its flight; none or several show nothing.
    void tableViewSelectionDidChange();
    // Redraws the coordinates after the notation setting changed.
    void preferencesDidChange();

    QMainWindow* viewerWindow() const { return m_viewerWindow; }
    QDockWidget* drawer() const { return m_drawer; }
    QTableView* igcFileTableView() const { return m_igcFileTableView; }
    QTableView* headerTableView() const { return m_headerTableView; }
    QTableView* taskTableView() const { return m_taskTableView; }
    FlightView* flightView() const { return m_flightView; }
    FlightStatisticsPanel* statisticsPanel() const { return m_statisticsPanel; }
    // The IGC check of the shown flight: "IGC check: ok" or one line per problem.
    QListWidget* problemList() const { return m_problemList; }
    IGCFilesDataSource* igcFilesDataSource() const { return m_igcFilesDataSource; }
    IGCHeaderDataSource* headerDataSource() const { return m_headerDataSource; }
    IGCTaskDataSource* taskDataSource() const { return m_taskDataSource; }
    const TraceList& traces() const { return m_traces; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void makeWindow();
    void addTrace(const std::shared_ptr<KelvoTrace>& trace);
    void showTrace(const std::shared_ptr<KelvoTrace>& trace);
    void showProblems(const KelvoTrace* trace);

    IGCFilesDataSource* m_igcFilesDataSource;
    IGCHeaderDataSource* m_headerDataSource;
    IGCTaskDataSource* m_taskDataSource;
    QMainWindow* m_viewerWindow = nullptr;
    QDockWidget* m_drawer = nullptr;
    QTableView* m_igcFileTableView = nullptr;
    QTableView* m_headerTableView = nullptr;
    QTableView* m_taskTableView = nullptr;
    FlightView* m_flightView = nullptr;
    FlightStatisticsPanel* m_statisticsPanel = nullptr;
    QListWidget* m_problemList = nullptr;
    TraceList m_traces;
};

}  // namespace kelvo
