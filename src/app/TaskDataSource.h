#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <memory>

namespace kelvo {

class Task;

// The task table: one row per turnpoint with its observation zone and legs. Columns
// "title", "name", "latitude", "longitude", "linewidth", "cylinderradius",
// "sectorradius", "sectordirection", "leg", "distance", "bearing". The name, the
// coordinates and the four observation-zone numbers are editable.
class TaskDataSource : public QAbstractTableModel {
    Q_OBJECT

  public:
    using QAbstractTableModel::QAbstractTableModel;

    static const QStringList& columnIdentifiers();

    // Null shows an empty table. Retitles the "leg" column by the distance unit.
    void setData(std::shared_ptr<Task> task);
    const std::shared_ptr<Task>& task() const { return m_task; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // A zone number takes the leading integer of the text (0 for none); coordinates only
    // text that parses.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

  private:
    QString title(int row) const;

    std::shared_ptr<Task> m_task;
    QString m_legTitle = QStringLiteral("Leg (km)");
};

}  // namespace kelvo
