#include "app/IGCHeaderDataSource.h"

namespace kelvo {

const QStringList& IGCHeaderDataSource::columnIdentifiers() {
    static const QStringList identifiers{QStringLiteral("key"), QStringLiteral("value")};
    return identifiers;
}

void IGCHeaderDataSource::setData(const Header& header) {
    beginResetModel();
    m_rows.assign(header.begin(), header.end());
    endResetModel();
}

int IGCHeaderDataSource::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

int IGCHeaderDataSource::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(columnIdentifiers().size());
}

QVariant IGCHeaderDataSource::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !checkIndex(index, CheckIndexOption::IndexIsValid)) return {};
    const auto& [key, value] = m_rows[std::size_t(index.row())];
    const QString& column = columnIdentifiers()[index.column()];
    if (column == QLatin1String("key")) return QString::fromStdString(key);
    if (column == QLatin1String("value")) return QString::fromStdString(value);
    return QString();
}

QVariant IGCHeaderDataSource::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    switch (section) {
        case 0:
            return tr("Record");
        case 1:
            return tr("Value");
        default:
            return {};
    }
}

}  // namespace kelvo
