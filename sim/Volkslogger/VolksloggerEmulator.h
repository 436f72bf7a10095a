#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "LoggerAccess/Volkslogger/VolksloggerDatabase.h"
#include "base/Bytes.h"
#include "sim/PseudoTerminal.h"
#include "sim/Volkslogger/VolksloggerFlight.h"

namespace kelvo::sim {

// What the emulated recorder holds, built from ordinary objects.
struct VolksloggerMemory {
    std::uint16_t sessionId = 0x2A;
    std::uint16_t serialNumber = 1234;    // also written into every flight it logs
    std::uint8_t firmwareVersion = 0x36;  // high nibble major, low nibble minor
    std::uint8_t hardwareVersion = 0x33;
    std::uint8_t firmwareBuild = 7;
    std::vector<VolksloggerFlight> flights;
    vl::VolksloggerDatabase database;
};

// Plays a Volkslogger on the master side of a pseudo-terminal: the wake-up handshake,
// CRC-checked command frames, framed replies with DLE stuffing sent while the host
// solicits them with ACK, the data line speed for bulk reads, the signature block, erasing
// and the database upload. It notes every departure from the protocol's order that it sees
// (violations), so tests can check the host's pacing as well as its results.
class VolksloggerEmulator {
  public:
    enum class Fault {
        None,
        Silent,            // answers nothing at all
        SilentAfterReply,  // accepts commands, then sends nothing more
        WrongCrc,          // blocks carry a wrong CRC; uploads are refused
        RefuseCommands,    // every command answered "not implemented"
        DropMidBlock,      // the line goes dead halfway through a block, or before
                           // acknowledging an upload
    };

    VolksloggerEmulator(PseudoTerminal& terminal, VolksloggerMemory memory);
    ~VolksloggerEmulator();
    VolksloggerEmulator(const VolksloggerEmulator&) = delete;
    VolksloggerEmulator& operator=(const VolksloggerEmulator&) = delete;

    void setFault(Fault fault);
    // A database uploaded from now on is kept with the first letter of the declaration's
    // pilot changed, as a recorder that did not keep what it acknowledged.
    void alterStoredPilot(bool alter) { m_alterPilot = alter; }
    // Sends at the line speed the host set, as the real recorder does, instead of as fast as
    // the pseudo-terminal takes bytes (the default, for quick tests).
    void setLineRate(bool paced) { m_terminal.setPaced(paced); }

    // Command codes of the frames accepted so far, in order.
    std::vector<std::uint8_t> commands() const;
    std::vector<std::string> violations() const;
    // The flight data and signature as last sent (what the host's G records must cover).
    Bytes lastFlightSent() const;
    // The database image as the recorder now holds it.
    Bytes databaseImage() const;
    std::size_t flightCount() const;

  private:
    void run();
    std::optional<std::uint8_t> next(std::chrono::milliseconds timeout);
    void handleFrame(int cancelsBefore);
    void answer(std::uint8_t command, std::uint8_t param1, std::uint8_t param2);
    bool awaitDataSpeed(std::uint8_t baudIndex);
    void sendBlock(ByteSpan payload);
    void receiveUpload();
    void violation(const std::string& text);
    void writeByte(std::uint8_t byte);

    PseudoTerminal& m_terminal;
    std::atomic<bool> m_stop{false};
    std::atomic<Fault> m_fault{Fault::None};
    std::atomic<bool> m_alterPilot{false};
    std::deque<std::uint8_t> m_input;

    mutable std::mutex m_mutex;  // guards what tests read while the thread runs
    VolksloggerMemory m_memory;
    std::vector<Bytes> m_flights;
    Bytes m_directory;
    Bytes m_image;
    Bytes m_lastFlight;  // data and signature of the last flight read
    std::vector<std::uint8_t> m_commands;
    std::vector<std::string> m_violations;
    bool m_dead = false;  // after a dropped line

    std::thread m_thread;
};

}  // namespace kelvo::sim
