#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
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
    // "$PFLAC,R,<key>" answers by key. A declaration is taken only with "IGC:1" in LIC (when
    // there is one) and an IGC serial number in IGCSER.
    std::map<std::string, std::string> values;
    std::vector<FlarmFlight> flights;
    std::size_t chunkSize = 200;  // IGC bytes per answer frame, at most 539
    bool binaryDownload = true;   // false: refuses "$PFLAX" and stays in text mode
    bool reportsTask = true;      // answers "$PFLAC,R,TASK" (false: ERROR, as older firmware)
    // The declared task: its name and ADDWP values, take-off and landing included; none
    // when the name is empty.
    std::string taskName;
    std::vector<std::string> task;
};

// Plays a Flarm device on the master side of a pseudo-terminal: answers the text queries,
// and in binary mode the ping, record and IGC requests, from its configuration. Text
// sentences count only with a correct checksum ("$ERROR,CKSUM" otherwise); written
// configuration items and the declared task are echoed and kept, and "$PFLAR,0" restarts it
// (silent for a while). Fault switches may be flipped while it runs.
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
    // A written pilot is kept with its first letter changed (echoed as sent).
    void setAlterDeclaration(bool alter) { m_alterDeclaration = alter; }
    // "NEWTASK" is answered with ERROR, as by a firmware that broke declarations.
    void setRefuseNewTask(bool refuse) { m_refuseNewTask = refuse; }

    // The configuration value of the key as kept now; empty when there is none.
    std::string value(const std::string& key) const;
    // The declared task's ADDWP values ("DDMMmmmN,DDDMMmmmE,name"), take-off and landing
    // included.
    std::vector<std::string> taskPoints() const;
    // Sentences received with a missing or wrong checksum, and restarts.
    int badSentences() const { return m_badSentences; }
    int restarts() const { return m_restarts; }

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
    void handleSentence(const std::string& body);
    void readItem(const std::string& key);
    void writeItem(const std::string& key, const std::string& value);
    // The answer to a write: ERROR, or the item kept (nothing when it is not kept).
    std::optional<std::string> keep(const std::string& key, const std::string& value);
    bool takesDeclaration() const;
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
    std::atomic<bool> m_alterDeclaration{false};
    std::atomic<bool> m_refuseNewTask{false};
    std::atomic<int> m_badSentences{0};
    std::atomic<int> m_restarts{0};
    std::chrono::steady_clock::time_point m_restartedUntil;
    mutable std::mutex m_mutex;  // guards the kept values and the task
    std::map<std::string, std::string> m_values;
    std::optional<std::vector<std::string>> m_task;  // after NEWTASK with a name
    std::string m_taskName;
    std::optional<std::size_t> m_selected;
    std::size_t m_igcOffset = 0;
    std::uint16_t m_sequence = 1;
    std::thread m_thread;
};

}  // namespace kelvo::sim
