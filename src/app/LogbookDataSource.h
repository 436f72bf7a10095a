#pragma once

#include <QAbstractTableModel>
#include <vector>

#include "igc/Logbook.h"

namespace kelvo {

// The logbook table: one row per flight of the flights folder, in the order given (newest
// first). Qt::DisplayRole gives the texts: the day and times of take-off and landing in
// the display time zone, distances in the user's unit; kSortRole gives values that sort by
// what they mean.
class LogbookDataSource : public QAbstractTableModel {
    Q_OBJECT

  public:
    static constexpr int kSortRole = Qt::UserRole;
    enum Column {
        DateColumn,
        TakeoffColumn,
        LandingColumn,
        FlightTimeColumn,
        PilotColumn,
        GliderColumn,
        RegistrationColumn,
        CompetitionIdColumn,
        DistanceColumn,
        FreeDistanceColumn,
        HighestAltitudeColumn,
        FileColumn,
        ColumnCount
    };

    using QAbstractTableModel::QAbstractTableModel;

    void setEntries(std::vector<LogbookEntry> entries);
    const std::vector<LogbookEntry>& entries() const { return m_entries; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

  private:
    std::vector<LogbookEntry> m_entries;
};

}  // namespace kelvo
