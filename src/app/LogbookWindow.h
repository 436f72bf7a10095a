#pragma once

#include <QMainWindow>
#include <functional>
#include <vector>

#include "igc/Logbook.h"

class QLabel;
class QSortFilterProxyModel;
class QTableView;
class QThread;

namespace kelvo {

class LogbookDataSource;

// The logbook: every flight of the flights folder in a table that sorts by any column.
// Scans run on a thread of their own; a double-click opens the flight in the viewer.
class LogbookWindow : public QMainWindow {
    Q_OBJECT

  public:
    // Receives the path of a flight to show.
    using FlightOpener = std::function<void(const QString& path)>;

    explicit LogbookWindow(QWidget* parent = nullptr);
    ~LogbookWindow() override;

    void setFlightOpener(FlightOpener opener) { m_flightOpener = std::move(opener); }
    // Shows the window and scans the flights folder of the preferences.
    void showWindow();
    // Scans the folder again; nothing while a scan runs.
    void reload();
    // Opens the flight of the table's row (as sorted).
    void openFlightAtRow(int row);

    QTableView* table() const { return m_table; }
    LogbookDataSource* dataSource() const { return m_dataSource; }
    QString statusText() const;
    bool isScanning() const { return m_scan != nullptr; }

  Q_SIGNALS:
    void scanFinished();

  private:
    void scanDidFinish(std::vector<LogbookEntry> entries, const QString& status);

    LogbookDataSource* m_dataSource;
    QSortFilterProxyModel* m_sorted;
    QTableView* m_table;
    QLabel* m_status;
    QThread* m_scan = nullptr;
    QString m_folder;
    FlightOpener m_flightOpener;
};

}  // namespace kelvo
