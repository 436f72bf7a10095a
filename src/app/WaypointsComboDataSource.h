#pragma once

#include <QAbstractListModel>

#include "LoggerAccess/LoggerData.h"

namespace kelvo {

// The items of the home-point combo box: none without waypoints, else the empty item ""
// followed by the description of every waypoint.
class WaypointsComboDataSource : public QAbstractListModel {
    Q_OBJECT

  public:
    using QAbstractListModel::QAbstractListModel;

    // Null shows no items.
    void setData(const WaypointList* waypoints);
    // 1 + the index of the first waypoint whose description is the text; 0 for none.
    int indexOfItemWithStringValue(const QString& text) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

  private:
    const WaypointList* m_waypoints = nullptr;
};

}  // namespace kelvo
