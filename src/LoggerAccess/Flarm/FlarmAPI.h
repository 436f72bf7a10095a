#pragma once

#include <chrono>

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "LoggerAccess/Flarm/listener.h"
#include "LoggerAccess/Outcome.h"

namespace kelvo {

namespace flarm {
class serial;
class binarycomm;
}  // namespace flarm

// Owns the serial connection to a Flarm device and, once connected, the binary link on it.
class FlarmAPI {
  public:
    FlarmAPI();
    virtual ~FlarmAPI();
    FlarmAPI(const FlarmAPI&) = delete;
    FlarmAPI& operator=(const FlarmAPI&) = delete;

    // Opens the device and finds its line speed among the speeds, in their order, within the
    // time limit when one is given (listener::connect); the port stays at that speed
    // (lineSpeed()).
    Outcome SerialConnectFR(const std::string& path,
                            std::span<const int> speeds = flarm::kLineSpeeds,
                            std::chrono::milliseconds timeLimit = {});
    std::uint32_t lineSpeed() const { return m_lineSpeed; }
    void DisconnectFR();

    // Offered by the device interface but not implemented: they answer 0.
    int IdentifyFR(char* text, int size);
    int IdentifyLogFR(int number, char* text, int size);
    int DownloadLogFR(int number, const std::string& path);
    int ValidateLog(const std::string& path);

  protected:
    flarm::serial* port() const { return m_port.get(); }
    flarm::binarycomm* link() const { return m_link.get(); }

  private:
    std::unique_ptr<flarm::serial> m_port;
    std::unique_ptr<flarm::binarycomm> m_link;
    std::uint32_t m_lineSpeed = 0;
};

}  // namespace kelvo
