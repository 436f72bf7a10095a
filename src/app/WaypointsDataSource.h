#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <vector>

#include "LoggerAccess/LoggerData.h"
#include "app/CheckedEntryDelegate.h"
#include "app/EditorLimits.h"

namespace kelvo {

// The waypoint table: the driver's waypoint list in list order; columns "name" (the
// description), "latitude" and "longitude" (in the notation of the settings), "elevation",
// "type", "runwaydirection", "runwaylength" and "frequency" (in the units of the settings,
// named in the titles). Every cell is editable but those of a value the connected recorder
// does not keep, whose tool tip says so; a text that a cell cannot read, or a name longer
// than the recorder keeps, is refused with the reason (entryProblem). A single row can be
// dragged into the routes outline: the drag carries the row's index as decimal text under
// the type "WaypointDragType".
class WaypointsDataSource : public QAbstractTableModel, public EntryChecking {
    Q_OBJECT

  public:
    using QAbstractTableModel::QAbstractTableModel;

    static const QStringList& columnIdentifiers();
    static QString dragType() { return QStringLiteral("WaypointDragType"); }

    // Null shows an empty table.
    void setData(WaypointList* waypoints);
    // Names longer than the recorder keeps are refused, values it does not keep not taken.
    void setLimits(const EditorLimits& limits) { m_limits = limits; }
    // A new waypoint named "NEW" before the row, or at the end for -1; answers its row
    // (-1 without a list).
    int addWaypoint(int beforeRow);
    // Removes the rows' waypoints; false (and a beep) when no row is given.
    bool deleteRows(std::vector<int> rows);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // "name" takes the text as the name; the other cells only text they can read.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QString entryProblem(const QModelIndex& index, const QString& text) const override;

    QStringList mimeTypes() const override;
    // Null (no drag) unless the indexes lie in exactly one row.
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDragActions() const override { return Qt::CopyAction; }

  private:
    // "The Volkslogger keeps no frequency." for a column the recorder does not keep; else empty.
    QString notKeptReason(int column) const;

    WaypointList* m_waypoints = nullptr;
    EditorLimits m_limits;
};

}  // namespace kelvo
