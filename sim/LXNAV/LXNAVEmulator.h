#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace kelvo::sim {

class PseudoTerminal;

// One flight in the recorder's logbook.
struct LXNAVLoggedFlight {
    std::string file;     // 8.3 name
    std::string date;     // "dd.mm.yyyy"; "00.00.1980" on a recorder without a clock
    std::string takeoff;  // "hh:mm:ss"
    std::string landing;  // "hh:mm:ss"; "00:00:00" when not known
    std::string igc;      // the file, each line ended by CR LF
};

struct LXNAVEmulatorConfig {
    int speed = 19200;              // the one speed the recorder answers at
    std::string product = "NANO3";  // Nanos leave the file name out of the rows they send
    std::string software = "3.02";
    std::string serial = "31415";
    int loggerStatus = 0;  // 0 stopped, 1 ready, 2 recording
    // Firmware before 2.10: the count answered as LOGBOOK, no sizes, no block transfer.
    bool oldFirmware = false;
    bool blockTransfer = true;               // newer firmware answers it
    std::vector<LXNAVLoggedFlight> flights;  // oldest first
    std::vector<std::string> declaration;    // its rows
    // How long the recorder takes to open a file before its first row [ms, scaled].
    std::chrono::milliseconds fileOpenTime{2500};
};

// Plays an LXNAV recorder on the master side of a pseudo-terminal: answers the $PLXVC
// questions from its memory while it streams its ordinary sentences, at its one speed.
// Faults may be switched while it runs.
class LXNAVEmulator {
  public:
    LXNAVEmulator(PseudoTerminal& terminal, LXNAVEmulatorConfig config);
    ~LXNAVEmulator();
    LXNAVEmulator(const LXNAVEmulator&) = delete;
    LXNAVEmulator& operator=(const LXNAVEmulator&) = delete;

    void setSilent(bool silent) { m_silent = silent; }
    void setLineRate(bool paced);
    // Every sentence it sends carries a wrong checksum.
    void setWrongChecksum(bool wrong) { m_wrongChecksum = wrong; }
    // Once a transfer (list, rows or blocks) has begun, the line dies after this many bytes.
    void dropLineInTransferAfter(std::size_t bytes) {
        m_dropInTransfer = static_cast<long long>(bytes);
    }
    // The dropped line is back.
    void restoreLine() { m_sendBudget = -1; }
    // Once: a row of a range goes missing, and after the host asked again, rows it had
    // already sent come late before the answer, as a Bluetooth link buffers them.
    void setStaleRows(bool stale) { m_staleRows = stale; }
    // Once: a B record of a range comes spliced with the next one under a valid checksum.
    void setSplicedRow(bool spliced) { m_splicedRow = spliced; }
    // Once: a block of the block transfer goes missing.
    void setLostBlock(bool lost) { m_lostBlock = lost; }
    // A written declaration is kept with its pilot's first letter changed.
    void setAlteredDeclaration(bool altered) { m_alteredDeclaration = altered; }
    // Declaration rows from this one on are not confirmed (0: all are).
    void setUnconfirmedFromRow(std::size_t row) { m_unconfirmedFrom = row; }

    std::vector<std::string> declaration() const;
    // Block transfers the host began, and row requests it made.
    int blockTransfers() const { return m_blockTransfers; }
    int rowRequests() const { return m_rowRequests; }
    // Whether a $PLXVC sentence arrived while the host's line ran at that speed.
    bool askedAt(int speed) const;

    // The rows of an IGC file: its lines without their ends.
    static std::vector<std::string> rowsOf(const std::string& igc);
    static std::string base64(std::string_view bytes);

  private:
    struct BlockSession {
        std::string bytes;
        std::size_t window = 0;
        std::size_t payload = 0;
        std::size_t count = 0;
        std::vector<std::string> texts;  // base64 of each block
        std::vector<std::int32_t> crcs;  // running check value after each block
    };

    void run();
    void handle(const std::vector<std::string>& fields, const std::string& body);
    void answerLogbook(std::size_t first, std::size_t end);
    void answerRows(const std::string& file, std::size_t first, std::size_t end);
    void startBlocks(const std::string& file, std::size_t window, std::size_t payload);
    void sendBlocks(std::size_t first);
    void sendBlock(std::size_t number, bool resent);
    void writeDeclarationRow(std::size_t row, std::size_t count, const std::string& content);
    void keepDeclaration();
    void answerDeclaration(std::size_t first, std::size_t end);
    void send(const std::string& body);
    void sendOrdinary();
    const LXNAVLoggedFlight* flightNamed(const std::string& file) const;

    PseudoTerminal& m_terminal;
    const LXNAVEmulatorConfig m_config;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_silent{false};
    std::atomic<bool> m_wrongChecksum{false};
    std::atomic<long long> m_dropInTransfer{-1};
    std::atomic<long long> m_sendBudget{-1};  // bytes still sent; -1: no limit
    std::atomic<bool> m_staleRows{false};
    std::atomic<bool> m_splicedRow{false};
    std::atomic<bool> m_lostBlock{false};
    std::atomic<bool> m_alteredDeclaration{false};
    std::atomic<std::size_t> m_unconfirmedFrom{0};
    std::atomic<int> m_blockTransfers{0};
    std::atomic<int> m_rowRequests{0};
    std::string m_openFile;
    std::vector<std::string> m_openRows;      // of the open file
    std::optional<std::size_t> m_droppedRow;  // missing in the last range, for the stale rows
    std::optional<BlockSession> m_blocks;
    mutable std::mutex m_mutex;  // guards the declaration and the speeds asked at
    std::vector<int> m_speedsAsked;
    std::vector<std::string> m_declaration;
    std::vector<std::string> m_pendingDeclaration;
    unsigned m_ordinaryCount = 0;
    std::thread m_thread;
};

}  // namespace kelvo::sim
