#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "base/Bytes.h"

namespace kelvo::sim {

class PseudoTerminal;

// One recorded flight: the text the device gives as its record information
// ("name|YYYY-MM-DD|HH:MM:SS|HH:MM:SS|pilot|glider") and its IGC file.
struct FlarmFlight {
    std::string record;
    std::string igc;  // without the 0x1A that ends the last piece on the line
};

struct FlarmEmulatorConfig {
    std::uint32_t speed = 19200;  // the only line speed at which the device understands
    std::map<std::string, std::string> values;  // "$PFLAC,R,<key>" answers by key
    std::vector<FlarmFlight> flights;
    std::size_t chunkSize = 200;  // IGC bytes per answer frame, at most 539
};

// Plays a Flarm device on the master side of a pseudo-terminal: answers the text queries,
// and in binary mode the ping, record and IGC requests, from its configuration. Fault
// switches may be flipped while it runs.
class FlarmEmulator {
  public:
    FlarmEmulator(PseudoTerminal& terminal, FlarmEmulatorConfig config);
    ~FlarmEmulator();
    FlarmEmulator(const FlarmEmulator&) = delete;
    FlarmEmulator& operator=(const FlarmEmulator&) = delete;

    // Answers nothing at all.
    void setSilent(bool silent) { m_silent = silent; }
    // Sends at the line speed the host set, as the real recorder does, instead of as fast as
    // the pseudo-terminal takes bytes (the default, for quick tests).
    void setLineRate(bool paced);
    // Every answer frame carries a wrong checksum.
    void setWrongCrc(bool wrong) { m_wrongCrc = wrong; }
    // Selecting this record number is refused (-1: none).
    void setRefusedRecord(int record) { m_refusedRecord = record; }
    // Bytes of line noise precede every answer frame.
    void setNoiseBeforeFrames(bool noise) { m_noise = noise; }
    // After this many more bytes sent the line is dead: the device answers nothing more.
    void dropLineAfter(std::size_t bytes) { m_sendBudget = static_cast<long long>(bytes); }

    bool inBinaryMode() const { return m_binary; }
    // "$PFLAP,R" queries received at any speed.
    int speedQueries() const { return m_speedQueries; }

    // The escaped wire bytes of one frame (start byte first) with a correct checksum.
    static Bytes frame(std::uint8_t type, std::uint16_t seq, const Bytes& payload);
    // "$<body>*<two hex digits of the XOR checksum>\r\n"
    static std::string sentence(const std::string& body);

  private:
    struct Request {
        std::uint16_t seq = 0;
        std::uint8_t type = 0;
        Bytes payload;
    };

    void run();
    std::optional<std::uint8_t> nextByte();
    std::optional<std::uint8_t> nextUnescaped();
    void handleLine(const std::string& line);
    std::optional<Request> receiveFrame();
    void handleRequest(const Request& request);
    void answer(std::uint8_t type, const Request& request, const Bytes& extra = {});
    Bytes nextIgcPiece(std::uint8_t& progress);
    void transmit(ByteSpan bytes);
    void transmit(const std::string& text);

    PseudoTerminal& m_terminal;
    const FlarmEmulatorConfig m_config;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_binary{false};
    std::atomic<bool> m_silent{false};
    std::atomic<bool> m_wrongCrc{false};
    std::atomic<bool> m_noise{false};
    std::atomic<int> m_refusedRecord{-1};
    std::atomic<int> m_speedQueries{0};
    std::atomic<long long> m_sendBudget{-1};  // bytes still sent; -1: no limit
    std::optional<std::size_t> m_selected;
    std::size_t m_igcOffset = 0;
    std::uint16_t m_sequence = 1;
    std::thread m_thread;
};

}  // namespace kelvo::sim
