#include "app/FlightsDataSource.h"

#include <type_traits>
#include <variant>

#include "app/KelvoPrefsBasedFormatter.h"

namespace kelvo {

namespace {

QString cellText(const FlightEntry::Value& value, const QString& key) {
    return std::visit(
        [&key](const auto& field) -> QString {
            using Field = std::decay_t<decltype(field)>;
            if constexpr (std::is_same_v<Field, std::string>)
                return QString::fromStdString(field);
            else if constexpr (std::is_same_v<Field, std::chrono::sys_seconds>)
                return key == QLatin1String("date")
                           ? KelvoPrefsBasedFormatter::getDateDescription(field)
                           : KelvoPrefsBasedFormatter::getTimeDescription(field);
            else
                return QStringLiteral(" ");
        },
        value);
}

}  // namespace

const QStringList& FlightsDataSource::columnIdentifiers() {
    static const QStringList columns = {"date",     "lasttime", "duration", "pilot",
                                        "gliderid", "compid",   "filename"};
    return columns;
}

void FlightsDataSource::setData(FlightDirectory* flights) {
    beginResetModel();
    m_flights = flights;
    m_flightsWithTakeoff.clear();
    if (m_flights) {
        for (std::size_t i = 0; i < m_flights->size(); ++i)
            if ((*m_flights)[i].hasTakeoff()) m_flightsWithTakeoff.push_back(i);
    }
    endResetModel();
}

void FlightsDataSource::setShowOnlyFlightsWithTakeoff(bool only) {
    beginResetModel();
    m_showOnlyFlightsWithTakeoff = only;
    endResetModel();
}

const FlightEntry* FlightsDataSource::getFlightAtRow(int row) const {
    if (!m_flights || row < 0 || row >= rowCount()) return nullptr;
    const auto position = static_cast<std::size_t>(row);
    return &(*m_flights)[m_showOnlyFlightsWithTakeoff ? m_flightsWithTakeoff[position] : position];
}

int FlightsDataSource::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !m_flights) return 0;
    return static_cast<int>(m_showOnlyFlightsWithTakeoff ? m_flightsWithTakeoff.size()
                                                         : m_flights->size());
}

int FlightsDataSource::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columnIdentifiers().size());
}

QVariant FlightsDataSource::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !checkIndex(index)) return {};
    const FlightEntry* entry = getFlightAtRow(index.row());
    if (!entry) return QStringLiteral(" ");
    const QString& key = columnIdentifiers()[index.column()];
    return cellText(entry->value(key.toStdString()), key);
}

QVariant FlightsDataSource::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    static const QStringList titles = {tr("Date"),   tr("Landing"),  tr("Duration"), tr("Pilot"),
                                       tr("Glider"), tr("Comp. ID"), tr("File")};
    return titles.value(section);
}

}  // namespace kelvo
