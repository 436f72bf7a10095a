#include "LoggerAccess/Flarm/FlarmAPI.h"

#include "LoggerAccess/Flarm/binarycomm.h"
#include "LoggerAccess/Flarm/listener.h"
#include "LoggerAccess/Flarm/serial.h"
#include "base/Log.h"

namespace kelvo {

FlarmAPI::FlarmAPI() = default;

FlarmAPI::~FlarmAPI() {
    DisconnectFR();
}

Outcome FlarmAPI::SerialConnectFR(const std::string& path, std::span<const int> speeds,
                                  std::chrono::milliseconds timeLimit) {
    m_link.reset();
    m_port = std::make_unique<flarm::serial>();
    if (!m_port->open(path)) return Outcome::refusal(m_port->lastError());
    m_lineSpeed = flarm::listener(*m_port).connect(speeds, timeLimit);
    if (m_lineSpeed == 0) {
        logf("No Flarm device answered on %s at any speed.", path.c_str());
        return Outcome::failure("no Flarm answered on " + path + " at any speed");
    }
    logLine("Connect succeeded!\r");
    m_link = std::make_unique<flarm::binarycomm>(*m_port);
    return Outcome::success();
}

void FlarmAPI::DisconnectFR() {
    if (m_link) {
        logLine("shutting down...\r");
        m_link.reset();
    }
    if (m_port) {
        m_port->close();
        m_port.reset();
    }
}

int FlarmAPI::IdentifyFR(char* /*text*/, int /*size*/) {
    return 0;
}

int FlarmAPI::IdentifyLogFR(int /*number*/, char* /*text*/, int /*size*/) {
    return 0;
}

int FlarmAPI::DownloadLogFR(int /*number*/, const std::string& /*path*/) {
    return 0;
}

int FlarmAPI::ValidateLog(const std::string& /*path*/) {
    return 0;
}

}  // namespace kelvo
