#include <QHeaderView>
#include <QMainWindow>
#include <QSplitter>
#include <QStandardItemModel>
#include <QTableView>

#include "app/WindowLayout.h"
#include "support/AppTestMain.h"
#include "support/PreferencesFixture.h"

using namespace kelvo;

namespace {

// Gives new data the way the application's models do: in one reset.
class Model : public QStandardItemModel {
  public:
    void reset() {
        beginResetModel();
        endResetModel();
    }
};

// A window with a named splitter and a named table of three columns and two rows that fits
// its columns to the contents on every reset, as the application's tables do.
struct Window {
    Window() {
        splitter->setObjectName("splitter");
        table->setObjectName("table");
        model.setColumnCount(3);
        model.setRowCount(2);
        table->setModel(&model);
        QObject::connect(&model, &QAbstractItemModel::modelReset, table,
                         &QTableView::resizeColumnsToContents);
        splitter->addWidget(table);
        splitter->addWidget(new QTableView);
        window.setCentralWidget(splitter);
        window.resize(640, 480);
        window.show();
    }
    void refill() { model.reset(); }
    QMainWindow window;
    QSplitter* splitter = new QSplitter;
    QTableView* table = new QTableView;
    Model model;
};

}  // namespace

class WindowLayoutTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void init() { test::removePreferencesFile(); }

    void sizeSplittersAndColumnWidthsOutliveTheWindowAndNewData() {
        QList<int> splitterSizes;
        {
            Window first;
            WindowLayout layout(first.window, "Test");
            first.window.resize(700, 500);
            first.splitter->setSizes({400, 200});
            splitterSizes = first.splitter->sizes();
            first.table->setColumnWidth(0, 222);
            first.refill();
            QCOMPARE(first.table->columnWidth(0), 222);
            first.window.close();
        }
        Window second;
        WindowLayout layout(second.window, "Test");
        QCOMPARE(second.window.size(), QSize(700, 500));
        QCOMPARE(second.splitter->sizes(), splitterSizes);
        QCOMPARE(second.table->columnWidth(0), 222);
        second.refill();
        QCOMPARE(second.table->columnWidth(0), 222);
    }
};

KELVO_QTEST_MAIN(WindowLayoutTest)
#include "WindowLayoutTest.moc"
