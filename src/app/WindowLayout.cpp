#include "app/WindowLayout.h"

#include <QEvent>
#include <QHeaderView>
#include <QJsonArray>
#include <QJsonObject>
#include <QMainWindow>
#include <QSplitter>
#include <QTableView>

#include "app/PreferencesStore.h"

namespace kelvo {

namespace {

QString encoded(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toBase64());
}

QByteArray decoded(const QJsonValue& value) {
    return QByteArray::fromBase64(value.toString().toLatin1());
}

template <typename Widget>
QList<Widget*> namedChildren(const QMainWindow& window) {
    QList<Widget*> named;
    for (Widget* child : window.findChildren<Widget*>())
        if (!child->objectName().isEmpty()) named << child;
    return named;
}

}  // namespace

const QString WindowLayout::kPreferenceKey = QStringLiteral("WindowLayout");

WindowLayout::WindowLayout(QMainWindow& window, const QString& name)
    : QObject(&window), m_window(window), m_name(name) {
    restore();
    for (QTableView* table : namedChildren<QTableView>(m_window)) keepColumnWidths(table);
    m_window.installEventFilter(this);
}

bool WindowLayout::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &m_window && event->type() == QEvent::Close) save();
    return QObject::eventFilter(watched, event);
}

void WindowLayout::restore() {
    const QJsonObject layout =
        PreferencesStore::value(kPreferenceKey).toObject().value(m_name).toObject();
    if (layout.isEmpty()) return;
    m_window.restoreGeometry(decoded(layout.value("geometry")));
    m_window.restoreState(decoded(layout.value("state")));
    const QJsonObject splitters = layout.value("splitters").toObject();
    for (QSplitter* splitter : namedChildren<QSplitter>(m_window))
        if (splitters.contains(splitter->objectName()))
            splitter->restoreState(decoded(splitters.value(splitter->objectName())));
    const QJsonObject columns = layout.value("columns").toObject();
    for (auto column = columns.begin(); column != columns.end(); ++column) {
        QList<int> widths;
        for (const QJsonValue& width : column.value().toArray()) widths << width.toInt();
        m_columns.insert(column.key(), widths);
    }
}

void WindowLayout::save() {
    QJsonObject splitters;
    for (const QSplitter* splitter : namedChildren<QSplitter>(m_window))
        splitters.insert(splitter->objectName(), encoded(splitter->saveState()));
    QJsonObject columns;
    for (const QTableView* table : namedChildren<QTableView>(m_window)) {
        const QList<int> widths = table->model() && table->model()->rowCount() > 0
                                      ? columnWidths(table)
                                      : m_columns.value(table->objectName());
        QJsonArray array;
        for (int width : widths) array.append(width);
        if (!array.isEmpty()) columns.insert(table->objectName(), array);
    }
    QJsonObject all = PreferencesStore::value(kPreferenceKey).toObject();
    all.insert(m_name, QJsonObject{{"geometry", encoded(m_window.saveGeometry())},
                                   {"state", encoded(m_window.saveState())},
                                   {"splitters", splitters},
                                   {"columns", columns}});
    PreferencesStore::setValue(kPreferenceKey, all);
}

void WindowLayout::keepColumnWidths(QTableView* table) {
    QAbstractItemModel* model = table->model();
    if (!model) return;
    applyColumnWidths(table);
    // Connected after the owner's own fitting to the contents, so these widths win.
    connect(model, &QAbstractItemModel::modelAboutToBeReset, this, [this, table] {
        if (table->model()->rowCount() > 0)
            m_columns.insert(table->objectName(), columnWidths(table));
    });
    connect(model, &QAbstractItemModel::modelReset, this,
            [this, table] { applyColumnWidths(table); });
}

QList<int> WindowLayout::columnWidths(const QTableView* table) {
    QList<int> widths;
    // The last column stretches to the table's edge; its width is not the user's choice.
    for (int column = 0; column + 1 < table->horizontalHeader()->count(); ++column)
        widths << table->columnWidth(column);
    return widths;
}

void WindowLayout::applyColumnWidths(QTableView* table) const {
    const QList<int> widths = m_columns.value(table->objectName());
    for (int column = 0; column < widths.size() && column < table->horizontalHeader()->count();
         ++column)
        table->setColumnWidth(column, widths[column]);
}

}  // namespace kelvo
