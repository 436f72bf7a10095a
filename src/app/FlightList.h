#pragma once

#include <QDateTime>
#include <QObject>
#include <vector>

namespace kelvo {

class LoggerController;

// The flights tab's list: reads and rereads the recorder's flight directory on a worker,
// filters it to flights with a detected takeoff, tells how many flights it shows and when
// they were read, and erases the recorder's flights after the warning sheet.
class FlightList : public QObject {
    Q_OBJECT

  public:
    explicit FlightList(LoggerController& controller);

    // Reads the directory once per connection, when the flights tab is first shown.
    void showFlightsTab();
    // Reads the directory again.
    void loadFlights();
    // The worker: reads the directory (all of it again with reload) and ends the progress.
    void threadedLoadFlights(bool reload);
    void readFlights(bool reload);
    void onlyDetectedTakeoff(bool on);
    void clearFlights();
    void clearFlightsSheetDidEnd(int result);
    void threadedClearFlights();
    void flightsSelectionDidChange();
    // The selected rows in ascending order.
    std::vector<int> selectedFlightRows() const;
    // After a disconnect nothing is read and nothing is told.
    void forgetDirectory();

    bool directoryLoaded() const { return m_directoryLoaded; }

  private:
    void startReading(bool reload);
    // The count of flights shown and when the directory was read.
    void showFlightsSummary();

    LoggerController& m_controller;
    bool m_directoryLoaded = false;
    QDateTime m_directoryReadAt;  // invalid until the flight directory was read
};

}  // namespace kelvo
