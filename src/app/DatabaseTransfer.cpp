#include "app/DatabaseTransfer.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <algorithm>

#include "LoggerAccess/DeclarationCheck.h"
#include "LoggerAccess/Logger.h"
#include "LoggerAccess/LoggerLimits.h"
#include "app/DeclarationForm.h"
#include "app/DeviceOperationRunner.h"
#include "app/EditorLimits.h"
#include "app/LoggerController.h"
#include "app/LoggerWindow.h"
#include "app/OutcomeText.h"
#include "app/RoutesDataSource.h"
#include "app/TaskDataSource.h"
#include "app/WaypointRouteTaskEditor.h"
#include "app/WaypointsDataSource.h"
#include "base/Format.h"
#include "geo/Route.h"

namespace kelvo {

DatabaseTransfer::DatabaseTransfer(LoggerController& controller) : m_controller(controller) {}

void DatabaseTransfer::enableSaveToLogger() {
    m_controller.window().saveToLoggerButton->setEnabled(true);
    m_controller.window().saveToLoggerAction->setEnabled(true);
}

bool DatabaseTransfer::alreadyRead(const bool& loaded) {
    bool read = false;
    m_controller.runner().onGui([&] {
        if (!loaded) return;
        enableSaveToLogger();
        read = true;
    });
    return read;
}

void DatabaseTransfer::forgetDatabase() {
    m_waypointsLoaded = m_declarationLoaded = false;
    m_routeNamesAsRead.clear();
    applyLimits();
}

void DatabaseTransfer::applyLimits() {
    const EditorLimits limits = EditorLimits::of(
        m_controller.logger(), m_controller.window().loggerTypesMenu->currentText());
    m_controller.waypointsDataSource()->setLimits(limits);
    m_controller.routesDataSource()->setLimits(limits);
    m_controller.taskDataSource()->setLimits(limits);
    m_controller.declarationForm().applyLimits(limits);
    // A recorder without waypoints still takes a task: the list serves to build it.
    const Logger* logger = m_controller.logger();
    QLabel* note = m_controller.window().databaseNote;
    note->setVisible(logger && !logger->storesWaypoints() && !logger->storesRoutes());
    note->setText(tr("The %1 keeps no waypoints or routes; these serve to build the task on the "
                     "Declaration tab, and Save to Logger writes only the declaration.")
                      .arg(limits.recorder));
}

void DatabaseTransfer::showDatabaseTab() {
    startReading(false);
}

void DatabaseTransfer::startReading(bool reload) {
    m_controller.runner().start(tr("Reading waypoints, routes and declaration…"),
                                [this, reload] { threadedLoadDatabase(reload); });
}

void DatabaseTransfer::loadDatabase() {
    if (!m_controller.isConnected()) return;
    m_controller.logger()->loggerData().routes().clear();
    m_controller.logger()->loggerData().waypoints().clear();
    m_controller.attachLoggerDataToDataSources();
    startReading(true);
}

void DatabaseTransfer::threadedLoadDatabase(bool reload) {
    readWaypoints(reload);
    readDeclaration(reload);
    m_controller.runner().onGui([this] {
        m_controller.runner().removeProgressWindow();
        m_controller.waypointRouteTaskEditor().fillTaskMenus();
        m_waypointsLoaded = m_declarationLoaded = true;
    });
}

void DatabaseTransfer::readWaypoints(bool reload) {
    Logger* logger = m_controller.logger();
    if (!logger) return;
    DeviceOperationRunner& runner = m_controller.runner();
    if (reload) {
        runner.onGui([this] {
            m_controller.waypointsDataSource()->setData(nullptr);
            m_controller.routesDataSource()->setRoutes(nullptr, nullptr);
        });
    } else if (alreadyRead(m_waypointsLoaded)) {
        return;
    }
    // A recorder that keeps only a declaration leaves the lists as the pilot made them.
    const bool declarationOnly =
        logger->storesDeclaration() && !logger->storesWaypoints() && !logger->storesRoutes();
    Outcome outcome = declarationOnly ? Outcome::success() : logger->readWaypoints(reload);
    if (outcome && !declarationOnly) outcome = logger->readRoutes(false);
    runner.onGui([this, logger, outcome] {
        if (!outcome) {
            m_controller.setStatus(tr("Reading the waypoints failed: %1").arg(reasonOf(outcome)));
        }
        LoggerData& data = logger->loggerData();
        m_routeNamesAsRead.clear();
        for (const auto& route : data.routes())
            m_routeNamesAsRead << QString::fromStdString(route->name());
        applyLimits();
        m_controller.waypointsDataSource()->setData(&data.waypoints());
        m_controller.declarationForm().setHomePointItems(&data.waypoints());
        m_controller.routesDataSource()->setRoutes(&data.routes(), &data.waypoints());
    });
    logger->readPilots(false);
    runner.onGui([this] { enableSaveToLogger(); });
}

void DatabaseTransfer::readDeclaration(bool reload) {
    Logger* logger = m_controller.logger();
    if (!logger) return;
    DeviceOperationRunner& runner = m_controller.runner();
    if (!reload && alreadyRead(m_declarationLoaded)) return;
    // A reload reads the declaration from the device again, as it does the waypoints.
    const Outcome outcome = logger->readDeclaration(reload);
    runner.onGui([this, outcome] {
        if (!outcome) {
            m_controller.setStatus(tr("Reading the declaration failed: %1").arg(reasonOf(outcome)));
        }
        m_controller.declarationForm().showDeclaration();
        enableSaveToLogger();
    });
}

void DatabaseTransfer::saveToLogger() {
    Logger* logger = m_controller.logger();
    if (!logger) return;
    m_controller.declarationForm().fillDeclaration(*logger->loggerData().declaration());
    if (!confirmUnkeptChanges()) return;
    m_controller.runner().start(tr("Writing waypoints, routes and declaration…"),
                                [this] { threadedSaveDatabase(); });
}

QStringList DatabaseTransfer::unkeptChanges() const {
    const Logger& logger = *m_controller.logger();
    const LoggerData& data = logger.loggerData();
    std::vector<std::string> lines = LoggerLimits::excess(data, logger.capabilities());
    const auto dropped =
        LoggerLimits::waypointFieldsDropped(data, logger.capabilities().keptWaypointFields);
    lines.insert(lines.end(), dropped.begin(), dropped.end());
    const auto renamed =
        std::count_if(data.routes().begin(), data.routes().end(), [this](const auto& route) {
            return !m_routeNamesAsRead.contains(QString::fromStdString(route->name()));
        });
    if (!logger.capabilities().keepsRouteNames && renamed > 0) {
        lines.push_back(
            stringf("the recorder keeps no route names; %td %s", renamed,
                    renamed == 1 ? "route loses its" : "routes lose theirs"));
    }
    if (const auto limits = logger.declarationLimits()) {
        const auto declaration = LoggerLimits::declarationChanges(data, *limits);
        lines.insert(lines.end(), declaration.begin(), declaration.end());
    }
    QStringList changes;
    for (const std::string& line : lines) changes << QString::fromStdString(line);
    return changes;
}

bool DatabaseTransfer::confirmUnkeptChanges() {
    const QStringList changes = unkeptChanges();
    if (changes.isEmpty()) return true;
    const auto answer = QMessageBox::question(
        &m_controller.window(), tr("Save to Logger"),
        tr("The recorder will not keep everything as it stands:\n\n%1\n\nWrite what it "
           "keeps?")
            .arg("\u2022 " + changes.join("\n\u2022 ")),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer != QMessageBox::Yes) return false;
    Logger& logger = *m_controller.logger();
    if (!LoggerLimits::excess(logger.loggerData(), logger.capabilities()).empty()) {
        LoggerLimits::cutToFit(logger.loggerData(), logger.capabilities());
        m_controller.attachLoggerDataToDataSources();
    }
    return true;
}

QString DatabaseTransfer::savedText(const Logger& logger,
                                    const DeclarationVerification& verification) {
    const QString declaration = QString::fromStdString(verification.text());
    QString text = logger.storesWaypoints()
                       ? tr("Waypoints and routes were written to the logger; declaration %1.")
                             .arg(declaration)
                       : tr("The declaration was %1.").arg(declaration);
    if (logger.capabilities().restartsForDeclaration) {
        text += logger.restartAfterDeclaration()
                    ? tr(" The logger was restarted so that the declaration takes effect.")
                    : tr(" The declaration takes effect when the logger next starts.");
    }
    return text;
}

void DatabaseTransfer::threadedSaveDatabase() {
    Logger* logger = m_controller.logger();
    const Outcome outcome =
        logger ? logger->writeDatabaseAndDeclaration() : Outcome::refusal("no recorder");
    // An acknowledged write may still leave another declaration in the recorder: read it
    // back in the same connection and show what it holds.
    const DeclarationVerification verification =
        outcome ? DeclarationCheck::verifyWritten(*logger) : DeclarationVerification{};
    m_controller.runner().onGui([this, outcome, verification] {
        m_controller.runner().removeProgressWindow();
        if (!outcome) {
            return m_controller.setStatus(
                tr("Writing to the logger failed: %1").arg(reasonOf(outcome)));
        }
        if (verification.verdict != DeclarationVerification::Verdict::NotVerifiable) {
            m_controller.declarationForm().showDeclaration();
        }
        m_controller.setStatus(savedText(*m_controller.logger(), verification));
    });
}

}  // namespace kelvo
