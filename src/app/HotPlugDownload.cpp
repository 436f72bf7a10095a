#include "app/HotPlugDownload.h"

#include <QTabWidget>

#include "LoggerAccess/Logger.h"
#include "app/ConnectionController.h"
#include "app/DeviceOperationRunner.h"
#include "app/FlightDownloads.h"
#include "app/FlightList.h"
#include "app/KelvoPrefs.h"
#include "app/LoggerController.h"
#include "app/LoggerWindow.h"

namespace kelvo {

HotPlugDownload::HotPlugDownload(LoggerController& controller) : m_controller(controller) {}

void HotPlugDownload::notePresentPorts() {
    appearedRecorderPort();
}

HotPlugDownload::Appeared HotPlugDownload::appearedRecorderPort() {
    const std::optional<PortDictionary> ports = m_controller.connection().serialPorts();
    if (!ports) return {};
    Appeared appeared;
    std::map<std::string, std::string> present;
    for (const auto& [name, port] : *ports) {
        present.emplace(name, port.path);
        const auto known = m_present.find(name);
        const bool isNew = known == m_present.end() || known->second != port.path;
        if (!isNew || !appeared.port.isEmpty()) continue;
        const QString type = ConnectionController::rememberedType(port);
        if (!type.isEmpty()) appeared = {QString::fromStdString(name), type};
    }
    m_present = std::move(present);
    return appeared;
}

void HotPlugDownload::portsDidChange() {
    const Appeared recorder = appearedRecorderPort();
    const QString& port = recorder.port;
    if (port.isEmpty() || !KelvoPrefs::downloadNewFlightsOnConnect()) return;
    if (m_step != Step::Idle) {
        m_controller.setStatus(
            tr("A recorder appeared on %1; Kelvo is busy with the one on %2 and leaves it.")
                .arg(port, m_recorder.port));
    } else if (m_controller.isConnected()) {
        m_controller.setStatus(
            tr("A recorder appeared on %1; Kelvo stays with the recorder connected now.")
                .arg(port));
    } else if (m_controller.runner().isOperationRunning()) {
        m_step = Step::Waiting;
        m_recorder = recorder;
        m_controller.setStatus(
            tr("A recorder appeared on %1; its new flights download when the running "
               "operation ends.")
                .arg(port));
    } else {
        begin(recorder);
    }
}

void HotPlugDownload::begin(const Appeared& recorder) {
    m_recorder = recorder;
    if (!m_controller.connection().choosePort(recorder.port, recorder.type))
        return end(tr("The recorder on %1 went away again.").arg(recorder.port));
    m_step = Step::Connecting;
    m_controller.connection().connect();
}

void HotPlugDownload::operationDidFinish() {
    switch (m_step) {
        case Step::Idle:
            return;
        case Step::Waiting:
            if (m_controller.isConnected())
                return end(tr("A recorder was connected meanwhile; Kelvo leaves the one on %1.")
                               .arg(m_recorder.port));
            return begin(m_recorder);
        case Step::Connecting:
            return afterConnect();
        case Step::Reading:
            return afterReading();
        case Step::Downloading:
            return end();
    }
}

// The connect says in the status line why it failed; after it, the flights tab shows the
// list the download needs.
void HotPlugDownload::afterConnect() {
    if (!m_controller.isConnected()) return end();
    m_step = Step::Reading;
    m_controller.window().tabbedView->setCurrentIndex(LoggerWindow::FlightsTab);
    m_controller.flightList().showFlightsTab();
    if (!m_controller.runner().isOperationRunning()) end();
}

void HotPlugDownload::afterReading() {
    Logger* logger = m_controller.logger();
    if (!logger || !m_controller.isConnected()) return end();
    if (logger->loggerData().flightDirectory().empty()) {
        // A list that could not be read says so already.
        return end();
    }
    m_step = Step::Downloading;
    m_controller.flightDownloads().downloadNewFlights();
    if (!m_controller.runner().isOperationRunning()) end();
}

void HotPlugDownload::end(const QString& status) {
    if (!status.isEmpty()) m_controller.setStatus(status);
    m_step = Step::Idle;
    m_recorder = {};
    Q_EMIT didEnd();
}

}  // namespace kelvo
