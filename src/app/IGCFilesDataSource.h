#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <memory>
#include <vector>

namespace kelvo {

class KelvoTrace;
using TraceList = std::vector<std::shared_ptr<KelvoTrace>>;

// The IGC viewer's list of loaded flights: one row per trace in the order added; the
// column "filename" shows the trace's file name.
class IGCFilesDataSource : public QAbstractTableModel {
    Q_OBJECT

  public:
    using QAbstractTableModel::QAbstractTableModel;

    static const QStringList& columnIdentifiers();

    // An empty list shows no rows. A list that only grew at its end inserts the new rows,
    // so that the view keeps its selection; any other list resets the table.
    void setData(TraceList traces);
    // Null outside the table.
    std::shared_ptr<KelvoTrace> traceAtRow(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

  private:
    bool onlyGrew(const TraceList& traces) const;

    TraceList m_traces;
};

}  // namespace kelvo
