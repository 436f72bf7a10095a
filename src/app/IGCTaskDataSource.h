#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <memory>
#include <vector>

namespace kelvo {

class Waypoint;

// The IGC viewer's task table: one row per declared task point of the selected flight;
// columns "turnpoint" (the point's name), "latitude" and "longitude" (in the coordinate
// notation of the settings at the time the table is drawn).
class IGCTaskDataSource : public QAbstractTableModel {
    Q_OBJECT

  public:
    using Waypoints = std::vector<std::shared_ptr<Waypoint>>;
    using QAbstractTableModel::QAbstractTableModel;

    static const QStringList& columnIdentifiers();

    // An empty list shows no rows.
    void setData(Waypoints waypoints);
    // Redraws the coordinates after the notation setting changed.
    void notationDidChange();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

  private:
    Waypoints m_waypoints;
};

}  // namespace kelvo
