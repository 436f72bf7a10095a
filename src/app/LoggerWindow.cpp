#include "app/LoggerWindow.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCompleter>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTreeView>
#include <QVBoxLayout>

#include "app/CheckedEntryDelegate.h"
#include "app/OutlineView.h"

namespace kelvo {

namespace {

// Named, so that the window's layout keeps its column widths.
QTableView* makeTable(QWidget* parent, const QString& name, QAbstractItemView::SelectionMode mode) {
    auto* table = new QTableView(parent);
    table->setObjectName(name);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(mode);
    table->horizontalHeader()->setStretchLastSection(true);
    table->verticalHeader()->setVisible(false);
    table->setItemDelegate(new CheckedEntryDelegate(table));
    return table;
}

QHBoxLayout* buttonRow(std::initializer_list<QWidget*> widgets) {
    auto* row = new QHBoxLayout;
    for (QWidget* widget : widgets) row->addWidget(widget);
    row->addStretch();
    return row;
}

}  // namespace

LoggerWindow::LoggerWindow(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(QStringLiteral("Kelvo"));
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->addWidget(makeConnectionBar());

    tabbedView = new QTabWidget(central);
    tabbedView->addTab(makeInfoTab(), tr("Logger"));
    tabbedView->addTab(makeFlightsTab(), tr("Flights"));
    tabbedView->addTab(makeDatabaseTab(), tr("Waypoints and Routes"));
    tabbedView->addTab(makeDeclarationTab(), tr("Declaration"));
    layout->addWidget(tabbedView);
    setCentralWidget(central);

    statusLine = new QLabel(this);
    statusLine->setWordWrap(true);
    statusBar()->addWidget(statusLine, 1);

    makeMenus();
    // Room for the declaration's form beside every column of its task.
    resize(1200, 760);
}

QWidget* LoggerWindow::makeConnectionBar() {
    auto* bar = new QWidget(this);
    auto* layout = new QHBoxLayout(bar);
    layout->setContentsMargins(0, 0, 0, 0);
    loggerTypesMenu = new QComboBox(bar);
    loggerTypesMenu->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    serialPortsMenu = new QComboBox(bar);
    serialPortsMenu->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    serialPortsMenu->setMinimumContentsLength(16);
    connectButton = new QPushButton(tr("Connect"), bar);
    layout->addWidget(new QLabel(tr("Logger:"), bar));
    layout->addWidget(loggerTypesMenu);
    layout->addWidget(new QLabel(tr("Port:"), bar));
    layout->addWidget(serialPortsMenu);
    layout->addWidget(connectButton);
    layout->addStretch();
    return bar;
}

QWidget* LoggerWindow::makeInfoTab() {
    auto* tab = new QWidget(this);
    auto* layout = new QVBoxLayout(tab);
    loggerInfoView = makeTable(tab, "loggerInfo", QAbstractItemView::SingleSelection);
    layout->addWidget(loggerInfoView);
    return tab;
}

QWidget* LoggerWindow::makeFlightsTab() {
    auto* tab = new QWidget(this);
    auto* layout = new QVBoxLayout(tab);
    flightsSummary = new QLabel(tab);
    layout->addWidget(flightsSummary);
    flightsList = makeTable(tab, "flights", QAbstractItemView::ExtendedSelection);
    layout->addWidget(flightsList);
    onlyDetectedTakeoffBox = new QCheckBox(tr("Only flights with detected take-off"), tab);
    reloadFlightsButton = new QPushButton(tr("Reload"), tab);
    downloadButton = new QPushButton(tr("Download…"), tab);
    downloadNewFlightsButton = new QPushButton(tr("Download New Flights"), tab);
    clearFlightsButton = new QPushButton(tr("Erase Flights…"), tab);
    viewFlightButton = new QPushButton(tr("View"), tab);
    layout->addLayout(buttonRow({onlyDetectedTakeoffBox, reloadFlightsButton, downloadButton,
                                 downloadNewFlightsButton, viewFlightButton, clearFlightsButton}));
    return tab;
}

QWidget* LoggerWindow::makeDatabaseTab() {
    auto* tab = new QWidget(this);
    auto* layout = new QVBoxLayout(tab);
    databaseNote = new QLabel(tab);
    databaseNote->setWordWrap(true);
    databaseNote->hide();
    layout->addWidget(databaseNote);
    auto* splitter = new QSplitter(Qt::Horizontal, tab);
    splitter->setObjectName("databaseSplitter");

    auto* waypointsBox = new QGroupBox(tr("Waypoints"), splitter);
    auto* waypointsLayout = new QVBoxLayout(waypointsBox);
    waypointsView = makeTable(waypointsBox, "waypoints", QAbstractItemView::ExtendedSelection);
    waypointsView->setDragEnabled(true);
    addWaypointButton = new QPushButton(tr("Add"), waypointsBox);
    deleteWaypointButton = new QPushButton(tr("Delete"), waypointsBox);
    importButton = new QPushButton(tr("Import…"), waypointsBox);
    exportButton = new QPushButton(tr("Export…"), waypointsBox);
    waypointsLayout->addWidget(waypointsView);
    waypointsLayout->addLayout(
        buttonRow({addWaypointButton, deleteWaypointButton, importButton, exportButton}));

    auto* routesBox = new QGroupBox(tr("Routes"), splitter);
    auto* routesLayout = new QVBoxLayout(routesBox);
    routesView = new OutlineView(routesBox);
    routesView->setItemDelegate(new CheckedEntryDelegate(routesView));
    // Waypoints dropped in from the table, and moved within and between routes.
    routesView->setDragDropMode(QAbstractItemView::DragDrop);
    addRouteButton = new QPushButton(tr("Add"), routesBox);
    deleteRouteButton = new QPushButton(tr("Delete"), routesBox);
    routesLayout->addWidget(routesView);
    routesLayout->addLayout(buttonRow({addRouteButton, deleteRouteButton}));

    layout->addWidget(splitter);
    reloadDatabaseButton = new QPushButton(tr("Reload from Logger"), tab);
    layout->addLayout(buttonRow({reloadDatabaseButton}));
    return tab;
}

QWidget* LoggerWindow::makeDeclarationTab() {
    auto* tab = new QWidget(this);
    auto* layout = new QHBoxLayout(tab);
    auto* splitter = new QSplitter(Qt::Horizontal, tab);
    splitter->setObjectName("declarationSplitter");
    layout->addWidget(splitter);

    auto* formBox = new QGroupBox(tr("Pilot and Glider"), splitter);
    auto* form = new QFormLayout(formBox);
    auto field = [formBox, form](const QString& label) {
        auto* edit = new QLineEdit(formBox);
        form->addRow(label, edit);
        return edit;
    };
    pilot1Field = field(tr("Pilot 1:"));
    pilot2Field = field(tr("Pilot 2:"));
    pilot3Field = field(tr("Pilot 3:"));
    pilot4Field = field(tr("Pilot 4:"));
    gliderIDField = field(tr("Glider ID:"));
    gliderTypeField = field(tr("Glider type:"));
    registration = field(tr("Competition ID:"));
    competitionClassPopup = new QComboBox(formBox);
    form->addRow(tr("Class:"), competitionClassPopup);
    homePointField = new QComboBox(formBox);
    homePointField->setEditable(true);
    homePointField->setInsertPolicy(QComboBox::NoInsert);
    form->addRow(tr("Home point:"), homePointField);
    homeLatitude = field(tr("Latitude:"));
    homeLongitude = field(tr("Longitude:"));
    homeElevation = field(tr("Elevation (m):"));

    auto* taskBox = new QGroupBox(tr("Task"), splitter);
    auto* taskLayout = new QVBoxLayout(taskBox);
    taskView = makeTable(taskBox, "task", QAbstractItemView::SingleSelection);
    useRouteForTaskMenu = new QComboBox(taskBox);
    addWaypointToTaskPopup = new QComboBox(taskBox);
    // Typing part of a name offers the waypoints that contain it.
    addWaypointToTaskPopup->setEditable(true);
    addWaypointToTaskPopup->setInsertPolicy(QComboBox::NoInsert);
    addWaypointToTaskPopup->setMinimumContentsLength(16);
    addWaypointToTaskPopup->lineEdit()->setPlaceholderText(tr("Add Waypoint"));
    addWaypointToTaskPopup->completer()->setFilterMode(Qt::MatchContains);
    addWaypointToTaskPopup->completer()->setCompletionMode(QCompleter::PopupCompletion);
    removeWaypointFromTaskButton = new QPushButton(tr("Remove"), taskBox);
    saveToLoggerButton = new QPushButton(tr("Save to Logger"), taskBox);
    taskLayout->addWidget(taskView);
    taskLayout->addLayout(
        buttonRow({useRouteForTaskMenu, addWaypointToTaskPopup, removeWaypointFromTaskButton}));
    taskLayout->addLayout(buttonRow({saveToLoggerButton}));
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({260, 940});
    return tab;
}

void LoggerWindow::makeMenus() {
    QMenu* application = menuBar()->addMenu(tr("&Kelvo"));
    preferencesAction = application->addAction(tr("&Preferences…"));
    preferencesAction->setShortcut(QKeySequence::Preferences);
    checkForUpdateAction = application->addAction(tr("Check for &Update…"));
    aboutAction = application->addAction(tr("&About Kelvo"));
    connect(aboutAction, &QAction::triggered, this, &LoggerWindow::showAboutBox);
    application->addSeparator();
    quitAction = application->addAction(tr("&Quit"));
    quitAction->setShortcut(QKeySequence::Quit);

    loggerMenuItem = menuBar()->addMenu(tr("&Logger"));
    reloadFlightsAction = loggerMenuItem->addAction(tr("Reload &Flights"));
    downloadAction = loggerMenuItem->addAction(tr("&Download Flights…"));
    downloadNewFlightsAction = loggerMenuItem->addAction(tr("Download &New Flights"));
    clearFlightsAction = loggerMenuItem->addAction(tr("&Erase Flights…"));
    loggerMenuItem->addSeparator();
    reloadDatabaseAction = loggerMenuItem->addAction(tr("Reload &Waypoints and Declaration"));
    saveToLoggerAction = loggerMenuItem->addAction(tr("&Save to Logger"));
    loggerMenuItem->addSeparator();
    importAction = loggerMenuItem->addAction(tr("&Import Waypoints…"));
    exportAction = loggerMenuItem->addAction(tr("E&xport Waypoints…"));
    connect(importButton, &QPushButton::clicked, importAction, &QAction::trigger);
    connect(exportButton, &QPushButton::clicked, exportAction, &QAction::trigger);
}

void LoggerWindow::showAboutBox() {
    QMessageBox::about(this, tr("About Kelvo"),
                       tr("<h3>Kelvo %1</h3><p>Downloads flights from gliding flight recorders "
                          "and edits their waypoints, routes and declaration.</p>")
                           .arg(QApplication::applicationVersion()));
}

bool LoggerWindow::event(QEvent* event) {
    // Without a window manager (or before it activates the window) a shown window is never
    // activated; its menus are filled when it is first shown all the same.
    if (event->type() == QEvent::WindowActivate || event->type() == QEvent::Show)
        Q_EMIT windowDidBecomeMain();
    return QMainWindow::event(event);
}

void LoggerWindow::closeEvent(QCloseEvent* event) {
    Q_EMIT windowWillClose();
    QMainWindow::closeEvent(event);
}

}  // namespace kelvo
