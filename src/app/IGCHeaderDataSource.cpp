#include "app/IGCHeaderDataSource.h"

#include <algorithm>

namespace kelvo {

namespace {

// "PILOTINCHARGE:Anna Keller", "Competition Class :18m" and "100GPSDATUM:WGS-1984" carry
// the record's long name before the value; the key column already names the record. A
// text whose part before the first colon has no letter or holds other signs (a time, a
// plain value) stays whole.
QString withoutLabel(const std::string& text) {
    const QString value = QString::fromStdString(text);
    const qsizetype colon = value.indexOf(QLatin1Char(':'));
    if (colon <= 0) return value;
    const QString label = value.first(colon);
    if (std::none_of(label.begin(), label.end(), [](QChar c) { return c.isLetter(); }))
        return value;
    for (const QChar character : label)
        if (!character.isLetterOrNumber() && character != QLatin1Char(' ') &&
            character != QLatin1Char('-'))
            return value;
    return value.mid(colon + 1).trimmed();
}

}  // namespace

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
    if (column == QLatin1String("value")) return withoutLabel(value);
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
