#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "LoggerAccess/Nmea/NmeaSentence.h"

namespace kelvo {

class SerialPort;

// Checksummed text sentences over a serial line to a recorder that keeps streaming its
// ordinary sentences ($GPRMC, $PFLAU, ...) while it answers: a question is sent framed and
// checksummed, and its answer is the next intact sentence that the caller wants, whatever
// passes before it.
class NmeaLink {
  public:
    using Wanted = std::function<bool(const NmeaSentence&)>;

    // How often a sentence is sent again after the recorder reported "$ERROR,CKSUM".
    static constexpr int kResendsAfterChecksumError = 3;
    // A line longer than this is not a sentence and is passed over.
    static constexpr std::size_t kMaxLineLength = 512;

    explicit NmeaLink(SerialPort& port) : m_port(port) {}

    bool send(const NmeaSentence& sentence);
    // The next intact sentence that is wanted, begun within the time (scaled by the delay
    // facility); one begun by then is read to its end while its gaps stay within
    // SerialPort::kAnswerGap. Nothing when none came.
    std::optional<NmeaSentence> await(const Wanted& wanted, std::chrono::milliseconds within);
    // The next intact sentence with that prefix (whole fields).
    std::optional<NmeaSentence> await(std::string_view prefix, std::chrono::milliseconds within);
    // Sends the question and awaits its answer; a "$ERROR,CKSUM" instead (the line
    // garbled the question) sends it again, at most kResendsAfterChecksumError times. Input
    // that came before the question is dropped.
    std::optional<NmeaSentence> ask(const NmeaSentence& question, const Wanted& wanted,
                                    std::chrono::milliseconds within);

  private:
    SerialPort& m_port;
};

}  // namespace kelvo
