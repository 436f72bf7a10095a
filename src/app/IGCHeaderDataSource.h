#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <map>
#include <string>
#include <vector>

namespace kelvo {

// The IGC viewer's header table: one row per H record of the selected flight, in the
// order of the header's keys; columns "key" and "value".
class IGCHeaderDataSource : public QAbstractTableModel {
    Q_OBJECT

  public:
    using Header = std::map<std::string, std::string>;
    using QAbstractTableModel::QAbstractTableModel;

    static const QStringList& columnIdentifiers();

    // An empty header shows no rows.
    void setData(const Header& header);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

  private:
    std::vector<std::pair<std::string, std::string>> m_rows;
};

}  // namespace kelvo
