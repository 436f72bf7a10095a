#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

class QMainWindow;
class QTableView;

namespace kelvo {

// Remembers a window's size and place, its dock and toolbar state, the positions of its
// named splitters and the column widths of its named tables in the preferences, under the
// window's name. The layout is restored at construction and stored when the window closes.
//
// Tables fit their columns to their contents when they get new data; once the user has a
// table with rows, the widths it has then are kept across later data and restarts.
class WindowLayout : public QObject {
    Q_OBJECT

  public:
    static const QString kPreferenceKey;

    // Construct after the window's tables have their models.
    WindowLayout(QMainWindow& window, const QString& name);

    void save();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void restore();
    void keepColumnWidths(QTableView* table);
    static QList<int> columnWidths(const QTableView* table);
    void applyColumnWidths(QTableView* table) const;

    QMainWindow& m_window;
    QString m_name;
    QHash<QString, QList<int>> m_columns;  // by table name [px]
};

}  // namespace kelvo
