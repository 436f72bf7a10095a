#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "base/Bytes.h"
#include "sim/SimulatedLink.h"

namespace kelvo::sim {

// A pseudo-terminal pair: the driver under test opens slavePath() like a serial device,
// and an emulator plays the recorder on the master descriptor.
class PseudoTerminal {
public:
    PseudoTerminal();  // throws std::runtime_error when no pseudo-terminal can be had
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    const std::string& slavePath() const { return m_slavePath; }
    int masterFd() const { return m_master; }

    // The line speed in baud that the host last set on its end (0 when unknown).
    int lineSpeed() const;

    // One byte, or nothing when none arrived within the time-out (or the host hung up).
    std::optional<std::uint8_t> readByte(std::chrono::milliseconds timeout);
    // Up to max bytes that are available within the time-out.
    Bytes readSome(std::size_t max, std::chrono::milliseconds timeout);
    // Discards whatever the host has sent so far.
    void drainInput();
    bool write(ByteSpan bytes);
    bool write(const std::string& text);

    // Paced, the bytes reach the host no sooner than a UART at lineSpeed() would deliver
    // them (ten bits a byte); otherwise as fast as the pseudo-terminal takes them.
    void setPaced(bool paced) { m_paced = paced; }
    // What the recorder sends reaches the host as over this link (after the pacing, which
    // is the recorder's own UART); a link other than Plain hands the bytes to a thread that
    // delivers them when the link would. Set before the recorder sends.
    void setLink(LinkKind kind, std::uint64_t seed);
    // Bytes sent to the host so far, and the least time a UART needs for them at the line
    // speeds in force when each was sent.
    std::uint64_t bytesSent() const { return m_bytesSent; }
    std::chrono::nanoseconds lineTime() const { return std::chrono::nanoseconds(m_lineTime); }
    // Request/answer exchanges so far: how often the host spoke first or again after the
    // recorder had sent something. Each costs a link's latency once.
    std::uint64_t exchanges() const { return m_exchanges; }

private:
    struct Packet {
        std::chrono::steady_clock::time_point arrival;
        Bytes bytes;
    };

    bool writeNow(ByteSpan bytes);
    bool writePaced(ByteSpan bytes, int baud);
    // Onto the line at once, or through the link when it was sent at that time.
    bool send(ByteSpan bytes, std::chrono::steady_clock::time_point sentAt);
    void deliverPackets();

    std::atomic<bool> m_paced{false};
    std::atomic<std::uint64_t> m_bytesSent{0};
    std::atomic<std::int64_t> m_lineTime{0};  // [ns]
    std::atomic<std::uint64_t> m_exchanges{0};
    std::atomic<bool> m_answered{true};  // the recorder sent since the host last spoke
    // When the last byte given to the paced line has been delivered.
    std::chrono::steady_clock::time_point m_lineFreeAt{};
    std::unique_ptr<LinkShaper> m_link;
    std::mutex m_linkMutex;
    std::condition_variable m_linkChanged;
    std::deque<Packet> m_inFlight;
    bool m_closing = false;
    std::thread m_delivery;
    int m_master = -1;
    int m_slaveKeeper = -1;  // keeps the slave side alive between host opens
    std::string m_slavePath;
};

// Baud number of a termios speed constant (B9600 -> 9600), 0 when unknown.
int baudOfSpeed(unsigned int speed);

}  // namespace kelvo::sim
