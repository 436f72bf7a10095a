#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <vector>

#include "LoggerAccess/LoggerData.h"

namespace kelvo {

// The flights table: the driver's flight directory, or only its flights with a detected
// take-off. Each column is identified by an entry key; a missing value shows " ", times
// show in the display time zone.
class FlightsDataSource : public QAbstractTableModel {
    Q_OBJECT

  public:
    using QAbstractTableModel::QAbstractTableModel;

    static const QStringList& columnIdentifiers();

    // Null shows an empty table. The entries with take-off are taken anew.
    void setData(FlightDirectory* flights);
    void setShowOnlyFlightsWithTakeoff(bool only);
    bool showOnlyFlightsWithTakeoff() const { return m_showOnlyFlightsWithTakeoff; }
    // The entry shown in the row; null outside the table.
    const FlightEntry* getFlightAtRow(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

  private:
    FlightDirectory* m_flights = nullptr;
    std::vector<std::size_t> m_flightsWithTakeoff;  // indexes into m_flights
    bool m_showOnlyFlightsWithTakeoff = false;
};

}  // namespace kelvo
