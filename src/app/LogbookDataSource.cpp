#include "app/LogbookDataSource.h"

#include <QDateTime>
#include <QTimeZone>

#include "app/KelvoPrefsBasedFormatter.h"

namespace kelvo {

namespace {

using Time = std::optional<std::chrono::sys_seconds>;

QVariant timeText(const Time& time) {
    return time ? KelvoPrefsBasedFormatter::getTimeDescription(*time) : QString();
}

// The day of the flight: that of its take-off in the display zone. Without a take-off, the
// day the file's header gives, which is a calendar day (stored as its midnight UTC), not a
// moment to convert.
QVariant dayText(const LogbookEntry& entry) {
    if (entry.takeoff) return KelvoPrefsBasedFormatter::getDayDescription(*entry.takeoff);
    if (!entry.date) return QString();
    return QDateTime::fromSecsSinceEpoch(entry.date->time_since_epoch().count(), QTimeZone::utc())
        .toString(QStringLiteral("yyyy-MM-dd"));
}

QVariant timeValue(const Time& time) {
    return time ? QVariant(qint64(time->time_since_epoch().count())) : QVariant(qint64(0));
}

QVariant displayText(const LogbookEntry& entry, int column) {
    switch (column) {
        case LogbookDataSource::DateColumn:
            return dayText(entry);
        case LogbookDataSource::TakeoffColumn:
            return timeText(entry.takeoff);
        case LogbookDataSource::LandingColumn:
            return timeText(entry.landing);
        case LogbookDataSource::FlightTimeColumn: {
            const auto minutes = entry.flightTime.count() / 60;
            return QStringLiteral("%1:%2").arg(minutes / 60).arg(minutes % 60, 2, 10, QChar('0'));
        }
        case LogbookDataSource::PilotColumn:
            return QString::fromStdString(entry.pilot);
        case LogbookDataSource::GliderColumn:
            return QString::fromStdString(entry.gliderType);
        case LogbookDataSource::RegistrationColumn:
            return QString::fromStdString(entry.registration);
        case LogbookDataSource::CompetitionIdColumn:
            return QString::fromStdString(entry.competitionId);
        case LogbookDataSource::DistanceColumn:
            return KelvoPrefsBasedFormatter::getDistanceDescription(entry.distance);
        case LogbookDataSource::FreeDistanceColumn:
            return KelvoPrefsBasedFormatter::getDistanceDescription(entry.freeDistance);
        case LogbookDataSource::HighestAltitudeColumn:
            return entry.highestAltitude
                       ? QStringLiteral("%1 m").arg(*entry.highestAltitude, 0, 'f', 0)
                       : QString();
        default: {
            const QString file = QString::fromStdString(entry.file);
            return entry.problem.empty()
                       ? file
                       : file + " (" + QString::fromStdString(entry.problem) + ")";
        }
    }
}

QVariant sortValue(const LogbookEntry& entry, int column) {
    switch (column) {
        case LogbookDataSource::DateColumn:
            return timeValue(entry.sortTime());
        case LogbookDataSource::TakeoffColumn:
            return timeValue(entry.takeoff);
        case LogbookDataSource::LandingColumn:
            return timeValue(entry.landing);
        case LogbookDataSource::FlightTimeColumn:
            return qint64(entry.flightTime.count());
        case LogbookDataSource::DistanceColumn:
            return entry.distance;
        case LogbookDataSource::FreeDistanceColumn:
            return entry.freeDistance;
        case LogbookDataSource::HighestAltitudeColumn:
            return entry.highestAltitude.value_or(0.0);
        default:
            return displayText(entry, column);
    }
}

}  // namespace

void LogbookDataSource::setEntries(std::vector<LogbookEntry> entries) {
    beginResetModel();
    m_entries = std::move(entries);
    endResetModel();
}

int LogbookDataSource::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_entries.size());
}

int LogbookDataSource::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant LogbookDataSource::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) return {};
    const LogbookEntry& entry = m_entries[static_cast<std::size_t>(index.row())];
    if (role == Qt::DisplayRole) return displayText(entry, index.column());
    if (role == kSortRole) return sortValue(entry, index.column());
    return {};
}

QVariant LogbookDataSource::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    static const QStringList titles = {tr("Date"),          tr("Take-off"), tr("Landing"),
                                       tr("Flight time"),   tr("Pilot"),    tr("Glider"),
                                       tr("Registration"),  tr("Comp. ID"), tr("Distance"),
                                       tr("Free distance"), tr("Highest"),  tr("File")};
    return titles.value(section);
}

}  // namespace kelvo
