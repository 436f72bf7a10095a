#include "app/WaypointsDataSource.h"

#include <QMimeData>
#include <algorithm>
#include <set>

#include "app/WaypointEditing.h"
#include "base/Beep.h"
#include "geo/Waypoint.h"

namespace kelvo {

namespace {

// The field of every column after the name.
constexpr WaypointField kFields[] = {WaypointField::latitude,        WaypointField::longitude,
                                     WaypointField::elevation,       WaypointField::type,
                                     WaypointField::runwayDirection, WaypointField::runwayLength,
                                     WaypointField::frequency};

WaypointField fieldOf(int column) {
    return kFields[column - 1];
}

}  // namespace

QString WaypointsDataSource::notKeptReason(int column) const {
    if (column <= 0 || column >= columnCount()) return {};
    const WaypointFields& kept = m_limits.waypointFields;
    // In the order of kFields.
    const std::pair<bool, QString> fields[] = {{true, {}},
                                               {true, {}},
                                               {kept.elevation, tr("elevation")},
                                               {kept.type, tr("waypoint type")},
                                               {kept.runwayDirection, tr("runway direction")},
                                               {kept.runwayLength, tr("runway length")},
                                               {kept.frequency, tr("frequency")}};
    const auto& [isKept, name] = fields[column - 1];
    return isKept ? QString() : m_limits.notKept(name);
}

const QStringList& WaypointsDataSource::columnIdentifiers() {
    static const QStringList columns = {"name", "latitude",        "longitude",    "elevation",
                                        "type", "runwaydirection", "runwaylength", "frequency"};
    return columns;
}

void WaypointsDataSource::setData(WaypointList* waypoints) {
    beginResetModel();
    m_waypoints = waypoints;
    endResetModel();
}

int WaypointsDataSource::addWaypoint(int beforeRow) {
    if (!m_waypoints) return -1;
    const int row = beforeRow >= 0 && beforeRow < rowCount() ? beforeRow : rowCount();
    auto waypoint = std::make_shared<Waypoint>();
    waypoint->setName("NEW");
    beginInsertRows({}, row, row);
    m_waypoints->insert(m_waypoints->begin() + row, std::move(waypoint));
    endInsertRows();
    return row;
}

bool WaypointsDataSource::deleteRows(std::vector<int> rows) {
    if (rows.empty() || !m_waypoints) {
        beep();
        return false;
    }
    std::sort(rows.rbegin(), rows.rend());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    for (int row : rows) {
        if (row < 0 || row >= rowCount()) continue;
        beginRemoveRows({}, row, row);
        m_waypoints->erase(m_waypoints->begin() + row);
        endRemoveRows();
    }
    return true;
}

int WaypointsDataSource::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !m_waypoints ? 0 : static_cast<int>(m_waypoints->size());
}

int WaypointsDataSource::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columnIdentifiers().size());
}

QVariant WaypointsDataSource::data(const QModelIndex& index, int role) const {
    if (role == Qt::ToolTipRole) return notKeptReason(index.column());
    if ((role != Qt::DisplayRole && role != Qt::EditRole) ||
        !checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    const Waypoint& waypoint = *(*m_waypoints)[static_cast<std::size_t>(index.row())];
    // An edit changes the name, so the editor starts from it.
    if (index.column() == 0)
        return QString::fromStdString(role == Qt::EditRole ? waypoint.name()
                                                           : waypoint.description());
    return waypointFieldText(waypoint, fieldOf(index.column()));
}

QVariant WaypointsDataSource::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnIdentifiers().size())
        return {};
    if (role == Qt::ToolTipRole) return notKeptReason(section);
    if (role != Qt::DisplayRole) return {};
    return section == 0 ? tr("Name") : waypointFieldTitle(fieldOf(section));
}

Qt::ItemFlags WaypointsDataSource::flags(const QModelIndex& index) const {
    const Qt::ItemFlags base = QAbstractTableModel::flags(index);
    if (!index.isValid()) return base;
    // A value the recorder does not keep is shown but not taken.
    const Qt::ItemFlags editable =
        notKeptReason(index.column()).isEmpty() ? Qt::ItemIsEditable : Qt::NoItemFlags;
    return base | editable | Qt::ItemIsDragEnabled;
}

bool WaypointsDataSource::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !checkIndex(index, CheckIndexOption::IndexIsValid) ||
        !(flags(index) & Qt::ItemIsEditable))
        return false;
    Waypoint& waypoint = *(*m_waypoints)[static_cast<std::size_t>(index.row())];
    const QString text = value.toString();
    if (!entryProblem(index, text).isEmpty()) return false;
    if (index.column() == 0)
        waypoint.setName(text.toStdString());
    else if (!editWaypointField(waypoint, fieldOf(index.column()), text).isEmpty())
        return false;
    Q_EMIT dataChanged(index, index);
    return true;
}

QString WaypointsDataSource::entryProblem(const QModelIndex& index, const QString& text) const {
    if (index.column() <= 0) return m_limits.nameProblem(text, m_limits.waypointNameLength);
    return waypointFieldProblem(fieldOf(index.column()), text);
}

QStringList WaypointsDataSource::mimeTypes() const {
    return {dragType()};
}

QMimeData* WaypointsDataSource::mimeData(const QModelIndexList& indexes) const {
    std::set<int> rows;
    for (const QModelIndex& index : indexes)
        if (checkIndex(index, CheckIndexOption::IndexIsValid)) rows.insert(index.row());
    if (rows.size() != 1) return nullptr;
    auto* data = new QMimeData;
    data->setData(dragType(), QByteArray::number(*rows.begin()));
    return data;
}

}  // namespace kelvo
