#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <set>
#include <string>
#include <vector>

#include "LoggerAccess/FlightColumn.h"
#include "LoggerAccess/LoggerData.h"

namespace kelvo {

// The flights table: the driver's flight directory, or only its flights with a detected
// take-off. The columns are the directory's (FlightColumn) and "inlogbook"; a missing value
// shows " ", times show in the display time zone. The table sorts by any column (by time for the
// times), so the newest flights can be put on top; the rows keep their entries through a sort.
class FlightsDataSource : public QAbstractTableModel {
    Q_OBJECT

  public:
    using QAbstractTableModel::QAbstractTableModel;

    static const QStringList& columnIdentifiers();

    // Null shows an empty table. The entries with take-off are taken anew.
    void setData(FlightDirectory* flights);
    void setShowOnlyFlightsWithTakeoff(bool only);
    bool showOnlyFlightsWithTakeoff() const { return m_showOnlyFlightsWithTakeoff; }
    // The upper-case names of the flights folder's files, for the column "inlogbook": a
    // flight is in the logbook when its IGC file name is among them.
    void setLogbookFileNames(std::set<std::string> names);
    bool isInLogbook(const FlightEntry& entry) const;
    // The entry shown in the row; null outside the table.
    const FlightEntry* getFlightAtRow(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    // Entries without the column's value come first in ascending order.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

  private:
    // The shown entries in directory order, then in the order of the last sort.
    void showRows();
    void sortRows();
    FlightColumn::Value sortValue(const FlightEntry& entry, const FlightColumn& column) const;

    FlightDirectory* m_flights = nullptr;
    std::vector<std::size_t> m_rows;  // indexes into m_flights, in row order
    std::set<std::string> m_logbookFileNames;
    bool m_showOnlyFlightsWithTakeoff = false;
    int m_sortColumn = -1;  // none
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
};

}  // namespace kelvo
