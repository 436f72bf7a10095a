#include "LoggerAccess/Flarm/listener.h"

#include <algorithm>
#include <chrono>
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
constexpr std::size_t kMaxReceived = 1023;
// At a wrong speed the device's answer is silence, or garbage when it streams its sentences;
// at the right one its first byte comes well within this wait.
constexpr int kFirstByteMilliseconds = 250;
// Once bytes come, the acknowledgement is taken as soon as it is in; the device is given a
// second and the last byte's time.
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

// Sentences are printable ASCII in lines; any other byte is the garbage of a wrong speed.
bool isSentenceText(const std::string& received) {
    return std::all_of(received.begin(), received.end(),
                       [](char c) { return c == '\r' || c == '\n' || (c >= ' ' && c <= '~'); });
}

}  // namespace

std::uint32_t listener::connect(std::span<const int> speeds, std::chrono::milliseconds timeLimit) {
    const bool limited = timeLimit.count() > 0;
    const auto end = std::chrono::steady_clock::now() + scaledTimeout(timeLimit);
    for (int round = 0; round < kRounds; ++round) {
        for (const int speed : speeds) {
            if (limited && round > 0 && std::chrono::steady_clock::now() >= end) return 0;
            if (!m_port.setBaudRate(static_cast<std::uint32_t>(speed))) return 0;
            if (answersAtCurrentSpeed()) return static_cast<std::uint32_t>(speed);
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
    m_port.flush();  // what came at the speed before is no answer at this one
    sendProbe();
    const auto end = std::chrono::steady_clock::now() + scaledTimeout(kAnswerWait);
    std::string received;
    Bytes buffer(kMaxReceived);
    const auto readMore = [&] {
        std::size_t count = 0;
        if (m_port.read(MutableByteSpan(buffer).first(kMaxReceived - received.size()), count)) {
            received.append(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(count));
        }
    };
    m_port.setRcvTimeout(kFirstByteMilliseconds);
    readMore();
    m_port.setRcvTimeout(kReadTimeoutMilliseconds);
    while (!received.empty() && received.size() < kMaxReceived &&
           received.find("$PFLAP,A") == std::string::npos && isSentenceText(received) &&
           std::chrono::steady_clock::now() < end) {
        readMore();
    }
    logf("Received %d bytes\r\n", static_cast<int>(received.size()));
    logf("Received data: %s\r\n", received.c_str());
    return containsAcknowledge(received);
}

}  // namespace kelvo::flarm
