#include "app/LoggerInfoDataSource.h"

#include <algorithm>

namespace kelvo {

namespace {

const QStringList kColumns = {QStringLiteral("tag"), QStringLiteral("value")};

}  // namespace

void LoggerInfoDataSource::setData(LoggerInfo* loggerInfo) {
    beginResetModel();
    m_loggerInfo = loggerInfo;
    sortLabels();
    endResetModel();
}

void LoggerInfoDataSource::removeAllObjects() {
    beginResetModel();
    if (m_loggerInfo) m_loggerInfo->clear();
    m_labels.clear();
    endResetModel();
}

void LoggerInfoDataSource::sortLabels() {
    m_labels.clear();
    if (!m_loggerInfo) return;
    for (const auto& [label, value] : *m_loggerInfo) m_labels.push_back(label);
    std::stable_sort(
        m_labels.begin(), m_labels.end(), [this](const std::string& a, const std::string& b) {
            return QString::fromStdString(m_loggerInfo->at(a))
                       .compare(QString::fromStdString(m_loggerInfo->at(b)), Qt::CaseInsensitive) <
                   0;
        });
}

int LoggerInfoDataSource::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_labels.size());
}

int LoggerInfoDataSource::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(kColumns.size());
}

QVariant LoggerInfoDataSource::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !m_loggerInfo || !checkIndex(index)) return {};
    const std::string& label = m_labels[static_cast<std::size_t>(index.row())];
    if (index.column() == 0) return QString::fromStdString(label);
    const auto found = m_loggerInfo->find(label);
    return found == m_loggerInfo->end() ? QString() : QString::fromStdString(found->second);
}

QVariant LoggerInfoDataSource::headerData(int section, Qt::Orientation orientation,
                                          int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    return section == 0 ? tr("Item") : tr("Value");
}

}  // namespace kelvo
