#include "app/LogbookWindow.h"

#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QSortFilterProxyModel>
#include <QStatusBar>
#include <QTableView>
#include <QThread>
#include <QToolBar>

#include "app/KelvoPrefs.h"
#include "app/LogbookDataSource.h"

namespace kelvo {

LogbookWindow::LogbookWindow(QWidget* parent)
    : QMainWindow(parent),
      m_dataSource(new LogbookDataSource(this)),
      m_sorted(new QSortFilterProxyModel(this)),
      m_table(new QTableView(this)),
      m_status(new QLabel(this)) {
    setWindowTitle(tr("Logbook"));
    m_sorted->setSourceModel(m_dataSource);
    m_sorted->setSortRole(LogbookDataSource::kSortRole);
    m_table->setModel(m_sorted);
    m_table->setSortingEnabled(true);
    m_table->sortByColumn(LogbookDataSource::TakeoffColumn, Qt::DescendingOrder);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->setVisible(false);
    m_table->horizontalHeader()->setStretchLastSection(true);
    setCentralWidget(m_table);
    statusBar()->addWidget(m_status, 1);
    QToolBar* toolBar = addToolBar(tr("Logbook"));
    toolBar->setObjectName(QStringLiteral("logbookToolBar"));
    toolBar->addAction(tr("Reload"), this, &LogbookWindow::reload);
    connect(m_table, &QTableView::doubleClicked, this,
            [this](const QModelIndex& index) { openFlightAtRow(index.row()); });
    resize(1000, 500);
}

LogbookWindow::~LogbookWindow() {
    if (m_scan) m_scan->wait();
}

void LogbookWindow::showWindow() {
    show();
    raise();
    activateWindow();
    reload();
}

void LogbookWindow::reload() {
    if (m_scan) return;
    m_folder = KelvoPrefs::flightsFolder();
    m_status->setText(tr("Reading %1…").arg(m_folder));
    const std::filesystem::path folder = m_folder.toStdString();
    m_scan = QThread::create([this, folder] {
        std::vector<LogbookEntry> entries;
        QString status;
        try {
            Logbook book(folder, Logbook::defaultIndexFile(folder));
            entries = book.scan([this](std::size_t done, std::size_t total) {
                QMetaObject::invokeMethod(this, [this, done, total] {
                    m_status->setText(tr("Reading flights: %1 of %2").arg(done).arg(total));
                });
            });
            status = tr("%n flight(s) in %1", nullptr, int(entries.size())).arg(m_folder);
            if (const std::string unread = book.unreadSummary(entries); !unread.empty()) {
                status += "; " + QString::fromStdString(unread);
            }
        } catch (const std::exception&) {
            status = tr("The flights folder %1 cannot be read.").arg(m_folder);
        }
        QMetaObject::invokeMethod(this, [this, entries = std::move(entries), status]() mutable {
            scanDidFinish(std::move(entries), status);
        });
    });
    m_scan->start();
}

void LogbookWindow::scanDidFinish(std::vector<LogbookEntry> entries, const QString& status) {
    m_scan->wait();
    delete m_scan;
    m_scan = nullptr;
    m_dataSource->setEntries(std::move(entries));
    m_status->setText(status);
    Q_EMIT scanFinished();
}

void LogbookWindow::openFlightAtRow(int row) {
    const QModelIndex index = m_sorted->mapToSource(m_sorted->index(row, 0));
    if (!index.isValid() || !m_flightOpener) return;
    const LogbookEntry& entry = m_dataSource->entries()[static_cast<std::size_t>(index.row())];
    m_flightOpener(QDir(m_folder).filePath(QString::fromStdString(entry.file)));
}

QString LogbookWindow::statusText() const {
    return m_status->text();
}

}  // namespace kelvo
