#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <memory>

#include "app/CheckedEntryDelegate.h"
#include "app/EditorLimits.h"

namespace kelvo {

class Task;
class Turnpoint;

// The task table: one row per turnpoint with its observation zone and legs. Columns
// "title", "name", "latitude", "longitude", "linewidth", "cylinderradius",
// "sectorradius", "sectordirection", "leg", "distance", "bearing"; legs and distances in
// the unit of the settings, named in their titles. The name, the coordinates and the four
// observation-zone numbers are editable; a text that a cell cannot read is refused with
// the reason (entryProblem).
class TaskDataSource : public QAbstractTableModel, public EntryChecking {
    Q_OBJECT

  public:
    using QAbstractTableModel::QAbstractTableModel;

    static const QStringList& columnIdentifiers();

    // Null shows an empty table.
    void setData(std::shared_ptr<Task> task);
    const std::shared_ptr<Task>& task() const { return m_task; }
    // Names longer than the recorder keeps are refused; zone values it does not keep are
    // not editable and say so.
    void setLimits(const EditorLimits& limits);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // The name takes any text; coordinates and zone numbers only text they can read.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QString entryProblem(const QModelIndex& index, const QString& text) const override;

  private:
    QString title(int row) const;
    // Why the column's values are not kept by the recorder; empty when they are.
    QString notKeptReason(int column) const;
    // Takes the text into the turnpoint's cell of the column; answers why it was refused.
    static QString edit(Turnpoint& turnpoint, int column, const QString& text);

    std::shared_ptr<Task> m_task;
    EditorLimits m_limits;
};

}  // namespace kelvo
