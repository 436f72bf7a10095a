#pragma once

#include <QAbstractTableModel>
#include <string>
#include <vector>

#include "LoggerAccess/LoggerData.h"

namespace kelvo {

// The logger-information table: one row per label, ordered by the labels' values compared
// case-insensitively; columns "tag" (the label) and "value". It shows the driver's
// dictionary itself, handed over by setData.
class LoggerInfoDataSource : public QAbstractTableModel {
    Q_OBJECT

  public:
    using QAbstractTableModel::QAbstractTableModel;

    // Null shows an empty table.
    void setData(LoggerInfo* loggerInfo);
    void removeAllObjects();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

  private:
    void sortLabels();

    LoggerInfo* m_loggerInfo = nullptr;
    std::vector<std::string> m_labels;  // in row order
};

}  // namespace kelvo
