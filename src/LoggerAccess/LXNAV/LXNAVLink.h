#pragma once

#include <chrono>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "LoggerAccess/Nmea/NmeaLink.h"

namespace kelvo {

class SerialPort;

// A whole decimal number of an answer's argument, nothing when it is none.
std::optional<long long> lxnavNumber(std::string_view text);

// One answer of the recorder, "$PLXVC,<key>,<arguments>": the key names the answer
// ("LOGBOOK,A"), the arguments follow it. A trailing comma after the last argument, which
// some firmware sends, adds no argument.
struct LXNAVAnswer {
    std::string key;
    std::vector<std::string> arguments;
    std::string body;  // the whole sentence body, for texts that hold commas themselves

    // The body from the argument at index on, commas and all; empty when there is none.
    std::string textFrom(std::size_t index) const;
};

// The recorder's $PLXVC sentences over the serial line: questions sent framed with their
// checksum, answers picked from the ordinary sentences ($GPRMC, $LXWP0, ...) the recorder
// keeps streaming, sentences with a bad checksum never taken for an answer.
class LXNAVLink {
  public:
    using Milliseconds = std::chrono::milliseconds;

    explicit LXNAVLink(SerialPort& port) : m_port(port), m_nmea(port) {}

    // Sends "$PLXVC,<command>".
    bool send(const std::string& command);
    // The next answer with one of the keys within the time (scaled by the delay facility).
    std::optional<LXNAVAnswer> await(std::initializer_list<std::string_view> keys,
                                     Milliseconds within);
    // Drops what came before, sends the command and awaits the answer.
    std::optional<LXNAVAnswer> ask(const std::string& command,
                                   std::initializer_list<std::string_view> keys,
                                   Milliseconds within);
    // Reads and drops whatever arrives until the line has been quiet a while (at most a
    // few seconds): a Bluetooth link delivers rows of an earlier request late.
    void drainUntilQuiet();

    static std::optional<LXNAVAnswer> answerOf(const NmeaSentence& sentence,
                                               std::initializer_list<std::string_view> keys);

  private:
    SerialPort& m_port;
    NmeaLink m_nmea;
};

}  // namespace kelvo
