#include "app/FlightList.h"

#include <QAction>
#include <QCheckBox>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableView>
#include <algorithm>

#include "LoggerAccess/Logger.h"
#include "app/DeviceOperationRunner.h"
#include "app/FlightDownloads.h"
#include "app/FlightsDataSource.h"
#include "app/LoggerController.h"
#include "app/LoggerWindow.h"
#include "app/OutcomeText.h"
#include "app/WarningClearLoggerController.h"

namespace kelvo {

FlightList::FlightList(LoggerController& controller) : m_controller(controller) {}

void FlightList::showFlightsTab() {
    if (m_directoryLoaded) return;
    startReading(false);
    m_directoryLoaded = true;
}

void FlightList::loadFlights() {
    if (!m_controller.isConnected()) return;
    m_controller.logger()->loggerData().flightDirectory().clear();
    m_controller.attachLoggerDataToDataSources();
    startReading(true);
}

void FlightList::startReading(bool reload) {
    m_controller.runner().start(tr("Reading the flight directory…"),
                                [this, reload] { threadedLoadFlights(reload); });
}

void FlightList::threadedLoadFlights(bool reload) {
    readFlights(reload);
    m_controller.runner().onGui([this] { m_controller.runner().removeProgressWindow(); });
}

void FlightList::readFlights(bool reload) {
    Logger* logger = m_controller.logger();
    if (!logger) return;
    DeviceOperationRunner& runner = m_controller.runner();
    FlightsDataSource* flights = m_controller.flightsDataSource();
    FlightDirectory& directory = logger->loggerData().flightDirectory();
    if (reload) {
        runner.onGui([&] {
            directory.clear();
            flights->setData(&directory);
        });
    }
    const Outcome outcome = logger->readDirectory(reload);
    const bool allowsClear = logger->allowsClearFlights();
    runner.onGui([this, flights, &directory, outcome, allowsClear] {
        LoggerWindow& w = m_controller.window();
        if (!outcome) {
            m_controller.setStatus(tr("Reading the flight list failed: %1").arg(reasonOf(outcome)));
        }
        {
            const QSignalBlocker blocker(w.onlyDetectedTakeoffBox);
            w.onlyDetectedTakeoffBox->setChecked(false);
        }
        flights->setShowOnlyFlightsWithTakeoff(false);
        flights->setData(&directory);
        m_directoryReadAt = QDateTime::currentDateTime();
        showFlightsSummary();
        m_controller.flightDownloads().refreshLogbookColumn();
        w.downloadNewFlightsButton->setEnabled(!directory.empty());
        if (!directory.empty()) w.clearFlightsButton->setEnabled(allowsClear);
        w.clearFlightsAction->setEnabled(w.clearFlightsButton->isEnabled());
    });
}

void FlightList::onlyDetectedTakeoff(bool on) {
    m_controller.flightsDataSource()->setShowOnlyFlightsWithTakeoff(on);
    showFlightsSummary();
}

void FlightList::showFlightsSummary() {
    QLabel* summary = m_controller.window().flightsSummary;
    if (!m_directoryReadAt.isValid()) {
        summary->clear();
        return;
    }
    summary->setText(
        tr("%n flight(s), read at %1", nullptr, m_controller.flightsDataSource()->rowCount())
            .arg(QLocale().toString(m_directoryReadAt.time(), QLocale::ShortFormat)));
}

void FlightList::forgetDirectory() {
    m_directoryLoaded = false;
    m_directoryReadAt = {};
    showFlightsSummary();
}

void FlightList::clearFlights() {
    if (!m_controller.window().clearFlightsButton->isEnabled()) return;
    m_controller.warningClearLoggerController()->open();
}

void FlightList::clearFlightsSheetDidEnd(int result) {
    Logger* logger = m_controller.logger();
    if (result != 1 || !logger) return;
    logger->loggerData().flightDirectory().clear();
    logger->loggerData().flights().clear();
    m_controller.attachLoggerDataToDataSources();
    m_controller.runner().start(tr("Erasing the flights…"), [this] { threadedClearFlights(); });
}

void FlightList::threadedClearFlights() {
    Logger* logger = m_controller.logger();
    const Outcome outcome = logger ? logger->clearDirectory() : Outcome::refusal("no recorder");
    m_controller.runner().onGui([this, logger, outcome] {
        if (logger)
            m_controller.flightsDataSource()->setData(&logger->loggerData().flightDirectory());
        m_controller.runner().removeProgressWindow();
        m_controller.setStatus(outcome
                                   ? tr("The flights were erased.")
                                   : tr("Erasing the flights failed: %1").arg(reasonOf(outcome)));
    });
}

std::vector<int> FlightList::selectedFlightRows() const {
    std::vector<int> rows;
    for (const QModelIndex& index :
         m_controller.window().flightsList->selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void FlightList::flightsSelectionDidChange() {
    LoggerWindow& w = m_controller.window();
    const bool selected = w.flightsList->selectionModel()->hasSelection();
    w.downloadButton->setEnabled(selected);
    w.downloadAction->setEnabled(selected);
}

}  // namespace kelvo
