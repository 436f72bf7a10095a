#include "support/ControllerFixture.h"

#include <QComboBox>
#include <QItemSelectionModel>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableView>
#include <QTreeView>

#include "LoggerAccess/LoggerFactory.h"
#include "app/FlightsDataSource.h"
#include "app/KelvoPrefsBasedFormatter.h"
#include "app/LoggerInfoDataSource.h"
#include "app/RoutesDataSource.h"
#include "app/TaskDataSource.h"
#include "app/WaypointsComboDataSource.h"
#include "app/WaypointsDataSource.h"

namespace kelvo::test {

ControllerFixture::ControllerFixture(PortDictionary ports, double delayScale)
    : m_fastPauses(delayScale) {
    KelvoPrefsBasedFormatter::setDisplayTimeZone(QTimeZone::utc());
    controller.connection().setPortSource([ports](int type) -> std::optional<PortDictionary> {
        if (type != 1) return std::nullopt;
        return ports;
    });
    controller.connection().setPluginRegistration([script = script](LoggerFactory& factory) {
        factory.registerLogger(ScriptedLogger::descriptor(script));
    });
    using Mode = QAbstractItemModelTester::FailureReportingMode;
    const QList<QAbstractItemModel*> models = {
        controller.loggerInfoDataSource(), controller.flightsDataSource(),
        controller.waypointsDataSource(),  controller.routesDataSource(),
        controller.taskDataSource(),       controller.waypointsComboDataSource()};
    for (QAbstractItemModel* model : models)
        m_testers.push_back(std::make_unique<QAbstractItemModelTester>(model, Mode::QtTest));
    controller.windowDidBecomeMain();
    chooseLoggerType(QString::fromStdString(ScriptedLogger::loggerName()));
}

ControllerFixture::~ControllerFixture() {
    waitForOperation();
}

void ControllerFixture::chooseLoggerType(const QString& name) {
    window.loggerTypesMenu->setCurrentIndex(window.loggerTypesMenu->findText(name));
    controller.connection().loggerTypeChanged();
}

bool ControllerFixture::waitForOperation() {
    if (!controller.runner().isOperationRunning()) return true;
    QSignalSpy finished(&controller.runner(), &DeviceOperationRunner::operationFinished);
    return finished.wait(10000);
}

bool ControllerFixture::connectScripted() {
    controller.connection().connect();
    return waitForOperation();
}

bool ControllerFixture::selectTab(int tab) {
    window.tabbedView->setCurrentIndex(tab);
    return waitForOperation();
}

bool ControllerFixture::connectAndSelect(int tab) {
    return connectScripted() && selectTab(tab);
}

void ControllerFixture::selectFlightRows(const std::vector<int>& rows) {
    QItemSelectionModel* selection = window.flightsList->selectionModel();
    selection->clearSelection();
    for (int row : rows)
        selection->select(controller.flightsDataSource()->index(row, 0),
                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

void ControllerFixture::selectTaskRow(int row) {
    window.taskView->selectionModel()->select(
        controller.taskDataSource()->index(row, 0),
        QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

}  // namespace kelvo::test
