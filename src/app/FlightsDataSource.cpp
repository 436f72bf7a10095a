#include "app/FlightsDataSource.h"

#include <algorithm>
#include <array>
#include <type_traits>
#include <variant>

#include "app/KelvoPrefsBasedFormatter.h"
#include "base/Text.h"
#include "igc/LogbookDownload.h"

namespace kelvo {

namespace {

// The table's own column: whether the flight's IGC file is in the flights folder.
const FlightColumn kInLogbook{"inlogbook", "In logbook", nullptr};

// The columns in the table's order.
const std::array<const FlightColumn*, 8> kColumns = {
    &FlightColumn::date,     &FlightColumn::lastTime,
    &FlightColumn::duration, &FlightColumn::pilot,
    &FlightColumn::gliderId, &FlightColumn::competitionId,
    &FlightColumn::fileName, &kInLogbook};

QString cellText(const FlightColumn::Value& value, const FlightColumn& column) {
    return std::visit(
        [&column](const auto& field) -> QString {
            using Field = std::decay_t<decltype(field)>;
            if constexpr (std::is_same_v<Field, std::string>)
                return QString::fromStdString(field);
            else if constexpr (std::is_same_v<Field, std::chrono::sys_seconds>)
                return &column == &FlightColumn::date
                           ? KelvoPrefsBasedFormatter::getDateDescription(field)
                           : KelvoPrefsBasedFormatter::getTimeDescription(field);
            else
                // A recorder without a clock dates its flights to no day at all.
                return &column == &FlightColumn::date ? QStringLiteral("unknown date")
                                                      : QStringLiteral(" ");
        },
        value);
}

}  // namespace

const QStringList& FlightsDataSource::columnIdentifiers() {
    static const QStringList columns = [] {
        QStringList keys;
        for (const FlightColumn* column : kColumns) keys << QString::fromLatin1(column->key);
        return keys;
    }();
    return columns;
}

void FlightsDataSource::setData(FlightDirectory* flights) {
    beginResetModel();
    m_flights = flights;
    showRows();
    endResetModel();
}

void FlightsDataSource::setShowOnlyFlightsWithTakeoff(bool only) {
    beginResetModel();
    m_showOnlyFlightsWithTakeoff = only;
    showRows();
    endResetModel();
}

void FlightsDataSource::showRows() {
    m_rows.clear();
    if (!m_flights) return;
    for (std::size_t i = 0; i < m_flights->size(); ++i)
        if (!m_showOnlyFlightsWithTakeoff || (*m_flights)[i].hasTakeoff()) m_rows.push_back(i);
    sortRows();
}

void FlightsDataSource::sortRows() {
    if (!m_flights || m_sortColumn < 0 || m_sortColumn >= columnCount()) return;
    const FlightColumn& column = *kColumns[std::size_t(m_sortColumn)];
    const FlightDirectory& flights = *m_flights;
    std::stable_sort(m_rows.begin(), m_rows.end(), [&](std::size_t a, std::size_t b) {
        const FlightColumn::Value first = sortValue(flights[a], column);
        const FlightColumn::Value second = sortValue(flights[b], column);
        return m_sortOrder == Qt::AscendingOrder ? first < second : second < first;
    });
}

FlightColumn::Value FlightsDataSource::sortValue(const FlightEntry& entry,
                                                 const FlightColumn& column) const {
    if (&column == &kInLogbook) return std::string(isInLogbook(entry) ? "1" : "");
    return column.read(entry);
}

void FlightsDataSource::setLogbookFileNames(std::set<std::string> names) {
    m_logbookFileNames = std::move(names);
    const int column =
        int(std::find(kColumns.begin(), kColumns.end(), &kInLogbook) - kColumns.begin());
    if (rowCount() > 0) Q_EMIT dataChanged(index(0, column), index(rowCount() - 1, column));
}

bool FlightsDataSource::isInLogbook(const FlightEntry& entry) const {
    return m_logbookFileNames.contains(toUpperAscii(LogbookDownload::fileNameOf(entry)));
}

void FlightsDataSource::sort(int column, Qt::SortOrder order) {
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<std::size_t> entries;
    for (const QModelIndex& index : before) entries.push_back(m_rows[std::size_t(index.row())]);
    m_sortColumn = column;
    m_sortOrder = order;
    sortRows();
    std::vector<int> rowOfEntry(
        m_rows.empty() ? 0 : *std::max_element(m_rows.begin(), m_rows.end()) + 1);
    for (std::size_t row = 0; row < m_rows.size(); ++row) rowOfEntry[m_rows[row]] = int(row);
    QModelIndexList after;
    for (qsizetype i = 0; i < before.size(); ++i)
        after << index(rowOfEntry[entries[std::size_t(i)]], before[i].column());
    changePersistentIndexList(before, after);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

const FlightEntry* FlightsDataSource::getFlightAtRow(int row) const {
    if (!m_flights || row < 0 || row >= rowCount()) return nullptr;
    // The directory may have been emptied since the rows were taken from it.
    const std::size_t entry = m_rows[static_cast<std::size_t>(row)];
    return entry < m_flights->size() ? &(*m_flights)[entry] : nullptr;
}

int FlightsDataSource::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int FlightsDataSource::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(kColumns.size());
}

QVariant FlightsDataSource::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !checkIndex(index)) return {};
    const FlightEntry* entry = getFlightAtRow(index.row());
    if (!entry) return QStringLiteral(" ");
    const FlightColumn& column = *kColumns[std::size_t(index.column())];
    if (&column == &kInLogbook) return isInLogbook(*entry) ? tr("Yes") : QString();
    return cellText(column.read(*entry), column);
}

QVariant FlightsDataSource::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= columnCount())
        return {};
    return tr(kColumns[std::size_t(section)]->title);
}

}  // namespace kelvo
