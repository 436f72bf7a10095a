#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "base/Bytes.h"
#include "sim/PseudoTerminal.h"

namespace kelvo {
class Declaration;
class Route;
class Waypoint;
}  // namespace kelvo

namespace kelvo::sim {

// A flight as the recorder holds it: its native byte stream in flight memory, its
// directory texts and the security block that a secure download appends.
struct LXEmulatedFlight {
    Bytes native;
    std::array<std::uint8_t, 256> securityBlock{};
    std::string date = "07.10.09";  // DD.MM.YY
    std::string start = "09:05:00";
    std::string stop = "13:20:30";
    std::string pilot = "Hans Muster";
    std::uint16_t flightNumber = 1;
};

// A range the host selected, as addresses (page * 32768 + position).
struct LXSelection {
    std::uint32_t start = 0;
    std::uint32_t end = 0;
};

// Plays an LX recorder on the master side of a pseudo-terminal. It answers only at its
// line speed, answers SYN with ACK and serves the command set from a scripted memory:
// identification, memory bounds, directory, flight memory in ranges and blocks, the
// security block, the waypoint database, the declaration and the class name. What the
// host writes is stored. Fault switches make it silent, leave one command unanswered,
// corrupt the CRC of one command's replies or a byte of a directory record, drop the line
// after a number of bytes, or keep something else than was written.
class LXRecorderEmulator {
  public:
    static constexpr std::size_t kDatabaseSize = 21800;
    static constexpr std::size_t kDeclarationSize = 349;
    static constexpr std::size_t kClassNameSize = 9;

    LXRecorderEmulator(PseudoTerminal& line, int lineSpeed);
    ~LXRecorderEmulator();
    LXRecorderEmulator(const LXRecorderEmulator&) = delete;
    LXRecorderEmulator& operator=(const LXRecorderEmulator&) = delete;

    // --- what the recorder holds
    void setIdentification(std::string text);  // empty: no reply to the identification
    void setRecorder(std::string manufacturer, std::uint16_t serialNumber);
    // The flight memory ring, pages first to last (8 to 15 unless set).
    void setMemoryPages(std::uint8_t first, std::uint8_t last);
    void setAnswersMemoryInfo(bool answers);
    // Stores a flight after the previous one (or at the given address), wrapping at the
    // end of the ring; answers its start address.
    std::uint32_t addFlight(const LXEmulatedFlight& flight,
                            std::optional<std::uint32_t> startAddress = std::nullopt);
    void setBlockSize(std::size_t size);  // largest block of a range reply
    void setDatabase(Bytes database);
    // The database of these waypoints and routes (route points missing from the list are
    // added to it, as the recorder's own editor would).
    void setDatabase(std::vector<std::shared_ptr<Waypoint>> waypoints,
                     const std::vector<std::shared_ptr<Route>>& routes);
    void setDeclaration(Bytes declaration);
    // The declaration block of a declaration and, for a class without a class code, the
    // class name block.
    void setDeclaration(const Declaration& declaration, std::string className = "");
    void setClassName(std::string name);

    // --- faults
    void setSilent(bool silent);
    // A declaration written from now on is kept with the first letter of its pilot changed,
    // as a recorder that did not keep what it acknowledged.
    void alterStoredPilot(bool alter);
    // A database written from now on is kept with its last waypoint 100 m lower, as a
    // recorder that did not keep what it was sent.
    void alterStoredDatabase(bool alter);
    // Sends at the line speed the host set, as the real recorder does, instead of as fast as
    // the pseudo-terminal takes bytes (the default, for quick tests).
    void setLineRate(bool paced) { m_line.setPaced(paced); }
    // Every reply to this command carries a wrong CRC.
    void corruptCrcOf(std::uint8_t command);
    void corruptDirectoryRecord(std::size_t index);
    // The directory record arrives with this byte changed and its checksum as sent.
    void damageDirectoryRecord(std::size_t index, std::size_t offset, std::uint8_t value);
    // Requests of this command go unanswered.
    void ignoreCommand(std::uint8_t command);
    // After this many more bytes sent the line is dead.
    void dropLineAfter(std::size_t bytes);
    // Answers SYN only after this pause (a ping then stays on the line that long).
    void setSynAnswerDelay(std::chrono::milliseconds delay);

    // --- what the host did
    Bytes database() const;
    Bytes declaration() const;
    std::string className() const;
    std::vector<std::uint8_t> commands() const;
    std::vector<LXSelection> selections() const;
    std::vector<Bytes> selectionPayloads() const;
    std::size_t synCount() const { return m_synCount; }
    // Bytes that broke the protocol: a SYN right after STX, a written block with a wrong
    // CRC, a byte arriving while a SYN answer is pending.
    std::size_t protocolErrors() const { return m_protocolErrors; }
    int lineSpeed() const { return m_lineSpeed; }

  private:
    void run();
    void handle(std::uint8_t byte);
    void command(std::uint8_t code);
    void answerSyn();
    void alterDatabase();
    // Reads a block of size bytes plus CRC from the host; nothing when it did not come
    // whole or failed its CRC.
    std::optional<Bytes> receiveBlock(std::size_t size);
    void send(ByteSpan bytes);
    void sendBlock(std::uint8_t command, ByteSpan data);
    void sendDirectory();
    void sendSizes();
    Bytes directoryRecord(std::size_t index) const;
    Bytes rangeData(const LXSelection& selection) const;
    std::vector<std::size_t> blockSizes() const;
    std::uint32_t ringStart() const;
    std::uint32_t ringEnd() const;

    PseudoTerminal& m_line;
    const int m_lineSpeed;
    mutable std::mutex m_mutex;

    std::string m_identification;
    std::string m_manufacturer = "LXNAV Nano";
    std::uint16_t m_serialNumber = 1;
    std::uint8_t m_firstPage = 8, m_lastPage = 15;
    bool m_answersMemoryInfo = true;
    Bytes m_memory;
    struct StoredFlight {
        LXEmulatedFlight flight;
        std::uint32_t start;
        std::uint32_t end;
    };
    std::vector<StoredFlight> m_flights;
    std::uint32_t m_nextAddress;
    std::size_t m_blockSize = 4096;
    Bytes m_database;
    Bytes m_declaration;
    std::string m_className;

    bool m_silent = false;
    bool m_alterPilot = false;
    bool m_alterDatabase = false;
    std::optional<std::uint8_t> m_corruptCommand;
    std::optional<std::uint8_t> m_ignoredCommand;
    std::optional<std::size_t> m_corruptDirectoryRecord;
    struct ByteDamage {
        std::size_t record;
        std::size_t offset;
        std::uint8_t value;
    };
    std::optional<ByteDamage> m_directoryDamage;
    std::optional<std::size_t> m_sendBudget;
    std::chrono::milliseconds m_synDelay{0};

    std::vector<std::uint8_t> m_commands;
    std::vector<LXSelection> m_selections;
    std::vector<Bytes> m_selectionPayloads;
    Bytes m_rangeReply;  // the selected range, cut into blocks on request
    std::atomic<std::size_t> m_synCount{0};
    std::atomic<std::size_t> m_protocolErrors{0};
    bool m_afterStx = false;

    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

}  // namespace kelvo::sim
