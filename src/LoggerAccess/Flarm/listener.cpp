#include "LoggerAccess/Flarm/listener.h"

#include <array>
#include <cstdint>
#include <string>

#include "LoggerAccess/Flarm/serial.h"
#include "base/Delay.h"
#include "base/Log.h"

namespace kelvo::flarm {
namespace {

constexpr int kRounds = 5;
constexpr std::array<std::uint32_t, 5> kSpeeds{4800, 9600, 19200, 38400, 57600};
constexpr std::size_t kMaxReceived = 1023;
// The answer has had a second to arrive; this only catches a slow last byte.
constexpr int kReadTimeoutMilliseconds = 100;

// True when some "$" in the text starts the acknowledge sentence.
bool containsAcknowledge(const std::string& received) {
    for (std::size_t dollar = received.find('$'); dollar != std::string::npos;
         dollar = received.find('$', dollar + 1)) {
        const std::string token = received.substr(dollar, 8);
        logf("token: %s\r\n", token.c_str());
        if (token == "$PFLAP,A") {
            logLine("synced!\r");
            return true;
        }
    }
    return false;
}

}  // namespace

bool listener::connect(unsigned int /*unused*/) {
    for (int round = 0; round < kRounds; ++round) {
        for (const std::uint32_t speed : kSpeeds) {
            if (!m_port.setBaudRate(speed)) return false;
            if (answersAtCurrentSpeed()) return true;
        }
    }
    return false;
}

bool listener::answersAtCurrentSpeed() {
    m_port.writeStr("$PFLAP,R\r\n");
    delaySeconds(1);
    m_port.setRcvTimeout(kReadTimeoutMilliseconds);
    Bytes buffer(kMaxReceived);
    std::size_t count = 0;
    if (!m_port.read(buffer, count)) return false;
    const std::string received(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(count));
    logf("Received %d bytes\r\n", static_cast<int>(count));
    logf("Received data: %s\r\n", received.c_str());
    return containsAcknowledge(received);
}

}  // namespace kelvo::flarm
