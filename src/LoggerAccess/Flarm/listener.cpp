#include "LoggerAccess/Flarm/listener.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <vector>
#include <cstdint>
#include <string>

#include "LoggerAccess/Flarm/binarycomm.h"
#include "LoggerAccess/Flarm/serial.h"
#include "LoggerAccess/Nmea/NmeaLink.h"
#include "base/Delay.h"
#include "base/Log.h"

namespace kelvo::flarm {
namespace {

constexpr int kRounds = 5;
constexpr std::array<std::uint32_t, 5> kSpeeds{4800, 9600, 19200, 38400, 57600};
constexpr std::uint32_t kFactorySpeed = 19200;  // what a device answers at until set otherwise
constexpr std::size_t kMaxReceived = 1023;
// The device answers within a second; a read waits at most a slow byte's time.
constexpr auto kAnswerWait = std::chrono::milliseconds(1100);
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

// Moves the speed, when it is one of the list, to the front.
void putFirst(std::vector<std::uint32_t>& speeds, std::uint32_t speed) {
    const auto found = std::find(speeds.begin(), speeds.end(), speed);
    if (found != speeds.end()) std::rotate(speeds.begin(), found, found + 1);
}

// The two speeds a limited search always tries: the remembered one and the factory one.
constexpr std::size_t kAlwaysTried = 2;

}  // namespace

std::uint32_t listener::connect(std::uint32_t preferred, std::chrono::milliseconds timeLimit) {
    const bool limited = timeLimit.count() > 0;
    // The speed that last worked goes first, then the search order.
    std::vector<std::uint32_t> speeds(kSpeeds.begin(), kSpeeds.end());
    if (limited) putFirst(speeds, kFactorySpeed);
    putFirst(speeds, preferred);
    const auto end = std::chrono::steady_clock::now() + scaledTimeout(timeLimit);
    for (int round = 0; round < (limited ? 1 : kRounds); ++round) {
        for (std::size_t i = 0; i < speeds.size(); ++i) {
            if (limited && i >= kAlwaysTried && std::chrono::steady_clock::now() >= end) return 0;
            if (!m_port.setBaudRate(speeds[i])) return 0;
            if (answersAtCurrentSpeed()) return speeds[i];
        }
    }
    return 0;
}

void listener::sendProbe() {
    // A device left in binary mode hears the binary exit first; one in text mode passes the
    // frame over.
    Message exit = Message::request(binarycomm::kExit);
    binarycomm(m_port).sendMsg(exit);
    NmeaLink(m_port.line()).send(NmeaSentence("PFLAP,R"));
}

bool listener::answersAtCurrentSpeed() {
    sendProbe();
    // The answer is taken as soon as its acknowledgement is in; the device is given a second
    // and the last byte's time.
    const auto end = std::chrono::steady_clock::now() + scaledTimeout(kAnswerWait);
    m_port.setRcvTimeout(kReadTimeoutMilliseconds);
    std::string received;
    Bytes buffer(kMaxReceived);
    while (received.size() < kMaxReceived && std::chrono::steady_clock::now() < end) {
        std::size_t count = 0;
        if (!m_port.read(MutableByteSpan(buffer).first(kMaxReceived - received.size()), count)) {
            continue;
        }
        received.append(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(count));
        if (received.find("$PFLAP,A") != std::string::npos) break;
    }
    logf("Received %d bytes\r\n", static_cast<int>(received.size()));
    logf("Received data: %s\r\n", received.c_str());
    return containsAcknowledge(received);
}

}  // namespace kelvo::flarm
