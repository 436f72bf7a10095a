#include "app/IGCFilesDataSource.h"

#include <algorithm>

#include "igc/KelvoTrace.h"

namespace kelvo {

const QStringList& IGCFilesDataSource::columnIdentifiers() {
    static const QStringList identifiers{QStringLiteral("filename")};
    return identifiers;
}

bool IGCFilesDataSource::onlyGrew(const TraceList& traces) const {
    return traces.size() > m_traces.size() &&
           std::equal(m_traces.begin(), m_traces.end(), traces.begin());
}

void IGCFilesDataSource::setData(TraceList traces) {
    if (onlyGrew(traces)) {
        beginInsertRows({}, int(m_traces.size()), int(traces.size()) - 1);
        m_traces = std::move(traces);
        endInsertRows();
        return;
    }
    beginResetModel();
    m_traces = std::move(traces);
    endResetModel();
}

std::shared_ptr<KelvoTrace> IGCFilesDataSource::traceAtRow(int row) const {
    if (row < 0 || row >= rowCount()) return nullptr;
    return m_traces[std::size_t(row)];
}

int IGCFilesDataSource::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_traces.size());
}

int IGCFilesDataSource::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(columnIdentifiers().size());
}

QVariant IGCFilesDataSource::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !checkIndex(index, CheckIndexOption::IndexIsValid)) return {};
    if (columnIdentifiers()[index.column()] != QLatin1String("filename")) return QString();
    return QString::fromStdString(m_traces[std::size_t(index.row())]->fileName());
}

QVariant IGCFilesDataSource::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    return section == 0 ? tr("File") : QVariant();
}

}  // namespace kelvo
