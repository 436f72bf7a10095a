#include "app/WaypointRouteTaskEditor.h"

#include <QComboBox>
#include <QFocusEvent>
#include <QItemSelectionModel>
#include <QMessageBox>
#include <QTableView>
#include <QTreeView>
#include <set>

#include "LoggerAccess/Logger.h"
#include "app/DeclarationForm.h"
#include "app/KelvoPrefs.h"
#include "app/LoggerController.h"
#include "app/LoggerWindow.h"
#include "app/MenuItems.h"
#include "app/RoutesDataSource.h"
#include "app/TaskDataSource.h"
#include "app/WaypointsDataSource.h"
#include "geo/Declaration.h"
#include "geo/Route.h"

namespace kelvo {

namespace {

// A turnpoint between start and finish: the preferred cylinder and sector radius.
void applyInnerTurnpointDefaults(Turnpoint& turnpoint) {
    turnpoint.setCylinderRadius(KelvoPrefs::defaultCylinderRadius());
    turnpoint.setSectorRadius(KelvoPrefs::defaultSectorRadius());
    turnpoint.setSectorDirection(360);
}

// The first item whose text (a menu item's title) is the one given; null for none.
template <class Items, class Text>
auto findByText(const Items& items, const QString& title, Text text)
    -> decltype(items.front().get()) {
    const std::string wanted = title.toStdString();
    for (const auto& item : items)
        if (((*item).*text)() == wanted) return item.get();
    return nullptr;
}

// Where a new turnpoint goes in a task of `count` turnpoints: after the selected row but
// never after the finish; -1 (the end) without a selection or a finish.
int insertionIndex(int selectedRow, std::size_t count) {
    if (selectedRow < 0 || count < 2) return -1;
    return std::min(selectedRow + 1, static_cast<int>(count) - 1);
}

void emptyBox(QComboBox& box) {
    box.setCurrentIndex(0);
    box.clearEditText();
}

}  // namespace

WaypointRouteTaskEditor::WaypointRouteTaskEditor(LoggerController& controller)
    : m_controller(controller) {}

int WaypointRouteTaskEditor::selectedTaskRow() const {
    const QModelIndexList rows = m_controller.window().taskView->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void WaypointRouteTaskEditor::applyTurnpointDefaults() {
    const std::shared_ptr<Task>& task = m_controller.logger()->loggerData().declaration()->task();
    if (!task) return;
    const std::size_t count = task->numOfTurnpoints();
    for (std::size_t i = 0; i < count; ++i) {
        Turnpoint& turnpoint = *task->turnpoint(i);
        if (i == 0 || i + 1 == count) {
            turnpoint.setLineWidth(KelvoPrefs::defaultStartlineWidth());
        } else {
            applyInnerTurnpointDefaults(turnpoint);
        }
    }
}

void WaypointRouteTaskEditor::useRoute(const QString& title) {
    Logger* logger = m_controller.logger();
    if (title.isEmpty() || !logger) return;
    const Route* route = findByText(logger->loggerData().routes(), title, &Route::name);
    if (!route) return;
    logger->loggerData().declaration()->useRoute(*route);
    applyTurnpointDefaults();
    m_controller.taskDataSource()->setData(logger->loggerData().declaration()->task());
}

void WaypointRouteTaskEditor::addWaypointToTask(const QString& title) {
    Logger* logger = m_controller.logger();
    if (title.isEmpty() || !logger) return;
    const Waypoint* waypoint =
        findByText(logger->loggerData().waypoints(), title, &Waypoint::description);
    if (!waypoint) return;
    auto turnpoint = std::make_shared<Turnpoint>(*waypoint);
    applyInnerTurnpointDefaults(*turnpoint);
    Declaration& declaration = *logger->loggerData().declaration();
    if (!declaration.task()) declaration.setTask(std::make_shared<Task>());
    Task& task = *declaration.task();
    const int selected = selectedTaskRow();
    const int index = insertionIndex(selected, task.numOfTurnpoints());
    const int row = index < 0 ? static_cast<int>(task.numOfTurnpoints()) : index;
    task.addTurnpoint(turnpoint, index);
    TaskDataSource* taskDataSource = m_controller.taskDataSource();
    taskDataSource->setData(declaration.task());
    if (selected < 0) return;
    m_controller.window().taskView->selectionModel()->select(
        taskDataSource->index(row, 0),
        QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void WaypointRouteTaskEditor::waypointChosenInBox(int index) {
    QComboBox* box = m_controller.window().addWaypointToTaskPopup;
    const QString title = index > 0 ? box->itemText(index) : QString();
    emptyBox(*box);
    // A completion is put into the box after the box has reported it: empty the box again
    // once that is done, or leaving the box would add the waypoint once more.
    QMetaObject::invokeMethod(
        box, [box] { emptyBox(*box); }, Qt::QueuedConnection);
    addWaypointToTask(title);
}

bool WaypointRouteTaskEditor::eventFilter(QObject* watched, QEvent* event) {
    auto* box = qobject_cast<QComboBox*>(watched);
    if (box && event->type() == QEvent::FocusOut &&
        static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason)
        emptyBox(*box);
    return false;
}

void WaypointRouteTaskEditor::removeWaypointFromTask() {
    TaskDataSource* taskDataSource = m_controller.taskDataSource();
    const int row = selectedTaskRow();
    const std::shared_ptr<Task>& task = taskDataSource->task();
    if (row < 0 || !task) return;
    task->removeWaypoint(static_cast<std::size_t>(row));
    taskDataSource->setData(task);
}

void WaypointRouteTaskEditor::addRoute() {
    m_controller.routesDataSource()->addRoute();
}

void WaypointRouteTaskEditor::deleteRoute() {
    m_controller.routesDataSource()->deleteItem(m_controller.window().routesView->currentIndex());
}

void WaypointRouteTaskEditor::updateHomePointItems() {
    Logger* logger = m_controller.logger();
    m_controller.declarationForm().setHomePointItems(logger ? &logger->loggerData().waypoints()
                                                            : nullptr);
}

void WaypointRouteTaskEditor::addWaypoint() {
    QTableView* view = m_controller.window().waypointsView;
    WaypointsDataSource* waypoints = m_controller.waypointsDataSource();
    QItemSelectionModel* selection = view->selectionModel();
    const QModelIndexList rows = selection->selectedRows();
    const int row = waypoints->addWaypoint(rows.isEmpty() ? -1 : rows.first().row());
    if (row < 0) return;
    const QModelIndex added = waypoints->index(row, 0);
    selection->select(added, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    view->scrollTo(added);
    updateHomePointItems();
}

void WaypointRouteTaskEditor::deleteWaypoint() {
    QTableView* view = m_controller.window().waypointsView;
    std::vector<int> rows;
    for (const QModelIndex& index : view->selectionModel()->selectedRows())
        rows.push_back(index.row());
    if (!confirmDeletingUsed(rows)) return;
    if (!m_controller.waypointsDataSource()->deleteRows(rows)) return;
    view->selectionModel()->clearSelection();
    updateHomePointItems();
}

QStringList WaypointRouteTaskEditor::routesUsing(const std::vector<int>& rows) const {
    Logger* logger = m_controller.logger();
    if (!logger) return {};
    std::set<std::string> names;
    for (int row : rows) {
        if (const auto waypoint = logger->loggerData().waypointAtIndex(std::size_t(row)))
            names.insert(waypoint->name());
    }
    QStringList routes;
    for (const auto& route : logger->loggerData().routes()) {
        const auto& points = route->waypoints();
        if (std::any_of(points.begin(), points.end(),
                        [&names](const auto& point) { return names.count(point->name()) > 0; }))
            routes << QString::fromStdString(route->name());
    }
    return routes;
}

bool WaypointRouteTaskEditor::confirmDeletingUsed(const std::vector<int>& rows) {
    const QStringList routes = routesUsing(rows);
    if (routes.isEmpty()) return true;
    const auto answer = QMessageBox::question(
        &m_controller.window(), tr("Delete Waypoint"),
        tr("The routes %1 use the waypoints to be deleted; they keep their own copies of them.\n\n"
           "Delete the waypoints?")
            .arg(routes.join(", ")),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    return answer == QMessageBox::Yes;
}

void WaypointRouteTaskEditor::fillTaskMenus() {
    fillUseRoutesMenu();
    fillAddWaypointsMenu();
}

void WaypointRouteTaskEditor::fillUseRoutesMenu() {
    Logger* logger = m_controller.logger();
    QStringList items{tr("Use Route")};
    if (logger) {
        for (const auto& route : logger->loggerData().routes())
            items << QString::fromStdString(route->name());
    }
    replaceItems(m_controller.window().useRouteForTaskMenu, items, {});
}

void WaypointRouteTaskEditor::fillAddWaypointsMenu() {
    Logger* logger = m_controller.logger();
    QStringList names;
    if (logger) {
        for (const auto& waypoint : logger->loggerData().waypoints())
            names << QString::fromStdString(waypoint->description());
    }
    // The title is the field's placeholder, so that a search is typed into an empty field.
    replaceItems(m_controller.window().addWaypointToTaskPopup,
                 QStringList{QString()} + sortedCaseInsensitively(names), {});
}

}  // namespace kelvo
